// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/form.h"

#include "runtime/browser.h"
#include "runtime/controls.h"
#include "runtime/window_system.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>
#include <algorithm>
#include <limits>

Form::Form(Program &program, const QString &caption, QSize designClientTwips, State state)
    : m_program(program), m_designClientTwips(designClientTwips), m_state(state)
{
    setObjectName(caption);
    setWindowTitle(caption);
    setFont(programFont(QStringLiteral("MS Sans Serif"), 8.25));
    // The window paints its whole client area from the drawing surface.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.setBackColor(palette().color(QPalette::Window).rgb());
    m_surface.setForeColor(palette().color(QPalette::WindowText).rgb());
    m_surface.setChangeHandler([this] { update(); });
    // The surface takes the client area's size when the window first gets it (a window that is
    // never shown needs no image).
    m_program.registerForm(*this);
}

Form::~Form()
{
    // Hidden by its owner before (Borvane): hiding waits for the last frame, which must not
    // happen here, with the window's own part already gone.
    m_program.unregisterForm(*this);
}

void Form::setVisible(bool visible)
{
    if (!visible) settleLastFrame(*this);
    QWidget::setVisible(visible);
    if (!visible) awaitFrameThread(*this);
}

int Form::twipsToPixels(int twips) const
{
    return int(std::lround(twips * logicalDpiX() / 1440.0));
}

void Form::place(QWidget *control, Twips at) const
{
    control->setGeometry(twipsToPixels(at.left), twipsToPixels(at.top), twipsToPixels(at.width),
                         twipsToPixels(at.height));
}

QPushButton *Form::CommandButton(const QString &name, const QString &caption, Twips at)
{
    auto *button = new CaptionButton(caption, this);
    button->setObjectName(name);
    // As on the desktop the program was made for, Enter presses the focused button.
    button->setAutoDefault(true);
    place(button, at);
    return button;
}

QLineEdit *Form::TextBox(const QString &name, const QString &text, Twips at)
{
    auto *box = new QLineEdit(text, this);
    box->setObjectName(name);
    // No length limit: a long paste is read (and refused) whole, never cut to a number.
    box->setMaxLength(std::numeric_limits<int>::max());
    place(box, at);
    return box;
}

QLabel *Form::Label(const QString &name, const QString &caption, Twips at)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true); // an opaque label in the window's colour
    place(label, at);
    return label;
}

QScrollBar *Form::HScrollBar(const QString &name, Twips at, int min, int max, int value,
                             int smallChange, int largeChange)
{
    auto *bar = new FocusScrollBar(Qt::Horizontal, this);
    bar->setObjectName(name);
    bar->setRange(min, max);
    bar->setValue(value);
    bar->setSingleStep(smallChange);
    bar->setPageStep(largeChange);
    // The right arrow key moves the thumb right, to larger values (Qt inverts it by default).
    bar->setInvertedControls(false);
    // The value changes once a dragged thumb is let go, not at every step it passes; arrows,
    // clicks in the track and keys change it at once.
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    place(bar, at);
    return bar;
}

QGroupBox *Form::Frame(const QString &name, const QString &caption, Twips at)
{
    auto *frame = new CaptionOnBorderFrame(caption, this);
    frame->setObjectName(name);
    place(frame, at);
    return frame;
}

QRadioButton *Form::OptionButton(QGroupBox *frame, const QString &name, const QString &caption,
                                 Twips at)
{
    auto *option = new QRadioButton(caption, frame);
    option->setObjectName(name);
    place(option, at);
    return option;
}

void Form::labelFor(QLabel *label, QWidget *control)
{
    // The label is the control's buddy (tools see it as the control's label), and its text is
    // written on the control as its name rather than left for Qt to look up.
    label->setBuddy(control);
    control->setAccessibleName(label->text());
}

void Form::setTabOrder(std::initializer_list<QWidget *> order)
{
    QWidget *previous = nullptr;
    for (QWidget *control : order) {
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
    m_firstFocus = order.size() ? *order.begin() : nullptr;
}

void Form::connectClicked(QAbstractButton *button, std::function<void()> handler)
{
    if (qobject_cast<QRadioButton *>(button)) {
        // Once per change to chosen; not when the button is cleared (its neighbour was chosen).
        connect(button, &QAbstractButton::toggled, this,
                [handler = std::move(handler)](bool checked) {
                    if (checked) handler();
                });
        return;
    }
    connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] { handler(); });
}

// Under Wayland a program cannot bring its own window to the front: raise() and
// activateWindow() are requests the compositor may ignore, and weston ignores them always (it
// has no activation protocol; KWin and Mutter honour one that comes with the user's last
// input, which Qt sends). What a compositor does is put a window it maps on top and activate
// it. And it configures a window before Qt exposes it, the first time already maximized.
void Form::showWindow()
{
    if (isVisible()) {
        if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
        if (!underWayland()) {
            raise();
            activateWindow();
            return;
        }
        // Mapped anew, it comes to the front with the activation. (Even when it looks active
        // already: the compositor may still be about to activate the window shown last.)
        hide();
    }
    const bool first = !m_shownBefore;
    if (first) {
        m_shownBefore = true;
        resize(twipsToPixels(m_designClientTwips.width()),
               twipsToPixels(m_designClientTwips.height()));
        if (m_firstFocus) m_firstFocus->setFocus();
    }
    if (m_state == State::Maximized) {
        showMaximized();
        waitUntilPlaced();
    } else {
        // Its design size: where a plain show() means the platform's default state (a web
        // page's is full screen), that default is not the window's.
        showNormal();
    }
    raise();
    activateWindow();
    // A web page activates the window as it shows it, and Qt then gives the focus to the first
    // control it finds rather than the one the window named: named again, it takes it.
    if (first && m_firstFocus && inBrowser()) m_firstFocus->setFocus();
}

