// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How long one activation of the plot window takes (axes, colour advance and the whole
// interior plot, on a 1920 × 1080 drawing surface), against the same loops in plain floats and
// doubles without Variants and without drawing, measured in the same run; and how the resident
// memory behaves over many activations.
//
// Run it as it is: without QT_QPA_PLATFORM it draws on an offscreen screen of 1920 × 1080.
// Arguments: the number of runs per median (101), and optionally one case by its name.

#include "bench_support.h"

#include "program/startup.h"
#include "windows/borvane.h"
#include "windows/calibration/form2.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// The resident set size of this process, in KiB.
long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// The plot's loops in plain numbers: the angle as the float product of the whole degree and
// the float factor, the cosine in double, the test, the coordinates rounded to float. Returns
// the number of points that would be drawn; the coordinates go into a sum so that nothing is
// optimised away.
volatile double sink = 0;

int bareEllipse(double a, double b, double c, float cx, float cy)
{
    const float p1 = 3.1415927f / 180.0f;
    int count = 0;
    double sum = 0;
    for (int t1 = 0; t1 <= 360; ++t1) {
        const double c1 = std::cos(double(float(t1) * p1));
        for (int t2 = 0; t2 <= 360; t2 += 5) {
            const double c2 = std::cos(double(float(t2) * p1));
            if (c1 * c1 + c2 * c2 > c) continue;
            const double x = a * c1;
            const double y = b * c2;
            sum += float(cx + x) + float(cy + y);
            ++count;
        }
    }
    sink = sink + sum;
    return count;
}

int bareHyperbola(double a, double b, double c, float cx, float cy)
{
    const float p1 = 3.1415927f / 180.0f;
    int count = 0;
    double sum = 0;
    for (int t1 = 0; t1 <= 360; ++t1) {
        const double c1 = std::cos(double(float(t1) * p1));
        if (c1 < 0) continue;
        for (int t2 = 0; t2 <= 360; t2 += 5) {
            const double c2 = std::cos(double(float(t2) * p1));
            if (c1 * c1 + c2 * c2 > c) continue;
            const double x = a / c1;
            const double y = (b * c2) / c1;
            if (std::fabs(x) > cx || std::fabs(y) > cy) continue;
            sum += float(cx + x) + float(cy + y);
            ++count;
        }
    }
    sink = sink + sum;
    return count;
}

struct Case
{
    const char *name;
    int figure;
    double c;
};

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir configDir;
    bench::useOffscreenScreen(configDir);
    QApplication application(argc, argv);
    bench::keepPlatformNotesQuiet();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 101;

    setUpProcess();
    Borvane app;
    Form2 &form2 = app.form2();
    Form3 &form3 = app.form3();
    Form4 &form4 = app.form4();
    form2.Incr = 0.55; // the smallest ratio that calibration lets through
    form3.VALa = 20.0;
    form3.VALb = 15.0;
    form3.VALc = 0.5;
    form3.Opt = 1;
    form4.Show(); // maximized: the surface takes the whole screen
    QCoreApplication::processEvents();

    const QSize surface = form4.surface().image().size();
    std::printf("surface %d x %d device pixels, %d runs per median\n", surface.width(),
                surface.height(), runs);
    std::printf("%-22s %8s %12s %12s %8s\n", "case", "points", "activation", "bare", "ratio");

    const Case cases[] = {
        {"ellipse c=0.5", 1, 0.5},
        {"ellipse c=2", 1, 2.0},
        {"hyperbola c=0.5", 2, 0.5},
    };
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    for (const Case &plot : cases) {
        if (!only.isEmpty() && QString::fromLatin1(plot.name) != only) continue;
        form3.VALc = plot.c;
        form3.Opt = plot.figure;
        // Before each run: a fresh colour range and the window painted, as between two
        // activations in use.
        auto before = [&] {
            form3.Miocolor = 0;
            QCoreApplication::processEvents();
        };
        const double activation =
            bench::medianMicroseconds(runs, before, [&] { form4.Form_Activate(); });
        const float cx = form4.CX.number();
        const float cy = form4.CY.number();
        int points = 0;
        const double bare = bench::medianMicroseconds(
            runs, [] {},
            [&] {
                points = plot.figure == 1 ? bareEllipse(20, 15, plot.c, cx, cy)
                                          : bareHyperbola(20, 15, plot.c, cx, cy);
            });
        std::printf("%-22s %8d %10.0f µs %8.0f µs %8.2f\n", plot.name, points, activation, bare,
                    activation / bare);
    }

    // Memory over many activations: the same plot again and again, without clearing.
    form3.VALc = 0.5;
    form3.Opt = 1;
    const long startKiB = residentKiB();
    long afterHundredKiB = 0;
    for (int i = 1; i <= 1000; ++i) {
        form3.Miocolor = 0;
        form4.Form_Activate();
        QCoreApplication::processEvents();
        if (i == 100) afterHundredKiB = residentKiB();
    }
    const long endKiB = residentKiB();
    std::printf("resident memory: %ld KiB before, %ld KiB after 100 activations, %ld KiB after "
                "1000\n",
                startKiB, afterHundredKiB, endKiB);
    return 0;
}
