// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The screen flow: single windows created on first reference, the navigation buttons, which
// window is active, Form_Activate once per activation, End, and closing windows.

#include "support/support.h"

#include "runtime/palette.h"
#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

// Gives the window system time to say what it still has to say about the last change (a
// compositor activates a window it has just mapped, or the one below a window closed, a
// moment later).
void letTheWindowSystemAnswer()
{
    QTest::qWait(300);
}

// Holds back the window system's activations of some windows until release(), which then tells
// the program of the activations a late window system sends, in its order.
class HeldActivations : public QObject
{
public:
    explicit HeldActivations(std::initializer_list<QWidget *> windows) : m_windows(windows)
    {
        for (QWidget *window : m_windows)
            window->installEventFilter(this);
    }
    ~HeldActivations() override { stopHolding(); }
    void release(std::initializer_list<QWidget *> order)
    {
        stopHolding();
        for (QWidget *window : order) {
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(window, &activate);
        }
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        return event->type() == QEvent::WindowActivate;
    }

private:
    void stopHolding()
    {
        for (QWidget *window : m_windows)
            window->removeEventFilter(this);
    }
    QList<QWidget *> m_windows;
};

// A window of the program by its number (created if it was not).
Form &formNumber(Session &s, int n)
{
    if (n == 1) return s.app.form1();
    if (n == 2) return s.app.form2();
    if (n == 3) return s.app.form3();
    return s.app.form4();
}

} // namespace

class FlowTest : public QObject
{
    Q_OBJECT

private slots:
    void startShowsOnlyForm1();
    void ordinaryRun();
    void secondAvantiOnForm1BringsTheSameForm2Back();
    void okContinuaRefusesUntilCalibrated();
    void switchingToAnOpenWindowActivatesIt();
    void systemEventsForTheActiveWindowDoNotActivateAgain();
    void lateAnswersToShowDoNotActivateAgain();
    void showActivatesOnceAtTheFinalSize_data();
    void showActivatesOnceAtTheFinalSize();
    void closingAMessageBoxActivatesNothing_data();
    void closingAMessageBoxActivatesNothing();
    void lateReturnFromAMessageBoxKeepsTheNextWindow();
    void esciEndsFromEveryWindow_data();
    void esciEndsFromEveryWindow();
    void closingAWindowHidesItAndKeepsItsValues();
    void closingTheLastWindowEnds();
};

void FlowTest::startShowsOnlyForm1()
{
    Session s;
    QVERIFY(s.app.exists(1));
    QVERIFY(!s.app.exists(2));
    QVERIFY(!s.app.exists(3));
    QVERIFY(!s.app.exists(4));
    QVERIFY(s.app.form1().isVisible());
    QVERIFY(!s.app.form1().isMaximized());
    QCOMPARE(s.app.program().activeForm(), &s.app.form1());
    QCOMPARE(s.app.form1().windowTitle(), QStringLiteral("Form1"));
}

void FlowTest::ordinaryRun()
{
    Session s;
    s.toForm2();
    QVERIFY(s.app.form2().isVisible());
    QVERIFY(s.app.form2().isMaximized());
    QCOMPARE(s.app.program().activeForm(), &s.app.form2());
    QCOMPARE(s.activations[2], 1);
    QCOMPARE(s.app.form2().Incr, Variant(0.51));

    s.calibrate(2);
    QCOMPARE(s.app.form2().Incr, Variant(0.55));
    s.toForm3();
    QVERIFY(s.app.form3().isVisible());
    QCOMPARE(s.app.program().activeForm(), &s.app.form3());
    QCOMPARE(s.activations[3], 1);
    QVERIFY(!s.app.exists(4));

    s.choose(1);
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    QVERIFY(s.app.form4().isVisible());
    QVERIFY(s.app.form4().isMaximized());
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    QCOMPARE(s.activations[4], 1);
    QCOMPARE(s.app.form3().Miocolor, Integer(1));

    // "RIPRENDI" keeps the plot and brings Form3 back; "AVANTI" plots again in the next colour.
    ui::click(s.app.form4().Command1);
    QCOMPARE(s.app.program().activeForm(), &s.app.form3());
    QCOMPARE(s.activations[3], 2);
    QVERIFY(s.app.form4().isVisible());
    s.toForm4();
    QCOMPARE(s.activations[4], 2);
    QCOMPARE(s.app.form3().Miocolor, Integer(2));

    // "Cancella e riprendi" clears, then brings Form3 back.
    DrawingRecorder drawn(s.app.form4());
    ui::click(s.app.form4().Command2);
    QCOMPARE(drawn.clears, 1);
    QCOMPARE(s.app.program().activeForm(), &s.app.form3());
    QCOMPARE(s.activations[3], 3);
    s.toForm4();
    QCOMPARE(s.activations[4], 3);

    // Every window shown so far stays open behind the active one.
    QVERIFY(s.app.form1().isVisible());
    QVERIFY(s.app.form2().isVisible());
    QVERIFY(s.app.form3().isVisible());

    ui::click(s.app.form4().Command3);
    QVERIFY(s.app.program().hasEnded());
    for (QWidget *w :
         {static_cast<QWidget *>(&s.app.form1()), static_cast<QWidget *>(&s.app.form2()),
          static_cast<QWidget *>(&s.app.form3()), static_cast<QWidget *>(&s.app.form4())})
        QVERIFY(!w->isVisible());
    QCOMPARE(s.activations[4], 3);
}

