// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/picture_name_dialog.h"

#include "runtime/picture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The name without an extension of a known format.
QString baseName(const QString &name)
{
    return Picture::formatOf(name) ? QFileInfo(name).completeBaseName() : name;
}

} // namespace

PictureNameDialog::PictureNameDialog(const QString &offeredName, QWidget *parent)
    : QDialog(parent), m_name(new QLineEdit(offeredName, this)), m_format(new QComboBox(this))
{
    setObjectName(QStringLiteral("pictureNameDialog"));
    setWindowTitle(QStringLiteral("Salva immagine"));
    m_name->setObjectName(QStringLiteral("pictureName"));
    m_format->setObjectName(QStringLiteral("pictureFormat"));
    m_format->addItems(Picture::nameFilters());

    auto *form = new QFormLayout;
    // Each label names its box for the keyboard (Alt and the letter) and for assistive tools.
    form->addRow(QStringLiteral("&Nome del file:"), m_name);
    form->addRow(QStringLiteral("&Formato:"), m_format);
    m_name->setAccessibleName(QStringLiteral("Nome del file"));
    m_format->setAccessibleName(QStringLiteral("Formato"));

    // Qt's own texts may not be in Italian here (the browser has no translations installed).
    auto *buttons = new QDialogButtonBox(this);
    m_save = buttons->addButton(QStringLiteral("Salva"), QDialogButtonBox::AcceptRole);
    m_save->setObjectName(QStringLiteral("pictureSave"));
    m_save->setDefault(true);
    buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("pictureCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_name, &QLineEdit::textEdited, this,
            [this](const QString &name) { nameEdited(name); });
    connect(m_format, &QComboBox::activated, this, [this](int index) { formatChosen(index); });
    nameEdited(offeredName);
    // The name is chosen, but for its extension, ready to be typed over.
    m_name->setSelection(0, int(baseName(offeredName).size()));
    m_name->setFocus();
}

QString PictureNameDialog::fileName() const
{
    const QString name = m_name->text().trimmed();
    if (Picture::formatOf(name)) return name;
    return name + QLatin1Char('.') + Picture::suffixOf(m_format->currentText());
}

void PictureNameDialog::nameEdited(const QString &name)
{
    m_save->setEnabled(!baseName(name.trimmed()).isEmpty());
    const QString suffix = QFileInfo(name.trimmed()).suffix().toLower();
    for (int i = 0; i < m_format->count(); ++i) {
        if (Picture::suffixOf(m_format->itemText(i)) == suffix) m_format->setCurrentIndex(i);
    }
}

void PictureNameDialog::formatChosen(int index)
{
    const QString suffix = Picture::suffixOf(m_format->itemText(index));
    const QString base = baseName(m_name->text().trimmed());
    if (!base.isEmpty()) m_name->setText(base + QLatin1Char('.') + suffix);
}
