// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The plot window: the frame and axes, the colour cycle, the interior points of the ellipse
// and the hyperbola, the base figure, the kept drawing, bad values that reach the plot, and
// the window's layout.

#include "support/support.h"

#include "runtime/palette.h"
#include "windows/calibration/form2.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cmath>

namespace {

// The walk to the parameter window with the figure chosen and a, b and c typed, Form4 created
// (so that a recorder can see its very first drawing) but not yet shown.
void prepare(Session &s, int figure, const QString &a, const QString &b, const QString &c,
             int scroll = 2)
{
    s.toForm2();
    s.calibrate(scroll);
    s.toForm3();
    s.choose(figure);
    s.enter(a, b, c);
    s.app.form4();
}

// The logical pixel under a point given in the plot's scale.
QPoint pixelOf(const Form &form, float x, float y)
{
    const QPointF p = form.surface().toPixels(x, y);
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

bool isBlank(const Form &form)
{
    const QImage &image = form.surface().image();
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] != form.BackColor()) return false;
        }
    }
    return true;
}

// Whether a point of the plot's scale lies inside the window's client area.
bool onScreen(const Form &form, const DrawingRecorder::Dot &dot)
{
    const QPointF p = form.surface().toPixels(dot.x, dot.y);
    return p.x() >= 0 && p.y() >= 0 && p.x() < form.width() && p.y() < form.height();
}

// Whether a dot lies clear of the axes, which every activation draws again.
bool offTheAxes(const Form4 &form, const DrawingRecorder::Dot &dot)
{
    return std::fabs(dot.x - form.CX.number()) > 1 && std::fabs(dot.y - form.CY.number()) > 1;
}

// Whether the dots of an earlier plot still show in its colour, where nothing drawn later is
// expected (off the axes, and left of x = limit).
bool stillShown(const Form4 &form, const std::vector<DrawingRecorder::Dot> &dots, QRgb colour,
                float limit = 1e9f)
{
    int seen = 0;
    for (const auto &dot : dots) {
        if (dot.x >= limit || !offTheAxes(form, dot) || !onScreen(form, dot)) continue;
        if (pixelAt(form, pixelOf(form, dot.x, dot.y)) != colour) return false;
        ++seen;
    }
    return seen > 0;
}

const QString runtimeErrorPrefix = QStringLiteral("Errore di run-time '%1':");

} // namespace

class PlotTest : public QObject
{
    Q_OBJECT

private slots:
    void frameFollowsIncr_data();
    void frameFollowsIncr();
    void interiorPointCounts_data();
    void interiorPointCounts();
    void ellipseAtCOneLeavesOutTheFirstColumnOnTheAxis();
    void pointsLieOnTheirSideOfTheAxis_data();
    void pointsLieOnTheirSideOfTheAxis();
    void baseEllipse();
    void baseHyperbola_data();
    void baseHyperbola();
    void baseFigureWithoutAChoiceDrawsNothing();
    void plotsPileUpInTheNextColours();
    void colourIndexStartsThePaletteAgainPastFifteen();
    void cancellaERiprendiLeavesABlankWindow();
    void coveringAndUncoveringKeepsTheDrawing();
    void aWindowMadeReadyBeforeItsShowLooksTheSame();
    void pointsUnderTheButtonsAreKept();
    void emptyAOrBIsARuntimeError_data();
    void emptyAOrBIsARuntimeError();
    void emptyCLetsEveryCandidatePass_data();
    void emptyCLetsEveryCandidatePass();
    void coordinateBeyondSingleRange_data();
    void coordinateBeyondSingleRange();
    void colourIndexAtItsLimit();
    void buttons_data();
    void buttons();
    void window();
    void esciHasTheFocusAtFirstShow_data();
    void esciHasTheFocusAtFirstShow();
};

void PlotTest::frameFollowsIncr_data()
{
    QTest::addColumn<int>("scroll");
    QTest::addColumn<float>("scaleHeight");
    QTest::addColumn<float>("cy");
    QTest::newRow("0.55") << 2 << 110.0f << 55.0f;
    QTest::newRow("1.11") << 30 << 222.0f << 111.0f;
}