void FlowTest::secondAvantiOnForm1BringsTheSameForm2Back()
{
    Session s;
    s.toForm2();
    Form2 *first = &s.app.form2();
    s.calibrate(5);
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    ui::switchTo(&s.app.form1());
    QCOMPARE(s.app.program().activeForm(), &s.app.form1());
    ui::click(s.app.form1().Command1);
    QCOMPARE(&s.app.form2(), first);
    QCOMPARE(s.activations[2], 2);
    QCOMPARE(s.app.form2().Incr, Variant(0.51));
    QCOMPARE(s.app.form2().HScroll1->value(), 5);
}

void FlowTest::okContinuaRefusesUntilCalibrated()
{
    Session s;
    s.toForm2();
    ui::click(s.app.form2().Command1);
    QCOMPARE(s.boxes.texts, QStringList{QStringLiteral("Impostare la risoluzione SCHERMO")});
    QCOMPARE(s.boxes.titles, QStringList{QStringLiteral("Borvane")});
    QVERIFY(!s.app.exists(3));
    QCOMPARE(s.app.program().activeForm(), &s.app.form2());
    // The message box closing does not activate Form2 again.
    QCOMPARE(s.activations[2], 1);
}

void FlowTest::switchingToAnOpenWindowActivatesIt()
{
    Session s;
    s.toForm2();
    s.toForm3();
    s.choose(1);
    s.toForm4();
    QCOMPARE(s.app.form3().Miocolor, Integer(1));

    // The user clicks Form3, then the open Form4: each switch is one activation.
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    for (int n = 2; n <= 4; ++n) {
        ui::switchTo(&s.app.form3());
        QCOMPARE(s.app.program().activeForm(), &s.app.form3());
        ui::switchTo(&s.app.form4());
        QCOMPARE(s.app.program().activeForm(), &s.app.form4());
        QCOMPARE(s.app.form3().Miocolor, Integer(n));
    }
    QCOMPARE(s.activations[4], 4);
    QCOMPARE(s.activations[3], 4);

    // Switching to Form2 sets Incr back to 0.51, and the next plot uses it.
    ui::switchTo(&s.app.form2());
    QCOMPARE(s.app.form2().Incr, Variant(0.51));
    ui::switchTo(&s.app.form4());
    QCOMPARE(s.app.form4().ScaleHeight(), 102.0f);
}

void FlowTest::systemEventsForTheActiveWindowDoNotActivateAgain()
{
    Session s;
    s.toForm2();
    s.toForm3();
    QCOMPARE(s.activations[3], 1);
    // The system's own (late) activation of the window that is already active changes nothing.
    ui::switchTo(&s.app.form3());
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&s.app.form3(), &activate);
    ui::settle();
    QCOMPARE(s.activations[3], 1);
    // A message box opened and closed over it does not activate it again either.
    ui::click(s.app.form3().Command2); // no figure chosen
    QCOMPARE(s.boxes.last(), QStringLiteral(" Manca scelta figura"));
    ui::settle();
    QCOMPARE(s.activations[3], 1);
}

