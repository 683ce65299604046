// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the program must know of the web browser it runs in, when it is a web page (built for
// WebAssembly): a page has no files of its own to write, no printer, and a clipboard that takes
// images only on some pages; and it does not end as a process does.

#include <QByteArray>
#include <QString>

class QWidget;

// Whether the program runs in a web browser.
constexpr bool inBrowser()
{
#ifdef Q_OS_WASM
    return true;
#else
    return false;
#endif
}

// Whether the browser lets the page put an image on the clipboard: only a page from a secure
// origin (https, or http from this very machine) has the clipboard that takes one.
bool browserCopiesImages();

// Hands a file's bytes to the user: the browser asks where to keep it (its save picker), or
// downloads it, under the name given. Outside a browser it does nothing.
void offerFile(const QByteArray &bytes, const QString &name);

// Ends the program in the browser: it stops, and the page shows that it has ended (and offers
// to start it again). Outside a browser it does nothing.
void endInBrowser(int status);
