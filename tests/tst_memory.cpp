// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Memory over a long lesson: a thousand plots and a thousand calibration redraws, each through
// the real widgets, leave the program holding no more memory than after the first ten.

#include "support/support.h"

#include "windows/calibration/form2.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <functional>
#ifdef Q_OS_WIN
#include <qt_windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>
#else
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define BORVANE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BORVANE_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// How far the resident memory may move between the tenth and the thousandth repetition: the
// allocator's and the window system's own slack, far below what a leak of one plot's or one
// redraw's worth per repetition would add up to.
constexpr qint64 tolerance = 3 * 1024 * 1024;
constexpr int repetitions = 1000;
constexpr int warmUp = 10;

// The resident memory of this process, in bytes: its own (the heap, the drawings) and what it
// shares (mapped files, and the window buffers it shares with a Wayland compositor).
struct Resident
{
    qint64 own = -1;
    qint64 shared = -1;
};

Resident resident()
{
#ifdef Q_OS_WIN
    // Windows counts the process's own memory apart (its commit charge, the private bytes); the
    // working set as a whole stands for the shared part (it holds that, and the own part checked
    // apart).
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return {};
    return {qint64(counters.PagefileUsage), qint64(counters.WorkingSetSize)};
#else
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return {};
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    if (fields.size() < 3) return {};
    const qint64 page = sysconf(_SC_PAGESIZE);
    return {(fields[1].toLongLong() - fields[2].toLongLong()) * page,
            fields[2].toLongLong() * page};
#endif
}

double megabytes(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

} // namespace

class MemoryTest : public QObject
{
    Q_OBJECT

private slots:
    void residentMemoryStaysFlat_data();
    void residentMemoryStaysFlat();
};

void MemoryTest::residentMemoryStaysFlat_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("plots: switching from Form3 to Form4") << QStringLiteral("switch");
    QTest::newRow("plots: RIPRENDI and AVANTI") << QStringLiteral("riprendi");
    // Each plot different: the plot window's record of what it shows grows by one plot each.
    QTest::newRow("plots: RIPRENDI, a new a, AVANTI") << QStringLiteral("new values");
    QTest::newRow("calibration redraws: scroll bar arrows") << QStringLiteral("scroll");
}

void MemoryTest::residentMemoryStaysFlat()
{
    QFETCH(QString, action);
    if (action != QLatin1String("riprendi")) SKIP_UNLESS_SWITCHING_ON_REQUEST();
    Session s;
    s.toForm2();
    s.calibrate(2);
    s.toForm3();
    s.choose(1);
    s.enter(QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("1"));
    s.toForm4();
    QVERIFY(s.boxes.texts.isEmpty());

    Form2 &form2 = s.app.form2();
    Form3 &form3 = s.app.form3();
    Form4 &form4 = s.app.form4();
    QScrollBar *bar = form2.HScroll1;
    int redraws = 0;
    int plots = 0;
    bool rightwards = true;
    QObject::connect(bar, &QScrollBar::valueChanged, bar, [&redraws] { ++redraws; });
    if (action == QLatin1String("scroll")) ui::switchTo(&form2);

    // One repetition of the action: one plot of Form4, or one redraw of Form2.
    const std::function<void()> once = [&] {
        if (action == QLatin1String("switch")) {
            ui::switchTo(&form3);
            ui::switchTo(&form4);
        } else if (action == QLatin1String("riprendi") || action == QLatin1String("new values")) {
            ui::click(form4.Command1);
            ui::settle(); // Form3 comes up before the user presses its button
            if (action == QLatin1String("new values"))
                ui::type(form3.Text1, QString::number(++plots + 1000));
            ui::click(form3.Command2);
        } else {
            // To the right end and back, one arrow click at a time.
            if (bar->value() == bar->maximum())
                rightwards = false;
            else if (bar->value() == bar->minimum())
                rightwards = true;
            if (rightwards)
                ui::clickRightArrow(bar);
            else
                ui::clickLeftArrow(bar);
        }
        ui::settle();
    };

    const int plotsBefore = s.activations[4];
    for (int i = 0; i < warmUp; ++i)
        once();
    const Resident afterTen = resident();
    QVERIFY(afterTen.own > 0);
    for (int i = warmUp; i < repetitions; ++i)
        once();
    const Resident afterAll = resident();
    // A compositor may hold a window's buffers a while (Qt's Wayland backing store then takes
    // one more, and keeps it): one more buffer of a maximized window for each of the two.
    const qreal dpr = form4.devicePixelRatioF();
    const qint64 buffers = 2 * qint64(form4.width() * dpr) * qint64(form4.height() * dpr) * 4;

    // The repetitions did what they should, without a message.
    QVERIFY(s.boxes.texts.isEmpty());
    if (action == QLatin1String("scroll")) {
        QCOMPARE(redraws, repetitions);
        QCOMPARE(s.activations[4], plotsBefore);
    } else {
        QCOMPARE(s.activations[4] - plotsBefore, repetitions);
    }

    const qint64 own = afterAll.own - afterTen.own;
    const qint64 shared = afterAll.shared - afterTen.shared;
    qInfo("%s: own resident %.2f MiB after %d, %.2f MiB after %d: %+.2f MiB (tolerance %.0f "
          "MiB); shared %+.2f MiB (tolerance %.1f MiB)",
          qPrintable(action), megabytes(afterTen.own), warmUp, megabytes(afterAll.own), repetitions,
          megabytes(own), megabytes(tolerance), megabytes(shared), megabytes(tolerance + buffers));
#ifdef BORVANE_ADDRESS_SANITIZER
    QSKIP("AddressSanitizer holds freed memory back on purpose; its leak check covers this run");
#endif
    QVERIFY(own <= tolerance);
    QVERIFY(shared <= tolerance + buffers);
}

BORVANE_TEST_MAIN(MemoryTest)
#include "tst_memory.moc"
