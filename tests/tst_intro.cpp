// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The introduction window: its explanatory document (the text, where each line lies, how it is
// drawn), the window and its two controls, the tab order, and "AVANTI".

#include "support/support.h"

#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/intro/intro_document.h"
#include "windows/intro/intro_text.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QFontInfo>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <cmath>

namespace {

// The explanation as the document carries it: paragraphs 6 to 12.
constexpr int FirstExplanationLine = 5;
constexpr int ExplanationLines = 7;

double pixelsToMm(double pixels, double dpi)
{
    return pixels / dpi * 25.4;
}

int twipsToPixels(int twips, int dpi)
{
    return int(std::lround(twips * dpi / 1440.0));
}

QRect twipsRect(int left, int top, int width, int height, int dpi)
{
    return QRect(twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
                 twipsToPixels(height, dpi));
}

// An image of the device's own size (in logical pixels) at a DPI and a device pixel ratio.
QImage deviceImage(QSize logical, int dpi, qreal dpr = 1)
{
    QImage image((QSizeF(logical) * dpr).toSize(), QImage::Format_RGB32);
    const int dotsPerMetre = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.setDevicePixelRatio(dpr);
    return image;
}

// The dots of the text: black, or nearly so (the edges of the glyphs are grey).
bool isInk(QRgb pixel)
{
    return qRed(pixel) < 160 && qGreen(pixel) < 160 && qBlue(pixel) < 160;
}

// The document area as a user sees it, at a device pixel ratio.
QImage renderArea(IntroDocument *area, qreal dpr)
{
    QImage image((QSizeF(area->size()) * dpr).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::magenta);
    area->render(&image);
    return image;
}

// The bounding box of the ink inside a rectangle of device pixels.
QRect inkBounds(const QImage &image, const QRect &within)
{
    QRect bounds;
    const QRect r = within & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (isInk(image.pixel(x, y))) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

QRect toDevice(const QRectF &logical, qreal dpr)
{
    return QRectF(logical.topLeft() * dpr, logical.size() * dpr).toAlignedRect();
}

} // namespace

class IntroTest : public QObject
{
    Q_OBJECT

private slots:
    void documentParagraphs();
    void explanationLines_data();
    void explanationLines();
    void headingLines();
    void linePositions();
    void layoutFollowsTheDpi_data();
    void layoutFollowsTheDpi();
    void textIsDrawnInItsLines();
    void drawnAtDeviceResolution();
    void monospacedFace();
    void windowAtDesignSize();
    void controlGeometry_data();
    void controlGeometry();
    void buttonLiesOverTheArea();
    void tabOrder();
    void avantiShowsForm2AndBringsTheSameBack();
    void form1StaysOpenBehindTheOthers();
};

void IntroTest::documentParagraphs()
{
    Session s;
    const std::vector<IntroDocument::Line> lines = s.app.form1().OLE1->lines();
    QCOMPARE(lines.size(), size_t(23));
    QStringList drawn;
    for (const IntroDocument::Line &line : lines)
        drawn << line.text;

    // 570 characters, each paragraph counted with the mark that ends it.
    int characters = 0;
    for (const QString &paragraph : drawn)
        characters += paragraph.size() + 1;
    QCOMPARE(characters, 570);

    // Two empty lines, the headings, an empty line, the explanation; then an empty line, a line
    // of 136 blanks, eight empty lines and a last line holding one tab.
    for (int i : {0, 1, 4, 12, 14, 15, 16, 17, 18, 19, 20, 21})
        QVERIFY2(drawn.at(i).isEmpty(), qPrintable(QString::number(i)));
    QVERIFY(!drawn.at(2).trimmed().isEmpty());
    QVERIFY(!drawn.at(3).trimmed().isEmpty());
    QCOMPARE(drawn.at(13), QString(136, QLatin1Char(' ')));
    QCOMPARE(drawn.at(22), QStringLiteral("\t"));
}

void IntroTest::explanationLines_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1
                       << QStringLiteral(
                              "Anzich\u00e9 considerare il valore degli angoli parametrici");
    QTest::newRow("2") << 2
                       << QStringLiteral("con Cos1 e Sen1 vengono considerati come Cos1 e Cos2.");
    QTest::newRow("3") << 3
                       << QStringLiteral("La somma dei loro quadrati non deve superare il valore");
    QTest::newRow("4") << 4 << QStringLiteral("Valore(c) richiesto nel programma.");
    QTest::newRow("5") << 5
                       << QStringLiteral(
                              "E\u2019 ovvio che per Valore(c) uguale ad 1 si avranno tutti ");
    QTest::newRow("6") << 6
                       << QStringLiteral("i valori interni alla figura, per 2 tutto il quadrato ");
    QTest::newRow("7") << 7 << QStringLiteral("contenente la figura.");
}