void FlowTest::lateAnswersToShowDoNotActivateAgain()
{
    Session s;
    s.toForm2();
    s.toForm3();
    s.choose(1);
    s.toForm4();
    ui::click(s.app.form4().Command1); // "RIPRENDI"
    ui::settle();
    QCOMPARE(s.activations[4], 1);
    // "AVANTI", then "Cancella e riprendi" at once: the system's answers to both Shows come
    // after the program has already moved on to Form3.
    ui::click(s.app.form3().Command2);
    ui::click(s.app.form4().Command2);
    ui::settle();
    QTest::qWait(50);
    QCOMPARE(s.activations[4], 2);
    QCOMPARE(s.app.program().activeForm(), &s.app.form3());
    DrawingRecorder drawn(s.app.form4());
    ui::settle();
    QVERIFY(drawn.dots.empty());
    // A switch of the user's own, a moment later, still activates.
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    QTest::qWait(600);
    ui::switchTo(&s.app.form4());
    QCOMPARE(s.activations[4], 3);
}

void FlowTest::showActivatesOnceAtTheFinalSize_data()
{
    // The window a button shows (its window and Command number): for the first time, again from
    // behind another window, or again after the user closed it. Whether the platform's own
    // activation of it is awaited: the offscreen platform does not activate a window shown again
    // after it was hidden (it still counts the hidden window as its focus).
    QTest::addColumn<QString>("walk");
    QTest::addColumn<int>("on");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("systemActivates");
    QTest::newRow("Form4, first time") << QStringLiteral("first") << 3 << 2 << 4 << true;
    QTest::newRow("Form3 from behind, RIPRENDI") << QStringLiteral("behind") << 4 << 1 << 3 << true;
    QTest::newRow("Form2 again after closing it")
        << QStringLiteral("closed") << 1 << 1 << 2 << false;
}

void FlowTest::showActivatesOnceAtTheFinalSize()
{
    QFETCH(QString, walk);
    QFETCH(int, on);
    QFETCH(int, command);
    QFETCH(int, shown);
    QFETCH(bool, systemActivates);
    Session s;
    s.toForm2();
    if (walk == QLatin1String("closed")) {
        s.app.form2().close();
    } else {
        s.toForm3();
        s.choose(1);
    }
    if (walk == QLatin1String("behind")) s.toForm4(); // Form3 stays open behind it
    letTheWindowSystemAnswer();
    QVERIFY(s.boxes.texts.isEmpty());

    // The window to show is not created before the program refers to it.
    QCOMPARE(s.app.exists(shown) && formNumber(s, shown).isVisible(),
             walk == QLatin1String("behind"));
    const int before = s.activations[shown];
    QSize sizeWhenActivated;
    QObject::connect(&s.app.program(), &Program::activated, &s.boxes, [&](Form *form) {
        if (form->objectName() == QStringLiteral("Form%1").arg(shown))
            sizeWhenActivated = form->size();
    });
    Form &caller = formNumber(s, on);
    ui::click(caller.findChild<QPushButton *>(QStringLiteral("Command%1").arg(command)));
    Form &target = formNumber(s, shown);

    // Form_Activate ran once, inside Show; the window system then made the window the active
    // one (brought to the front), and its own activation of it is no second one.
    QCOMPARE(s.activations[shown], before + 1);
    QCOMPARE(s.app.program().activeForm(), &target);
    if (systemActivates) QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &target, 3000);
    letTheWindowSystemAnswer();
    QCOMPARE(s.activations[shown], before + 1);
    if (systemActivates) QCOMPARE(QApplication::activeWindow(), &target);
    QVERIFY(caller.isVisible());
    // Maximized before its activation drew: at the size it keeps.
    QVERIFY(target.isMaximized());
    QCOMPARE(sizeWhenActivated, target.size());
    QCOMPARE(target.surface().size(), target.size());
    QVERIFY(target.width() > caller.width() || caller.isMaximized());
    QVERIFY(s.boxes.texts.isEmpty());
}

void FlowTest::closingAMessageBoxActivatesNothing_data()
{
    // The window whose button opens a message box: an entry that is not a number on Form3, and a
    // runtime error reported over the plot window.
    QTest::addColumn<int>("window");
    QTest::newRow("Form3, a is not a number") << 3;
    QTest::newRow("Form4, runtime error in the base figure") << 4;
}

