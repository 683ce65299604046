// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A test program that tst_runtime runs to see how a process ends, under whatever platform it
// runs itself: the program walked to its second window and ended there, a test that fails when
// asked to (by name on the command line), a folder a static object holds, removed however the
// process ends, and words written after the tests' own output, which must not be lost.

#include "support/support.h"

#include "windows/calibration/form2.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

class EndingTest : public QObject
{
    Q_OBJECT

public:
    // Written into standard output's buffer once the tests have run (a pipe buffers it all).
    ~EndingTest() override { std::printf("ending: the test object is gone\n"); }

private slots:
    void programEndsOnItsSecondWindow();
    void staticFolderIsRemovedAtTheEnd();
    void fails();
};

void EndingTest::programEndsOnItsSecondWindow()
{
    Session session;
    session.toForm2();
    ui::click(session.app.form2().Command3); // ESCI
    QVERIFY(session.app.program().hasEnded());
}

// As the plot window keeps the save dialog's settings: removed by its destructor when the
// process ends with static objects destroyed, and by its registration otherwise.
void EndingTest::staticFolderIsRemovedAtTheEnd()
{
    static QTemporaryDir folder;
    QVERIFY(folder.isValid());
    atEarlyEnd([] { folder.remove(); });
    std::printf("ending: folder %s\n", qPrintable(folder.path()));
}

void EndingTest::fails()
{
    QFAIL("asked to fail");
}

BORVANE_TEST_MAIN(EndingTest)

#include "ending.moc"