void IntroTest::explanationLines()
{
    QFETCH(int, line);
    QFETCH(QString, text);
    Session s;
    const std::vector<IntroDocument::Line> lines = s.app.form1().OLE1->lines();
    QCOMPARE(lines.at(size_t(FirstExplanationLine + line - 1)).text, text);
}

void IntroTest::headingLines()
{
    const QStringList paragraphs = introParagraphs();
    const QString program = paragraphs.at(2);
    const QString source = paragraphs.at(3);
    QVERIFY(program.contains(QStringLiteral("Borvane")));
    QVERIFY(program.contains(QStringLiteral("ellisse")));
    QVERIFY(program.contains(QStringLiteral("iperbole")));
    QVERIFY(source.contains(QStringLiteral("corso")));
    // The source's title stands in typographic double quotes.
    const qsizetype open = source.indexOf(QChar(0x201C));
    const qsizetype close = source.indexOf(QChar(0x201D));
    QVERIFY(open >= 0);
    QVERIFY(close > open + 1);
    QVERIFY(!source.contains(QLatin1Char('"')));
}

void IntroTest::linePositions()
{
    Session s;
    IntroDocument *area = s.app.form1().OLE1;
    const std::vector<IntroDocument::Line> lines = area->lines();
    const double dpiX = area->logicalDpiX();
    const double dpiY = area->logicalDpiY();

    // Every line starts about 10.5 mm from the area's left edge (27 units of the picture's 461
    // across its 180.06 mm).
    for (const IntroDocument::Line &line : lines)
        QVERIFY(std::abs(pixelsToMm(line.box.left(), dpiX) - 10.55) < 0.3);

    // A line every 4.8 mm, 12 or 13 units of the picture's 354 down its 138.31 mm.
    const double mmPerUnit = 138.31 / 354;
    for (size_t i = 1; i < lines.size(); ++i) {
        const double step = pixelsToMm(lines[i].box.top() - lines[i - 1].box.top(), dpiY);
        QVERIFY2(std::abs(step - 4.8) < 0.05, qPrintable(QString::number(step)));
        QVERIFY(step / mmPerUnit >= 12 && step / mmPerUnit <= 13);
    }

    // The last line of the explanation sits about 61 mm below the area's top, well inside its
    // 106 mm.
    const IntroDocument::Line &last = lines.at(FirstExplanationLine + ExplanationLines - 1);
    QCOMPARE(last.text, QStringLiteral("contenente la figura."));
    const double baselineMm = pixelsToMm(last.baseline, dpiY);
    QVERIFY2(std::abs(baselineMm - 61) < 1, qPrintable(QString::number(baselineMm)));
    const double areaMm = pixelsToMm(area->height(), dpiY);
    QVERIFY(std::abs(areaMm - 106.1) < 0.3);
    QVERIFY(pixelsToMm(last.box.bottom(), dpiY) < areaMm - 40);

    // All of the text lies inside the area; the lines after it are blank.
    const QRectF inside(area->rect());
    for (const IntroDocument::Line &line : lines) {
        if (line.text.trimmed().isEmpty()) continue;
        QVERIFY2(inside.contains(line.box), qPrintable(line.text));
        QVERIFY(line.baseline > line.box.top() && line.baseline < line.box.bottom());
    }
}

