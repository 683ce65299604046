// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The windows as assistive tools (a screen reader, switch or voice control) see them: every
// control the keyboard reaches has a name, the introduction document can be read, and the
// tools' own actions choose the figure and move the scroll bar as the mouse would.

#include "support/support.h"

#include "calibration/form2.h"
#include "intro/form1.h"
#include "intro/intro_document.h"
#include "parameters/form3.h"
#include "plot/form4.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

Q_DECLARE_METATYPE(QAccessible::Role)

namespace {

// The window opened the ordinary way, by the user's clicks.
Form &open(Session &s, int window)
{
    if (window >= 2) s.toForm2();
    if (window >= 3) s.toForm3();
    if (window == 4) {
        s.choose(1);
        s.toForm4();
    }
    Form *forms[] = {&s.app.form1(), &s.app.form2(), &s.app.form3(), &s.app.form4()};
    return *forms[window - 1];
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void controlNames_data();
    void controlNames();
    void everyTabStopHasAName_data();
    void everyTabStopHasAName();
    void documentCanBeRead();
    void figureChosenByAssistiveAction_data();
    void figureChosenByAssistiveAction();
    void scrollBarSetByAssistiveTool_data();
    void scrollBarSetByAssistiveTool();
};

void AccessibilityTest::controlNames_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("label"); // the label that names the control, if one does
    auto row = [](int window, const char *control, QAccessible::Role role, const char *name,
                  const char *description = "", const char *label = "") {
        QTest::addRow("Form%d %s", window, control)
            << window << QString::fromLatin1(control) << role << QString::fromUtf8(name)
            << QString::fromUtf8(description) << QString::fromLatin1(label);
    };
    using A = QAccessible;
    row(1, "OLE1", A::Document, "Documento introduttivo",
        "Spiega il metodo del programma: i punti interni dell'ellisse e dell'iperbole ottenuti "
        "dai coseni di due angoli");
    row(1, "Command1", A::Button, "AVANTI");
    row(2, "HScroll1", A::ScrollBar, "Calibrazione dello schermo",
        "Spostare la barra fino a che la figura risulti una circonferenza");
    row(2, "Text1", A::EditableText, "Rapporto tra altezza e larghezza",
        "Il rapporto scelto con la barra di calibrazione");
    row(2, "Command1", A::Button, "OK - continua");
    // The instruction paints its own caption, wrapped: it is still the button's name.
    row(2, "Command2", A::Button,
        "KLICCARE  sulla barra di scorrimento fino a che la figura  risulti una CIRCONFERENZA");
    row(2, "Command3", A::Button, "ESCI");
    row(3, "Text1", A::EditableText, "Valore (a)", "", "Label2");
    row(3, "Text2", A::EditableText, "Valore (b)", "", "Label3");
    row(3, "Text3", A::EditableText, "Valore (c)",
        "Valore massimo della somma  dei coseni al quadrato", "Label4");
    row(3, "Command2", A::Button, "AVANTI");
    row(3, "Command1", A::Button, "ESCI");
    row(3, "Option1", A::RadioButton, "ELLISSE");
    row(3, "Option2", A::RadioButton, "IPERBOLE");
    row(4, "Command3", A::Button, "ESCI");
    row(4, "Command2", A::Button, "Cancella e riprendi");
    row(4, "Command1", A::Button, "RIPRENDI");
    row(4, "Command4", A::Button, "Traccia la figura base");
}

void AccessibilityTest::controlNames()
{
    QFETCH(int, window);
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, label);
    Session s;
    Form &form = open(s, window);
    auto *widget = form.findChild<QWidget *>(control);
    QVERIFY(widget);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface);
    QCOMPARE(iface->role(), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->text(QAccessible::Description), description);
    QVERIFY(iface->state().focusable);
    if (label.isEmpty()) return;

    // The label beside the box is its label for the tools too, and shows as before.
    auto *labelWidget = form.findChild<QLabel *>(label);
    QVERIFY(labelWidget);
    QCOMPARE(labelWidget->text(), name);
    QCOMPARE(labelWidget->buddy(), widget);
    const auto labels = iface->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->object(), static_cast<QObject *>(labelWidget));
}

void AccessibilityTest::everyTabStopHasAName_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("stops");
    QTest::newRow("Form1") << 1 << 2;
    QTest::newRow("Form2") << 2 << 5;
    QTest::newRow("Form3") << 3 << 6; // the two option buttons are one stop
    QTest::newRow("Form4") << 4 << 4;
}

void AccessibilityTest::everyTabStopHasAName()
{
    QFETCH(int, window);
    QFETCH(int, stops);
    Session s;
    Form &form = open(s, window);
    QWidget *first = QApplication::focusWidget();
    QVERIFY(first);
    QCOMPARE(first->window(), &form);
    // Round the window with the Tab key, as a screen reader user goes, hearing each name.
    QStringList heard;
    QWidget *at = first;
    do {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(at);
        QVERIFY(iface);
        const QString name = iface->text(QAccessible::Name);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(at->objectName()));
        heard << name;
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        QVERIFY(at);
    } while (at != first && heard.size() <= stops);
    QCOMPARE(heard.size(), stops);
    QCOMPARE(heard.removeDuplicates(), 0);
}