void Form::prepareFirstShow()
{
    if (m_shownBefore || m_state != State::Maximized || !screen()) return;
    // The drawing area only grows: the window's own size, when it comes, takes this image.
    m_surface.resize(screen()->availableSize(), devicePixelRatioF(), logicalDpiX());
    if (testAttribute(Qt::WA_WState_Created)) return;
    // A web page activates a window as it makes it, shown or not; this one is activated when it
    // is shown (showWindow), not before.
    setAttribute(Qt::WA_ShowWithoutActivating);
    create();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void Form::showOffScreen(QSize area)
{
    // Nothing is shown: the pictures are drawn again from the window's record.
    m_surface.keepNoPixels();
    m_surface.resize(area, 1.0, 96.0);
}

void Form::waitUntilPlaced()
{
    // The system maximizes a window a moment after it is shown. The activation that follows
    // Show draws in the client area, so it waits (briefly, taking no user input) for the
    // window to be placed at its final size. Offscreen, X11 window managers and Wayland
    // compositors all place it so, but a window system that does not maximize (X without a
    // window manager) never does, and nothing says so: a time ends the wait there. Placing
    // takes up to 0.4 s offscreen, under openbox and under weston on a busy machine (a heavily
    // loaded one now and then longer, and the activation then draws at the earlier size); half
    // a second is what a Show may cost where the window is never placed.
    constexpr qint64 longestWaitMilliseconds = 500;
    if (inBrowser()) {
        // A web page places the window in its screen (the page) as it is shown, and tells the
        // window its size with the next events. It exposes the window only once the browser
        // draws again, which it cannot do while this waits: waiting would only cost the time.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return;
    }
    QElapsedTimer timer;
    timer.start();
    const QSize before = size();
    while (timer.elapsed() < longestWaitMilliseconds) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        const QWindow *window = windowHandle();
        // Placed: resized from its design size, or (shown again) already filling the screen,
        // or exposed by a compositor, which exposes it only at the size it configured.
        const bool filling = screen() && frameGeometry() == screen()->availableGeometry();
        if (window && window->isExposed() && (size() != before || filling || underWayland())) break;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool Form::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        m_program.systemActivated(*this);
    else if (event->type() == QEvent::ScreenChangeInternal)
        updateSurfaceSize(); // the window moved to a screen of another pixel ratio
    return QWidget::event(event);
}

void Form::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QImage &image = m_surface.image();
    const QRect area = event->rect();
    const qreal dpr = image.devicePixelRatio();
    const QRectF source(area.x() * dpr, area.y() * dpr, area.width() * dpr, area.height() * dpr);
    painter.drawImage(QRectF(area), image, source);
    m_surface.markShown();
}

void Form::resizeEvent(QResizeEvent *event)
{
    updateSurfaceSize();
    QWidget::resizeEvent(event);
}

void Form::updateSurfaceSize()
{
    m_surface.resize(size(), devicePixelRatioF(), logicalDpiX());
}

void Form::closeEvent(QCloseEvent *event)
{
    // Closing a window hides it; its values and drawing stay for a later Show.
    event->ignore();
    hide();
    m_program.formClosed(*this);
}

void SetBackColor(QLineEdit *box, QRgb colour)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, QColor(colour));
    box->setPalette(palette);
}

QRgb BackColor(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base).rgb();
}

namespace {

// The family a font of the program is drawn in: the original where it is installed as an
// outline font, otherwise the first of its substitutes that is. A bitmap face of the same name
// does not count: Windows keeps MS Sans Serif as one, which Qt draws with letters missing (a
// capital I) or doubled (an m as "rr"), at a single size. Found once per family, and named to
// Qt directly: asked for a missing family, Qt would first look through the system's fallbacks
// for it, at a cost the first window pays.
QString installedFamily(const QString &family)
{
    static QHash<QString, QString> found;
    const auto known = found.constFind(family);
    if (known != found.cend()) return *known;
    const QStringList installed = QFontDatabase::families();
    QString chosen = family;
    for (const QString &candidate : QStringList{family} + QFont::substitutes(family)) {
        const auto match =
            std::find_if(installed.cbegin(), installed.cend(), [&](const QString &f) {
                return f.compare(candidate, Qt::CaseInsensitive) == 0 &&
                       QFontDatabase::isSmoothlyScalable(f);
            });
        if (match != installed.cend()) {
            chosen = *match; // as the system spells it
            break;
        }
    }
    found.insert(family, chosen);
    return chosen;
}

} // namespace

QFont programFont(const QString &family, qreal points, bool bold)
{
    QFont font(installedFamily(family));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