void IntroTest::layoutFollowsTheDpi_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("72 dpi") << 72 << 1.0;
    QTest::newRow("120 dpi") << 120 << 1.0;
    QTest::newRow("144 dpi") << 144 << 1.0;
    QTest::newRow("192 dpi") << 192 << 1.0;
    QTest::newRow("96 dpi, ratio 2") << 96 << 2.0;
    QTest::newRow("96 dpi, ratio 1.5") << 96 << 1.5;
}

void IntroTest::layoutFollowsTheDpi()
{
    QFETCH(int, dpi);
    QFETCH(qreal, dpr);
    const QStringList paragraphs = introParagraphs();
    const QFont font = IntroDocument::documentFont();
    const QImage reference = deviceImage(QSize(100, 100), 96);
    const QImage device = deviceImage(QSize(100, 100), dpi, dpr);
    QCOMPARE(device.logicalDpiY(), dpi);
    const std::vector<IntroDocument::Line> at96 =
        IntroDocument::layout(paragraphs, font, reference);
    const std::vector<IntroDocument::Line> here = IntroDocument::layout(paragraphs, font, device);
    QCOMPARE(here.size(), at96.size());

    // The same places in millimetres, to within a device pixel.
    const double tolerance = 25.4 / (dpi * dpr) + 25.4 / 96 / 2;
    for (size_t i = 0; i < here.size(); ++i) {
        QVERIFY(std::abs(pixelsToMm(here[i].box.left(), dpi) - pixelsToMm(at96[i].box.left(), 96)) <
                tolerance);
        QVERIFY(std::abs(pixelsToMm(here[i].box.top(), dpi) - pixelsToMm(at96[i].box.top(), 96)) <
                tolerance);
        QVERIFY(std::abs(pixelsToMm(here[i].baseline, dpi) - pixelsToMm(at96[i].baseline, 96)) <
                tolerance);
        // The text starts and sits on whole device pixels.
        const double left = here[i].box.left() * dpr;
        const double baseline = here[i].baseline * dpr;
        QCOMPARE(left, std::round(left));
        QCOMPARE(baseline, std::round(baseline));
    }
}

void IntroTest::textIsDrawnInItsLines()
{
    Session s;
    IntroDocument *area = s.app.form1().OLE1;
    const QImage image = renderArea(area, 1);
    const std::vector<IntroDocument::Line> lines = area->lines();

    // Ink in every line that holds text, from its start to about its end; none elsewhere.
    QRegion textArea;
    for (const IntroDocument::Line &line : lines) {
        const QRect box = toDevice(line.box, 1);
        const QRect ink = inkBounds(image, box);
        if (line.text.trimmed().isEmpty()) {
            QVERIFY(ink.isNull());
            continue;
        }
        QVERIFY2(!ink.isNull(), qPrintable(line.text));
        QVERIFY(std::abs(ink.left() - box.left()) <= 2);
        // ... to the end of its last character that is not a blank.
        const qreal perCharacter = line.box.width() / line.text.size();
        const qreal end = line.box.left() + perCharacter * line.text.trimmed().size();
        QVERIFY2(std::abs(ink.right() + 1 - end) <= perCharacter / 2, qPrintable(line.text));
        textArea += box.adjusted(-1, -1, 1, 1);
    }
    const QRect all = inkBounds(image, image.rect());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isInk(image.pixel(x, y))) QVERIFY(textArea.contains(QPoint(x, y)));

    // Black text on the system window colour.
    const QRgb base = area->palette().color(QPalette::Base).rgb();
    QCOMPARE(image.pixel(2, 2), base);
    QCOMPARE(image.pixel(image.width() - 3, image.height() - 3), base);
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = all.top(); y <= all.bottom(); ++y)
        for (int x = all.left(); x <= all.right(); ++x)
            if (qGray(image.pixel(x, y)) < qGray(darkest)) darkest = image.pixel(x, y);
    QCOMPARE(darkest, qRgb(0, 0, 0));
}

