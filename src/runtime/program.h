// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The running program as the old forms runtime kept it: its title, its windows, which of them
// is the active one, the message box, the boundary that reports runtime errors, and End.

#include "values/runtime_error.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSize>
#include <QString>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <vector>

class Form;
class QMessageBox;

class Program : public QObject
{
    Q_OBJECT

public:
    explicit Program(QString title, QObject *parent = nullptr);
    ~Program() override;

    // Shows the form modeless, brings it to the front and makes it the program's active form.
    // When the active form changes, its Form_Activate runs, once, before Show returns.
    void show(Form &form);
    // The system activated the form (a click, the window switcher, a message box closing).
    // Form_Activate runs only when this changes the program's active form.
    void systemActivated(Form &form);
    // The user closed the form with its title-bar button: it is hidden and kept. Closing the
    // last visible window ends the program.
    void formClosed(Form &form);
    Form *activeForm() const { return m_active; }

    // A modal message box with the program's title and one OK button.
    void MsgBox(const QString &prompt);

    // Runs the program without a screen (the command line): Show makes a form the active one
    // and runs its activation without showing anything, on a drawing area of `area` logical
    // pixels, and every message (`isError` for a runtime error) goes to `messages`.
    using Messages = std::function<void(const QString &text, bool isError)>;
    void runOffScreen(QSize area, Messages messages);

    // Runs one event handler of the program. A runtime error ends the handler (what it drew
    // stays) and is reported in a message box; the program goes on.
    template <class Handler> void handle(Handler &&handler)
    {
        if (m_ended) return;
        try {
            handler();
        } catch (const RuntimeError &error) {
            report(error);
        } catch (const std::bad_alloc &) {
            report(RuntimeError(RuntimeError::OutOfMemory));
        } catch (const std::exception &) {
            // Nothing else is expected here; should it happen, it is reported, not fatal.
            report(RuntimeError(RuntimeError::InternalError));
        }
    }

    // Ends the program at once: every window closes, nothing is kept.
    void End();
    // Ends it as End does without saying so (no ended signal): for the program's owner before
    // it destroys the windows, which must be hidden first (window_system.h).
    void shutDown();
    bool hasEnded() const { return m_ended; }

    void registerForm(Form &form);
    void unregisterForm(Form &form);

signals:
    // A form became the program's active form; its Form_Activate runs right after.
    void activated(Form *form);
    // A message box is about to be shown (modal); whoever connects may answer it.
    void messageBoxShown(QMessageBox *box);
    void ended();

private:
    void activate(Form &form);
    void report(const RuntimeError &error);
    void showMessage(const QString &prompt, bool isError);

    // A window the program has just shown, or that a message box has just given the focus back
    // to: the system's own activation of it, which may come late (after the program has moved
    // on to another window), is the answer to that Show or that box.
    struct Shown
    {
        Form *form;
        QElapsedTimer since;
        bool afterBox = false; // the focus given back by a box: answered before any later change
    };
    void awaitAnswer(Form &form, bool afterBox);
    bool isAnswer(Form &form);

    QString m_title;
    std::vector<Form *> m_forms;
    std::vector<Shown> m_shown;
    Form *m_active = nullptr;
    int m_showing = 0;
    bool m_ended = false;
    std::optional<QSize> m_offScreenArea; // run without a screen, on an area of this size
    Messages m_messages;
};
