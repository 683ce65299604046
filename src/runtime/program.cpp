// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/program.h"

#include "runtime/form.h"
#include "runtime/window_system.h"

#include <QApplication>
#include <QMessageBox>
#include <algorithm>

Program::Program(QString title, QObject *parent) : QObject(parent), m_title(std::move(title)) {}

Program::~Program() = default;

void Program::registerForm(Form &form)
{
    m_forms.push_back(&form);
}

void Program::unregisterForm(Form &form)
{
    std::erase(m_forms, &form);
    std::erase_if(m_shown, [&form](const Shown &shown) { return shown.form == &form; });
    if (m_active == &form) m_active = nullptr;
}

void Program::show(Form &form)
{
    if (m_ended) return;
    const bool changes = m_active != &form;
    m_active = &form;
    if (m_offScreenArea) {
        form.showOffScreen(*m_offScreenArea);
        if (changes) activate(form);
        return;
    }
    // The system's own activation of the window, while it appears or a moment later (even
    // after the program has moved on), answers this Show: it must neither skip nor repeat the
    // activation.
    awaitAnswer(form, false);
    ++m_showing;
    form.showWindow();
    --m_showing;
    if (changes && m_active == &form) activate(form);
}

void Program::awaitAnswer(Form &form, bool afterBox)
{
    std::erase_if(m_shown, [&form](const Shown &shown) { return shown.form == &form; });
    m_shown.push_back({&form, {}, afterBox});
    m_shown.back().since.start();
}

bool Program::isAnswer(Form &form)
{
    // The window system answers a Show within moments; an activation later than this is the
    // user's own (a window that was never activated by the system leaves no stale answer). A
    // time, not an event, ends the wait for the answer: none comes for a window that was
    // active already, nor where a window manager declines to activate it, and nothing says so.
    // Answers come within 0.3 s of the Show offscreen and under openbox, and mostly within
    // 0.4 s under weston on a busy machine (later ones too); the activation that Show runs draws
    // before the answer is read. A user's switch through the compositor can come 0.5 s after a
    // Show. Half a second lies between the two: a later answer counts as the user's switch, an
    // earlier switch as the answer.
    // The system tells its changes in the order it made them: once it has activated another
    // window, the focus a box gave back is no longer to come (offscreen it never comes).
    constexpr qint64 answerMilliseconds = 500;
    std::erase_if(m_shown, [&form](const Shown &shown) {
        return shown.since.elapsed() > answerMilliseconds ||
               (shown.afterBox && shown.form != &form);
    });
    const auto shown = std::find_if(m_shown.begin(), m_shown.end(),
                                    [&form](const Shown &s) { return s.form == &form; });
    if (shown == m_shown.end()) return false;
    m_shown.erase(shown);
    return true;
}

void Program::systemActivated(Form &form)
{
    if (m_ended || QApplication::activeModalWidget()) return;
    const bool answer = isAnswer(form);
    if (answer || m_showing > 0 || m_active == &form) return;
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

void Program::runOffScreen(QSize area, Messages messages)
{
    m_offScreenArea = area;
    m_messages = std::move(messages);
}

void Program::report(const RuntimeError &error)
{
    showMessage(error.report(), true);
}

void Program::showMessage(const QString &prompt, bool isError)
{
    if (m_ended) return;
    if (m_messages) {
        m_messages(prompt, isError);
        return;
    }
    Form *owner = m_active && m_active->isVisible() ? m_active : nullptr;
    Settled<QMessageBox> box(isError ? QMessageBox::Critical : QMessageBox::NoIcon, m_title, prompt,
                             QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    emit messageBoxShown(&box);
    box.exec();
    // The box gives the focus back to the window under it, and the system says so as it does
    // for a Show: at once under a window manager, later from a compositor on a busy machine,
    // when the user may already have gone on to another window (OK, then AVANTI at once). That
    // late activation is no switch of the user's: the window shown last stays active.
    if (owner && !m_ended) awaitAnswer(*owner, true);
}

void Program::End()
{
    if (m_ended) return;
    shutDown();
    emit ended();
}

void Program::shutDown()
{
    // Ended first: the activations that hiding brings run no handler.
    m_ended = true;
    m_active = nullptr;
    for (Form *form : m_forms)
        form->hide();
}
