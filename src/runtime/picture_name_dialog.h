// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The name and format of a picture that the browser is to keep. Where the program is a web page,
// the browser decides where the file goes (its save picker, or its downloads), so the program asks
// only what the desktop's save dialog asks besides the folder: the name, and the format among the
// pictures' own (PNG, SVG, PDF). As there, the format follows the name's extension, and choosing
// a format gives the name that format's extension.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

class PictureNameDialog : public QDialog
{
public:
    PictureNameDialog(const QString &offeredName, QWidget *parent);

    // The name as it will be kept: with the extension of its format (the chosen one, added
    // where the name has none of the known ones).
    QString fileName() const;

private:
    void nameEdited(const QString &name);
    void formatChosen(int index);

    QLineEdit *m_name;
    QComboBox *m_format;
    QPushButton *m_save;
};