void PlotTest::frameFollowsIncr()
{
    QFETCH(int, scroll);
    QFETCH(float, scaleHeight);
    QFETCH(float, cy);
    Session s;
    s.toForm2();
    s.calibrate(scroll);
    s.toForm3();
    s.choose(1);
    s.app.form4(); // created before the plot, to record its very first drawing
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    Form4 &f = s.app.form4();
    QCOMPARE(f.ScaleWidth(), 200.0f);
    QCOMPARE(f.ScaleHeight(), scaleHeight);
    QCOMPARE(f.CX, Variant(110.0f));
    QCOMPARE(f.CY, Variant(cy));
    QCOMPARE(f.CX.kind(), Variant::Kind::Single);
    QCOMPARE(drawn.lines.size(), size_t(2));
    QCOMPARE(drawn.lines[0].x1, 110.0f);
    QCOMPARE(drawn.lines[0].y2, scaleHeight);
    QCOMPARE(drawn.lines[1].y1, cy);
    QCOMPARE(drawn.lines[1].x2, 200.0f);
    QCOMPARE(drawn.lines[0].width, 2);
}

void PlotTest::interiorPointCounts_data()
{
    QTest::addColumn<int>("figure");
    QTest::addColumn<QString>("c");
    QTest::addColumn<int>("count");
    QTest::newRow("ellipse c=0,5") << 1 << QStringLiteral("0,5") << 4761;
    QTest::newRow("ellipse c=2") << 1 << QStringLiteral("2") << 26353;
    QTest::newRow("ellipse c=0") << 1 << QStringLiteral("0") << 0;
    QTest::newRow("ellipse c=-1") << 1 << QStringLiteral("-1") << 0;
    QTest::newRow("hyperbola c=0,5") << 2 << QStringLiteral("0,5") << 1667;
    QTest::newRow("hyperbola c=0") << 2 << QStringLiteral("0") << 0;
    QTest::newRow("hyperbola c=-1") << 2 << QStringLiteral("-1") << 0;
}

void PlotTest::interiorPointCounts()
{
    QFETCH(int, figure);
    QFETCH(QString, c);
    QFETCH(int, count);
    Session s;
    prepare(s, figure, QStringLiteral("20"), QStringLiteral("15"), c);
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    QCOMPARE(int(drawn.dots.size()), count);
    QCOMPARE(drawn.lines.size(), size_t(2)); // the axes, also when nothing passes
    QCOMPARE(s.app.form4().A2, Integer(365));
    for (const auto &dot : drawn.dots) {
        QCOMPARE(dot.colour, QBColor(1));
        QCOMPARE(dot.width, 2);
    }
}

void PlotTest::ellipseAtCOneLeavesOutTheFirstColumnOnTheAxis()
{
    // The only candidates that fall on (130, 55) are those of t1 = 0 and t1 = 360 with t2 = 90
    // or 270. cos(0) is exactly 1, so 1 + c2² exceeds 1 for every t2 of t1 = 0; cos(360 P1) is
    // slightly below 1, so t1 = 360 draws its t2 = 90 and 270, the plot's last two points.
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("1"));
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    QVERIFY(drawn.dots.size() > 2);
    QVERIFY(drawn.dots.front().x != 130.0f); // nothing of t1 = 0 is drawn
    int onAxisEnd = 0;
    for (const auto &dot : drawn.dots) {
        if (dot.x == 130.0f && dot.y == 55.0f) ++onAxisEnd;
    }
    QCOMPARE(onAxisEnd, 2);
    const auto &last = drawn.dots[drawn.dots.size() - 1];
    const auto &beforeLast = drawn.dots[drawn.dots.size() - 2];
    QCOMPARE(beforeLast.x, 130.0f); // t1 = 360, t2 = 90
    QCOMPARE(beforeLast.y, 55.0f);
    QCOMPARE(last.x, 130.0f); // t1 = 360, t2 = 270
    QCOMPARE(last.y, 55.0f);
}