void AccessibilityTest::documentCanBeRead()
{
    Session s;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(s.app.form1().OLE1);
    QVERIFY(iface);
    QVERIFY(iface->state().readOnly);
    QAccessibleTextInterface *text = iface->textInterface();
    QVERIFY(text);
    const QStringList lines = text->text(0, text->characterCount()).split(QLatin1Char('\n'));
    // The two headings, an empty line and the seven lines of the explanation; nothing blank
    // before or after them.
    QCOMPARE(lines.size(), 10);
    QVERIFY(lines.at(0).contains(QStringLiteral("Borvane")));
    QCOMPARE(lines.at(2), QString());
    QCOMPARE(lines.at(3), QStringLiteral("Anziché considerare il valore degli angoli parametrici"));
    QCOMPARE(lines.at(7),
             QStringLiteral("E\u2019 ovvio che per Valore(c) uguale ad 1 si avranno tutti "));
    QCOMPARE(lines.at(9), QStringLiteral("contenente la figura."));
}

void AccessibilityTest::figureChosenByAssistiveAction_data()
{
    // Each step: an option button (1 "ELLISSE", 2 "IPERBOLE") and how it is chosen: "toggle"
    // or "press", the tools' actions, or "program", its value set from elsewhere.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("figure");
    QTest::newRow("toggle ELLISSE") << QStringList{"1 toggle"} << 1;
    QTest::newRow("toggle ELLISSE, then IPERBOLE") << QStringList{"1 toggle", "2 toggle"} << 2;
    QTest::newRow("press ELLISSE") << QStringList{"1 press"} << 1;
    QTest::newRow("press IPERBOLE") << QStringList{"2 press"} << 2;
    QTest::newRow("IPERBOLE, then toggle ELLISSE twice")
        << QStringList{"2 press", "1 toggle", "1 toggle"} << 1;
    QTest::newRow("IPERBOLE set by the program") << QStringList{"2 program"} << 2;
}

void AccessibilityTest::figureChosenByAssistiveAction()
{
    QFETCH(QStringList, steps);
    QFETCH(int, figure);
    Session s;
    open(s, 3);
    Form3 &f = s.app.form3();
    for (const QString &step : steps) {
        QRadioButton *option = step.startsWith(QLatin1Char('1')) ? f.Option1 : f.Option2;
        const QString how = step.section(QLatin1Char(' '), 1);
        if (how == QLatin1String("program")) {
            option->setChecked(true);
            continue;
        }
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(option);
        QVERIFY(iface);
        QAccessibleActionInterface *actions = iface->actionInterface();
        QVERIFY(actions);
        const QString action = how == QLatin1String("toggle")
                                   ? QAccessibleActionInterface::toggleAction()
                                   : QAccessibleActionInterface::pressAction();
        if (how == QLatin1String("toggle")) QVERIFY(actions->actionNames().contains(action));
        actions->doAction(action);
        QTRY_VERIFY(option->isChecked());
    }
    QCOMPARE(f.Option1->isChecked(), figure == 1);
    QCOMPARE(f.Option2->isChecked(), figure == 2);
    QCOMPARE(f.Opt.kind(), Variant::Kind::Integer);
    QCOMPARE(f.Opt, Variant(figure));

    // "AVANTI" plots the chosen figure: the ellipse about the vertical axis, the hyperbola's
    // branch to its right.
    s.app.form4(); // created before the plot, to record it
    DrawingRecorder drawn(s.app.form4());
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());
    QCOMPARE(s.app.program().activeForm(), &s.app.form4());
    const float cx = CSng(s.app.form4().CX);
    qsizetype left = 0, right = 0;
    for (const auto &dot : drawn.dots)
        (dot.x < cx ? left : right) += 1;
    QVERIFY(right > 0);
    if (figure == 1)
        QVERIFY(left > right / 2);
    else
        QCOMPARE(left, 0);
}

void AccessibilityTest::scrollBarSetByAssistiveTool_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("clears");
    QTest::newRow("1 to 9") << 1 << 9 << 9 << "0,69" << 0;
    QTest::newRow("12 to 3") << 12 << 3 << 3 << "0,57" << 1;
    QTest::newRow("40, past the right end") << 1 << 40 << 30 << "1,11" << 0;
}

void AccessibilityTest::scrollBarSetByAssistiveTool()
{
    QFETCH(int, from);
    QFETCH(int, set);
    QFETCH(int, value);
    QFETCH(QString, text);
    QFETCH(int, clears);
    Session s;
    Form2 &f = static_cast<Form2 &>(open(s, 2));
    s.calibrate(from);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(f.HScroll1);
    QVERIFY(iface);
    QAccessibleValueInterface *bar = iface->valueInterface();
    QVERIFY(bar);
    QCOMPARE(bar->currentValue().toInt(), from);
    DrawingRecorder drawn(f);
    bar->setCurrentValue(set);
    // One change: the new ratio, shown, and one frame and circle.
    QCOMPARE(f.HScroll1->value(), value);
    QCOMPARE(f.Text1->text(), text);
    QCOMPARE(drawn.clears, clears);
    QCOMPARE(drawn.lines.size(), size_t(2));
    QCOMPARE(drawn.dots.size(), size_t(3600));
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
