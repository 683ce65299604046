#include "runtime/program.h"

#include "runtime/form.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <algorithm>

Program::Program(QString title, QObject *parent) : QObject(parent), m_title(std::move(title))
{
    // The program's fonts, where the originals are missing: the metric twins of fonts-liberation.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("Liberation Mono")});
    // The program decides when it ends (End, or its last window closed).
    QApplication::setQuitOnLastWindowClosed(false);
}

Program::~Program() = default;

void Program::registerForm(Form &form)
{
    m_forms.push_back(&form);
}

void Program::unregisterForm(Form &form)
{
    std::erase(m_forms, &form);
    if (m_active == &form) m_active = nullptr;
}

void Program::show(Form &form)
{
    if (m_ended) return;
    const bool changes = m_active != &form;
    m_active = &form;
    // While the window appears, the system's own activations of it (which may come late) are
    // not the user's: they must neither skip nor repeat this activation.
    ++m_showing;
    form.showWindow();
    --m_showing;
    if (changes && m_active == &form) activate(form);
}

void Program::systemActivated(Form &form)
{
    if (m_ended || m_showing > 0 || m_active == &form || QApplication::activeModalWidget()) return;
    m_active = &form;
    activate(form);
}

void Program::formClosed(Form &form)
{
    if (m_active == &form) m_active = nullptr;
    const bool anyVisible =
        std::any_of(m_forms.begin(), m_forms.end(), [](Form *f) { return f->isVisible(); });
    if (!anyVisible) End();
}

void Program::activate(Form &form)
{
    emit activated(&form);
    handle([&form] { form.Form_Activate(); });
}

void Program::MsgBox(const QString &prompt)
{
    showMessage(prompt, false);
}

void Program::report(const RuntimeError &error)
{
    showMessage(error.report(), true);
}

void Program::showMessage(const QString &prompt, bool isError)
{
    if (m_ended) return;
    QWidget *owner = m_active && m_active->isVisible() ? m_active : nullptr;
    QMessageBox box(isError ? QMessageBox::Critical : QMessageBox::NoIcon, m_title, prompt,
                    QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    emit messageBoxShown(&box);
    box.exec();
}

void Program::End()
{
    if (m_ended) return;
    m_ended = true;
    m_active = nullptr;
    for (Form *form : m_forms)
        form->hide();
    emit ended();
}
