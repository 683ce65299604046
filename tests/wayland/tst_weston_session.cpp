// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Wayland stage's own runner (tests/wayland/weston-session.sh, weston_run): a compositor
// that dies under a test program is said to have died, with how, and replaced; the program it
// took down runs once more on a live one; a program's own failure stays a failure and is not run
// again. Each case starts a real weston of its own (on its own Xvfb) and runs stand-in programs
// in it, which end that weston as a crash does (SIGSEGV) where the case needs it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A stand-in test program: crashes the compositor it runs in and fails at once, as Qt's client
// does when its connection breaks; the compositor may still be writing its core dump then.
const char *const CrashCompositor = R"(
    echo "compositor $BORVANE_WESTON_PID"
    kill -SEGV "$BORVANE_WESTON_PID"
    echo "The Wayland connection broke. Did the Wayland compositor die?"
    exit 1
)";

// A stand-in test program that passes when its compositor is alive and says which one it is.
const char *const PassInLiveCompositor = R"(
    [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && kill -0 "$BORVANE_WESTON_PID" || exit 1
    echo "compositor $BORVANE_WESTON_PID"
    echo "Totals: 1 passed, 0 failed, 0 skipped, 0 blacklisted, 1ms"
)";

// Checks, with the whole output shown when they fail, what a session's output says or not.
#define OUTPUT_HAS(run, text)                                                                      \
    QVERIFY2((run).output.contains(QLatin1String(text)), qPrintable((run).output))
#define OUTPUT_LACKS(run, text)                                                                    \
    QVERIFY2(!(run).output.contains(QLatin1String(text)), qPrintable((run).output))

struct SessionRun
{
    int exitCode = -1;
    QString output;
};

// Runs `body` in bash with weston-session.sh sourced and a first weston started, its log in
// FOLDER/weston-1 ($folder: the given folder). The output begins with a line break, so that
// each line of it follows one. A body prints weston_run's failing status as "returned N", and
// the number of deaths is printed at the end as "deaths: N".
SessionRun runSession(const QString &folder, const QString &body)
{
    const QString script = QStringLiteral(R"(set -euo pipefail
source "$1"
folder="$2"
trap weston_stop EXIT
weston_start "$folder/weston-1"
%1
echo "deaths: ${#weston_deaths[@]}"
)")
                               .arg(body);
    QProcess bash;
    bash.setProcessChannelMode(QProcess::MergedChannels);
    bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), script, QStringLiteral("session"),
                                        QStringLiteral(BORVANE_WESTON_SESSION), folder});
    SessionRun run;
    if (!bash.waitForFinished(120000)) {
        bash.kill();
        bash.waitForFinished();
    }
    run.output = QLatin1Char('\n') + QString::fromUtf8(bash.readAll());
    run.exitCode = bash.exitStatus() == QProcess::NormalExit ? bash.exitCode() : -1;
    return run;
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The compositor's process id a stand-in program printed in its output.
QString compositorIn(const QString &output)
{
    return QRegularExpression(QStringLiteral("compositor (\\d+)")).match(output).captured(1);
}

// Whether the system leaves a crashing process's core in its folder ("core", or "core.PID").
bool coresInProcessFolder()
{
    const QString pattern = readFile(QStringLiteral("/proc/sys/kernel/core_pattern")).trimmed();
    QProcess limit;
    limit.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("ulimit -H -c")});
    limit.waitForFinished();
    return pattern == QLatin1String("core") && limit.readAll().trimmed() != "0";
}

} // namespace

class WestonSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void programTakenDownRunsAgainOnAFreshCompositor();
    void ownFailureIsNotRunAgain();
    void compositorDyingTwiceFailsTheProgram();
    void passingProgramKeepsItsPassAndTheNextGetsALiveCompositor();
    void compositorFoundDeadBeforeAProgramIsReplaced();
};

void WestonSessionTest::init()
{
    for (const char *tool : {"weston", "Xvfb"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (the Wayland stage installs "
                                            "it)")
                                 .arg(QLatin1String(tool))));
}

