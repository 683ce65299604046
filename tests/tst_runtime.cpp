// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The layer the windows are written against: Variant arithmetic and comparisons, the counted
// loop, runtime errors and how they are reported, number and text, the palette, and the
// drawing surface.

#include "support/support.h"

#include "runtime/indexed_png.h"
#include "runtime/palette.h"
#include "runtime/svg_drawing.h"
#include "values/number_text.h"
#include "values/variant.h"
#include "windows/intro/form1.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#ifdef BORVANE_SVG_RENDERER
#include <QSvgRenderer>
#endif
#include <bit>
#include <functional>

Q_DECLARE_METATYPE(Variant)
Q_DECLARE_METATYPE(Variant::Kind)
Q_DECLARE_METATYPE(std::function<void()>)
Q_DECLARE_METATYPE(std::function<void(QPainter &)>)
Q_DECLARE_METATYPE(std::function<void(Surface &)>)

namespace {

Variant text(const char *s)
{
    return Variant(QString::fromUtf8(s));
}

// The error number a piece of code raises, or 0.
int errorOf(const std::function<void()> &code)
{
    try {
        code();
    } catch (const RuntimeError &error) {
        return error.number();
    }
    return 0;
}

} // namespace

class RuntimeTest : public QObject
{
    Q_OBJECT

private slots:
    void arithmetic_data();
    void arithmetic();
    void comparison_data();
    void comparison();
    void countedLoop_data();
    void countedLoop();
    void errors_data();
    void errors();
    void errorsAreReportedAndTheProgramGoesOn_data();
    void errorsAreReportedAndTheProgramGoesOn();
    void singlePrecisionAngle();
    void numberToText_data();
    void numberToText();
    void palette_data();
    void palette();
    void scales_data();
    void scales();
    void dotsCoverTheirPixels_data();
    void dotsCoverTheirPixels();
    void drawingIsSharpAtHighPixelRatio();
    void drawingSurvivesResizeAndClsEmptiesIt();
    void indexedSurfaceHoldsTheWindowsPixels_data();
    void indexedSurfaceHoldsTheWindowsPixels();
    void indexedPngHasThePixelsInTheFewestBits_data();
    void indexedPngHasThePixelsInTheFewestBits();
    void messageBoxHasTheProgramTitle();
    void controlsArePlacedInTwips();
    void svgDrawingFollowsThePainter_data();
    void svgDrawingFollowsThePainter();
    void processEndsWithItsStatus_data();
    void processEndsWithItsStatus();
};

void RuntimeTest::arithmetic_data()
{
    QTest::addColumn<Variant>("result");
    QTest::addColumn<Variant::Kind>("kind");
    QTest::addColumn<double>("value");
    using K = Variant::Kind;
    const Variant p1 = 0.01745329238474369f;
    QTest::newRow("Integer + Integer")
        << Variant(Variant(300) + Variant(65)) << K::Integer << 365.0;
    QTest::newRow("Empty + Empty is Integer 0")
        << Variant(Variant() + Variant()) << K::Integer << 0.0;
    QTest::newRow("Empty acts as 0") << Variant(Variant() + Variant(2.5)) << K::Double << 2.5;
    QTest::newRow("Single x Integer is a Single")
        << Variant(p1 * Variant(90)) << K::Single << double(0.01745329238474369f * 90.0f);
    QTest::newRow("Single x Double is a Double")
        << Variant(p1 * Variant(0.1)) << K::Double << double(0.01745329238474369f) * 0.1;
    QTest::newRow("Integer x Double is a Double")
        << Variant(Variant(30) * Variant(0.02)) << K::Double << 30 * 0.02;
    QTest::newRow("Integer - Integer") << Variant(Variant(5) - Variant(7)) << K::Integer << -2.0;
    QTest::newRow("quotient of Integers is a Double")
        << Variant(Variant(1) / Variant(4)) << K::Double << 0.25;
    QTest::newRow("power is a Double") << Pow(Variant(3), Variant(2)) << K::Double << 9.0;
    QTest::newRow("power of a Single") << Pow(Variant(0.5f), Variant(2)) << K::Double << 0.25;
    QTest::newRow("Abs keeps Integer") << Abs(Variant(-7)) << K::Integer << 7.0;
    QTest::newRow("Abs keeps Single") << Abs(Variant(-1.5f)) << K::Single << 1.5;
    QTest::newRow("Abs keeps Double") << Abs(Variant(-2.25)) << K::Double << 2.25;
    QTest::newRow("Cos gives a Double") << Cos(Variant(0)) << K::Double << 1.0;
}

