// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How long the whole process takes to write the plot of the c = 2 ellipse (a = 20, b = 15, all
// 26353 points) to a 1920 × 1080 PNG from the command line, against gnuplot drawing the same
// 26353 points into a PNG of the same size (`set terminal png size 1920,1080`,
// `plot ... with dots`): the two run alternately, each process timed from its start to its end,
// and the medians are compared. The target is Borvane at most 0.6 × gnuplot. It also writes the
// SVG of the c = 0,5 ellipse (4761 dots) and reports its size (the target: under 32 KiB).
//
// Arguments: the number of runs of each (at least 7; 15 by default), and optionally the
// program to time (by default the one built beside this benchmark).

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

// Runs a program to its end, its output discarded; the wall-clock milliseconds, or a negative
// number when it could not start or did not end well.
double runMilliseconds(const QStringList &command)
{
    std::vector<QByteArray> bytes;
    for (const QString &part : command)
        bytes.push_back(QFile::encodeName(part));
    std::vector<char *> argv;
    for (QByteArray &part : bytes)
        argv.push_back(part.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The plot's points in its own coordinates, as the plot window computes them (the angle as the
// float product of the whole degree and the float factor, the cosine in double): the c = 2
// ellipse with a = 20, b = 15 about the origin (110, 55) passes every candidate.
QByteArray ellipsePoints()
{
    const float p1 = 3.1415927f / 180.0f;
    QByteArray data;
    data.reserve(26353 * 24);
    for (int t1 = 0; t1 <= 360; ++t1) {
        const double c1 = std::cos(double(float(t1) * p1));
        for (int t2 = 0; t2 <= 360; t2 += 5) {
            const double c2 = std::cos(double(float(t2) * p1));
            data += QByteArray::number(float(110 + 20 * c1), 'g', 8) + ' ' +
                    QByteArray::number(float(55 + 15 * c2), 'g', 8) + '\n';
        }
    }
    return data;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(7, std::atoi(argv[1])) : 15;
    const QString borvane =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(BORVANE_EXECUTABLE);
    if (!QFileInfo(borvane).isExecutable()) {
        std::printf("Borvane's executable is missing: %s\n", qPrintable(borvane));
        return 1;
    }
    QTemporaryDir folder;
    const QString png = folder.filePath(QStringLiteral("borvane.png"));
    const QString svg = folder.filePath(QStringLiteral("borvane.svg"));
    const QStringList export2{borvane,
                              QStringLiteral("--esporta"),
                              png,
                              QStringLiteral("--figura"),
                              QStringLiteral("ellisse"),
                              QStringLiteral("--a"),
                              QStringLiteral("20"),
                              QStringLiteral("--b"),
                              QStringLiteral("15"),
                              QStringLiteral("--c"),
                              QStringLiteral("2"),
                              QStringLiteral("--dimensione"),
                              QStringLiteral("1920x1080")};

    // The SVG of the initial values' ellipse.
    QStringList exportSvg = export2;
    exportSvg[2] = svg;
    exportSvg[10] = QStringLiteral("0,5");
    if (runMilliseconds(exportSvg) < 0) {
        std::printf("borvane --esporta failed\n");
        return 1;
    }
    const qint64 svgBytes = QFileInfo(svg).size();
    std::printf("SVG of the c = 0,5 ellipse (4761 dots): %lld bytes (%.0f KiB), target under 32 "
                "KiB: %s\n",
                svgBytes, svgBytes / 1024.0, svgBytes < 32 * 1024 ? "met" : "NOT met");

    const QString gnuplot = QStandardPaths::findExecutable(QStringLiteral("gnuplot"));
    if (gnuplot.isEmpty()) {
        std::printf("gnuplot is not installed (package gnuplot-nox): no comparison. Borvane alone:"
                    "\n");
        std::vector<double> times;
        for (int i = 0; i < runs; ++i)
            times.push_back(runMilliseconds(export2));
        std::printf("borvane --esporta, c = 2 ellipse, 1920 x 1080 PNG: median %.1f ms over %d "
                    "runs\n",
                    median(times), runs);
        return 0;
    }
    QFile data(folder.filePath(QStringLiteral("points.dat")));
    QFile script(folder.filePath(QStringLiteral("plot.gp")));
    if (!data.open(QIODevice::WriteOnly) || !script.open(QIODevice::WriteOnly)) return 1;
    data.write(ellipsePoints());
    data.close();
    script.write("set terminal png size 1920,1080\nset output '" +
                 QFile::encodeName(folder.filePath(QStringLiteral("gnuplot.png"))) + "'\nplot '" +
                 QFile::encodeName(data.fileName()) + "' with dots\n");
    script.close();
    const QStringList plotByGnuplot{gnuplot, script.fileName()};

    // One of each first, untimed, so that both start from warm caches.
    if (runMilliseconds(export2) < 0 || runMilliseconds(plotByGnuplot) < 0) {
        std::printf("a first run failed\n");
        return 1;
    }
    std::vector<double> ours, theirs;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(runMilliseconds(export2));
        theirs.push_back(runMilliseconds(plotByGnuplot));
    }
    if (std::any_of(ours.begin(), ours.end(), [](double t) { return t < 0; }) ||
        std::any_of(theirs.begin(), theirs.end(), [](double t) { return t < 0; })) {
        std::printf("a run failed\n");
        return 1;
    }
    const double ourMedian = median(ours);
    const double theirMedian = median(theirs);
    std::printf("26353 points into a 1920 x 1080 PNG, whole process, %d runs each, alternated:\n",
                runs);
    std::printf("  borvane --esporta   median %6.1f ms\n", ourMedian);
    std::printf("  gnuplot with dots   median %6.1f ms\n", theirMedian);
    std::printf("  ratio %.2f (target at most 0.60: %s)\n", ourMedian / theirMedian,
                ourMedian <= 0.6 * theirMedian ? "met" : "NOT met");
    return 0;
}
