// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The calibration window: its layout, the ratio Incr that the scroll bar sets (by the mouse,
// the keys or an assistive tool), the frame and the test circle it draws, "OK - continua", and the
// ratio reaching the plot window.

#include "support/support.h"

#include "runtime/palette.h"
#include "windows/calibration/form2.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <bit>
#include <climits>
#include <cmath>
#include <optional>

namespace {

constexpr double Radius = 36367.36328125;
constexpr double Degrees = 180.0 / 3.14159265358979323846;

// How the user moves the scroll bar.
enum class Move { RightArrow, LeftArrow, TrackRight, TrackLeft, RightKey, LeftKey, Home, End };

void move(QScrollBar *bar, Move how)
{
    switch (how) {
    case Move::RightArrow:
        ui::clickRightArrow(bar);
        break;
    case Move::LeftArrow:
        ui::clickLeftArrow(bar);
        break;
    case Move::TrackRight:
        ui::clickTrack(bar, 0.98);
        break;
    case Move::TrackLeft:
        ui::clickTrack(bar, 0.02);
        break;
    case Move::RightKey:
        ui::key(bar, Qt::Key_Right);
        break;
    case Move::LeftKey:
        ui::key(bar, Qt::Key_Left);
        break;
    case Move::Home:
        ui::key(bar, Qt::Key_Home);
        break;
    case Move::End:
        ui::key(bar, Qt::Key_End);
        break;
    }
}

// The pixel that a one-pixel dot at a point of the current scale covers.
QPoint dotPixel(const Form &form, float x, float y)
{
    const QPointF at = form.surface().toPixels(x, y);
    return QPoint(int(std::floor(at.x())), int(std::floor(at.y())));
}

// The smallest rectangle of the window's drawing that holds every pixel of a colour.
QRect extentOf(const Form &form, QRgb colour)
{
    const QImage &image = form.surface().image();
    const QSize size = form.surface().size();
    int left = size.width(), right = -1, top = size.height(), bottom = -1;
    for (int y = 0; y < size.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            if ((row[x] & 0xFFFFFF) != (colour & 0xFFFFFF)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The angle in degrees of a circle point seen from the centre, 0 to 360, clockwise on the
// screen (y grows downwards).
double screenAngle(const DrawingRecorder::Dot &dot, double cx, double cy)
{
    const double angle = std::atan2(double(dot.y) - cy, double(dot.x) - cx) * Degrees;
    return angle < 0 ? angle + 360.0 : angle;
}

} // namespace

Q_DECLARE_METATYPE(Move)
Q_DECLARE_METATYPE(std::optional<int>)

class CalibrationTest : public QObject
{
    Q_OBJECT

private slots:
    void controlsInCreationOrder_data();
    void controlsInCreationOrder();
    void windowHeadingAndScrollBar();
    void tabOrderStartsOnTheScrollBar();
    void activationSetsTheInitialRatio();
    void frameAndAxesWithTheInitialRatio();
    void testCircle();
    void scrollBarSetsIncr_data();
    void scrollBarSetsIncr();
    void rightDrawsOverLeftClearsFirst_data();
    void rightDrawsOverLeftClearsFirst();
    void thumbDragOrAssistiveToolChangesOnce_data();
    void thumbDragOrAssistiveToolChangesOnce();
    void okContinua_data();
    void okContinua();
    void instructionButtonDoesNothing();
    void newActivationResetsIncr_data();
    void newActivationResetsIncr();
    void calibratedRatioMakesCirclesRound_data();
    void calibratedRatioMakesCirclesRound();
};

void CalibrationTest::controlsInCreationOrder_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Command3") << 0 << QStringLiteral("QPushButton") << QStringLiteral("ESCI")
                              << QRect(360, 4080, 1695, 615);
    QTest::newRow("Command2") << 1 << QStringLiteral("QPushButton")
                              << QStringLiteral("KLICCARE  sulla barra di scorrimento fino a che "
                                                "la figura  risulti una CIRCONFERENZA")
                              << QRect(360, 1560, 6255, 735);
    QTest::newRow("Command1") << 2 << QStringLiteral("QPushButton")
                              << QStringLiteral("OK - continua") << QRect(3120, 2880, 1575, 615);
    QTest::newRow("Text1") << 3 << QStringLiteral("QLineEdit") << QStringLiteral("Text1")
                           << QRect(360, 2880, 735, 375);
    QTest::newRow("HScroll1") << 4 << QStringLiteral("QScrollBar") << QString()
                              << QRect(480, 1080, 5895, 255);
    QTest::newRow("Label1") << 5 << QStringLiteral("QLabel")
                            << QStringLiteral("Per calibrare l' impostazione corretta della "
                                              "risoluzione dello SCHERMO")
                            << QRect(360, 240, 9135, 495);
}

void CalibrationTest::controlsInCreationOrder()
{
    QFETCH(int, order);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    Session s;
    Form2 &f = s.app.form2(); // as created, before its first activation
    QList<QWidget *> controls;
    for (QObject *child : f.children())
        if (child->isWidgetType() && !child->objectName().isEmpty())
            controls << static_cast<QWidget *>(child);
    QCOMPARE(controls.size(), 6);
    QWidget *control = controls.at(order);
    QCOMPARE(control->objectName(), QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(control->inherits(qPrintable(className)));
    if (auto *button = qobject_cast<QPushButton *>(control)) QCOMPARE(button->text(), caption);
    if (auto *box = qobject_cast<QLineEdit *>(control)) QCOMPARE(box->text(), caption);
    if (auto *label = qobject_cast<QLabel *>(control)) QCOMPARE(label->text(), caption);

    s.toForm2();
    // 15 twips to a pixel at 96 dots per inch, from the top left corner of the client area,
    // whatever the size of the maximized window.
    QCOMPARE(f.logicalDpiX(), 96);
    QCOMPARE(control->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QVERIFY(control->isVisible());
}

void CalibrationTest::windowHeadingAndScrollBar()
{
    Session s;
    s.toForm2();
    Form2 &f = s.app.form2();
    QCOMPARE(f.windowTitle(), QStringLiteral("Form2"));
    QVERIFY(f.isMaximized());
    QVERIFY(f.width() > 9855 / 15 && f.height() > 6840 / 15);

    // The heading: 13.5 pt, regular, red.
    QCOMPARE(f.Label1->font().pointSizeF(), 13.5);
    QCOMPARE(f.Label1->font().weight(), QFont::Normal);
    QVERIFY(!f.Label1->font().italic());
    QCOMPARE(f.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(f.Label1->focusPolicy(), Qt::NoFocus);
    // Everything else in the window's own font.
    QCOMPARE(f.Command2->font().pointSizeF(), 8.25);

    // The instruction is longer than its button is wide, so it wraps over the button's face.
    QVERIFY(f.Command2->fontMetrics().horizontalAdvance(f.Command2->text()) > f.Command2->width());
    QVERIFY(f.Command2->fontMetrics()
                .boundingRect(f.Command2->rect(), Qt::TextWordWrap, f.Command2->text())
                .height() < f.Command2->height());

    QScrollBar *bar = f.HScroll1;
    QCOMPARE(bar->orientation(), Qt::Horizontal);
    QCOMPARE(bar->minimum(), 1);
    QCOMPARE(bar->maximum(), 30);
    QCOMPARE(bar->value(), 1);
    QCOMPARE(bar->singleStep(), 1);
    QCOMPARE(bar->pageStep(), 1);
}

void CalibrationTest::tabOrderStartsOnTheScrollBar()
{
    Session s;
    s.toForm2();
    Form2 &f = s.app.form2();
    QCOMPARE(QApplication::activeWindow(), &f);
    QCOMPARE(QApplication::focusWidget(), f.HScroll1);
    const QList<QWidget *> expected = {f.Text1, f.Command1, f.Command2, f.Command3, f.HScroll1};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // With the focus on the scroll bar, the right arrow key moves it one step to the right.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QCOMPARE(f.HScroll1->value(), 2);
    QCOMPARE(f.Incr, Variant(0.55));
}

void CalibrationTest::activationSetsTheInitialRatio()
{
    Session s;
    Form2 &f = s.app.form2();
    QCOMPARE(f.Text1->text(), QStringLiteral("Text1"));
    QVERIFY(f.Incr.isEmpty());
    QVERIFY(f.P1.isEmpty());
    DrawingRecorder drawn(f);
    s.toForm2();
    QCOMPARE(s.activations[2], 1);
    QCOMPARE(f.Incr.kind(), Variant::Kind::Double);
    QCOMPARE(f.Incr, Variant(0.51));
    QCOMPARE(f.Text1->text(), QStringLiteral("0,51"));
    QCOMPARE(f.P1.kind(), Variant::Kind::Single);
    QCOMPARE(std::bit_cast<quint32>(CSng(f.P1)), quint32(0x3C8EFA35));
    QCOMPARE(CDbl(f.P1), 0.01745329238474369);
    // The activation draws the frame and the circle without clearing.
    QCOMPARE(drawn.clears, 0);
    QCOMPARE(drawn.lines.size(), size_t(2));
    QCOMPARE(drawn.dots.size(), size_t(3600));
}

void CalibrationTest::frameAndAxesWithTheInitialRatio()
{
    Session s;
    Form2 &f = s.app.form2();
    DrawingRecorder drawn(f);
    s.toForm2();
    QCOMPARE(f.ScaleMode(), 0);
    QCOMPARE(double(f.ScaleWidth()), 146367.359375);
    QCOMPARE(double(f.ScaleHeight()), 74647.3515625);
    QCOMPARE(f.CX.kind(), Variant::Kind::Single);
    QCOMPARE(f.CY.kind(), Variant::Kind::Single);
    QCOMPARE(CDbl(f.CX), 93183.6796875);
    QCOMPARE(CDbl(f.CY), 74647.3515625 / 2);

    // The vertical axis through CX, then the horizontal one through CY, one pixel wide, in the
    // window's foreground colour.
    QCOMPARE(drawn.lines.size(), size_t(2));
    const auto &vertical = drawn.lines[0];
    const auto &horizontal = drawn.lines[1];
    QCOMPARE(double(vertical.x1), 93183.6796875);
    QCOMPARE(double(vertical.y1), 0.0);
    QCOMPARE(double(vertical.x2), 93183.6796875);
    QCOMPARE(double(vertical.y2), 74647.3515625);
    QCOMPARE(double(horizontal.x1), 0.0);
    QCOMPARE(double(horizontal.y1), 74647.3515625 / 2);
    QCOMPARE(double(horizontal.x2), 146367.359375);
    QCOMPARE(double(horizontal.y2), 74647.3515625 / 2);
    for (const auto &line : drawn.lines) {
        QCOMPARE(line.width, 1);
        QCOMPARE(line.colour, f.ForeColor());
    }

    // The whole circle fits in the frame: its top near 956.3, its bottom near 73691.0.
    float top = drawn.dots.front().y, bottom = top;
    for (const auto &dot : drawn.dots) {
        top = std::min(top, dot.y);
        bottom = std::max(bottom, dot.y);
    }
    QVERIFY2(std::abs(top - 956.3) < 0.05, qPrintable(QString::number(top, 'f', 4)));
    QVERIFY2(std::abs(bottom - 73691.0) < 0.05, qPrintable(QString::number(bottom, 'f', 4)));
}

void CalibrationTest::testCircle()
{
    Session s;
    Form2 &f = s.app.form2();
    DrawingRecorder drawn(f);
    s.toForm2();
    const double cx = CDbl(f.CX), cy = CDbl(f.CY);
    QCOMPARE(drawn.dots.size(), size_t(3600));

    // It starts on the horizontal axis, one radius right of the centre.
    QCOMPARE(double(drawn.dots.front().x), double(float(cx + Radius)));
    QCOMPARE(double(drawn.dots.front().y), cy);

    // Point i lies at i tenths of a degree, clockwise on the screen; the last at 359.9, and no
    // point at 360 repeats the first.
    double worst = 0;
    for (size_t i = 0; i < drawn.dots.size(); ++i) {
        const auto &dot = drawn.dots[i];
        QCOMPARE(dot.colour, QBColor(4));
        QCOMPARE(dot.width, 1);
        const double distance = std::hypot(dot.x - cx, dot.y - cy);
        QVERIFY2(std::abs(distance - Radius) < 0.02, qPrintable(QString::number(i)));
        const double expected = i * 0.1;
        double error = std::abs(screenAngle(dot, cx, cy) - expected);
        error = std::min(error, 360.0 - error);
        worst = std::max(worst, error);
    }
    QVERIFY2(worst < 1e-4, qPrintable(QString::number(worst)));
    QVERIFY(std::abs(screenAngle(drawn.dots.back(), cx, cy) - 359.9) < 1e-4);
    QVERIFY(drawn.dots.back().y < cy); // a tenth of a degree short of the start, above the axis
    QCOMPARE(screenAngle(drawn.dots[900], cx, cy), 90.0); // a quarter turn on: straight down
    QVERIFY(drawn.dots[900].y > cy);

    // On the screen: a red ring round the centre, the axes in black across it.
    const QPoint right = dotPixel(f, drawn.dots[450].x, drawn.dots[450].y);
    QCOMPARE(pixelAt(f, right), QBColor(4));
    QCOMPARE(f.CX, Variant(float(93183.6796875)));
}

void CalibrationTest::scrollBarSetsIncr_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<Move>("how");
    QTest::addColumn<int>("value");
    QTest::addColumn<double>("incr");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("clears");
    QTest::addColumn<bool>("redrawn");

    // Towards larger ratios: drawn over what is there.
    QTest::newRow("arrow button 1 to 2")
        << 1 << Move::RightArrow << 2 << 0.55 << "0,55" << 0 << true;
    QTest::newRow("track click 1 to 2")
        << 1 << Move::TrackRight << 2 << 0.55 << "0,55" << 0 << true;
    QTest::newRow("right key 1 to 2") << 1 << Move::RightKey << 2 << 0.55 << "0,55" << 0 << true;
    QTest::newRow("right key 29 to 30")
        << 29 << Move::RightKey << 30 << 30 * 0.02 + 0.51 << "1,11" << 0 << true;
    QTest::newRow("end key 1 to 30")
        << 1 << Move::End << 30 << 30 * 0.02 + 0.51 << "1,11" << 0 << true;
    // Towards smaller ratios: the window is cleared first.
    QTest::newRow("left arrow 3 to 2") << 3 << Move::LeftArrow << 2 << 0.55 << "0,55" << 1 << true;
    QTest::newRow("track click 10 to 9")
        << 10 << Move::TrackLeft << 9 << 0.69 << "0,69" << 1 << true;
    QTest::newRow("left key 2 to 1") << 2 << Move::LeftKey << 1 << 0.53 << "0,53" << 1 << true;
    QTest::newRow("home key 17 to 1") << 17 << Move::Home << 1 << 0.53 << "0,53" << 1 << true;
    // The left end is 1: nothing changes, so nothing runs and the ratio stays as activated.
    QTest::newRow("left key at 1") << 1 << Move::LeftKey << 1 << 0.51 << "0,51" << 0 << false;
    QTest::newRow("right key at 30")
        << 30 << Move::RightKey << 30 << 30 * 0.02 + 0.51 << "1,11" << 0 << false;
}

void CalibrationTest::scrollBarSetsIncr()
{
    QFETCH(int, from);
    QFETCH(Move, how);
    QFETCH(int, value);
    QFETCH(double, incr);
    QFETCH(QString, text);
    QFETCH(int, clears);
    QFETCH(bool, redrawn);
    Session s;
    s.toForm2();
    Form2 &f = s.app.form2();
    s.calibrate(from);
    DrawingRecorder drawn(f);
    move(f.HScroll1, how);
    QCOMPARE(f.HScroll1->value(), value);
    QCOMPARE(f.Incr.kind(), Variant::Kind::Double);
    QCOMPARE(f.Incr, Variant(incr));
    QCOMPARE(f.Text1->text(), text);
    QCOMPARE(drawn.clears, clears);
    QCOMPARE(drawn.lines.size(), size_t(redrawn ? 2 : 0));
    QCOMPARE(drawn.dots.size(), size_t(redrawn ? 3600 : 0));
    if (redrawn) QCOMPARE(double(f.ScaleHeight()), double(float(146367.359375 * incr)));
    QVERIFY(s.boxes.texts.isEmpty());
}

void CalibrationTest::rightDrawsOverLeftClearsFirst_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<Move>("how");
    QTest::addColumn<bool>("oldCircleStays");
    QTest::newRow("right arrow 1 to 2") << 1 << Move::RightArrow << true;
    QTest::newRow("right key 5 to 6") << 5 << Move::RightKey << true;
    QTest::newRow("left arrow 6 to 5") << 6 << Move::LeftArrow << false;
    QTest::newRow("left key 2 to 1") << 2 << Move::LeftKey << false;
}

void CalibrationTest::rightDrawsOverLeftClearsFirst()
{
    QFETCH(int, from);
    QFETCH(Move, how);
    QFETCH(bool, oldCircleStays);
    Session s;
    Form2 &f = s.app.form2();
    DrawingRecorder drawn(f);
    s.toForm2();
    s.calibrate(from);
    // The circle now on the screen is the last one drawn.
    QVERIFY(drawn.dots.size() >= 3600);
    const auto old = drawn.dots[drawn.dots.size() - 3600 + 450];
    const QPoint oldPixel = dotPixel(f, old.x, old.y);
    QCOMPARE(pixelAt(f, oldPixel), QBColor(4));
    drawn.clear();

    move(f.HScroll1, how);
    QCOMPARE(drawn.clears, oldCircleStays ? 0 : 1);
    QCOMPARE(drawn.dots.size(), size_t(3600));
    const QPoint newPixel = dotPixel(f, drawn.dots[450].x, drawn.dots[450].y);
    QVERIFY(newPixel != oldPixel);
    // The new circle is whole: whatever was cleared went before it was drawn.
    QCOMPARE(pixelAt(f, newPixel), QBColor(4));
    QCOMPARE(pixelAt(f, oldPixel), oldCircleStays ? QBColor(4) : f.BackColor());
}

void CalibrationTest::thumbDragOrAssistiveToolChangesOnce_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QList<int>>("path"); // the values the thumb passes; let go at the last
    QTest::addColumn<QString>("text");    // Text1 once it is let go
    QTest::addColumn<int>("clears");
    QTest::addColumn<bool>("assistive"); // set at once by an assistive tool, not dragged
    QTest::newRow("1 to 17") << 1 << QList<int>{2, 5, 9, 13, 16, 17} << "0,85" << 0 << false;
    QTest::newRow("20 to 5") << 20 << QList<int>{18, 13, 9, 6, 5} << "0,61" << 1 << false;
    QTest::newRow("8 to 25 and back to 8")
        << 8 << QList<int>{12, 19, 25, 14, 8} << "0,67" << 0 << false;
    QTest::newRow("assistive tool, 1 to 9") << 1 << QList<int>{9} << "0,69" << 0 << true;
    QTest::newRow("assistive tool, 12 to 3") << 12 << QList<int>{3} << "0,57" << 1 << true;
}

void CalibrationTest::thumbDragOrAssistiveToolChangesOnce()
{
    QFETCH(int, from);
    QFETCH(QList<int>, path);
    QFETCH(QString, text);
    QFETCH(int, clears);
    QFETCH(bool, assistive);
    const int to = path.last();

    // What the window shows when the scroll bar is set to the value in one step.
    QImage reference;
    {
        Session r;
        r.toForm2();
        r.calibrate(from);
        r.app.form2().HScroll1->setValue(to);
        reference = r.app.form2().surface().image();
    }

    Session s;
    s.toForm2();
    Form2 &f = s.app.form2();
    QScrollBar *bar = f.HScroll1;
    s.calibrate(from);
    DrawingRecorder drawn(f);
    if (assistive) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(bar);
        QVERIFY(iface && iface->valueInterface());
        QCOMPARE(iface->valueInterface()->currentValue().toInt(), from);
        iface->valueInterface()->setCurrentValue(to);
    } else {
        // While the thumb is dragged it moves, and nothing else happens.
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, ui::thumbAt(bar, from).center());
        for (int value : path) {
            QTest::mouseMove(bar, ui::thumbAt(bar, value).center());
            QCOMPARE(bar->sliderPosition(), value);
            QCOMPARE(bar->value(), from);
            QVERIFY(drawn.dots.empty());
        }
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, ui::thumbAt(bar, to).center());
    }

    // Let go, it changes once (if it moved): one new ratio, one frame and circle.
    QCOMPARE(bar->value(), to);
    QCOMPARE(f.Text1->text(), text);
    QCOMPARE(f.Incr, Variant(to * 0.02 + 0.51));
    QCOMPARE(drawn.clears, clears);
    QCOMPARE(drawn.dots.size(), size_t(to != from ? 3600 : 0));
    QVERIFY(f.surface().image() == reference);
    QVERIFY(s.boxes.texts.isEmpty());
}

