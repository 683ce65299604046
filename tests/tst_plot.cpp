// The plot window: the frame and axes, the colour cycle, the interior points of the ellipse
// and the hyperbola, and the base figure.

#include "support/support.h"

#include "calibration/form2.h"
#include "parameters/form3.h"
#include "plot/form4.h"
#include "runtime/palette.h"

#include <QTest>

class PlotTest : public QObject
{
    Q_OBJECT

private slots:
    void frameFollowsIncr_data();
    void frameFollowsIncr();
    void interiorPointCounts_data();
    void interiorPointCounts();
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
}

void PlotTest::interiorPointCounts()
{
    QFETCH(int, figure);
    QFETCH(QString, c);
    QFETCH(int, count);
    Session s;
    s.toForm2();
    s.calibrate(2);
    s.toForm3();
    s.choose(figure);
    s.enter(QStringLiteral("20"), QStringLiteral("15"), c);
    s.app.form4();
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    QCOMPARE(int(drawn.dots.size()), count);
    QCOMPARE(s.app.form4().A2, Integer(365));
    for (const auto &dot : drawn.dots) {
        QCOMPARE(dot.colour, QBColor(1));
        QCOMPARE(dot.width, 2);
    }
}

QTEST_MAIN(PlotTest)
#include "tst_plot.moc"
