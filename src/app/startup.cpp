// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/startup.h"

#include <QApplication>
#include <QFont>
#include <QLocale>

void setUpProcess()
{
    QApplication::setApplicationName(QStringLiteral("Borvane"));
    QApplication::setApplicationVersion(QStringLiteral(BORVANE_VERSION));
    QApplication::setOrganizationDomain(QStringLiteral("borvane.org"));
    // Desktops match the windows to the launcher and its icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.borvane.Borvane"));
    // The windows' fonts, where the originals are missing: the metric twins of
    // fonts-liberation.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("Liberation Mono")});
    // The program's locale is Italian, whatever the user's settings.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    // The program decides when it ends (End, or its last window closed).
    QApplication::setQuitOnLastWindowClosed(false);
}