void PlotTest::pointsLieOnTheirSideOfTheAxis_data()
{
    QTest::addColumn<int>("figure");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("c");
    QTest::addColumn<int>("side");
    QTest::newRow("hyperbola a=20 c=0,5")
        << 2 << QStringLiteral("20") << QStringLiteral("0,5") << 1;
    QTest::newRow("hyperbola a=20 c=2") << 2 << QStringLiteral("20") << QStringLiteral("2") << 1;
    QTest::newRow("hyperbola a=-20 c=0,5")
        << 2 << QStringLiteral("-20") << QStringLiteral("0,5") << -1;
    QTest::newRow("hyperbola a=-20 c=2") << 2 << QStringLiteral("-20") << QStringLiteral("2") << -1;
    QTest::newRow("hyperbola a=0 c=2") << 2 << QStringLiteral("0") << QStringLiteral("2") << 0;
    QTest::newRow("ellipse a=0 c=2") << 1 << QStringLiteral("0") << QStringLiteral("2") << 0;
}

void PlotTest::pointsLieOnTheirSideOfTheAxis()
{
    // For the hyperbola a point of t1 = 91 to 269 (negative cosine) would lie on the other side
    // of the vertical axis: the side shows that those columns are left out.
    QFETCH(int, figure);
    QFETCH(QString, a);
    QFETCH(QString, c);
    QFETCH(int, side);
    Session s;
    prepare(s, figure, a, QStringLiteral("15"), c);
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    QVERIFY(!drawn.dots.empty());
    const float cx = CSng(s.app.form4().CX);
    const float cy = CSng(s.app.form4().CY);
    for (const auto &dot : drawn.dots) {
        if (side > 0)
            QVERIFY2(dot.x > cx, qPrintable(QString::number(dot.x)));
        else if (side < 0)
            QVERIFY2(dot.x < cx, qPrintable(QString::number(dot.x)));
        else
            QCOMPARE(dot.x, cx);
        QVERIFY(std::fabs(dot.y - cy) <= cy);
        if (figure == 2) QVERIFY(std::fabs(dot.x - cx) <= cx);
    }
}

void PlotTest::baseEllipse()
{
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    s.toForm4();
    Form4 &f = s.app.form4();
    const QImage before = f.surface().image();
    DrawingRecorder drawn(f);
    ui::click(f.Command4);
    QVERIFY(s.boxes.texts.isEmpty());
    QCOMPARE(drawn.dots.size(), size_t(73)); // t = 0, 5, ..., 360
    for (const auto &dot : drawn.dots) {
        QCOMPARE(dot.width, 4);
        QCOMPARE(dot.colour, f.ForeColor());
    }
    QCOMPARE(f.DrawWidth(), 4);
    const struct
    {
        int index;
        float x;
        float y;
    } expected[] = {{0, 130, 55}, {18, 110, 70}, {36, 90, 55}, {54, 110, 40}, {72, 130, 55}};
    for (const auto &e : expected) {
        QCOMPARE(drawn.dots[size_t(e.index)].x, e.x);
        QCOMPARE(drawn.dots[size_t(e.index)].y, e.y);
        // A 4-pixel dot in the foreground colour, over the interior points.
        const QPoint p = pixelOf(f, e.x, e.y);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx)
                QCOMPARE(pixelAt(f, p + QPoint(dx, dy)), f.ForeColor());
        }
    }
    // The interior points stay visible between the outline's points: only the outline's own
    // 4 × 4 pixels change.
    const QImage &after = f.surface().image();
    int changed = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x)
            changed += after.pixel(x, y) != before.pixel(x, y);
    }
    QVERIFY(changed > 0);
    QVERIFY(changed <= 73 * 16);
    // Pressing again draws the same points again.
    drawn.clear();
    ui::click(f.Command4);
    QCOMPARE(drawn.dots.size(), size_t(73));
    QCOMPARE(drawn.dots[18].y, 70.0f);
}