void RuntimeTest::arithmetic()
{
    QFETCH(Variant, result);
    QFETCH(Variant::Kind, kind);
    QFETCH(double, value);
    QCOMPARE(result.kind(), kind);
    QCOMPARE(result.number(), value);
}

void RuntimeTest::comparison_data()
{
    QTest::addColumn<Variant>("a");
    QTest::addColumn<Variant>("b");
    QTest::addColumn<int>("order"); // -1 a < b, 0 equal, 1 a > b
    QTest::newRow("numbers of different kinds") << Variant(2) << Variant(2.0) << 0;
    QTest::newRow("Single and Double") << Variant(0.1f) << Variant(0.1) << 1;
    QTest::newRow("Empty as 0") << Variant() << Variant(0) << 0;
    QTest::newRow("Empty below 1") << Variant() << Variant(1.0) << -1;
    QTest::newRow("number below the empty text") << Variant(1e300) << text("") << -1;
    QTest::newRow("negative number below the empty text") << Variant(-5) << text("") << -1;
    QTest::newRow("the empty text equals itself") << text("") << text("") << 0;
    QTest::newRow("texts by characters") << text("a") << text("b") << -1;
    QTest::newRow("Empty against the empty text") << Variant() << text("") << 0;
    QTest::newRow("sum equal to c") << Variant(0.25 + 0.25) << Variant(0.5) << 0;
}

void RuntimeTest::comparison()
{
    QFETCH(Variant, a);
    QFETCH(Variant, b);
    QFETCH(int, order);
    QCOMPARE(a == b, order == 0);
    QCOMPARE(a < b, order < 0);
    QCOMPARE(a > b, order > 0);
    QCOMPARE((b < a), order > 0); // and the same seen from the other side
    QCOMPARE(a <= b, order <= 0);
}

void RuntimeTest::countedLoop_data()
{
    QTest::addColumn<Variant>("start");
    QTest::addColumn<Variant>("end");
    QTest::addColumn<Variant>("step");
    QTest::addColumn<int>("passes");
    QTest::addColumn<double>("lastValue");
    QTest::addColumn<double>("afterLoop");
    QTest::newRow("degrees 0 to 360")
        << Variant(0) << Variant(360) << Variant(1) << 361 << 360.0 << 361.0;
    QTest::newRow("every 5 degrees")
        << Variant(0) << Variant(360) << Variant(5) << 73 << 360.0 << 365.0;
    QTest::newRow("tenths of a degree accumulate")
        << Variant(0) << Variant(360) << Variant(0.1) << 3600 << 359.90000000001334
        << 360.00000000001336;
    QTest::newRow("downwards") << Variant(3) << Variant(1) << Variant(-1) << 3 << 1.0 << 0.0;
    QTest::newRow("no pass") << Variant(1) << Variant(0) << Variant(1) << 0 << 0.0 << 1.0;
}

void RuntimeTest::countedLoop()
{
    QFETCH(Variant, start);
    QFETCH(Variant, end);
    QFETCH(Variant, step);
    QFETCH(int, passes);
    QFETCH(double, lastValue);
    QFETCH(double, afterLoop);
    Variant counter;
    int count = 0;
    double last = 0.0;
    ForNext(counter, start, end, step, [&] {
        ++count;
        last = counter.number();
    });
    QCOMPARE(count, passes);
    QCOMPARE(last, lastValue);
    QCOMPARE(counter.number(), afterLoop);
}

