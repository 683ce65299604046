// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// How long one redraw of the calibration window takes (the frame, the two axes and the 3600
// points of the test circle) on a maximized window of a 1920 × 1080 screen, against the same
// loop in plain doubles without Variants and without drawing, measured in the same run.
//
// Run it as it is: without QT_QPA_PLATFORM it draws on an offscreen screen of 1920 × 1080.
// Argument: the number of runs per median (201).

#include "bench_support.h"

#include "program/startup.h"
#include "windows/borvane.h"
#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

volatile double sink = 0;

// The test circle in plain numbers: the angle accumulated in a double from 0 by 0.1 while it
// is at most 360, the radians as the double product with the float factor, cosine and sine in
// double, the point rounded to float. The points go into a sum so that nothing is optimised
// away. Returns the number of points.
int bareCircle(float cx, float cy)
{
    const float p1 = 3.1415927f / 180.0f;
    int count = 0;
    double sum = 0;
    for (double t = 0; t <= 360; t += 0.1) {
        const double xr = std::cos(double(p1) * t) * 36367.36328125;
        const double yr = std::sin(double(p1) * t) * 36367.36328125;
        sum += float(cx + xr) + float(cy + yr);
        ++count;
    }
    sink = sink + sum;
    return count;
}

// The same loop with the window's Variants, as the window computes it, without drawing.
int variantCircle(const Variant &p1, const Variant &cx, const Variant &cy)
{
    Variant t, xr, yr;
    int count = 0;
    double sum = 0;
    ForNext(t, 0, 360, 0.1, [&] {
        xr = Cos(p1 * t) * 36367.36328125;
        yr = Sin(p1 * t) * 36367.36328125;
        sum += CSng(cx + xr) + CSng(cy + yr);
        ++count;
    });
    sink = sink + sum;
    return count;
}

void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir configDir;
    bench::useOffscreenScreen(configDir);
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 201;

    // As the user starts: Form1, then "AVANTI" opens the calibration window maximized.
    setUpProcess();
    Borvane app;
    app.start();
    settle(100);
    app.form1().Command1->click();
    settle(200);
    Form2 &form2 = app.form2();
    QScrollBar *bar = form2.HScroll1;

    const QSize surface = form2.surface().image().size();
    std::printf("Form2 client area %d x %d, surface %d x %d device pixels, %d runs per median\n",
                form2.width(), form2.height(), surface.width(), surface.height(), runs);

    // One step right: HScroll1_Change draws the new frame and circle over the old ones.
    const double right = bench::medianMicroseconds(
        runs,
        [&] {
            if (bar->value() == bar->maximum()) {
                bar->setValue(bar->minimum());
                QCoreApplication::processEvents();
            }
        },
        [&] { bar->setValue(bar->value() + 1); });
    // One step left: the window is cleared first, then redrawn.
    const double left = bench::medianMicroseconds(
        runs,
        [&] {
            if (bar->value() == bar->minimum()) {
                bar->setValue(bar->maximum());
                QCoreApplication::processEvents();
            }
        },
        [&] { bar->setValue(bar->value() - 1); });
    // The frame, the axes and the circle alone, at the ratio of the current position.
    const double coordinate = bench::medianMicroseconds(
        runs, [] {}, [&] { form2.COORDINATE(); });
    // The same, and the window painted on the screen before the next one.
    const double painted = bench::medianMicroseconds(
        runs, [] {},
        [&] {
            form2.COORDINATE();
            form2.repaint();
        });

    const float cx = CSng(form2.CX);
    const float cy = CSng(form2.CY);
    int variantPoints = 0;
    int barePoints = 0;
    const double variants = bench::medianMicroseconds(
        runs, [] {}, [&] { variantPoints = variantCircle(form2.P1, form2.CX, form2.CY); });
    const double bare = bench::medianMicroseconds(
        runs, [] {}, [&] { barePoints = bareCircle(cx, cy); });

    std::printf("%-44s %10s %8s\n", "case (axes and 3600 circle points)", "median", "ratio");
    auto row = [&](const char *name, double micros) {
        std::printf("%-44s %7.0f µs %8.1f\n", name, micros, micros / bare);
    };
    row("scroll bar one step right (drawn over)", right);
    row("scroll bar one step left (cleared first)", left);
    row("COORDINATE", coordinate);
    row("COORDINATE and the window painted", painted);
    row("the circle's Variant loop, no drawing", variants);
    row("baseline: plain doubles, no drawing", bare);
    std::printf("points per circle: %d with Variants, %d in plain doubles\n", variantPoints,
                barePoints);
    return 0;
}