void PlotTest::baseHyperbola_data()
{
    QTest::addColumn<bool>("calibrationAgain");
    QTest::addColumn<float>("cy");
    QTest::newRow("CY 55") << false << 55.0f;
    QTest::newRow("CY 51, calibration window activated in between") << true << 51.0f;
}

void PlotTest::baseHyperbola()
{
    QFETCH(bool, calibrationAgain);
    QFETCH(float, cy);
    Session s;
    prepare(s, 2, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    s.toForm4();
    Form4 &f = s.app.form4();
    if (calibrationAgain) {
        // Back to the calibration window (Incr 0.51 again), then to the plot window.
        SKIP_UNLESS_SWITCHING_ON_REQUEST();
        ui::switchTo(&s.app.form2());
        ui::switchTo(&f);
        QCOMPARE(s.activations[4], 2);
    }
    QCOMPARE(f.CY, Variant(cy));
    DrawingRecorder drawn(f);
    ui::click(f.Command4);
    QVERIFY(s.boxes.texts.isEmpty());
    // t = 0 to 70 and 290 to 360: beyond 70 degrees (or before 290) |y| exceeds CY, and
    // t = 90 to 265 have a negative cosine.
    QCOMPARE(drawn.dots.size(), size_t(30));
    const float tan70 = 15 * std::tan(70 * 3.14159265358979 / 180);
    QCOMPARE(drawn.dots.front().x, 130.0f);
    QCOMPARE(drawn.dots.front().y, cy);
    QCOMPARE(drawn.dots.back().x, 130.0f);
    QCOMPARE(drawn.dots.back().y, cy);
    QVERIFY(std::fabs(drawn.dots[14].y - (cy + tan70)) < 1e-3);
    QVERIFY(std::fabs(drawn.dots[15].y - (cy - tan70)) < 1e-3);
    for (size_t i = 0; i < drawn.dots.size(); ++i) {
        const auto &dot = drawn.dots[i];
        QVERIFY(dot.x >= 130.0f); // the branch through (130, CY)
        QVERIFY(std::fabs(dot.y - cy) <= cy);
        QCOMPARE(dot.width, 4);
        QCOMPARE(dot.colour, f.ForeColor());
        if (i > 0 && i != 15)
            QVERIFY(dot.y > drawn.dots[i - 1].y); // downwards along each half of the branch
    }
}

void PlotTest::baseFigureWithoutAChoiceDrawsNothing()
{
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    s.toForm4();
    Form4 &f = s.app.form4();
    // No figure chosen: a state the option buttons cannot bring back once a figure has been
    // chosen, so the value is set as it would be at the window's creation.
    s.app.form3().Opt = Variant();
    const QImage before = f.surface().image();
    DrawingRecorder drawn(f);
    ui::click(f.Command4);
    QVERIFY(s.boxes.texts.isEmpty());
    QVERIFY(drawn.dots.empty());
    QVERIFY(drawn.lines.empty());
    QCOMPARE(f.DrawWidth(), 2);
    QCOMPARE(s.app.form3().Miocolor, Integer(1));
    QVERIFY(f.surface().image() == before);
}

void PlotTest::plotsPileUpInTheNextColours()
{
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    Form4 &f = s.app.form4();
    const auto first = drawn.dots;
    QCOMPARE(first.front().colour, QBColor(1));

    // "RIPRENDI", the hyperbola, "AVANTI": the second plot goes over the first.
    ui::click(f.Command1);
    s.choose(2);
    drawn.clear();
    s.toForm4();
    QCOMPARE(s.app.form3().Miocolor, Integer(2));
    QCOMPARE(drawn.lines.size(), size_t(2));
    QCOMPARE(drawn.dots.size(), size_t(1667));
    for (const auto &dot : drawn.dots)
        QCOMPARE(dot.colour, QBColor(2));
    // The ellipse's points lie left of x = 130 (the hyperbola's right of it): they stay.
    QVERIFY(stillShown(f, first, QBColor(1), 125));
    QVERIFY(stillShown(f, drawn.dots, QBColor(2)));
}

void PlotTest::colourIndexStartsThePaletteAgainPastFifteen()
{
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    QCOMPARE(s.app.form3().Miocolor, Integer(1));
    // Switching between the parameter and the plot window, without "AVANTI": each activation
    // of the plot window plots in the next index, past 15 as well.
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    for (int index = 2; index <= 18; ++index) {
        ui::switchTo(&s.app.form3());
        drawn.clear();
        ui::switchTo(&s.app.form4());
        QCOMPARE(s.app.form3().Miocolor, Integer(index));
        QCOMPARE(drawn.dots.size(), size_t(4761));
        const QRgb colour = QBColor(index % 16);
        QCOMPARE(drawn.dots.front().colour, colour);
        QCOMPARE(drawn.dots.back().colour, colour);
        const auto &dot = drawn.dots[drawn.dots.size() / 3];
        QCOMPARE(pixelAt(s.app.form4(), pixelOf(s.app.form4(), dot.x, dot.y)), colour);
    }
    QVERIFY(s.boxes.texts.isEmpty());
    QCOMPARE(s.activations[4], 18);
    // "AVANTI" brings the index back into its range.
    ui::switchTo(&s.app.form3());
    drawn.clear();
    s.toForm4();
    QCOMPARE(s.app.form3().Miocolor, Integer(1));
    QCOMPARE(drawn.dots.front().colour, QBColor(1));
}

void PlotTest::cancellaERiprendiLeavesABlankWindow()
{
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("2"));
    s.toForm4();
    Form4 &f = s.app.form4();
    ui::click(f.Command4);
    QVERIFY(!isBlank(f));
    ui::click(f.Command2);
    QCOMPARE(s.app.program().activeForm(), &s.app.form3());
    QVERIFY(f.isVisible());
    QVERIFY(isBlank(f));
    // The next "AVANTI" draws the axes and one plot on the clean window.
    DrawingRecorder drawn(f);
    s.toForm4();
    QCOMPARE(drawn.lines.size(), size_t(2));
    QCOMPARE(drawn.dots.size(), size_t(26353));
    QCOMPARE(drawn.clears, 0);
    QVERIFY(!isBlank(f));
}