void RuntimeTest::errors_data()
{
    QTest::addColumn<std::function<void()>>("code");
    QTest::addColumn<int>("number");
    QTest::newRow("Integer above 32767") << std::function<void()>([] { Integer(32767) + 1; }) << 6;
    QTest::newRow("Integer below -32768")
        << std::function<void()>([] { Integer(-32768) - Integer(1); }) << 6;
    QTest::newRow("Integer Variant sum")
        << std::function<void()>([] { Variant(32000) + Variant(1000); }) << 6;
    QTest::newRow("Abs of -32768")
        << std::function<void()>([] { Abs(Variant(Integer(-32768))); }) << 6;
    QTest::newRow("Single out of range") << std::function<void()>([] { CSng(Variant(1e39)); }) << 6;
    QTest::newRow("Single product out of range")
        << std::function<void()>([] { Variant(3e38f) * Variant(10); }) << 6;
    QTest::newRow("Double overflow")
        << std::function<void()>([] { Variant(1e308) * Variant(10.0); }) << 6;
    QTest::newRow("invalid operation 0 / 0")
        << std::function<void()>([] { Variant(0.0) / Variant(0); }) << 6;
    QTest::newRow("division by zero")
        << std::function<void()>([] { Variant(1.0) / Variant(0.0); }) << 11;
    QTest::newRow("Single quotient by zero")
        << std::function<void()>([] { SingleQuotient(3.1415927f, 0.0f); }) << 11;
    QTest::newRow("power of a negative base")
        << std::function<void()>([] { Pow(Variant(-8.0), Variant(0.5)); }) << 5;
    QTest::newRow("power overflow")
        << std::function<void()>([] { Pow(Variant(1e200), Variant(3)); }) << 6;
    QTest::newRow("text in a product")
        << std::function<void()>([] { text("") * Variant(0.5); }) << 13;
    QTest::newRow("text in a quotient")
        << std::function<void()>([] { Variant(20.0) / text(""); }) << 13;
    QTest::newRow("text in a sum") << std::function<void()>([] { text("1") + Variant(1); }) << 13;
    QTest::newRow("Abs of a text") << std::function<void()>([] { Abs(text("")); }) << 13;
    QTest::newRow("text to a Single") << std::function<void()>([] { CSng(text("")); }) << 13;
    QTest::newRow("text that is no number")
        << std::function<void()>([] { textToDouble("abc"); }) << 13;
    QTest::newRow("palette index 16") << std::function<void()>([] { QBColor(16); }) << 5;
    QTest::newRow("palette index -1") << std::function<void()>([] { QBColor(-1); }) << 5;
    QTest::newRow("no error: underflow passes")
        << std::function<void()>([] { Variant(1e-300) * Variant(1e-300); }) << 0;
}

void RuntimeTest::errors()
{
    QFETCH(std::function<void()>, code);
    QFETCH(int, number);
    QCOMPARE(errorOf(code), number);
}

void RuntimeTest::errorsAreReportedAndTheProgramGoesOn_data()
{
    QTest::addColumn<std::function<void()>>("code");
    QTest::addColumn<QString>("report");
    QTest::newRow("5") << std::function<void()>([] {
        QBColor(16);
    }) << QStringLiteral("Errore di run-time '5':\n\nChiamata di routine o argomento non validi");
    QTest::newRow("6") << std::function<void()>([] { Variant(32000) + Variant(1000); })
                       << QStringLiteral("Errore di run-time '6':\n\nOverflow");
    QTest::newRow("11") << std::function<void()>([] { Variant(1.0) / Variant(0.0); })
                        << QStringLiteral("Errore di run-time '11':\n\nDivisione per zero");
    QTest::newRow("13") << std::function<void()>([] { text("") * Variant(0.5); })
                        << QStringLiteral("Errore di run-time '13':\n\nTipo non corrispondente");
}

void RuntimeTest::errorsAreReportedAndTheProgramGoesOn()
{
    QFETCH(std::function<void()>, code);
    QFETCH(QString, report);
    Session s;
    bool after = false;
    s.app.program().handle([&] {
        code();
        after = true; // the rest of the handler, which the error skips
    });
    QVERIFY(!after);
    QCOMPARE(s.boxes.texts, QStringList{report});
    QCOMPARE(s.boxes.titles, QStringList{QStringLiteral("Borvane")});
    QVERIFY(!s.app.program().hasEnded());
    QVERIFY(s.app.form1().isVisible());
    // The next handler runs as usual.
    bool ran = false;
    s.app.program().handle([&] { ran = true; });
    QVERIFY(ran);
}