void CalibrationTest::okContinua_data()
{
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("right after opening") << QList<int>{} << false;
    QTest::newRow("1 gives 0.53") << QList<int>{2, 1} << false;
    QTest::newRow("2 gives 0.55") << QList<int>{2} << true;
    QTest::newRow("30 gives 1.11") << QList<int>{30} << true;
    QTest::newRow("back to 1 from 30") << QList<int>{30, 1} << false;
}

void CalibrationTest::okContinua()
{
    QFETCH(QList<int>, path);
    QFETCH(bool, accepted);
    Session s;
    s.toForm2();
    Form2 &f = s.app.form2();
    for (int value : path)
        s.calibrate(value);
    const Variant incr = f.Incr;
    ui::click(f.Command1);
    QCOMPARE(f.Incr, incr);
    if (accepted) {
        QVERIFY(s.boxes.texts.isEmpty());
        QVERIFY(s.app.exists(3));
        QVERIFY(s.app.form3().isVisible());
        QCOMPARE(s.app.program().activeForm(), &s.app.form3());
        QVERIFY(f.isVisible()); // Form2 stays open behind it
    } else {
        QCOMPARE(s.boxes.texts, QStringList{QStringLiteral("Impostare la risoluzione SCHERMO")});
        QCOMPARE(s.boxes.titles, QStringList{QStringLiteral("Borvane")});
        QVERIFY(!s.app.exists(3));
        QCOMPARE(s.app.program().activeForm(), &f);
        QCOMPARE(s.activations[2], 1);
    }
}

