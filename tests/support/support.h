// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the tests share: a fresh program per test, a user's clicks and typing on the real
// widgets, the program's real message boxes answered with their OK button, and a record of
// what was drawn.

#include "runtime/form.h"
#include "runtime/surface.h"
#include "runtime/window_system.h"
#include "windows/borvane.h"

#include <QApplication>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>
#include <vector>

class QAbstractButton;
class QLineEdit;
class QMessageBox;
class QScrollBar;

// Every dot, line and clearing of one window, in the user coordinates it was drawn with.
class DrawingRecorder : public SurfaceObserver
{
public:
    struct Dot
    {
        float x;
        float y;
        QRgb colour;
        int width;
    };
    struct Segment
    {
        float x1;
        float y1;
        float x2;
        float y2;
        QRgb colour;
        int width;
    };

    explicit DrawingRecorder(Form &form);
    ~DrawingRecorder() override;

    void clear();

    std::vector<Dot> dots;
    std::vector<Segment> lines;
    int clears = 0;

    void dot(float x, float y, QRgb colour, int width) override;
    void line(float x1, float y1, float x2, float y2, QRgb colour, int width) override;
    void cleared() override;

private:
    Form &m_form;
};

// Answers each message box of the program as a user would (a click on its OK button, once the
// box is the active window) and keeps what it said. `whileShown` runs while a box is open,
// before it is answered.
class MessageBoxes : public QObject
{
public:
    explicit MessageBoxes(Program &program);

    QStringList texts;
    QStringList titles;
    std::function<void(QMessageBox &)> whileShown;

    void clear();
    QString last() const { return texts.isEmpty() ? QString() : texts.last(); }
};

// A fresh program, started as the user starts it: Form1 on screen.
struct Session
{
    Session();
    ~Session();

    Borvane app;
    MessageBoxes boxes;
    int activations[5] = {0, 0, 0, 0, 0}; // runs of Form_Activate per window number

    // The walk of an ordinary run, each step through the real buttons.
    void toForm2();                  // "AVANTI" on Form1
    void calibrate(int scrollValue); // the scroll bar moved by its arrow to the value
    void toForm3();                  // "OK - continua" (after calibrating to 2 if needed)
    void choose(int figure);         // "ELLISSE" (1) or "IPERBOLE" (2)
    void enter(const QString &a, const QString &b, const QString &c);
    void toForm4(); // "AVANTI" on Form3
};

namespace ui {

// A left click in the middle of a button (the indicator, for a radio button).
void click(QAbstractButton *button);
// Replaces the text of a box by typing, as a user would (any characters, not only ASCII).
void type(QLineEdit *box, const QString &text);
// Presses one key on a widget.
void key(QWidget *widget, int key);
// Clicks the right (add-line) arrow of a horizontal scroll bar.
void clickRightArrow(QScrollBar *bar);
void clickLeftArrow(QScrollBar *bar);
// Clicks in the track at a fraction (0 to 1) of its length.
void clickTrack(QScrollBar *bar, double fraction);
// Where the thumb of a scroll bar lies when it stands at a value.
QRect thumbAt(QScrollBar *bar, int value);
// Makes a window the active one as the system does when the user clicks it.
void switchTo(QWidget *window);
// Whether the platform makes a window the active one when a test asks it to, as switchTo
// needs: offscreen and X11 do; a Wayland compositor never does that for a client.
bool canSwitchOnRequest();
// Lets queued events run.
void settle();

} // namespace ui

// Skips a test (or a data row) that switches windows through switchTo where the platform
// cannot; offscreen and X11 still run it.
#define SKIP_UNLESS_SWITCHING_ON_REQUEST()                                                         \
    do {                                                                                           \
        if (!ui::canSwitchOnRequest())                                                             \
            QSKIP("switches windows on the test's request: a Wayland compositor never activates "  \
                  "a window because its client asks (run under offscreen and X11)");               \
    } while (false)

// The pixel of a window's drawing at a point given in logical pixels.
QRgb pixelAt(const Form &form, QPoint logical);

// A test program's main, where QTEST_MAIN would be: its application, here `Application` (a
// QApplication or one derived from it), then the test object, gone once qExec has run; then the
// process ends with qExec's status as the program's does (endBeforeWaylandTeardown), where Qt's
// own teardown of a Wayland connection could keep it from ending.
#define BORVANE_TEST_MAIN_WITH(Application, TestObject)                                            \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        Application application(argc, argv);                                                       \
        application.setAttribute(Qt::AA_Use96Dpi, true);                                           \
        int status = 0;                                                                            \
        {                                                                                          \
            TestObject test;                                                                       \
            QTEST_SET_MAIN_SOURCE_PATH                                                             \
            status = QTest::qExec(&test, argc, argv);                                              \
        }                                                                                          \
        return endBeforeWaylandTeardown(status);                                                   \
    }
#define BORVANE_TEST_MAIN(TestObject) BORVANE_TEST_MAIN_WITH(QApplication, TestObject)