void IntroTest::drawnAtDeviceResolution()
{
    Session s;
    IntroDocument *area = s.app.form1().OLE1;
    const QImage single = renderArea(area, 1);
    const QImage doubled = renderArea(area, 2);
    const QRect inkAt1 = inkBounds(single, single.rect());
    const QRect inkAt2 = inkBounds(doubled, doubled.rect());

    // The same text in the same place, at twice the dots.
    QVERIFY(std::abs(inkAt2.left() - 2 * inkAt1.left()) <= 2);
    QVERIFY(std::abs(inkAt2.top() - 2 * inkAt1.top()) <= 3);
    QVERIFY(std::abs(inkAt2.right() - 2 * inkAt1.right()) <= 3);
    QVERIFY(std::abs(inkAt2.bottom() - 2 * inkAt1.bottom()) <= 3);

    // Drawn at the device's own resolution, not enlarged: the dots do not come in blocks of
    // 2 × 2 alike.
    int blocks = 0;
    int mixed = 0;
    for (int y = inkAt2.top() & ~1; y + 1 <= inkAt2.bottom(); y += 2)
        for (int x = inkAt2.left() & ~1; x + 1 <= inkAt2.right(); x += 2) {
            const QRgb a = doubled.pixel(x, y);
            if (!isInk(a)) continue;
            ++blocks;
            if (doubled.pixel(x + 1, y) != a || doubled.pixel(x, y + 1) != a ||
                doubled.pixel(x + 1, y + 1) != a)
                ++mixed;
        }
    QVERIFY(blocks > 500);
    QVERIFY2(mixed > blocks / 4, qPrintable(QStringLiteral("%1 of %2").arg(mixed).arg(blocks)));
}

void IntroTest::monospacedFace()
{
    Session s;
    IntroDocument *area = s.app.form1().OLE1;
    const QFontInfo face(area->font());
    QVERIFY2(face.fixedPitch(), qPrintable(face.family()));
    QCOMPARE(face.pointSizeF(), 12.0);
    QVERIFY(!face.bold());
    QVERIFY(!face.italic());
    // Every line is as wide as its number of characters.
    const std::vector<IntroDocument::Line> lines = area->lines();
    const qreal perCharacter =
        lines.at(FirstExplanationLine).box.width() / lines.at(FirstExplanationLine).text.size();
    for (int i = FirstExplanationLine; i < FirstExplanationLine + ExplanationLines; ++i) {
        const IntroDocument::Line &line = lines.at(size_t(i));
        QVERIFY(std::abs(line.box.width() - perCharacter * line.text.size()) < 0.01);
    }
    // 12 pt Courier: 7.2 pt a character.
    QVERIFY(std::abs(perCharacter / area->logicalDpiX() * 72 - 7.2) < 0.4);
}

void IntroTest::windowAtDesignSize()
{
    Session s;
    Form1 &form = s.app.form1();
    const int dpi = form.logicalDpiX();
    QVERIFY(form.isVisible());
    QVERIFY(!form.isMaximized());
    QVERIFY(!form.isMinimized());
    QCOMPARE(form.windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(form.size(), QSize(twipsToPixels(11670, dpi), twipsToPixels(8565, dpi)));
}

void IntroTest::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("Command1") << QStringLiteral("Command1") << QRect(4320, 6120, 2895, 855);
    QTest::newRow("OLE1") << QStringLiteral("OLE1") << QRect(1410, 330, 9135, 6015);
}

void IntroTest::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    Session s;
    Form1 &form = s.app.form1();
    auto *control = form.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(),
             twipsRect(twips.x(), twips.y(), twips.width(), twips.height(), form.logicalDpiX()));
    QVERIFY(control->isVisible());
    QVERIFY(control->isEnabled());
    QCOMPARE(control->focusPolicy(), Qt::StrongFocus);
}

void IntroTest::buttonLiesOverTheArea()
{
    Session s;
    Form1 &form = s.app.form1();
    QCOMPARE(form.Command1->text(), QStringLiteral("AVANTI"));
    const QRect overlap = form.Command1->geometry() & form.OLE1->geometry();
    const int dpi = form.logicalDpiX();
    QCOMPARE(overlap, twipsRect(4320, 6120, 2895, 225, dpi));

    // Where they overlap the button is on top: a click there presses "AVANTI".
    const QPoint inOverlap = overlap.center();
    QCOMPARE(form.childAt(inOverlap), form.Command1);
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier, inOverlap);
    QVERIFY(s.app.exists(2));
    QVERIFY(s.app.form2().isVisible());
    QCOMPARE(s.app.program().activeForm(), &s.app.form2());
}

