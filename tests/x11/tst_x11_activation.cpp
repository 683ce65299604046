// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Activation in a real X server with a window manager, where windows are maximized and
// activated by the window manager a moment after they are shown, and a closing message box
// gives its window a new activation: Form_Activate still runs exactly once per change of the
// program's active window, and a maximized window draws at its final size.

#include "support/support.h"

#include "runtime/palette.h"
#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

// Asks the window manager to activate the window, as a click on it does, and waits for it.
void activateThroughWindowManager(QWidget *window)
{
    window->activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), window, 3000);
}

// Gives the window manager time to deliver whatever it still has to say.
void letTheWindowManagerCatchUp()
{
    QTest::qWait(400);
}

} // namespace

class X11ActivationTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showActivatesOnceAtTheFinalSize();
    void closingAMessageBoxDoesNotActivateAgain();
    void switchingWindowsActivatesOncePerSwitch();
};

void X11ActivationTest::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

void X11ActivationTest::showActivatesOnceAtTheFinalSize()
{
    Session s;
    QSize sizeWhenActivated;
    QObject::connect(&s.app.program(), &Program::activated, [&](Form *form) {
        if (form->objectName() == QLatin1String("Form2")) sizeWhenActivated = form->size();
    });
    s.toForm2();
    QCOMPARE(s.activations[2], 1);
    letTheWindowManagerCatchUp();
    QCOMPARE(s.activations[2], 1);
    Form2 &form2 = s.app.form2();
    QVERIFY(form2.isMaximized());
    // The activation drew in the maximized client area, not the design size.
    QCOMPARE(sizeWhenActivated, form2.size());
    QVERIFY(form2.width() >= QGuiApplication::primaryScreen()->availableGeometry().width() - 2);
    QCOMPARE(form2.surface().size(), form2.size());
    QCOMPARE(s.app.program().activeForm(), &form2);
    QCOMPARE(QApplication::activeWindow(), &form2);
}

void X11ActivationTest::closingAMessageBoxDoesNotActivateAgain()
{
    Session s;
    s.toForm2();
    letTheWindowManagerCatchUp();
    ui::click(s.app.form2().Command1); // refused: "Impostare la risoluzione SCHERMO"
    QCOMPARE(s.boxes.texts.size(), 1);
    letTheWindowManagerCatchUp();
    QCOMPARE(s.activations[2], 1);
    QCOMPARE(s.app.form2().Incr, Variant(0.51));

    s.calibrate(2);
    s.toForm3();
    letTheWindowManagerCatchUp();
    ui::type(s.app.form3().Text1, QStringLiteral("abc"));
    ui::click(s.app.form3().Command2);
    QCOMPARE(s.boxes.last(), QStringLiteral("VALa non è un numero"));
    letTheWindowManagerCatchUp();
    // A new activation would have turned the rejected box white again.
    QCOMPARE(s.activations[3], 1);
    QCOMPARE(BackColor(s.app.form3().Text1), fromBgr(255));
}

void X11ActivationTest::switchingWindowsActivatesOncePerSwitch()
{
    Session s;
    s.toForm2();
    s.calibrate(2);
    s.toForm3();
    s.choose(1);
    s.toForm4();
    letTheWindowManagerCatchUp();
    QCOMPARE(s.activations[4], 1);
    QCOMPARE(s.app.form3().Miocolor, Integer(1));

    for (int n = 2; n <= 3; ++n) {
        activateThroughWindowManager(&s.app.form3());
        letTheWindowManagerCatchUp();
        QCOMPARE(s.activations[3], n);
        activateThroughWindowManager(&s.app.form4());
        letTheWindowManagerCatchUp();
        QCOMPARE(s.activations[4], n);
        QCOMPARE(s.app.form3().Miocolor, Integer(n));
    }
    QVERIFY(s.boxes.texts.isEmpty());
}

BORVANE_TEST_MAIN(X11ActivationTest)
#include "tst_x11_activation.moc"
