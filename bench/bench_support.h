// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the benchmarks share: an offscreen screen of 1920 x 1080 when no platform is chosen,
// the offscreen platform's notes kept quiet, and the median time of a piece of work.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// Without QT_QPA_PLATFORM, draws on an offscreen screen of 1920 x 1080 described in a file of
// the given folder (which must live as long as the application).
inline void useOffscreenScreen(const QTemporaryDir &folder)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    const QString path = folder.filePath(QStringLiteral("screen.json"));
    QFile config(path);
    if (config.open(QIODevice::WriteOnly)) {
        config.write(R"({"screens":[{"name":"S1","width":1920,"height":1080,)"
                     R"("logicalDpi":96}],"windowFrameMargins":false,)"
                     R"("synchronousWindowSystemEvents":true})");
        config.close();
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toLocal8Bit());
}

// The offscreen platform says at every Show that it cannot raise a window.
inline void keepPlatformNotesQuiet()
{
    static QtMessageHandler defaultHandler = nullptr;
    defaultHandler = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (!message.startsWith(QLatin1String("This plugin does not support")))
                defaultHandler(type, context, message);
        });
}

// The median, in microseconds, of `runs` timings of `work`, each after an untimed `before`.
inline double medianMicroseconds(int runs, const std::function<void()> &before,
                                 const std::function<void()> &work)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    times.reserve(std::size_t(runs));
    for (int i = 0; i < runs; ++i) {
        before();
        const auto start = Clock::now();
        work();
        const auto end = Clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace bench
