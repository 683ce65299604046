// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The parameter window: its layout, the choice of the figure, and "AVANTI" reading and checking
// a, b and c (messages, emptied red boxes, the limit on c, the missing figure, the colour index)
// before the plot window is shown. Everything is typed, clicked and answered as a user would.

#include "support/support.h"

#include "runtime/palette.h"
#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextLayout>
#include <algorithm>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Red = qRgb(255, 0, 0);

const QString VALaMessage = QStringLiteral("VALa non è un numero");
const QString VALbMessage = QStringLiteral("VALb non è un numero");
const QString VALcMessage = QStringLiteral("VALc non è un numero");
const QString MaxMessage = QStringLiteral("Valore (c) Max 2");
const QString FigureMessage = QStringLiteral(" Manca scelta figura");

// A session with the calibration done and the parameter window open, as the user finds it.
struct ParameterSession : Session
{
    ParameterSession()
    {
        toForm2();
        calibrate(2);
        toForm3();
    }
    Form3 &f() { return app.form3(); }
    QLineEdit *box(int n) { return n == 1 ? f().Text1 : n == 2 ? f().Text2 : f().Text3; }
    Variant &value(int n) { return n == 1 ? f().VALa : n == 2 ? f().VALb : f().VALc; }
    // Replaces the text of a box through the clipboard, as a paste with Ctrl+V.
    void paste(int n, const QString &text)
    {
        QLineEdit *edit = box(n);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }
    // Which of the three boxes are red, as "..." with R for a red box and W for a white one.
    QString colours()
    {
        QString result;
        for (int n = 1; n <= 3; ++n)
            result += BackColor(box(n)) == Red     ? QLatin1Char('R')
                      : BackColor(box(n)) == White ? QLatin1Char('W')
                                                   : QLatin1Char('?');
        return result;
    }
};

// The value a read left, written for comparison: "Empty", "text:" and its text, or the number.
QString describe(const Variant &value)
{
    switch (value.kind()) {
    case Variant::Kind::Empty:
        return QStringLiteral("Empty");
    case Variant::Kind::Text:
        return QStringLiteral("text:") + value.text();
    case Variant::Kind::Double:
        return QString::number(value.number(), 'g', 17);
    default:
        return QStringLiteral("not a Double: ") + QString::number(value.number(), 'g', 17);
    }
}

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

// The number of a plain entry such as "20", "-1" or "0,5", written as describe() writes it; an
// entry that is not plain never matches a value.
QString plain(const QString &text)
{
    bool ok = false;
    const double value = QLocale(QLocale::Italian).toDouble(text, &ok);
    return ok ? number(value) : QStringLiteral("not a plain entry: ") + text;
}

} // namespace

class ParametersTest : public QObject
{
    Q_OBJECT

private slots:
    void firstDisplay();
    void layout_data();
    void layout();
    void creationOrder();
    void frameCaptionOnItsBorder();
    void noteOnCWrapsOnThreeLines();
    void tabOrder_data();
    void tabOrder();
    void neitherButtonIsDefaultOrCancel_data();
    void neitherButtonIsDefaultOrCancel();
    void defaultsReachThePlot_data();
    void defaultsReachThePlot();
    void badEntries_data();
    void badEntries();
    void numbers_data();
    void numbers();
    void limitOnCAndMissingFigure_data();
    void limitOnCAndMissingFigure();
    void colourIndexBroughtBackIntoRange_data();
    void colourIndexBroughtBackIntoRange();
    void correctedBoxStaysRedUntilNextActivation_data();
    void correctedBoxStaysRedUntilNextActivation();
    void figureChoice_data();
    void figureChoice();
    void figureChoiceByKeyboard();
    void hostileTexts_data();
    void hostileTexts();
};

void ParametersTest::firstDisplay()
{
    ParameterSession s;
    Form3 &f = s.f();
    QCOMPARE(f.windowTitle(), QStringLiteral("Form3"));
    QVERIFY(f.isMaximized());
    QCOMPARE(f.Text1->text(), QStringLiteral("20"));
    QCOMPARE(f.Text2->text(), QStringLiteral("15"));
    QCOMPARE(f.Text3->text(), QStringLiteral("0,5"));
    QVERIFY(!f.Option1->isChecked());
    QVERIFY(!f.Option2->isChecked());
    QCOMPARE(QApplication::focusWidget(), f.Text1);
    QCOMPARE(s.colours(), QStringLiteral("WWW"));
    QVERIFY(f.VALa.isEmpty());
    QVERIFY(f.VALb.isEmpty());
    QVERIFY(f.VALc.isEmpty());
    QVERIFY(f.Opt.isEmpty());
    QCOMPARE(f.Miocolor, Integer(0));
    QVERIFY(s.boxes.texts.isEmpty());
}