void RuntimeTest::singlePrecisionAngle()
{
    const float p1 = SingleQuotient(3.1415927f, 180.0f);
    QCOMPARE(std::bit_cast<quint32>(p1), quint32(0x3C8EFA35));
    // cos t1 is negative from 90 to 269 degrees with the angle rounded to a Single.
    const Variant P1 = p1;
    QVERIFY(Cos(Variant(90) * P1) < 0);
    QVERIFY(Cos(Variant(269) * P1) < 0);
    QVERIFY(Cos(Variant(270) * P1) > 0);
    QVERIFY(Cos(Variant(89) * P1) > 0);
}

void RuntimeTest::numberToText_data()
{
    QTest::addColumn<Variant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0.51") << Variant(0.51) << QStringLiteral("0,51");
    QTest::newRow("0.51 + 0.02 x 30")
        << Variant(Variant(30) * 0.02 + 0.51) << QStringLiteral("1,11");
    QTest::newRow("0.53") << Variant(Variant(1) * 0.02 + 0.51) << QStringLiteral("0,53");
    QTest::newRow("Single 0.1") << Variant(0.1f) << QStringLiteral("0,1");
    QTest::newRow("Single P1") << Variant(0.01745329238474369f) << QStringLiteral("0,01745329");
    QTest::newRow("Integer") << Variant(-42) << QStringLiteral("-42");
    QTest::newRow("whole Double") << Variant(20.0) << QStringLiteral("20");
    QTest::newRow("no grouping") << Variant(1234.5) << QStringLiteral("1234,5");
    QTest::newRow("large") << Variant(1e20) << QStringLiteral("1E+20");
    QTest::newRow("Empty") << Variant() << QString();
    QTest::newRow("text") << text("abc") << QStringLiteral("abc");
}

void RuntimeTest::numberToText()
{
    QFETCH(Variant, value);
    QFETCH(QString, text);
    QCOMPARE(CStr(value), text);
}

void RuntimeTest::palette_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("0 black") << 0 << QColor(0, 0, 0);
    QTest::newRow("1 blue") << 1 << QColor(0, 0, 128);
    QTest::newRow("4 red") << 4 << QColor(128, 0, 0);
    QTest::newRow("7 light grey") << 7 << QColor(192, 192, 192);
    QTest::newRow("8 grey") << 8 << QColor(128, 128, 128);
    QTest::newRow("12 bright red") << 12 << QColor(255, 0, 0);
    QTest::newRow("15 white") << 15 << QColor(255, 255, 255);
}

void RuntimeTest::palette()
{
    QFETCH(int, index);
    QFETCH(QColor, colour);
    QCOMPARE(QColor(QBColor(index)), colour);
    QCOMPARE(fromBgr(0x0000FF), qRgb(255, 0, 0)); // red in the low byte
}

void RuntimeTest::scales_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("width"); // ScaleWidth of a 400 x 300 pixel area at 96 DPI
    QTest::addColumn<float>("height");
    QTest::newRow("twips") << 1 << 6000.0f << 4500.0f;
    QTest::newRow("pixels") << 3 << 400.0f << 300.0f;
    QTest::newRow("centimetres") << 7 << float(400 * 2.54 / 96) << float(300 * 2.54 / 96);
}

void RuntimeTest::scales()
{
    QFETCH(int, mode);
    QFETCH(float, width);
    QFETCH(float, height);
    Surface surface;
    surface.resize(QSize(400, 300), 1.0, 96.0);
    surface.setScaleMode(mode);
    QCOMPARE(surface.scaleWidth(), width);
    QCOMPARE(surface.scaleHeight(), height);
    // Setting one extent gives a user scale; the other keeps its value until set.
    surface.setScaleWidth(200);
    QCOMPARE(surface.scaleMode(), 0);
    QCOMPARE(surface.scaleHeight(), height);
    surface.setScaleHeight(150);
    QCOMPARE(surface.toPixels(200, 150), QPointF(400, 300));
    QCOMPARE(surface.toPixels(100, 75), QPointF(200, 150));
    QCOMPARE(errorOf([&] { surface.setScaleWidth(0); }), 5);
    QCOMPARE(errorOf([&] { surface.setScaleMode(9); }), 5);
}

