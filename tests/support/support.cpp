// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/support.h"

#include "program/startup.h"
#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

DrawingRecorder::DrawingRecorder(Form &form) : m_form(form)
{
    form.surface().setObserver(this);
}

DrawingRecorder::~DrawingRecorder()
{
    m_form.surface().setObserver(nullptr);
}

void DrawingRecorder::clear()
{
    dots.clear();
    lines.clear();
    clears = 0;
}

void DrawingRecorder::dot(float x, float y, QRgb colour, int width)
{
    dots.push_back({x, y, colour, width});
}

void DrawingRecorder::line(float x1, float y1, float x2, float y2, QRgb colour, int width)
{
    lines.push_back({x1, y1, x2, y2, colour, width});
}

void DrawingRecorder::cleared()
{
    ++clears;
}

MessageBoxes::MessageBoxes(Program &program)
{
    connect(&program, &Program::messageBoxShown, this, [this](QMessageBox *box) {
        texts << box->text();
        titles << box->windowTitle();
        // Once the window system has made the box the active window: a user sees it then. (A
        // box answered before that, under Wayland, can leave no window active: Qt 6.4.2's
        // Wayland client drops the activation of the window under the box when it comes back
        // before Qt has passed on the one it lost, see QWaylandDisplay::handleWaylandSync.)
        auto answered = std::make_shared<bool>(false);
        auto answer = [this, box, answered](bool active) {
            if (*answered) return;
            *answered = true;
            if (!active) qWarning("the message box was not activated by the window system");
            if (whileShown) whileShown(*box);
            QAbstractButton *ok = box->button(QMessageBox::Ok);
            QTest::mouseClick(ok, Qt::LeftButton, Qt::NoModifier, ok->rect().center());
        };
        connect(qApp, &QGuiApplication::focusWindowChanged, box, [box, answer](QWindow *focus) {
            if (focus && focus == box->windowHandle())
                QTimer::singleShot(0, box, [answer] { answer(true); });
        });
        QTimer::singleShot(3000, box, [answer] { answer(false); });
    });
}

void MessageBoxes::clear()
{
    texts.clear();
    titles.clear();
}

namespace {

// The offscreen platform cannot raise windows or pass size hints; it says so at every Show.
QtMessageHandler defaultHandler = nullptr;
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    defaultHandler(type, context, message);
}
// Installed over QtTest's own handler, once, when the first session starts.
void installQuietHandler()
{
    static const bool installed = [] {
        defaultHandler = qInstallMessageHandler(quietHandler);
        return true;
    }();
    Q_UNUSED(installed);
}

void waitExposed(QWidget *window)
{
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("window %s was not exposed", qPrintable(window->objectName()));
}

// A window the program has just shown is on screen, and the window system has made it the
// active window (a compositor does so a moment after it maps the window): the user sees it
// come up with the focus before touching it.
void waitShown(Program &program, Form &form)
{
    waitExposed(&form);
    if (program.hasEnded() || program.activeForm() != &form) return;
    if (!QTest::qWaitFor(
            [&form] {
                return QApplication::activeWindow() == &form ||
                       QApplication::activeModalWidget() != nullptr;
            },
            3000))
        qWarning("window %s was not activated by the window system", qPrintable(form.objectName()));
    ui::settle();
}
} // namespace

Session::Session() : boxes(app.program())
{
    installQuietHandler();
    setUpProcess();
    QObject::connect(&app.program(), &Program::activated, &boxes, [this](Form *form) {
        const QString name = form->objectName();
        if (name.startsWith(QLatin1String("Form"))) ++activations[name.mid(4).toInt()];
    });
    app.start();
    waitShown(app.program(), app.form1());
}

Session::~Session()
{
    ui::settle();
}

void Session::toForm2()
{
    ui::click(app.form1().Command1);
    waitShown(app.program(), app.form2());
}

