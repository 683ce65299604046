// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/browser.h"

#ifdef Q_OS_WASM
#include <QFileDialog>
#include <emscripten.h>
#include <emscripten/val.h>
#endif

bool browserCopiesImages()
{
#ifdef Q_OS_WASM
    const emscripten::val window = emscripten::val::global("window");
    if (!window["isSecureContext"].as<bool>()) return false;
    const emscripten::val clipboard = window["navigator"]["clipboard"];
    return !clipboard.isUndefined() && !clipboard["write"].isUndefined() &&
           !window["ClipboardItem"].isUndefined();
#else
    return true;
#endif
}

void offerFile(const QByteArray &bytes, const QString &name)
{
#ifdef Q_OS_WASM
    QFileDialog::saveFileContent(bytes, name);
#else
    Q_UNUSED(bytes);
    Q_UNUSED(name);
#endif
}

void endInBrowser(int status)
{
#ifdef Q_OS_WASM
    // The page's loader hears of the end (its onExit) and shows the page's own ending.
    emscripten_force_exit(status);
#else
    Q_UNUSED(status);
#endif
}