void RuntimeTest::dotsCoverTheirPixels_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("first"); // first pixel covered, each way, by a dot at pixel 100
    QTest::newRow("1 pixel") << 1 << 100;
    QTest::newRow("2 pixels") << 2 << 99;
    QTest::newRow("4 pixels") << 4 << 98;
}

void RuntimeTest::dotsCoverTheirPixels()
{
    QFETCH(int, width);
    QFETCH(int, first);
    Surface surface;
    surface.resize(QSize(200, 200), 1.0, 96.0);
    surface.setScaleWidth(200);
    surface.setScaleHeight(200);
    surface.setDrawWidth(width);
    surface.pset(100, 100, QBColor(4));
    const QImage &image = surface.image();
    for (int y = 90; y < 110; ++y)
        for (int x = 90; x < 110; ++x) {
            const bool inside = x >= first && x < first + width && y >= first && y < first + width;
            QCOMPARE(image.pixel(x, y) == QBColor(4), inside);
        }
    // Dots far outside the area are not drawn, and do no harm.
    surface.pset(1e30f, -1e30f, QBColor(1));
    surface.pset(-3e38f, 3e38f, QBColor(1));
    QCOMPARE(surface.image().pixel(0, 0), qRgb(240, 240, 240));
}

void RuntimeTest::drawingIsSharpAtHighPixelRatio()
{
    Surface surface;
    surface.resize(QSize(200, 100), 2.0, 96.0);
    QCOMPARE(surface.image().size(), QSize(400, 200));
    QCOMPARE(surface.image().devicePixelRatio(), 2.0);
    surface.setScaleWidth(200);
    surface.setScaleHeight(100);
    surface.setDrawWidth(2);
    surface.pset(100, 50, QBColor(4));
    // A 2-pixel dot is 4 device pixels across, centred on device pixel (200, 100).
    const QImage &image = surface.image();
    QCOMPARE(image.pixel(198, 98), QBColor(4));
    QCOMPARE(image.pixel(201, 101), QBColor(4));
    QVERIFY(image.pixel(197, 100) != QBColor(4));
    QVERIFY(image.pixel(202, 100) != QBColor(4));
}

void RuntimeTest::drawingSurvivesResizeAndClsEmptiesIt()
{
    Surface surface;
    surface.setBackColor(qRgb(240, 240, 240));
    surface.resize(QSize(100, 100), 1.0, 96.0);
    surface.setScaleMode(Surface::Pixels);
    surface.pset(10, 10, QBColor(2));
    surface.resize(QSize(300, 200), 1.0, 96.0);
    QCOMPARE(surface.image().pixel(10, 10), QBColor(2));
    QCOMPARE(surface.image().pixel(250, 150), qRgb(240, 240, 240));
    surface.resize(QSize(50, 50), 1.0, 96.0); // smaller, then back: nothing lost
    surface.resize(QSize(300, 200), 1.0, 96.0);
    QCOMPARE(surface.image().pixel(10, 10), QBColor(2));
    surface.cls();
    QCOMPARE(surface.image().pixel(10, 10), qRgb(240, 240, 240));
}