void WestonSessionTest::programTakenDownRunsAgainOnAFreshCompositor()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Crashes the compositor the first time, passes the second.
    const QString program =
        QStringLiteral(R"(if [ -e "$1/crashed" ]; then %1
else touch "$1/crashed"; %2
fi)")
            .arg(QLatin1String(PassInLiveCompositor), QLatin1String(CrashCompositor));
    const SessionRun run = runSession(
        dir.path(), QStringLiteral("weston_run prog \"$folder\" bash -c '%1' _ \"$folder\" || "
                                   "echo \"returned $?\"")
                        .arg(program));
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    OUTPUT_HAS(run,
               "wayland: weston died during prog (signal 11, SIGSEGV); a fresh weston started");
    OUTPUT_HAS(run, "wayland: prog failed as its compositor died (status 1), run again");
    OUTPUT_HAS(run, "\nprog: passed, run again, Totals: 1 passed");
    OUTPUT_HAS(run, "-- the end of weston's log");
    OUTPUT_LACKS(run, "returned ");
    OUTPUT_HAS(run, "deaths: 1");

    // The first output is kept apart; the second ran in another, live compositor.
    const QString first = readFile(dir.filePath(QStringLiteral("prog.first.log")));
    const QString second = readFile(dir.filePath(QStringLiteral("prog.log")));
    QVERIFY2(first.contains(QLatin1String("The Wayland connection broke")), qPrintable(first));
    QVERIFY(!compositorIn(first).isEmpty());
    QVERIFY(!compositorIn(second).isEmpty());
    QVERIFY(compositorIn(first) != compositorIn(second));
    // Each compositor's own log, the dead one's with its core where the system puts cores there.
    QVERIFY(readFile(dir.filePath(QStringLiteral("weston-1/weston.log"))).contains("weston"));
    QVERIFY(readFile(dir.filePath(QStringLiteral("weston-2/weston.log"))).contains("weston"));
    if (coresInProcessFolder())
        QVERIFY2(!QDir(dir.filePath(QStringLiteral("weston-1")))
                      .entryList({QStringLiteral("core*")}, QDir::Files)
                      .isEmpty(),
                 qPrintable(run.output));
}

void WestonSessionTest::ownFailureIsNotRunAgain()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const SessionRun run = runSession(
        dir.path(), QStringLiteral("weston_run prog \"$folder\" bash -c 'echo ran >>\"$1/runs\"; "
                                   "echo \"Totals: 0 passed, 1 failed\"; exit 3' _ \"$folder\" || "
                                   "echo \"returned $?\""));
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    OUTPUT_HAS(run, "\nprog: FAILED, Totals: 0 passed, 1 failed, status 3\n");
    OUTPUT_HAS(run, "returned 3");
    OUTPUT_LACKS(run, "run again");
    OUTPUT_LACKS(run, "weston died");
    OUTPUT_HAS(run, "deaths: 0");
    QCOMPARE(readFile(dir.filePath(QStringLiteral("runs"))), QStringLiteral("ran\n"));
}

void WestonSessionTest::compositorDyingTwiceFailsTheProgram()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const SessionRun run = runSession(
        dir.path(),
        QStringLiteral("weston_run prog \"$folder\" bash -c '%1' || echo \"returned $?\"\n"
                       "printf 'death: %s\\n' \"${weston_deaths[@]}\"")
            .arg(QLatin1String(CrashCompositor)));
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    OUTPUT_HAS(run, "\nprog: FAILED, run again, no totals (ended early), status 1\n");
    OUTPUT_HAS(run, "returned 1");
    OUTPUT_HAS(run, "death: during prog (signal 11, SIGSEGV)\n"
                    "death: during prog, run again (signal 11, "
                    "SIGSEGV)\n");
    OUTPUT_HAS(run, "deaths: 2");
    // A third compositor was started for whatever comes next.
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("weston-3/weston.log"))));
}

void WestonSessionTest::passingProgramKeepsItsPassAndTheNextGetsALiveCompositor()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const SessionRun run = runSession(
        dir.path(),
        QStringLiteral("weston_run prog \"$folder\" bash -c 'echo \"Totals: 2 passed, 0 failed\"; "
                       "kill -SEGV $BORVANE_WESTON_PID; sleep 1' || echo \"returned $?\"\n"
                       "weston_run next \"$folder\" bash -c '%1' || echo \"returned $?\"")
            .arg(QLatin1String(PassInLiveCompositor)));
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    OUTPUT_HAS(run, "weston died during prog (signal 11, SIGSEGV)");
    OUTPUT_HAS(run, "\nprog: passed, Totals: 2 passed");
    OUTPUT_HAS(run, "\nnext: passed, Totals: 1 passed");
    OUTPUT_LACKS(run, "run again");
    OUTPUT_LACKS(run, "returned ");
    OUTPUT_HAS(run, "deaths: 1");
}

void WestonSessionTest::compositorFoundDeadBeforeAProgramIsReplaced()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Ended between two programs, as a delayed crash would.
    const SessionRun run = runSession(
        dir.path(),
        QStringLiteral("kill -KILL \"$weston_pid\"\n"
                       "while weston_alive; do sleep 0.05; done\n"
                       "weston_run next \"$folder\" bash -c '%1' || echo \"returned $?\"")
            .arg(QLatin1String(PassInLiveCompositor)));
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    OUTPUT_HAS(run, "wayland: weston died before next (signal 9, SIGKILL); a fresh weston started");
    OUTPUT_HAS(run, "\nnext: passed, Totals: 1 passed");
    OUTPUT_HAS(run, "deaths: 1");
}

QTEST_GUILESS_MAIN(WestonSessionTest)
#include "tst_weston_session.moc"
