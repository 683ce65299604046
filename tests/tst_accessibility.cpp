// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The windows as assistive tools (a screen reader, switch or voice control) see them: every
// control the keyboard reaches has a name, the introduction document can be read, and the
// tools' own actions choose the figure as the mouse would. (The scroll bar set by such a tool:
// tst_calibration.)

#include "support/support.h"

#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/intro/intro_document.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

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
    void everyTabStopHasAName_data();
    void everyTabStopHasAName();
    void documentCanBeRead();
    void figureChosenByAssistiveAction_data();
    void figureChosenByAssistiveAction();
};

void AccessibilityTest::everyTabStopHasAName_data()
{
    // What a screen reader says at each stop, round the window with the Tab key: the name, then
    // the description, if any, after " | ", and "(Label2)" where the label Label2 names the
    // control.
    QTest::addColumn<int>("window");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("Form1")
        << 1
        << QStringList{"Documento introduttivo | Spiega il metodo del programma: i punti "
                       "interni dell'ellisse e dell'iperbole ottenuti dai coseni di due "
                       "angoli",
                       "AVANTI"};
    QTest::newRow("Form2")
        << 2
        << QStringList{
               "Calibrazione dello schermo | Spostare la barra fino a che la figura risulti una "
               "circonferenza",
               "Rapporto tra altezza e larghezza | Il rapporto scelto con la barra di calibrazione",
               "OK - continua",
               // The instruction paints its own caption, wrapped: it is still the button's name.
               "KLICCARE  sulla barra di scorrimento fino a che la figura  risulti una "
               "CIRCONFERENZA",
               "ESCI"};
    // The two option buttons are one stop.
    QTest::newRow("Form3") << 3
                           << QStringList{"Valore (a) (Label2)",
                                          "Valore (b) (Label3)",
                                          "Valore (c) | Valore massimo della somma  dei coseni "
                                          "al quadrato (Label4)",
                                          "AVANTI",
                                          "ESCI",
                                          "ELLISSE"};
    QTest::newRow("Form4") << 4
                           << QStringList{"ESCI", "Cancella e riprendi", "RIPRENDI",
                                          "Traccia la figura base"};
}

void AccessibilityTest::everyTabStopHasAName()
{
    QFETCH(int, window);
    QFETCH(QStringList, heard);
    Session s;
    Form &form = open(s, window);
    QWidget *first = QApplication::focusWidget();
    QVERIFY(first && first->window() == &form);
    QStringList said;
    QWidget *at = first;
    do {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(at);
        QVERIFY(iface);
        QString text = iface->text(QAccessible::Name);
        const QString description = iface->text(QAccessible::Description);
        if (!description.isEmpty()) text += QStringLiteral(" | ") + description;
        for (const auto &label : iface->relations(QAccessible::Label))
            if (auto *widget = qobject_cast<QLabel *>(label.first->object()))
                text += QStringLiteral(" (%1)").arg(widget->objectName());
        said << text;
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        QVERIFY(at);
    } while (at != first && said.size() <= heard.size());
    QCOMPARE(said, heard);
}

void AccessibilityTest::documentCanBeRead()
{
    Session s;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(s.app.form1().OLE1);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Document);
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
    QTest::newRow("toggle ELLISSE, then IPERBOLE") << QStringList{"1 toggle", "2 toggle"} << 2;
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
    QCOMPARE(f.Opt.kind(), Variant::Kind::Integer);
    QCOMPARE(f.Opt, Variant(figure));
}

BORVANE_TEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
