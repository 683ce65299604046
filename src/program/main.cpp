// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "program/startup.h"
#include "runtime/window_system.h"
#include "windows/borvane.h"
#include "windows/intro/form1.h"
#ifndef Q_OS_WASM
#include "program/command_line.h"
#endif

#include <QApplication>

int main(int argc, char *argv[])
{
#ifndef Q_OS_WASM // a web page has no command line
    if (isCommandLine(argc, argv)) {
        // Standard error carries the command line's own words only, even without a session.
        const auto runtime = privateRuntimeFolderWithoutSession();
        return runCommandLine(argc, argv);
    }
#endif
    chooseFontEngine();
    QApplication application(argc, argv);
    setUpProcess();
    int status = 0;
    {
        Borvane borvane;
        QObject::connect(&borvane.program(), &Program::ended, &application, &endProcess,
                         Qt::QueuedConnection);
        borvane.start();
        setUpDesktopAfterFirstPaint(borvane.form1());
        status = QApplication::exec();
    } // the program ends: its windows are hidden, then destroyed
    return endBeforeWaylandTeardown(status);
}