void ParametersTest::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("red");
    const QString form = QStringLiteral("Form3");
    const QString frame = QStringLiteral("Frame1");
    auto row = [](const char *name, const QString &parent, const char *caption, QRect twips,
                  qreal points = 8.25, bool bold = false, bool red = false) {
        QTest::newRow(name) << QString::fromLatin1(name) << parent << QString::fromUtf8(caption)
                            << twips << points << bold << red;
    };
    row("Frame1", form, "Scelta della figura", {360, 1200, 3015, 1455});
    row("Option2", frame, "IPERBOLE", {240, 840, 1575, 375});
    row("Option1", frame, "ELLISSE", {240, 240, 1575, 375});
    row("Text1", form, "20", {6000, 1320, 735, 495});
    row("Text2", form, "15", {6000, 2160, 735, 495});
    row("Text3", form, "0,5", {9240, 1800, 735, 495});
    row("Command1", form, "ESCI", {960, 4200, 1935, 735});
    row("Command2", form, "AVANTI", {3840, 4200, 1935, 735});
    row("Label4", form, "Valore (c)", {7560, 1800, 1335, 375}, 12);
    row("Label5", form, "Valore massimo della somma  dei coseni al quadrato",
        {10320, 1680, 2055, 615});
    row("Label1", form, "IMPOSTARE I VALORI DELLE COSTANTI", {1800, 360, 6135, 375}, 13.5, true,
        true);
    row("Label2", form, "Valore (a)", {4200, 1440, 1455, 375}, 12);
    row("Label3", form, "Valore (b)", {4200, 2160, 1455, 375}, 12);
}

void ParametersTest::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, red);
    ParameterSession s;
    auto *control = s.f().findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    // 15 twips to a pixel at 96 dots per inch.
    QCOMPARE(control->geometry(),
             QRect(std::lround(twips.x() / 15.0), std::lround(twips.y() / 15.0),
                   std::lround(twips.width() / 15.0), std::lround(twips.height() / 15.0)));
    QString text;
    if (auto *label = qobject_cast<QLabel *>(control))
        text = label->text();
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        text = button->text();
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        text = edit->text();
    else if (auto *group = qobject_cast<QGroupBox *>(control))
        text = group->title();
    QCOMPARE(text, caption);
    QCOMPARE(control->font().pointSizeF(), points);
    QCOMPARE(control->font().bold(), bold);
    QVERIFY(!control->font().italic());
    QVERIFY(!control->font().underline());
    QVERIFY(!control->font().strikeOut());
    const QRgb foreground = control->palette().color(control->foregroundRole()).rgb();
    QCOMPARE(foreground == Red, red);
    if (auto *label = qobject_cast<QLabel *>(control)) {
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::Window), s.f().palette().color(QPalette::Window));
        QVERIFY(label->alignment() & Qt::AlignLeft);
        QCOMPARE(label->frameShape(), QFrame::NoFrame);
    }
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        QVERIFY(edit->alignment() & Qt::AlignLeft);
        QVERIFY(edit->maxLength() >= 1 << 20); // a megabyte fits whole
    }
}