void Session::calibrate(int scrollValue)
{
    QScrollBar *bar = app.form2().HScroll1;
    while (bar->value() < scrollValue)
        ui::clickRightArrow(bar);
    while (bar->value() > scrollValue)
        ui::clickLeftArrow(bar);
}

void Session::toForm3()
{
    if (!(app.form2().Incr > 0.53)) {
        const int value = app.form2().HScroll1->value();
        calibrate(value < 30 ? value + 1 : 29);
    }
    ui::click(app.form2().Command1);
    waitShown(app.program(), app.form3());
}

void Session::choose(int figure)
{
    ui::click(figure == 1 ? app.form3().Option1 : app.form3().Option2);
}

void Session::enter(const QString &a, const QString &b, const QString &c)
{
    ui::type(app.form3().Text1, a);
    ui::type(app.form3().Text2, b);
    ui::type(app.form3().Text3, c);
}

void Session::toForm4()
{
    ui::click(app.form3().Command2);
    if (app.exists(4)) waitShown(app.program(), app.form4());
}

namespace ui {

namespace {
// Counts the activations a window receives.
class ActivationWatch : public QObject
{
public:
    explicit ActivationWatch(QWidget *window) : m_window(window)
    {
        window->installEventFilter(this);
    }
    ~ActivationWatch() override { m_window->removeEventFilter(this); }
    int activations = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::WindowActivate) ++activations;
        return false;
    }

private:
    QWidget *m_window;
};
} // namespace

void click(QAbstractButton *button)
{
    QPoint at = button->rect().center();
    if (auto *radio = qobject_cast<QRadioButton *>(button)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        at = radio->style()
                 ->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio)
                 .center();
    }
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

void type(QLineEdit *box, const QString &text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    for (const QChar ch : text) {
        if (ch.unicode() >= 0x20 && ch.unicode() < 0x7F)
            QTest::keyClick(box, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void key(QWidget *widget, int key)
{
    QTest::keyClick(widget, Qt::Key(key));
}

namespace {
QRect subControl(QScrollBar *bar, QStyle::SubControl which, int position)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = position;
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, which, bar);
}

QRect subControl(QScrollBar *bar, QStyle::SubControl which)
{
    return subControl(bar, which, bar->sliderPosition());
}
} // namespace

void clickRightArrow(QScrollBar *bar)
{
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                      subControl(bar, QStyle::SC_ScrollBarAddLine).center());
}

void clickLeftArrow(QScrollBar *bar)
{
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                      subControl(bar, QStyle::SC_ScrollBarSubLine).center());
}

void clickTrack(QScrollBar *bar, double fraction)
{
    const QRect groove = subControl(bar, QStyle::SC_ScrollBarGroove);
    const QPoint at(groove.left() + int(fraction * (groove.width() - 1)), groove.center().y());
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, at);
}

QRect thumbAt(QScrollBar *bar, int value)
{
    return subControl(bar, QStyle::SC_ScrollBarSlider, value);
}

void switchTo(QWidget *window)
{
    // As the window system does when the user clicks the window: it asks for the activation
    // and waits until the window has had it (what the activation does may open a message box
    // and take the activation away again). A click into the window the system already has
    // focused sends nothing, even where Qt's widgets have no active window then (offscreen,
    // after that window was hidden while focused and shown again).
    if (QApplication::activeWindow() == window ||
        (window->windowHandle() && QGuiApplication::focusWindow() == window->windowHandle())) {
        settle();
        return;
    }
    ActivationWatch watch(window);
    window->activateWindow();
    if (!QTest::qWaitFor([&watch] { return watch.activations > 0; }, 3000))
        qWarning("window %s was not activated", qPrintable(window->objectName()));
    settle();
}

bool canSwitchOnRequest()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace ui

QRgb pixelAt(const Form &form, QPoint logical)
{
    const QImage &image = form.surface().image();
    const qreal dpr = image.devicePixelRatio();
    return image.pixel(int(logical.x() * dpr), int(logical.y() * dpr));
}
