#include "app/borvane.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Borvane"));
    QApplication::setOrganizationDomain(QStringLiteral("borvane.org"));

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