void ParametersTest::creationOrder()
{
    ParameterSession s;
    QStringList order;
    for (QWidget *control : s.f().findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        order << control->objectName();
        if (control == s.f().Frame1) {
            for (QWidget *inside : control->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                order << inside->objectName();
        }
    }
    order.removeAll(QString()); // the style's own helpers
    QCOMPARE(order,
             (QStringList{"Frame1", "Option2", "Option1", "Text1", "Text2", "Text3", "Command1",
                          "Command2", "Label4", "Label5", "Label1", "Label2", "Label3"}));
}

void ParametersTest::frameCaptionOnItsBorder()
{
    ParameterSession s;
    QGroupBox *frame = s.f().Frame1;
    const QImage drawn = frame->grab().toImage();
    const QRgb background = s.f().palette().color(QPalette::Window).rgb();
    // The left border starts at the top line of the frame.
    int top = 0;
    while (top < drawn.height() && drawn.pixel(0, top) == background)
        ++top;
    const QRgb line = drawn.pixel(0, top);
    // The top line runs through the caption's middle, above both option buttons...
    const int captionHeight = frame->fontMetrics().height();
    QVERIFY2(top > 0 && top < captionHeight, qPrintable(QString::number(top)));
    QVERIFY(top < s.f().Option1->y());
    QCOMPARE(drawn.pixel(drawn.width() - 10, top), line);
    // ...and is broken by the caption, which is drawn on the window's colour.
    const int captionMiddle = frame->fontMetrics().horizontalAdvance(frame->title()) / 2 + 10;
    QVERIFY(drawn.pixel(captionMiddle, top) != line);
    int inked = 0;
    for (int y = 0; y < captionHeight; ++y) {
        for (int x = 0; x < 2 * captionMiddle; ++x)
            inked += drawn.pixel(x, y) != background && drawn.pixel(x, y) != line;
    }
    QVERIFY(inked > 20);
    // The options lie wholly inside the frame.
    for (QRadioButton *option : {s.f().Option1, s.f().Option2})
        QVERIFY(frame->rect().adjusted(1, top + 1, -1, -1).contains(option->geometry()));
}

void ParametersTest::noteOnCWrapsOnThreeLines()
{
    ParameterSession s;
    QLabel *note = s.f().Label5;
    QVERIFY(note->wordWrap());
    QVERIFY(note->text().contains(QStringLiteral("somma  dei")));
    // Lay the caption out in the label's width and font as the label draws it.
    QTextLayout layout(note->text(), note->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(note->contentsRect().width());
        height += line.height();
        lines << note->text().mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    QCOMPARE(lines.size(), 3);
    QVERIFY2(height <= note->contentsRect().height(),
             qPrintable(QStringLiteral("three lines need %1 px of %2")
                            .arg(height)
                            .arg(note->contentsRect().height())));
    QCOMPARE(lines.join(QLatin1Char(' ')), note->text());
}

void ParametersTest::tabOrder_data()
{
    // The two option buttons are one stop of the tab order, as one group: the selected one,
    // or the first when none is; the arrow keys move within the group.
    QTest::addColumn<int>("figure");
    QTest::addColumn<QStringList>("forwards");
    QTest::addColumn<QStringList>("backwards");
    QTest::newRow("no figure") << 0 << QStringList{"Text2",    "Text3",   "Command2",
                                                   "Command1", "Option1", "Text1"}
                               << QStringList{"Option1", "Command1", "Command2",
                                              "Text3",   "Text2",    "Text1"};
    QTest::newRow("ELLISSE") << 1 << QStringList{"Text2",    "Text3",   "Command2",
                                                 "Command1", "Option1", "Text1"}
                             << QStringList{"Option1", "Command1", "Command2",
                                            "Text3",   "Text2",    "Text1"};
    QTest::newRow("IPERBOLE") << 2 << QStringList{"Text2",    "Text3",   "Command2",
                                                  "Command1", "Option2", "Text1"}
                              << QStringList{"Option2", "Command1", "Command2",
                                             "Text3",   "Text2",    "Text1"};
}

void ParametersTest::tabOrder()
{
    QFETCH(int, figure);
    QFETCH(QStringList, forwards);
    QFETCH(QStringList, backwards);
    ParameterSession s;
    Form3 &f = s.f();
    QCOMPARE(QApplication::focusWidget(), f.Text1);
    if (figure) {
        s.choose(figure);
        f.Text1->setFocus();
    }
    QStringList visited;
    for (qsizetype n = 0; n < forwards.size(); ++n) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, forwards);
    visited.clear();
    for (qsizetype n = 0; n < backwards.size(); ++n) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, backwards);
    // Nothing was pressed or chosen on the way.
    QVERIFY(s.boxes.texts.isEmpty());
    QVERIFY(!s.app.program().hasEnded());
    QCOMPARE(f.Option1->isChecked(), figure == 1);
    QCOMPARE(f.Option2->isChecked(), figure == 2);
}

void ParametersTest::neitherButtonIsDefaultOrCancel_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("key");
    for (int box = 1; box <= 3; ++box) {
        QTest::addRow("Enter in Text%d", box) << box << int(Qt::Key_Return);
        QTest::addRow("keypad Enter in Text%d", box) << box << int(Qt::Key_Enter);
        QTest::addRow("Esc in Text%d", box) << box << int(Qt::Key_Escape);
    }
}

