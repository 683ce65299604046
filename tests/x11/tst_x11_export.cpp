// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The plot window's context menu and its dialogs in a real X server with a window manager,
// which activates the plot window again as each of them closes: that is no window switch, so
// no Form_Activate runs and nothing is plotted.

#include "support/support.h"

#include "parameters/form3.h"
#include "plot/form4.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QTest>
#include <QTimer>

class X11ExportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void menuAndDialogsAreNoWindowSwitch_data();
    void menuAndDialogsAreNoWindowSwitch();
};

void X11ExportTest::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

void X11ExportTest::menuAndDialogsAreNoWindowSwitch_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("context menu (Menu key)") << QStringLiteral("menu");
    QTest::newRow("save dialog, cancelled") << QStringLiteral("save");
    QTest::newRow("print dialog, cancelled") << QStringLiteral("print");
}

void X11ExportTest::menuAndDialogsAreNoWindowSwitch()
{
    QFETCH(QString, how);
    Session s;
    s.toForm2();
    s.calibrate(2);
    s.toForm3();
    s.choose(1);
    s.toForm4();
    Form4 &f = s.app.form4();
    QTest::qWait(400); // the window manager's own activation of the new window
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &f, 3000);
    QCOMPARE(s.activations[4], 1);

    // Closes the menu or dialog as a user does, once it is up.
    bool closed = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&closed, &closer] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            QTest::keyClick(menu, Qt::Key_Escape);
        } else if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                   dialog && dialog->isVisible() && QApplication::activeWindow() == dialog) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            return;
        }
        closed = true;
        closer.stop();
    });
    closer.start(50);
    if (how == QLatin1String("menu"))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
    else
        QTest::keySequence(&f,
                           how == QLatin1String("save") ? QKeySequence::Save : QKeySequence::Print);
    QTRY_VERIFY_WITH_TIMEOUT(closed, 5000);
    QTest::qWait(400);
    // The window manager gave the plot window its activation back: no switch, no plot.
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &f, 3000);
    QCOMPARE(s.activations[4], 1);
    QCOMPARE(s.activations[3], 1);
    QCOMPARE(s.app.form3().Miocolor, Integer(1));
    QCOMPARE(s.app.program().activeForm(), &f);
    QVERIFY(s.boxes.texts.isEmpty());
}

QTEST_MAIN(X11ExportTest)
#include "tst_x11_export.moc"