void PlotTest::coveringAndUncoveringKeepsTheDrawing()
{
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    Form4 &f = s.app.form4();
    const QImage before = f.surface().image();
    const auto dot = drawn.dots[drawn.dots.size() / 2];

    // Covered by the parameter window ("RIPRENDI"), then uncovered when the user closes it,
    // once it has come up.
    ui::click(f.Command1);
    QCOMPARE(s.app.program().activeForm(), &s.app.form3());
    QVERIFY(QTest::qWaitFor([&s] { return QApplication::activeWindow() == &s.app.form3(); }));
    s.app.form3().close();
    // A window manager or a compositor then activates the plot window, whose activation plots
    // again, over the drawing and in the next colour; the offscreen platform activates nothing.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QTest::qWait(300); // for nothing to come
    else
        QVERIFY(QTest::qWaitFor(
            [&s] {
                QWidget *active = QApplication::activeWindow();
                return active && active != &s.app.form3();
            },
            5000));
    ui::settle();
    const bool activated = QApplication::activeWindow() == &f;
    QCOMPARE(s.activations[4], activated ? 2 : 1);
    QCOMPARE(drawn.clears, 0);
    if (!activated) QVERIFY(f.surface().image() == before);
    // What the window paints is its drawing, beside the buttons.
    const QImage drawing = f.surface().image();
    const QImage shot = f.grab().toImage();
    const QPoint p = pixelOf(f, dot.x, dot.y);
    QCOMPARE(shot.pixel(p), QBColor(activated ? 2 : 1));
    const QRect buttons = f.Command1->geometry().united(f.Command4->geometry());
    for (int y = 0; y < f.height(); ++y) {
        for (int x = 0; x < f.width(); ++x) {
            if (!buttons.contains(x, y) && shot.pixel(x, y) != drawing.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1, %2 differs").arg(x).arg(y)));
        }
    }
}

void PlotTest::aWindowMadeReadyBeforeItsShowLooksTheSame()
{
    // A web page makes the plot window ready while the parameter window is open, which stays
    // the active one: its first plot, and the next over it, show as they do in a window that
    // was not.
    QImage shots[2][2];
    for (const bool ready : {false, true}) {
        Session s;
        prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
        Form4 &f = s.app.form4();
        if (ready) {
            f.prepareFirstShow();
            // Made ready out of sight: the user is still in the parameter window.
            ui::settle();
            QVERIFY(!f.isVisible());
            QCOMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&s.app.form3()));
        }
        s.toForm4();
        ui::settle();
        shots[ready][0] = f.grab().toImage();
        ui::click(f.Command1);
        s.choose(2);
        s.toForm4();
        ui::settle();
        shots[ready][1] = f.grab().toImage();
    }
    for (int plot = 0; plot < 2; ++plot) {
        QCOMPARE(shots[1][plot].size(), shots[0][plot].size());
        QVERIFY(shots[1][plot] == shots[0][plot]);
    }
    QVERIFY(shots[0][1] != shots[0][0]);
}