void ParametersTest::neitherButtonIsDefaultOrCancel()
{
    QFETCH(int, box);
    QFETCH(int, key);
    ParameterSession s;
    s.choose(1);
    QVERIFY(!s.f().Command1->isDefault());
    QVERIFY(!s.f().Command2->isDefault());
    s.box(box)->setFocus();
    ui::key(s.box(box), key);
    ui::settle();
    QVERIFY(s.boxes.texts.isEmpty());
    QVERIFY(!s.app.exists(4));
    QVERIFY(!s.app.program().hasEnded());
    QVERIFY(s.f().VALa.isEmpty());
    QCOMPARE(s.app.program().activeForm(), &s.f());
}

void ParametersTest::defaultsReachThePlot_data()
{
    QTest::addColumn<int>("figure");
    QTest::newRow("ELLISSE") << 1;
    QTest::newRow("IPERBOLE") << 2;
}

void ParametersTest::defaultsReachThePlot()
{
    QFETCH(int, figure);
    ParameterSession s;
    s.choose(figure);
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    Form3 &f = s.f();
    QCOMPARE(describe(f.VALa), QStringLiteral("20"));
    QCOMPARE(describe(f.VALb), QStringLiteral("15"));
    QCOMPARE(describe(f.VALc), QStringLiteral("0.5"));
    QCOMPARE(f.Opt.kind(), Variant::Kind::Integer);
    QCOMPARE(f.Opt, Variant(figure));
    QVERIFY(s.app.exists(4));
    QVERIFY(s.app.form4().isVisible());
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    QCOMPARE(s.activations[4], 1);
    QCOMPARE(s.app.form4().Va, Variant(20.0));
    QCOMPARE(s.app.form4().Vb, Variant(15.0));
    QCOMPARE(s.app.form4().Vc, Variant(0.5));
    // Form3 stays open behind the plot, as it was left.
    QVERIFY(f.isVisible());
    QCOMPARE(f.Text3->text(), QStringLiteral("0,5"));
}

void ParametersTest::badEntries_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("c");
    QTest::addColumn<int>("failing"); // the box whose message shows
    const QString good[] = {QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("0,5")};
    const QString bad[] = {QStringLiteral("abc"), QString(), QStringLiteral("x1")};
    // Every combination of failing boxes, with each of the bad texts.
    for (int mask = 1; mask < 8; ++mask) {
        for (const QString &text : bad) {
            QString entries[3];
            QString name;
            for (int n = 0; n < 3; ++n) {
                const bool fails = mask & (1 << n);
                entries[n] = fails ? text : good[n];
                if (fails) name += QStringLiteral("%1 bad, ").arg(QChar('a' + n));
            }
            const int failing = (mask & 1) ? 1 : (mask & 2) ? 2 : 3;
            QTest::newRow(qPrintable(name + QLatin1Char('"') + text + QLatin1Char('"')))
                << entries[0] << entries[1] << entries[2] << failing;
        }
    }
}

void ParametersTest::badEntries()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, c);
    QFETCH(int, failing);
    const QString entries[] = {a, b, c};
    const QString messages[] = {VALaMessage, VALbMessage, VALcMessage};
    ParameterSession s;
    s.choose(1);
    s.enter(a, b, c);

    // While the message is open, the rejected box still holds its text and is still white,
    // and its value is not yet changed.
    QString colourWhileShown, textWhileShown, valueWhileShown;
    s.boxes.whileShown = [&](QMessageBox &) {
        colourWhileShown = s.colours();
        textWhileShown = s.box(failing)->text();
        valueWhileShown = describe(s.value(failing));
    };
    s.toForm4();

    QCOMPARE(s.boxes.texts, QStringList{messages[failing - 1]});
    QCOMPARE(s.boxes.titles, QStringList{QStringLiteral("Borvane")});
    QCOMPARE(colourWhileShown, QStringLiteral("WWW"));
    QCOMPARE(textWhileShown, entries[failing - 1]);
    QCOMPARE(valueWhileShown, QStringLiteral("Empty"));

    QVERIFY(!s.app.exists(4));
    QCOMPARE(s.app.program().activeForm(), &s.f());
    for (int n = 1; n <= 3; ++n) {
        if (n < failing) {
            QCOMPARE(describe(s.value(n)), number(n == 1 ? 20 : 15));
            QCOMPARE(s.box(n)->text(), entries[n - 1]);
        } else if (n == failing) {
            QCOMPARE(describe(s.value(n)), QStringLiteral("text:"));
            QCOMPARE(s.box(n)->text(), QString());
        } else {
            // Not read: its text and its value stay as they were.
            QCOMPARE(describe(s.value(n)), QStringLiteral("Empty"));
            QCOMPARE(s.box(n)->text(), entries[n - 1]);
        }
    }
    QString expectedColours = QStringLiteral("WWW");
    expectedColours[failing - 1] = QLatin1Char('R');
    QCOMPARE(s.colours(), expectedColours);
    QCOMPARE(s.f().Miocolor, Integer(0));
    QCOMPARE(s.f().Opt, Variant(1));
}

