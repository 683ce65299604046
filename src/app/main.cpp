// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/borvane.h"
#include "app/command_line.h"
#include "app/startup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    if (IsCommandLine(argc, argv)) return RunCommandLine(argc, argv);
    QApplication application(argc, argv);
    setUpProcess();
    QIcon icon = QIcon::fromTheme(QStringLiteral("org.borvane.Borvane"));
    if (icon.isNull())
        for (int size : {16, 32, 48, 64, 128, 256})
            icon.addFile(QStringLiteral(":/icons/%1.png").arg(size));
    QApplication::setWindowIcon(icon);

    // The program speaks Italian whatever the user's settings, and so do the standard texts
    // Qt itself shows (a text box's context menu, for one), when Qt's translations are there.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_it"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    Borvane borvane;
    QObject::connect(&borvane.program(), &Program::ended, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    borvane.start();
    return QApplication::exec();
}