void PlotTest::pointsUnderTheButtonsAreKept()
{
    // a = 90, b = 50, c = 2 fill the rectangle from (20, 5) to (200, 105), beneath the buttons.
    Session s;
    prepare(s, 1, QStringLiteral("90"), QStringLiteral("50"), QStringLiteral("2"));
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    Form4 &f = s.app.form4();
    const QImage shot = f.grab().toImage();
    int underButtons = 0;
    for (QPushButton *button : {f.Command1, f.Command2}) {
        const QRect face = button->geometry().adjusted(3, 3, -3, -3);
        for (const auto &dot : drawn.dots) {
            const QPoint p = pixelOf(f, dot.x, dot.y);
            if (!face.contains(p)) continue;
            ++underButtons;
            QCOMPARE(pixelAt(f, p), QBColor(1));  // in the drawing
            QVERIFY(shot.pixel(p) != QBColor(1)); // hidden by the button
        }
    }
    QVERIFY(underButtons > 10);
}

void PlotTest::emptyAOrBIsARuntimeError_data()
{
    QTest::addColumn<int>("figure");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("count");
    QTest::newRow("ellipse, a") << 1 << 1 << 4761;
    QTest::newRow("ellipse, b") << 1 << 2 << 4761;
    QTest::newRow("hyperbola, a") << 2 << 1 << 1667;
    QTest::newRow("hyperbola, b") << 2 << 2 << 1667;
}