// How a text in a box reads: the program's one rule for numbers, the same on every Qt. Each text
// is typed into a box and read by "AVANTI".
void ParametersTest::numbers_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("value");
    struct Case
    {
        const char *text; // UTF-8
        bool accepted;
        double value;
    };
    const Case cases[] = {
        // The Italian way: decimal comma, groups of three after a first group of one to three
        // digits, blanks around, a sign.
        {"0,5", true, 0.5},
        {"-3,25", true, -3.25},
        {"2", true, 2},
        {" 20 ", true, 20},
        {"\t7\u00a0", true, 7},
        {"+5", true, 5},
        {"-0,5", true, -0.5},
        {"\u22121", true, -1},
        {"\u22120,5", true, -0.5},
        {"007", true, 7},
        {"1.000", true, 1000},
        {"-1.000", true, -1000},
        {"1.000,5", true, 1000.5},
        {"12.345,67", true, 12345.67},
        {"999.999", true, 999999},
        {"1.000.000", true, 1e6},
        {"123.456.789", true, 123456789},
        {",5", true, 0.5},
        {"-,5", true, -0.5},
        {"5,", true, 5},
        {"1.000,", true, 1000},
        // A point as the decimal separator where the text is no Italian number.
        {"0.5", true, 0.5},
        {"0.25", true, 0.25},
        {"1.25", true, 1.25},
        {"1.2345", true, 1.2345},
        {"1.0000", true, 1},
        {"1234.567", true, 1234.567},
        {".5", true, 0.5},
        {".500", true, 0.5},
        {"5.", true, 5},
        // A leading zero never begins a group of thousands.
        {"0.500", true, 0.5},
        {"-0.500", true, -0.5},
        {"00.500", true, 0.5},
        {"012.345", true, 12.345},
        {"0.000", true, 0},
        // An exponent.
        {"1e3", true, 1000},
        {"1E3", true, 1000},
        {"1e+3", true, 1000},
        {"2,5E-1", true, 0.25},
        {"1,5e3", true, 1500},
        {"1.5e3", true, 1500},
        {"1.000e3", true, 1e6},
        {"1E+30", true, 1e30},
        {"1e-310", true, 1e-310},
        // Not numbers.
        {"", false, 0},
        {"   ", false, 0},
        {"abc", false, 0},
        {"1,2,3", false, 0},
        {"1,5.3", false, 0},
        {"1,000.5", false, 0},
        {"1.000.5", false, 0},
        {"1.23.456", false, 0},
        {"1 000", false, 0},
        {"1\u00a0000", false, 0},
        {"- 5", false, 0},
        {"5-", false, 0},
        {"+-5", false, 0},
        {"-", false, 0},
        {",", false, 0},
        {".", false, 0},
        {"e3", false, 0},
        {"1e", false, 0},
        {"1e400", false, 0},
        {"-1e400", false, 0},
        {"1e-400", false, 0},
        {"inf", false, 0},
        {"nan", false, 0},
        {"0x1A", false, 0},
        {"\u0661\u0662", false, 0}, // Arabic-Indic digits
        {"\uff12\uff10", false, 0}, // full-width digits
        {"2\u0001", false, 0},
    };
    // The boxes in turn: each reads by the same rule, and each meets texts of every kind.
    int box = 0;
    for (const Case &c : cases) {
        box = box % 3 + 1;
        // c takes no value above its limit of 2 (see limitOnCAndMissingFigure).
        const int into = box == 3 && c.accepted && c.value > 2 ? 1 : box;
        const QString text = QString::fromUtf8(c.text);
        QString shown;
        for (const QChar ch : text)
            shown += ch.isPrint() && ch != u'\u00a0'
                         ? QString(ch)
                         : QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
        QTest::addRow("%c = \"%s\"", 'a' + into - 1, qPrintable(shown))
            << into << text << c.accepted << c.value;
    }
}

