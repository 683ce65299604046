// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the program sets for the whole process, once, at start-up, before its first window:
// its name and version, its fonts (in a web browser, those it brings along) and their
// substitutes, its Italian locale, and that it ends by its own rule (End, or the last window
// closed) rather than Qt's. Tests and benchmarks call it as the program does.

#include <QTemporaryDir>
#include <memory>

void setUpProcess();

// Ends the process once the program has ended: Qt's event loop quits and main ends the process
// with its status (endBeforeWaylandTeardown, window_system.h); in a web browser the program
// stops and the page says so.
void endProcess();

// Called before the application object is made: on Windows, where the user names no platform,
// text is drawn by FreeType, as on Linux. Qt's default engine there (GDI) leaves letters of
// some faces out at the windows' small sizes under Wine (a capital I at 8.25 points) and draws
// others as two (an m as "rr"); FreeType draws every letter whole, with the glyphs of Linux.
void chooseFontEngine();

// A runtime folder for a process started without a desktop session (cron, ssh, a container:
// no XDG_RUNTIME_DIR): a new private one, named in XDG_RUNTIME_DIR and removed with the result.
// Qt's start-up asks for the runtime folder (Qt 6.4 looks there for the file that tells it
// runs in a Flatpak sandbox); without the variable, Qt warns on standard error and makes
// /tmp/runtime-<user>, which a command line must not do. Elsewhere, and with a session,
// nothing: the result is empty. Called before the application object is made.
std::unique_ptr<QTemporaryDir> privateRuntimeFolderWithoutSession();

// Qt's own texts in Italian (a text box's context menu, the command line's help and errors),
// where Qt's translations are installed. Once per process; later calls do nothing.
void installQtTexts();

class QWidget;

// What only the desktop around the windows needs, done once the first window has been painted,
// so that it costs the first window nothing: the windows' icon (the program's own pictures,
// the same as the launcher's) and Qt's own texts in Italian (a text box's context menu, for
// one), where Qt's translations are installed.
void setUpDesktopAfterFirstPaint(QWidget &firstWindow);