void RuntimeTest::indexedSurfaceHoldsTheWindowsPixels_data()
{
    using Draw = std::function<void(Surface &)>;
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<bool>("staysIndexed");
    // Lines of every width, across and beyond the area, over dots, at the pixel ratios of
    // screens; the area limited; cleared to another colour; more colours than an index holds.
    const Draw lines = [](Surface &s) {
        s.setScaleMode(Surface::Pixels);
        for (int width : {1, 2, 3, 4, 5}) {
            s.setDrawWidth(width);
            s.pset(20.0f * width, 33.3f, QBColor(width));
            s.setForeColor(QBColor(width + 8));
            s.line(0, 10.0f * width + 0.4f, 199.5f, 10.0f * width + 0.4f);
            s.line(7.0f * width + 0.3f, -50, 7.0f * width + 0.3f, 500);
            s.line(-30, -20.7f, 230.2f, 170.1f + width);
            s.line(180.6f, 3.2f * width, 100.1f, 140.9f);
            s.line(150, 90, 150, 90); // a point
            s.line(-5e6f, 1e9f, 3e7f, -2e8f);
        }
    };
    const Draw limited = [lines](Surface &s) {
        s.limitTo(s.deviceSize() * 2 / 3);
        lines(s);
    };
    const Draw cleared = [lines](Surface &s) {
        lines(s);
        s.setBackColor(QBColor(14));
        s.cls();
        s.setScaleMode(Surface::Pixels);
        s.setDrawWidth(2);
        s.pset(50, 50, QBColor(1));
        s.line(10, 100, 190, 110);
    };
    const Draw manyColours = [lines](Surface &s) {
        s.setScaleMode(Surface::Pixels);
        for (int i = 0; i < 300; ++i)
            s.pset(float(i % 150), float(i / 150 + 2 * (i % 7)), qRgb(i % 256, i / 256, 7));
        lines(s);
    };
    for (qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
        QTest::addRow("lines at %g", ratio) << ratio << lines << true;
        QTest::addRow("area limited at %g", ratio) << ratio << limited << true;
    }
    QTest::newRow("cleared") << 1.0 << cleared << true;
    QTest::newRow("300 colours at 1.5") << 1.5 << manyColours << false;
}