void ParametersTest::numbers()
{
    QFETCH(int, box);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, value);
    const QString messages[] = {VALaMessage, VALbMessage, VALcMessage};
    ParameterSession s;
    s.choose(1);
    // What cannot be typed (a tab, a control character) is pasted.
    if (std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.isPrint(); }))
        ui::type(s.box(box), text);
    else
        s.paste(box, text);
    QCOMPARE(s.box(box)->text(), text);
    s.toForm4();
    if (accepted) {
        QVERIFY(s.boxes.texts.isEmpty());
        QCOMPARE(describe(s.value(box)), number(value));
        QCOMPARE(s.box(box)->text(), text);
        QVERIFY(s.app.exists(4));
        QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    } else {
        QCOMPARE(s.boxes.texts, QStringList{messages[box - 1]});
        QCOMPARE(describe(s.value(box)), QStringLiteral("text:"));
        QCOMPARE(s.box(box)->text(), QString());
        QCOMPARE(BackColor(s.box(box)), Red);
        QVERIFY(!s.app.exists(4));
    }
}

void ParametersTest::limitOnCAndMissingFigure_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("c");
    QTest::addColumn<int>("figure"); // 0: none chosen
    QTest::addColumn<QString>("message");
    QTest::addColumn<double>("cValue");
    const QString none;
    QTest::newRow("c = 2 accepted") << "20"
                                    << "15"
                                    << "2" << 1 << none << 2.0;
    QTest::newRow("c = 2,0 accepted") << "20"
                                      << "15"
                                      << "2,0" << 2 << none << 2.0;
    QTest::newRow("c = 2,0000001 refused") << "20"
                                           << "15"
                                           << "2,0000001" << 1 << MaxMessage << 2.0000001;
    QTest::newRow("c = 3 refused") << "20"
                                   << "15"
                                   << "3" << 2 << MaxMessage << 3.0;
    QTest::newRow("c = 1.000 refused") << "20"
                                       << "15"
                                       << "1.000" << 1 << MaxMessage << 1000.0;
    QTest::newRow("c > 2 before the figure") << "20"
                                             << "15"
                                             << "2,5" << 0 << MaxMessage << 2.5;
    QTest::newRow("c = 0 accepted") << "20"
                                    << "15"
                                    << "0" << 1 << none << 0.0;
    QTest::newRow("negative c accepted") << "20"
                                         << "15"
                                         << "-1" << 1 << none << -1.0;
    QTest::newRow("negative a and b accepted") << "-20"
                                               << "-15"
                                               << "0,5" << 1 << none << 0.5;
    QTest::newRow("zero a and b accepted") << "0"
                                           << "0"
                                           << "1" << 1 << none << 1.0;
    QTest::newRow("no figure") << "20"
                               << "15"
                               << "0,5" << 0 << FigureMessage << 0.5;
    QTest::newRow("no figure, c = 2") << "20"
                                      << "15"
                                      << "2" << 0 << FigureMessage << 2.0;
    QTest::newRow("no figure, negative values") << "-1"
                                                << "-1"
                                                << "-1" << 0 << FigureMessage << -1.0;
}

void ParametersTest::limitOnCAndMissingFigure()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, c);
    QFETCH(int, figure);
    QFETCH(QString, message);
    QFETCH(double, cValue);
    ParameterSession s;
    if (figure) s.choose(figure);
    s.enter(a, b, c);
    s.toForm4();
    QCOMPARE(describe(s.f().VALa), plain(a));
    QCOMPARE(describe(s.f().VALc), number(cValue));
    // No box is emptied or coloured by these checks.
    QCOMPARE(s.f().Text3->text(), c);
    QCOMPARE(s.colours(), QStringLiteral("WWW"));
    if (message.isEmpty()) {
        QVERIFY(s.boxes.texts.isEmpty());
        QVERIFY(s.app.exists(4));
        QCOMPARE(s.app.program().activeForm(), &s.app.form4());
        QCOMPARE(s.f().Opt, Variant(figure));
    } else {
        QCOMPARE(s.boxes.texts, QStringList{message});
        QVERIFY(!s.app.exists(4));
        QCOMPARE(s.app.program().activeForm(), &s.f());
        QCOMPARE(s.f().Miocolor, Integer(0));
        if (!figure) QVERIFY(s.f().Opt.isEmpty());
    }
}