void IntroTest::tabOrder()
{
    Session s;
    Form1 &form = s.app.form1();
    // The document area takes the focus first, then "AVANTI", and round again.
    QCOMPARE(QApplication::focusWidget(), form.OLE1);
    const QRgb highlight = form.OLE1->palette().color(QPalette::Highlight).rgb();
    const QPoint leftEdge(0, form.OLE1->height() / 2);
    QVERIFY(!form.OLE1->showsFocus());
    QVERIFY(renderArea(form.OLE1, 1).pixel(leftEdge) != highlight);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.Command1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.OLE1);
    // Reached from the keyboard, the area shows its focus with a thin frame.
    QVERIFY(form.OLE1->showsFocus());
    QCOMPARE(renderArea(form.OLE1, 1).pixel(leftEdge), highlight);
    // A click brings the focus back to the area without the frame.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.Command1);
    QTest::mouseClick(form.OLE1, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(QApplication::focusWidget(), form.OLE1);
    QVERIFY(!form.OLE1->showsFocus());
    QVERIFY(renderArea(form.OLE1, 1).pixel(leftEdge) != highlight);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), form.Command1);
    // Keys in the document area do nothing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), form.OLE1);
    QTest::keyClick(form.OLE1, Qt::Key_Return);
    QTest::keyClick(form.OLE1, Qt::Key_Space);
    QVERIFY(!s.app.exists(2));
    // With the focus on "AVANTI", the space bar presses it.
    QTest::keyClick(form.OLE1, Qt::Key_Tab);
    QTest::keyClick(form.Command1, Qt::Key_Space);
    QVERIFY(s.app.exists(2));
    QCOMPARE(s.app.program().activeForm(), &s.app.form2());
}

void IntroTest::avantiShowsForm2AndBringsTheSameBack()
{
    Session s;
    QVERIFY(!s.app.exists(2));
    ui::click(s.app.form1().Command1);
    QVERIFY(s.app.exists(2));
    Form2 *first = &s.app.form2();
    QVERIFY(first->isVisible());
    QCOMPARE(s.app.program().activeForm(), first);
    QCOMPARE(s.activations[2], 1);
    QCOMPARE(first->Incr, Variant(0.51));

    s.calibrate(4);
    QCOMPARE(first->Incr, Variant(0.59));

    // Back on Form1, a second press brings the same Form2 back, and its activation resets Incr.
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    ui::switchTo(&s.app.form1());
    QCOMPARE(s.app.program().activeForm(), &s.app.form1());
    ui::click(s.app.form1().Command1);
    QCOMPARE(&s.app.form2(), first);
    QCOMPARE(s.app.program().activeForm(), first);
    QCOMPARE(s.activations[2], 2);
    QCOMPARE(first->Incr, Variant(0.51));
    QVERIFY(!s.app.exists(3));
}

void IntroTest::form1StaysOpenBehindTheOthers()
{
    Session s;
    Form1 &form = s.app.form1();
    s.toForm2();
    QVERIFY(form.isVisible());
    s.toForm3();
    QVERIFY(form.isVisible());
    s.choose(1);
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    QVERIFY(form.isVisible());
    QVERIFY(!form.isMinimized());
    QVERIFY(!form.isMaximized());
    // Still at its design size, with its document, and the user can switch back to it.
    QCOMPARE(form.size(), QSize(twipsToPixels(11670, form.logicalDpiX()),
                                twipsToPixels(8565, form.logicalDpiY())));
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    ui::switchTo(&form);
    QCOMPARE(s.app.program().activeForm(), &form);
    QVERIFY(s.app.form4().isVisible());
    QVERIFY(s.app.form3().isVisible());
    QVERIFY(s.app.form2().isVisible());
}

BORVANE_TEST_MAIN(IntroTest)
#include "tst_intro.moc"