void RuntimeTest::indexedSurfaceHoldsTheWindowsPixels()
{
    using Draw = std::function<void(Surface &)>;
    QFETCH(qreal, ratio);
    QFETCH(Draw, draw);
    QFETCH(bool, staysIndexed);
    Surface window;
    Surface indexed(Surface::Storage::Indexed);
    for (Surface *s : {&window, &indexed}) {
        s->resize(QSize(200, 150), ratio, 96.0);
        draw(*s);
    }
    const QImage expected = window.image().convertToFormat(QImage::Format_RGB32);
    const QImage held = indexed.image();
    QCOMPARE(held.format() == QImage::Format_Indexed8, staysIndexed);
    QCOMPARE(held.devicePixelRatio(), ratio);
    const QImage actual = held.convertToFormat(QImage::Format_RGB32);
    QCOMPARE(actual.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1, %2 differs").arg(x).arg(y)));
}

void RuntimeTest::indexedPngHasThePixelsInTheFewestBits_data()
{
    QTest::addColumn<int>("colours");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("bits");
    for (int width : {1, 3, 7, 9, 33}) {
        QTest::addRow("2 colours, %d wide", width) << 2 << width << 1;
        QTest::addRow("3 colours, %d wide", width) << 3 << width << 2;
        QTest::addRow("16 colours, %d wide", width) << 16 << width << 4;
    }
    QTest::newRow("17 colours") << 17 << 40 << 8;
    QTest::newRow("256 colours") << 256 << 300 << 8;
}

void RuntimeTest::indexedPngHasThePixelsInTheFewestBits()
{
    QFETCH(int, colours);
    QFETCH(int, width);
    QFETCH(int, bits);
    QImage image(width, 20, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table << qRgba(i * 37 % 256, i * 11 % 256, 255 - i, i == 1 ? 128 : 255);
    image.setColorTable(table);
    image.fill(0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < width; ++x)
            if (y < 10 || (x + y) % 3 == 0) image.setPixel(x, y, uint((x * 7 + y * 3) % colours));
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(7559);
    QBuffer file;
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeIndexedPng(image, file));
    const QByteArray bytes = file.data();
    QCOMPARE(int(bytes.at(24)), bits); // the header's bit depth
    const QImage read = QImage::fromData(bytes, "png");
    QCOMPARE(read.size(), image.size());
    QCOMPARE(read.dotsPerMeterX(), 3780);
    QCOMPARE(read.dotsPerMeterY(), 7559);
    QCOMPARE(read.convertToFormat(QImage::Format_ARGB32),
             image.convertToFormat(QImage::Format_ARGB32));
    // A device that takes nothing fails the writing.
    QBuffer closed;
    QVERIFY(!writeIndexedPng(image, closed));
}

void RuntimeTest::messageBoxHasTheProgramTitle()
{
    Session s;
    bool modal = false;
    s.boxes.whileShown = [&](QMessageBox &box) {
        modal = box.isModal() && box.buttons().size() == 1;
    };
    s.app.form1().MsgBox(QStringLiteral("prova"));
    QCOMPARE(s.boxes.texts, QStringList{QStringLiteral("prova")});
    QCOMPARE(s.boxes.titles, QStringList{QStringLiteral("Borvane")});
    QVERIFY(modal);
}

void RuntimeTest::controlsArePlacedInTwips()
{
    Session s;
    Form &form = s.app.form1();
    QCOMPARE(form.logicalDpiX(), 96);
    QCOMPARE(form.twipsToPixels(15), 1);
    QCOMPARE(form.twipsToPixels(4320), 288);
    QCOMPARE(form.size(), QSize(11670 / 15, 8565 / 15));
}

void RuntimeTest::svgDrawingFollowsThePainter_data()
{
    using Paint = std::function<void(QPainter &)>;
    QTest::addColumn<Paint>("paint");
    QTest::addColumn<int>("paths"); // the SVG's paths: one per run of one colour, or of lines
    QTest::addColumn<int>("clips"); // the clips that lines needed
    // Where the lines' smoothed edges may differ from the image's (round caps included).
    QTest::addColumn<QList<QRect>>("edges");
    const QColor navy(0, 0, 128), green(0, 128, 0);
    QTest::newRow("rectangles moved and scaled, one colour one path") << Paint([=](QPainter &p) {
        p.translate(10, 20);
        p.scale(2, 3);
        p.fillRect(QRectF(1, 1, 4, 4), navy);
        p.fillRect(QRectF(20, 2, 3, 3), navy);
    }) << 1 << 0 << QList<QRect>();
    QTest::newRow("colours in the order painted") << Paint([=](QPainter &p) {
        p.fillRect(QRectF(10, 10, 30, 30), navy);
        p.fillRect(QRectF(20, 20, 30, 30), green);
        p.fillRect(QRectF(30, 30, 30, 30), navy);
    }) << 3 << 0 << QList<QRect>();
    QTest::newRow("rectangles clipped, the clip restored") << Paint([=](QPainter &p) {
        p.save();
        p.setClipRect(QRectF(0, 0, 50, 40));
        p.fillRect(QRectF(40, 30, 30, 30), navy);
        p.restore();
        p.fillRect(QRectF(60, 60, 10, 10), navy);
    }) << 1 << 0 << QList<QRect>();
    QTest::newRow("a line within the clip, a line across it") << Paint([=](QPainter &p) {
        p.setClipRect(QRectF(0, 0, 50, 40));
        p.setPen(QPen(navy, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 20), QPointF(30, 20));
        p.drawLine(QPointF(10, 30), QPointF(90, 30));
    }) << 2 << 1 << QList<QRect>{QRect(7, 17, 27, 6), QRect(7, 27, 45, 6)};
    QTest::newRow("a line and rectangles between rectangles") << Paint([=](QPainter &p) {
        p.fillRect(QRectF(0, 0, 10, 10), navy);
        p.setPen(QPen(green, 4));
        p.drawLine(QPointF(0, 50), QPointF(99, 50));
        p.fillRect(QRectF(20, 0, 10, 10), navy);
    }) << 3 << 0 << QList<QRect>{QRect(0, 47, 100, 7)};
}

void RuntimeTest::svgDrawingFollowsThePainter()
{
    using Paint = std::function<void(QPainter &)>;
    QFETCH(Paint, paint);
    QFETCH(int, paths);
    QFETCH(int, clips);
    QFETCH(QList<QRect>, edges);
    const QSize size(100, 80);
    QBuffer written;
    QVERIFY(written.open(QIODevice::WriteOnly));
    {
        SvgDrawing drawing(written, size, 96, QStringLiteral("Borvane"), QStringLiteral("prova"));
        QPainter painter;
        QVERIFY(painter.begin(&drawing));
        paint(painter);
        QVERIFY(painter.end());
    }
    const QByteArray svg = written.data();
    QVERIFY(svg.startsWith("<?xml"));
    QVERIFY(svg.contains(R"(viewBox="0 0 100 80")"));
    QCOMPARE(int(svg.count("<path ")), paths);
    QCOMPARE(int(svg.count("<clipPath ")), clips);
    QCOMPARE(int(svg.count("clip-path=")), clips);
#ifdef BORVANE_SVG_RENDERER
    {
        // Drawn again, it is what the same painting gives on an image (the lines' smoothed
        // edges apart), clipped where that was. Qt's SVG renderer draws no clip paths: a
        // drawing with clips is drawn by librsvg's.
        QImage expected(size, QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter onImage(&expected);
        paint(onImage);
        onImage.end();
        QImage rendered(size, QImage::Format_RGB32);
        rendered.fill(Qt::white);
        if (clips == 0) {
            QPainter onRendered(&rendered);
            QSvgRenderer renderer(svg);
            QVERIFY(renderer.isValid());
            renderer.render(&onRendered);
        } else {
            const QString rsvg = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
            if (rsvg.isEmpty())
                QSKIP("a drawing with clips is drawn again by rsvg-convert (package "
                      "librsvg2-bin), not found here");
            QProcess convert;
            convert.start(rsvg, {QStringLiteral("--background-color=white"),
                                 QStringLiteral("--width=%1").arg(size.width()),
                                 QStringLiteral("--height=%1").arg(size.height())});
            convert.write(svg);
            convert.closeWriteChannel();
            QVERIFY(convert.waitForFinished(30000));
            QCOMPARE(convert.exitCode(), 0);
            rendered = QImage::fromData(convert.readAllStandardOutput(), "png")
                           .convertToFormat(QImage::Format_RGB32);
            QCOMPARE(rendered.size(), size);
        }
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                if (rendered.pixel(x, y) != expected.pixel(x, y) &&
                    std::none_of(edges.begin(), edges.end(),
                                 [x, y](const QRect &edge) { return edge.contains(x, y); }))
                    QFAIL(qPrintable(QStringLiteral("pixel %1, %2 differs").arg(x).arg(y)));
    }
#endif
}

void RuntimeTest::processEndsWithItsStatus_data()
{
    QTest::addColumn<QStringList>("tests");
    QTest::addColumn<int>("status");
    const QStringList passing{QStringLiteral("programEndsOnItsSecondWindow"),
                              QStringLiteral("staticFolderIsRemovedAtTheEnd")};
    QTest::newRow("all passed") << passing << 0;
    QTest::newRow("one failed") << (passing + QStringList{QStringLiteral("fails")}) << 1;
}

// A test program (tests/ending) on this test's platform ends as the program does: its status,
// all it wrote, and nothing left behind.
void RuntimeTest::processEndsWithItsStatus()
{
    QFETCH(QStringList, tests);
    QFETCH(int, status);
    QProcess ending;
    ending.start(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                     QStringLiteral(BORVANE_ENDING_PROGRAM),
                 tests);
    QVERIFY(ending.waitForStarted());
    // Bounded only so that a process that never ends fails here rather than at the limit.
    QVERIFY2(ending.waitForFinished(120000), "the process did not end");
    // (Lines end with "\r\n" on Windows.)
    const QString output =
        QString::fromLocal8Bit(ending.readAllStandardOutput()).remove(QLatin1Char('\r'));
    QCOMPARE(ending.exitStatus(), QProcess::NormalExit);
    QCOMPARE(ending.exitCode(), status);
    QVERIFY2(output.contains(QLatin1String("\nTotals:")), qPrintable(output));
    QVERIFY2(output.endsWith(QLatin1String("ending: the test object is gone\n")),
             qPrintable(output));
    const QRegularExpression folderLine(QStringLiteral("^ending: folder (.+)$"),
                                        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch folder = folderLine.match(output);
    QVERIFY(folder.hasMatch());
    QVERIFY2(!QFileInfo::exists(folder.captured(1)), qPrintable(folder.captured(1)));
}

BORVANE_TEST_MAIN(RuntimeTest)
#include "tst_runtime.moc"