void ParametersTest::colourIndexBroughtBackIntoRange_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("atPlot"); // as Form4's activation finds it, before it adds one
    QTest::newRow("7 becomes 0") << 7 << 0;
    QTest::newRow("-1 becomes 0") << -1 << 0;
    QTest::newRow("6 stays") << 6 << 6;
    QTest::newRow("0 stays") << 0 << 0;
    QTest::newRow("32767 becomes 0") << 32767 << 0;
    QTest::newRow("-32768 becomes 0") << -32768 << 0;
}

void ParametersTest::colourIndexBroughtBackIntoRange()
{
    QFETCH(int, before);
    QFETCH(int, atPlot);
    ParameterSession s;
    s.choose(1);
    Form3 &f = s.f();
    f.Miocolor = before;
    // A refused press leaves the colour index alone.
    ui::type(f.Text2, QStringLiteral("?"));
    s.toForm4();
    QCOMPARE(s.boxes.texts, QStringList{VALbMessage});
    QCOMPARE(f.Miocolor, Integer(before));

    ui::type(f.Text2, QStringLiteral("15"));
    int found = -100000;
    QObject::connect(&s.app.program(), &Program::activated, &s.boxes, [&](Form *form) {
        if (form == &s.app.form4()) found = f.Miocolor.value();
    });
    s.toForm4();
    QCOMPARE(s.boxes.texts.size(), 1);
    QCOMPARE(found, atPlot);
    QCOMPARE(f.Miocolor, Integer(atPlot + 1));
}

void ParametersTest::correctedBoxStaysRedUntilNextActivation_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("switchTo"); // how the window is activated again
    QTest::newRow("Text1, back from Form2") << 1 << "Form2";
    QTest::newRow("Text2, back from Form1") << 2 << "Form1";
    QTest::newRow("Text3, RIPRENDI") << 3 << "RIPRENDI";
    QTest::newRow("Text3, Cancella e riprendi") << 3 << "Cancella";
}

void ParametersTest::correctedBoxStaysRedUntilNextActivation()
{
    QFETCH(int, box);
    QFETCH(QString, switchTo);
    ParameterSession s;
    const QString good = s.box(box)->text();
    ui::type(s.box(box), QStringLiteral("abc"));
    s.toForm4();
    QCOMPARE(s.boxes.texts.size(), 1);
    QCOMPARE(BackColor(s.box(box)), Red);
    // The colour is really drawn.
    const QImage drawn = s.box(box)->grab().toImage();
    QCOMPARE(drawn.pixel(drawn.width() - 5, drawn.height() / 2), Red);

    // Corrected and read well, it stays red.
    ui::type(s.box(box), good);
    s.toForm4();
    QCOMPARE(s.boxes.texts.last(), FigureMessage);
    QCOMPARE(describe(s.value(box)), plain(good));
    QCOMPARE(BackColor(s.box(box)), Red);
    const int activations = s.activations[3];

    if (switchTo == QLatin1String("Form2") || switchTo == QLatin1String("Form1")) {
        SKIP_UNLESS_SWITCHING_ON_REQUEST();
        ui::switchTo(switchTo == QLatin1String("Form2") ? static_cast<QWidget *>(&s.app.form2())
                                                        : &s.app.form1());
        QCOMPARE(BackColor(s.box(box)), Red);
        ui::switchTo(&s.f());
    } else {
        s.choose(1);
        s.toForm4();
        QCOMPARE(BackColor(s.box(box)), Red);
        ui::click(switchTo == QLatin1String("RIPRENDI") ? s.app.form4().Command1
                                                        : s.app.form4().Command2);
    }
    QCOMPARE(s.app.program().activeForm(), &s.f());
    QCOMPARE(s.activations[3], activations + 1);
    QCOMPARE(s.colours(), QStringLiteral("WWW"));
    // The texts and values stay as they were.
    QCOMPARE(s.box(box)->text(), good);
    QCOMPARE(describe(s.value(box)), plain(good));
}

void ParametersTest::figureChoice_data()
{
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("opt");
    QTest::newRow("ELLISSE") << "1" << 1;
    QTest::newRow("IPERBOLE") << "2" << 2;
    QTest::newRow("ELLISSE then IPERBOLE") << "12" << 2;
    QTest::newRow("IPERBOLE then ELLISSE") << "21" << 1;
    QTest::newRow("ELLISSE twice") << "11" << 1;
    QTest::newRow("back and forth") << "1212" << 2;
}