void CalibrationTest::instructionButtonDoesNothing()
{
    Session s;
    s.toForm2();
    Form2 &f = s.app.form2();
    s.calibrate(3);
    DrawingRecorder drawn(f);
    const QImage before = f.surface().image();
    const Variant incr = f.Incr;
    ui::click(f.Command2);
    ui::key(f.Command2, Qt::Key_Space);
    ui::settle();
    QVERIFY(s.boxes.texts.isEmpty());
    QCOMPARE(f.Incr, incr);
    QCOMPARE(f.Text1->text(), QStringLiteral("0,57"));
    QCOMPARE(f.HScroll1->value(), 3);
    QCOMPARE(drawn.clears, 0);
    QVERIFY(drawn.dots.empty());
    QVERIFY(drawn.lines.empty());
    QCOMPARE(f.surface().image(), before);
    QCOMPARE(s.app.program().activeForm(), &f);
    QVERIFY(!s.app.exists(3));
}

void CalibrationTest::newActivationResetsIncr_data()
{
    QTest::addColumn<bool>("form4AlreadyOpen");
    QTest::newRow("Form4 opened afterwards") << false;
    QTest::newRow("Form4 already open") << true;
}

void CalibrationTest::newActivationResetsIncr()
{
    QFETCH(bool, form4AlreadyOpen);
    Session s;
    s.toForm2();
    Form2 &f = s.app.form2();
    s.calibrate(4);
    QCOMPARE(f.Incr, Variant(0.59));
    s.toForm3();
    s.choose(1);
    if (form4AlreadyOpen) {
        s.toForm4();
        QCOMPARE(double(s.app.form4().ScaleHeight()), double(float(200 * 0.59)));
    }

    // The user comes back to the calibration window: the ratio is 0.51 again, the scroll bar
    // stays where it was, and the frame is redrawn over the old one.
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    DrawingRecorder drawn(f);
    ui::switchTo(&f);
    QCOMPARE(s.app.program().activeForm(), &f);
    QCOMPARE(s.activations[2], 2);
    QCOMPARE(f.Incr, Variant(0.51));
    QCOMPARE(f.Text1->text(), QStringLiteral("0,51"));
    QCOMPARE(f.HScroll1->value(), 4);
    QCOMPARE(drawn.clears, 0);
    QCOMPARE(drawn.dots.size(), size_t(3600));
    QCOMPARE(double(f.ScaleHeight()), 74647.3515625);

    // "OK - continua" refuses until the scroll bar moves again...
    ui::click(f.Command1);
    QCOMPARE(s.boxes.texts, QStringList{QStringLiteral("Impostare la risoluzione SCHERMO")});
    QCOMPARE(s.app.program().activeForm(), &f);

    // ...and the plot window, activated meanwhile, builds its frame with 0.51.
    if (form4AlreadyOpen) {
        ui::switchTo(&s.app.form4());
    } else {
        ui::switchTo(&s.app.form3());
        s.toForm4();
    }
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    QCOMPARE(double(s.app.form4().ScaleWidth()), 200.0);
    QCOMPARE(double(s.app.form4().ScaleHeight()), 102.0);
    QCOMPARE(f.Incr, Variant(0.51));
}