void PlotTest::emptyAOrBIsARuntimeError()
{
    QFETCH(int, figure);
    QFETCH(int, box);
    QFETCH(int, count);
    Session s;
    prepare(s, figure, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    Form4 &f = s.app.form4();
    Form3 &form3 = s.app.form3();
    const auto firstPlot = drawn.dots;

    // A failed entry in the parameter window, then the user brings the plot window back.
    ui::click(f.Command1);
    QLineEdit *entry = box == 1 ? form3.Text1 : form3.Text2;
    ui::type(entry, QStringLiteral("x"));
    ui::click(form3.Command2);
    QCOMPARE(s.boxes.texts.size(), 1);
    QCOMPARE(box == 1 ? form3.VALa : form3.VALb, Variant(QString()));
    drawn.clear();
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    ui::switchTo(&f);
    QCOMPARE(s.activations[4], 2);
    QCOMPARE(s.boxes.texts.size(), 2);
    QCOMPARE(s.boxes.titles.last(), QStringLiteral("Borvane"));
    QVERIFY2(s.boxes.last().startsWith(runtimeErrorPrefix.arg(13)), qPrintable(s.boxes.last()));
    // The axes are drawn and the colour advanced; the first point that passes the test stops it.
    QCOMPARE(drawn.lines.size(), size_t(2));
    QVERIFY(drawn.dots.empty());
    QCOMPARE(form3.Miocolor, Integer(2));
    QVERIFY(stillShown(f, firstPlot, QBColor(1)));
    QVERIFY(!s.app.program().hasEnded());

    // The program goes on: corrected, the next "AVANTI" plots.
    ui::switchTo(&form3);
    ui::type(entry, box == 1 ? QStringLiteral("20") : QStringLiteral("15"));
    drawn.clear();
    s.toForm4();
    QCOMPARE(s.boxes.texts.size(), 2);
    QCOMPARE(int(drawn.dots.size()), count);
}

void PlotTest::emptyCLetsEveryCandidatePass_data()
{
    QTest::addColumn<int>("figure");
    QTest::newRow("ellipse") << 1;
    QTest::newRow("hyperbola") << 2;
}

void PlotTest::emptyCLetsEveryCandidatePass()
{
    // With c = 2 every candidate passes the test too: the empty text must give the same plot.
    QFETCH(int, figure);
    Session s;
    prepare(s, figure, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("2"));
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    const auto everyCandidate = drawn.dots;
    if (figure == 1) QCOMPARE(everyCandidate.size(), size_t(26353));

    Form3 &form3 = s.app.form3();
    ui::click(s.app.form4().Command1);
    ui::type(form3.Text3, QString());
    ui::click(form3.Command2);
    QCOMPARE(s.boxes.texts, QStringList{QStringLiteral("VALc non è un numero")});
    drawn.clear();
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    ui::switchTo(&s.app.form4());
    QCOMPARE(s.boxes.texts.size(), 1); // no runtime error
    QCOMPARE(s.app.form4().Vc, Variant(QString()));
    QCOMPARE(drawn.dots.size(), everyCandidate.size());
    for (size_t i = 0; i < drawn.dots.size(); ++i) {
        QCOMPARE(drawn.dots[i].x, everyCandidate[i].x);
        QCOMPARE(drawn.dots[i].y, everyCandidate[i].y);
        QCOMPARE(drawn.dots[i].colour, QBColor(2));
    }
}

void PlotTest::coordinateBeyondSingleRange_data()
{
    // With a = 1e39 the first point that passes is already beyond the Single range; with
    // b = 1e39 and c = 1,05 the points near t2 = 90 and 270 come first (far outside the window),
    // until a larger cosine of t2 passes.
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("c");
    QTest::addColumn<bool>("pointsBefore");
    QTest::newRow("a=1e39") << QStringLiteral("1e39") << QStringLiteral("15")
                            << QStringLiteral("0,5") << false;
    QTest::newRow("b=1e39 c=1,05")
        << QStringLiteral("20") << QStringLiteral("1e39") << QStringLiteral("1,05") << true;
}

void PlotTest::coordinateBeyondSingleRange()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, c);
    QFETCH(bool, pointsBefore);
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    Form4 &f = s.app.form4();
    const auto firstPlot = drawn.dots;

    ui::click(f.Command1);
    ui::settle();
    s.enter(a, b, c);
    drawn.clear();
    s.toForm4();
    QVERIFY2(s.boxes.texts.size() == 1, qPrintable(s.boxes.texts.join(QLatin1Char('|'))));
    QCOMPARE(s.boxes.titles.last(), QStringLiteral("Borvane"));
    QVERIFY2(s.boxes.last().startsWith(runtimeErrorPrefix.arg(6)), qPrintable(s.boxes.last()));
    QCOMPARE(drawn.lines.size(), size_t(2));
    QCOMPARE(!drawn.dots.empty(), pointsBefore);
    QVERIFY(drawn.dots.size() < 26353);
    for (const auto &dot : drawn.dots) {
        QVERIFY(std::isfinite(dot.y));
        QVERIFY(!onScreen(f, dot));
    }
    // What was drawn before the error stays.
    QVERIFY(stillShown(f, firstPlot, QBColor(1)));
    QVERIFY(!s.app.program().hasEnded());
}

