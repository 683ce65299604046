#include "app/borvane.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Borvane"));
    QApplication::setOrganizationDomain(QStringLiteral("borvane.org"));

    Borvane borvane;
    QObject::connect(&borvane.program(), &Program::ended, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    borvane.start();
    return QApplication::exec();
}