void ParametersTest::figureChoice()
{
    QFETCH(QString, clicks);
    QFETCH(int, opt);
    ParameterSession s;
    for (const QChar click : clicks)
        s.choose(click.digitValue());
    Form3 &f = s.f();
    QCOMPARE(f.Option1->isChecked(), opt == 1);
    QCOMPARE(f.Option2->isChecked(), opt == 2);
    QCOMPARE(f.Opt.kind(), Variant::Kind::Integer);
    QCOMPARE(f.Opt, Variant(opt));
    // The choice changes nothing else, and it reaches the plot.
    QCOMPARE(s.colours(), QStringLiteral("WWW"));
    QVERIFY(f.VALa.isEmpty());
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    QCOMPARE(f.Opt, Variant(opt));
}

void ParametersTest::figureChoiceByKeyboard()
{
    ParameterSession s;
    Form3 &f = s.f();
    f.Option1->setFocus();
    ui::key(f.Option1, Qt::Key_Space);
    QVERIFY(f.Option1->isChecked());
    QCOMPARE(f.Opt, Variant(1));
    // The arrow keys move the choice within the frame.
    ui::key(f.Option1, Qt::Key_Down);
    QVERIFY(f.Option2->isChecked());
    QVERIFY(!f.Option1->isChecked());
    QCOMPARE(f.Opt, Variant(2));
}

void ParametersTest::hostileTexts_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pasted");
    const QString megabyteOfLetters(1 << 20, QLatin1Char('x'));
    const QString megabyteOfDigits(1 << 20, QLatin1Char('9'));
    QString megabyteOfNines = megabyteOfDigits;
    megabyteOfNines[0] = QLatin1Char('0');
    megabyteOfNines[1] = QLatin1Char(','); // "0,999...", which reads as 1
    struct Case
    {
        const char *name;
        QString text;
        bool pasted;
    };
    const Case cases[] = {
        {"megabyte of letters", megabyteOfLetters, true},
        {"megabyte of digits", megabyteOfDigits, true},
        {"megabyte 0,99...", megabyteOfNines, true},
        {"control characters", QStringLiteral("2\u00010\u0007\u001b"), true},
        {"tab inside", QStringLiteral("2\t0"), true},
        {"delete character", QStringLiteral("20\u007f"), true},
        {"Chinese", QStringLiteral("二十"), false},
        {"Cyrillic", QStringLiteral("двадцать"), false},
        {"Arabic-Indic digits", QStringLiteral("٢٠"), false},
        {"full-width digits", QStringLiteral("２０"), false},
        {"Greek pi", QStringLiteral("π"), false},
        {"accented", QStringLiteral("è"), false},
        {"emoji", QStringLiteral("2😀"), true},
        {"right-to-left mark", QStringLiteral("\u200f20"), true},
    };
    for (int box = 1; box <= 3; ++box) {
        for (const Case &c : cases)
            QTest::addRow("Text%d %s", box, c.name) << box << c.text << c.pasted;
    }
}

void ParametersTest::hostileTexts()
{
    QFETCH(int, box);
    QFETCH(QString, text);
    QFETCH(bool, pasted);
    const QString messages[] = {VALaMessage, VALbMessage, VALcMessage};
    ParameterSession s;
    s.choose(1);
    if (pasted)
        s.paste(box, text);
    else
        ui::type(s.box(box), text);
    QCOMPARE(s.box(box)->text().size(), text.size());
    s.toForm4();
    if (text.startsWith(QLatin1String("0,999"))) {
        // A long text that is a number is read like a short one.
        QVERIFY(s.boxes.texts.isEmpty());
        QCOMPARE(describe(s.value(box)), QStringLiteral("1"));
        QCOMPARE(s.app.program().activeForm(), &s.app.form4());
        return;
    }
    QCOMPARE(s.boxes.texts, QStringList{messages[box - 1]});
    QCOMPARE(s.box(box)->text(), QString());
    QCOMPARE(describe(s.value(box)), QStringLiteral("text:"));
    QCOMPARE(BackColor(s.box(box)), Red);
    for (int n = box + 1; n <= 3; ++n)
        QCOMPARE(BackColor(s.box(n)), White);
    QVERIFY(!s.app.exists(4));
    // The window still answers: a good entry goes on to the plot.
    ui::type(s.box(box), QStringLiteral("1"));
    s.toForm4();
    QCOMPARE(s.boxes.texts.size(), 1);
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
}

BORVANE_TEST_MAIN(ParametersTest)
#include "tst_parameters.moc"
