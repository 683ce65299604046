// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/borvane.h"

#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include "runtime/browser.h"

#include <QTimer>

Borvane::Borvane() : m_program(QStringLiteral("Borvane")) {}

// The windows go before the runtime that they were registered with. The program ends first,
// hiding those still on screen while every window is whole: hiding may wait for the window
// system (settleLastFrame), which a window's destructor must not do.
Borvane::~Borvane()
{
    m_program.shutDown();
    m_form4.reset();
    m_form3.reset();
    m_form2.reset();
    m_form1.reset();
}

Form1 &Borvane::form1()
{
    if (!m_form1) m_form1 = std::make_unique<Form1>(*this);
    return *m_form1;
}

Form2 &Borvane::form2()
{
    if (!m_form2) m_form2 = std::make_unique<Form2>(*this);
    return *m_form2;
}

Form3 &Borvane::form3()
{
    if (!m_form3) m_form3 = std::make_unique<Form3>(*this);
    return *m_form3;
}

Form4 &Borvane::form4()
{
    if (!m_form4) m_form4 = std::make_unique<Form4>(*this);
    return *m_form4;
}

bool Borvane::exists(int n) const
{
    switch (n) {
    case 1:
        return m_form1 != nullptr;
    case 2:
        return m_form2 != nullptr;
    case 3:
        return m_form3 != nullptr;
    case 4:
        return m_form4 != nullptr;
    default:
        return false;
    }
}

void Borvane::start()
{
    if (inBrowser()) {
        // In a page, making the plot window, its window and its pixels is most of the first
        // plot's time: it is done while the parameter window is open, a few frames after it
        // opened, so that its own first drawing comes first.
        constexpr int afterDrawnMilliseconds = 50;
        QObject::connect(&m_program, &Program::activated, &m_program, [this](Form *form) {
            if (form != m_form3.get() || m_form4) return;
            QTimer::singleShot(afterDrawnMilliseconds, &m_program, [this] {
                if (!m_form4) form4().prepareFirstShow();
            });
        });
    }
    form1().Show();
}