void FlowTest::closingAMessageBoxActivatesNothing()
{
    QFETCH(int, window);
    Session s;
    s.toForm2();
    s.toForm3();
    Form3 &form3 = s.app.form3();
    ui::type(form3.Text1, QStringLiteral("abc"));
    QPushButton *button = form3.Command2;
    if (window == 4) {
        s.choose(1);
        // The interior points stay within 0.71 a, the base figure reaches a: beyond a Single.
        ui::type(form3.Text1, QStringLiteral("4e38"));
        s.toForm4();
        QVERIFY(s.boxes.texts.isEmpty());
        button = s.app.form4().Command4; // "Traccia la figura base"
    }
    Form &form = formNumber(s, window);
    letTheWindowSystemAnswer();
    QCOMPARE(QApplication::activeWindow(), &form);
    const int before = s.activations[window];

    // The user reads the box before pressing OK: the window system has activated it by then.
    bool boxActivated = false;
    s.boxes.whileShown = [&boxActivated](QMessageBox &box) {
        boxActivated =
            QTest::qWaitFor([&box] { return QApplication::activeWindow() == &box; }, 3000);
    };
    ui::click(button);
    QCOMPARE(s.boxes.texts.size(), 1);
    QVERIFY(boxActivated);
    // The window under the box may get the focus back (a window manager gives it); that is no
    // new activation of the form.
    letTheWindowSystemAnswer();
    QCOMPARE(s.activations[window], before);
    QCOMPARE(s.app.program().activeForm(), &form);
    if (window == 3) QCOMPARE(BackColor(form3.Text1), fromBgr(255));
}

void FlowTest::lateReturnFromAMessageBoxKeepsTheNextWindow()
{
    Session s;
    s.toForm2();
    s.toForm3();
    s.choose(1);
    ui::type(s.app.form3().Text3, QStringLiteral("3"));
    // OK on the box, then at once a good c and AVANTI: the plot window is shown. A compositor on
    // a busy machine tells its changes only then, in the order it made them: the focus given
    // back to the window under the box, then the plot window's activation.
    HeldActivations held({&s.app.form3(), &s.app.form4()});
    ui::click(s.app.form3().Command2);
    QCOMPARE(s.boxes.texts, QStringList{QStringLiteral("Valore (c) Max 2")});
    ui::type(s.app.form3().Text3, QStringLiteral("1"));
    ui::click(s.app.form3().Command2);
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    held.release({&s.app.form3(), &s.app.form4()});
    ui::settle();
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    QCOMPARE(s.activations[3], 1);
    QCOMPARE(s.activations[4], 1);
    // A switch of the user's own, a moment later, still activates.
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    QTest::qWait(600);
    ui::switchTo(&s.app.form3());
    QCOMPARE(s.activations[3], 2);
}

void FlowTest::esciEndsFromEveryWindow_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("Form2") << 2;
    QTest::newRow("Form3") << 3;
    QTest::newRow("Form4") << 4;
}

void FlowTest::esciEndsFromEveryWindow()
{
    QFETCH(int, window);
    Session s;
    bool endedSignal = false;
    QObject::connect(&s.app.program(), &Program::ended, [&] { endedSignal = true; });
    s.toForm2();
    if (window >= 3) s.toForm3();
    if (window == 4) {
        s.choose(2);
        s.toForm4();
    }
    QPushButton *esci = window == 2   ? s.app.form2().Command3
                        : window == 3 ? s.app.form3().Command1
                                      : s.app.form4().Command3;
    QCOMPARE(esci->text(), QStringLiteral("ESCI"));
    ui::click(esci);
    QVERIFY(endedSignal);
    QVERIFY(!s.app.form1().isVisible());
    QVERIFY(!s.app.form2().isVisible());
    QVERIFY(s.boxes.texts.isEmpty());
}

void FlowTest::closingAWindowHidesItAndKeepsItsValues()
{
    Session s;
    s.toForm2();
    s.toForm3();
    s.choose(1);
    s.toForm4();
    DrawingRecorder drawn(s.app.form4());
    const QImage before = s.app.form4().surface().image();
    s.app.form4().close();
    ui::settle();
    QVERIFY(!s.app.form4().isVisible());
    QVERIFY(!s.app.program().hasEnded());
    QCOMPARE(drawn.clears, 0);
    QCOMPARE(s.app.form4().surface().image(), before);
    // "AVANTI" brings the same window back, with its drawing, and plots over it.
    ui::switchTo(&s.app.form3());
    s.toForm4();
    QVERIFY(s.app.form4().isVisible());
    QCOMPARE(s.app.form3().Miocolor, Integer(2));
    QVERIFY(!drawn.dots.empty());
}

void FlowTest::closingTheLastWindowEnds()
{
    Session s;
    s.toForm2();
    s.app.form2().close();
    QVERIFY(!s.app.program().hasEnded());
    s.app.form1().close();
    QVERIFY(s.app.program().hasEnded());
}

BORVANE_TEST_MAIN(FlowTest)
#include "tst_flow.moc"