void CalibrationTest::calibratedRatioMakesCirclesRound_data()
{
    // The value whose ratio makes the test circle round, found on the screen, or a fixed one.
    QTest::addColumn<std::optional<int>>("value");
    QTest::newRow("round") << std::optional<int>();
    QTest::newRow("2, too flat a frame") << std::optional<int>(2);
    QTest::newRow("25, too tall a frame") << std::optional<int>(25);
}

void CalibrationTest::calibratedRatioMakesCirclesRound()
{
    QFETCH(std::optional<int>, value);
    Session s;
    s.toForm2();
    Form2 &f = s.app.form2();
    const QSize client = f.surface().size();
    QCOMPARE(client, f.size());

    // The user moves the scroll bar to its right end, then back one step at a time watching
    // the circle. Each step left clears the window, so what is drawn is the current circle.
    ui::key(f.HScroll1, Qt::Key_End);
    int roundest = 0;
    int roundestMismatch = INT_MAX;
    for (int v = 29; v >= 1; --v) {
        ui::key(f.HScroll1, Qt::Key_Left);
        QCOMPARE(f.HScroll1->value(), v);
        const QRect circle = extentOf(f, QBColor(4));
        const int mismatch = std::abs(circle.width() - circle.height());
        if (mismatch < roundestMismatch) {
            roundestMismatch = mismatch;
            roundest = v;
        }
    }
    // The roundest circle comes with the ratio nearest to the client area's height to width,
    // and is round to within the half step of 0.02 that the scroll bar allows.
    const double shape = double(client.height()) / client.width();
    QCOMPARE(roundest, int(std::lround((shape - 0.51) / 0.02)));

    const int chosen = value.value_or(roundest);
    ui::key(f.HScroll1, Qt::Key_End);
    while (f.HScroll1->value() > chosen)
        ui::key(f.HScroll1, Qt::Key_Left);
    QVERIFY(f.Incr > 0.53);
    const QRect circle = extentOf(f, QBColor(4));
    const double circleAspect = double(circle.height()) / circle.width();
    const double halfStep = 0.01 / shape + 2.0 / circle.width();
    if (!value)
        QVERIFY2(std::abs(circleAspect - 1.0) < halfStep,
                 qPrintable(QString::number(circleAspect)));

    // A disc a = b = 20 in the plot window: c just above 1 keeps the points at its four ends.
    s.toForm3();
    s.choose(1);
    s.enter(QStringLiteral("20"), QStringLiteral("20"), QStringLiteral("1,01"));
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    Form4 &plot = s.app.form4();
    QVERIFY(plot.isMaximized());
    QCOMPARE(plot.surface().size(), client);
    const QRect disc = extentOf(plot, QBColor(1));
    QVERIFY(disc.isValid());
    const double discAspect = double(disc.height()) / disc.width();

    // Both windows show the same shape: round at the calibrated ratio, and equally out of round
    // at any other.
    QVERIFY2(std::abs(discAspect - circleAspect) < 0.02,
             qPrintable(QStringLiteral("disc %1, circle %2").arg(discAspect).arg(circleAspect)));
    if (!value) {
        QVERIFY2(std::abs(discAspect - 1.0) < halfStep + 2.0 / disc.width(),
                 qPrintable(QStringLiteral("%1 x %2").arg(disc.width()).arg(disc.height())));
    } else {
        QVERIFY2(std::abs(discAspect - 1.0) > 0.1, qPrintable(QString::number(discAspect)));
    }
}

BORVANE_TEST_MAIN(CalibrationTest)
#include "tst_calibration.moc"
