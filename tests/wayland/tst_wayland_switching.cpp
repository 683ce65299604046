// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The user switching windows under a Wayland compositor: weston's own window switcher
// (Super+Tab), pressed on the keyboard of weston's seat, brings an open window to the front
// and activates it. Form_Activate runs once per switch, and the compositor's answers to the
// program's Show in between are no switches. Runs under tests/wayland/weston-session.sh.

#include "support/support.h"

#include "runtime/palette.h"
#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

// Holds Super and presses Tab `tabs` times on weston's keyboard, as the user does to reach the
// window that many places down the stack; weston switches when Super is released.
bool pressSwitcher(int tabs)
{
    QStringList arguments{QStringLiteral("keydown"), QStringLiteral("super")};
    for (int i = 0; i < tabs; ++i)
        arguments << QStringLiteral("key") << QStringLiteral("Tab");
    arguments << QStringLiteral("keyup") << QStringLiteral("super");
    QProcess xdotool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), qEnvironmentVariable("BORVANE_WESTON_X_DISPLAY"));
    xdotool.setProcessEnvironment(environment);
    xdotool.start(QStringLiteral("xdotool"), arguments);
    // Waits with the event loop running, so the program answers the compositor meanwhile.
    return QTest::qWaitFor([&xdotool] { return xdotool.state() == QProcess::NotRunning; }, 5000) &&
           xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

// Gives the compositor time to say whatever it still has to say.
void letTheCompositorAnswer()
{
    QTest::qWait(300);
}

} // namespace

class WaylandSwitchingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void switcherActivatesOncePerSwitch();
};

void WaylandSwitchingTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("BORVANE_WESTON_X_DISPLAY"))
        QSKIP("needs weston on its X11 backend, with a keyboard to press its switcher on "
              "(tests/wayland/weston-session.sh)");
    QVERIFY2(QGuiApplication::platformName().startsWith(QLatin1String("wayland")),
             qPrintable(QGuiApplication::platformName()));
}

void WaylandSwitchingTest::switcherActivatesOncePerSwitch()
{
    Session s;
    s.toForm2();
    s.calibrate(4); // 0.59
    s.toForm3();
    s.choose(1);
    s.toForm4();
    letTheCompositorAnswer();
    QCOMPARE(s.activations[4], 1);

    const std::array<Form *, 5> forms = {nullptr, &s.app.form1(), &s.app.form2(), &s.app.form3(),
                                         &s.app.form4()};
    int expected[5] = {0, 1, 1, 1, 1};
    // Starting on Form4 (stack: Form4, Form3, Form2, Form1), each switch: the presses of Tab and
    // the window they bring to the front (and to the top of the stack). Form4 first plots with
    // the calibrated ratio, and with 0.51 once Form2 has been activated again.
    const std::pair<int, int> switches[] = {{1, 3}, {1, 4}, {2, 2}, {1, 4}, {3, 1}, {1, 4}};
    for (const auto &[tabs, window] : switches) {
        DrawingRecorder drawn(s.app.form4());
        QVERIFY(pressSwitcher(tabs));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), forms[window], 3000);
        letTheCompositorAnswer();
        ++expected[window];
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(s.activations[n], expected[n]);
        QCOMPARE(s.app.program().activeForm(), forms[window]);
        QCOMPARE(QApplication::activeWindow(), forms[window]);
        // What each window's activation does, once.
        if (window == 2) QCOMPARE(s.app.form2().Incr, Variant(0.51));
        if (window == 4) {
            QCOMPARE(s.app.form3().Miocolor, Integer(expected[4]));
            QCOMPARE(drawn.lines.size(), size_t(2));
            QCOMPARE(drawn.dots.size(), size_t(4761));
            QCOMPARE(drawn.dots.front().colour, QBColor(expected[4]));
            QCOMPARE(double(s.app.form4().ScaleHeight()),
                     double(float(200 * (expected[2] > 1 ? 0.51 : 0.59))));
        } else {
            QVERIFY(drawn.dots.empty());
        }
    }
    QVERIFY(s.boxes.texts.isEmpty());
    // Every window is still open.
    for (int n = 1; n <= 4; ++n)
        QVERIFY(forms[n]->isVisible());
}

BORVANE_TEST_MAIN(WaylandSwitchingTest)
#include "tst_wayland_switching.moc"
