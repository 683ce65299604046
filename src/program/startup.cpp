// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "program/startup.h"

#include "runtime/browser.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

namespace {

// The icon is the program's own, in every size the desktop may ask for; asking the icon theme
// for it would find the same pictures, at the cost of reading the theme's folders.
void setProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}

// A web page sees none of the system's fonts; the program brings the faces its windows name
// (built in from fonts-liberation: the metric twins of Arial and Courier New), so that its texts
// measure as on the desktop.
void addBundledFonts()
{
    const QDir fonts(QStringLiteral(":/fonts"));
    for (const QString &face : fonts.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(fonts.filePath(face));
}

} // namespace

void setUpProcess()
{
    if (inBrowser()) {
        addBundledFonts();
        // Once a screen reader's tree is asked for, Qt's web platform looks for the window of
        // the application object itself (which has none) at every change and warns of it:
        // nothing is wrong, and the page's console stays for what is.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.qpa.accessibility.warning=false"));
        // A page draws each window's title bar itself, with Qt's emblem until the window has an
        // icon: the program's own is there from the first window on.
        setProgramIcon();
    }
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

void endProcess()
{
    if (inBrowser())
        endInBrowser(0);
    else
        QApplication::quit();
}

std::unique_ptr<QTemporaryDir> privateRuntimeFolderWithoutSession()
{
#ifdef Q_OS_WIN
    return nullptr; // Qt keeps no runtime folder there
#else
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return nullptr;
    // Made for this user alone (0700), as a runtime folder must be; empty: no sandbox.
    auto folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/borvane-runtime-XXXXXX"));
    if (!folder->isValid()) return nullptr;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder->path()));
    return folder;
#endif
}

void chooseFontEngine()
{
#ifdef Q_OS_WIN
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
#endif
}

void installQtTexts()
{
    static QTranslator qtTexts;
    static const bool installed =
        qtTexts.load(QStringLiteral("qtbase_it"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(&qtTexts);
    Q_UNUSED(installed);
}

namespace {

void setUpDesktop()
{
    if (!inBrowser()) setProgramIcon();
    installQtTexts();
}

// Waits for the window's first paint, then sets the desktop up once the paint is through.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget &window) : QObject(&window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                setUpDesktop();
                deleteLater();
            });
        }
        return false;
    }
};

} // namespace

void setUpDesktopAfterFirstPaint(QWidget &firstWindow)
{
    new FirstPaint(firstWindow);
}