void PlotTest::colourIndexAtItsLimit()
{
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5"));
    s.toForm4();
    Form4 &f = s.app.form4();
    // The index at the top of its range, where only some 32000 activations without "AVANTI"
    // would bring it.
    s.app.form3().Miocolor = 32767;
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    ui::switchTo(&s.app.form3());
    DrawingRecorder drawn(f);
    ui::switchTo(&f);
    QCOMPARE(s.boxes.texts.size(), 1);
    QVERIFY2(s.boxes.last().startsWith(runtimeErrorPrefix.arg(6)), qPrintable(s.boxes.last()));
    QCOMPARE(s.app.form3().Miocolor, Integer(32767));
    QCOMPARE(drawn.lines.size(), size_t(2));
    QVERIFY(drawn.dots.empty());
    QVERIFY(!s.app.program().hasEnded());
}

void PlotTest::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<int>("creationOrder");

    QTest::newRow("Command4") << QStringLiteral("Command4")
                              << QStringLiteral("Traccia la figura base")
                              << QRect(3000, 1800, 1695, 615) << 0;
    QTest::newRow("Command1") << QStringLiteral("Command1") << QStringLiteral("RIPRENDI")
                              << QRect(960, 720, 1695, 615) << 1;
    QTest::newRow("Command2") << QStringLiteral("Command2") << QStringLiteral("Cancella e riprendi")
                              << QRect(3000, 720, 1695, 615) << 2;
    QTest::newRow("Command3") << QStringLiteral("Command3") << QStringLiteral("ESCI")
                              << QRect(960, 1800, 1695, 615) << 3;
}

void PlotTest::buttons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(int, creationOrder);
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0"));
    s.toForm4();
    Form4 &f = s.app.form4();
    const auto buttons = f.findChildren<QPushButton *>(Qt::FindDirectChildrenOnly);
    QCOMPARE(buttons.size(), 4);
    QPushButton *button = buttons[creationOrder];
    QCOMPARE(button->objectName(), name);
    QCOMPARE(button->text(), caption);
    // 15 twips to the pixel at 96 dots per inch, from the client area's top left corner,
    // whatever the size of the maximized window.
    QCOMPARE(button->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QVERIFY(button->isVisible());
    QVERIFY(button->isEnabled());
    // No fixed default button: Enter goes to the button that has the focus.
    QCOMPARE(button->isDefault(), button->hasFocus());
    QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(button->font(), f.font());
}

void PlotTest::window()
{
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0"));
    s.toForm4();
    Form4 &f = s.app.form4();
    QCOMPARE(f.windowTitle(), QStringLiteral("Form4"));
    QVERIFY(f.isMaximized());
    QVERIFY(f.width() > 10605 / 15); // larger than its design size
    QCOMPARE(f.font().pointSizeF(), 8.25);
    QCOMPARE(f.BackColor(), f.palette().color(QPalette::Window).rgb());
    QCOMPARE(f.ForeColor(), f.palette().color(QPalette::WindowText).rgb());
    // The drawing covers the whole client area.
    QVERIFY(f.surface().image().width() >= f.width());
    QVERIFY(f.surface().image().height() >= f.height());
}

void PlotTest::esciHasTheFocusAtFirstShow_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void PlotTest::esciHasTheFocusAtFirstShow()
{
    QFETCH(int, key);
    Session s;
    prepare(s, 1, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0"));
    s.toForm4();
    Form4 &f = s.app.form4();
    QCOMPARE(QApplication::focusWidget(), f.Command3);
    // The tab order goes round the four buttons and back to "ESCI".
    for (QPushButton *next : {f.Command2, f.Command1, f.Command4, f.Command3}) {
        ui::key(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QCOMPARE(s.activations[4], 1);
    ui::key(QApplication::focusWidget(), key);
    QVERIFY(s.app.program().hasEnded());
    QVERIFY(!f.isVisible());
    QVERIFY(!s.app.form3().isVisible());
}

BORVANE_TEST_MAIN(PlotTest)
#include "tst_plot.moc"
