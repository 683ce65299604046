// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/window_system.h"

#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QVersionNumber>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

// The Qts whose Wayland client frees a frame callback twice (below) are reached through their
// platform window (Qt's platform API, CMakeLists.txt); the others need nothing of it.
#if defined(Q_OS_LINUX) && QT_VERSION < QT_VERSION_CHECK(6, 4, 3)
#define BORVANE_REACH_PLATFORM_WINDOW
#include <qpa/qplatformwindow.h>
#endif

bool underWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

namespace {

// The Qt versions whose Wayland client frees a frame callback twice (window_system.h): those
// before 6.4.3.
bool frameCallbacksRace()
{
    static const bool races = underWayland() && QLibraryInfo::version() < QVersionNumber(6, 4, 3);
    return races;
}

// The Qt versions whose Wayland client can end with a read prepared and not taken back
// (window_system.h): every one so far. The reading threads came with 6.3 (qtwayland's "Move the
// wayland socket polling to a separate event thread", 92a7904d), and the newest sources read
// still end them so: qtwayland's 6.8 branch and its development branch towards 6.9, and the
// client in qtbase, where it moved for 6.10; so do Debian's 6.4.2 and 6.8.2. When a release
// takes the read back, the range ends before that release.
bool readersCanHangAtExit()
{
    return underWayland() && QLibraryInfo::version() >= QVersionNumber(6, 3);
}

// Ends a local event loop once each of the windows has been asked to update, and keeps those
// requests from the windows: a widget's window answers one by repainting everything, and the
// frame drawn so would ask for an answer of its own just before a window hides. (The widgets'
// own updates go by other events, and nothing of theirs is lost.)
class UpdateWatch : public QObject
{
public:
    UpdateWatch(const QList<QWindow *> &windows, QEventLoop &loop)
        : m_watched(windows), m_waiting(windows), m_loop(loop)
    {
        for (QWindow *window : windows)
            window->installEventFilter(this);
    }
    ~UpdateWatch() override
    {
        for (QWindow *window : std::as_const(m_watched))
            window->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::UpdateRequest) return false;
        m_waiting.removeAll(static_cast<QWindow *>(watched));
        if (m_waiting.isEmpty()) m_loop.quit();
        return true;
    }

private:
    const QList<QWindow *> m_watched;
    QList<QWindow *> m_waiting;
    QEventLoop &m_loop;
};

} // namespace

void settleLastFrame(QWidget &widget)
{
    if (!frameCallbacksRace() || !widget.isVisible()) return;
    // The compositor answers the frames of all the program's windows as it draws the screen,
    // and may draw it just now for the frame of another window (the one in front, say, after a
    // click). So the answers of all the shown windows are waited for.
    QList<QWindow *> windows;
    for (QWindow *window : QGuiApplication::topLevelWindows())
        if (window->isVisible() && window->isExposed()) windows.append(window);
    if (windows.isEmpty()) return;
    // A window the compositor no longer draws gets no answer: Qt gives up on it after 100 ms.
    constexpr int longestWaitMilliseconds = 150;
    QEventLoop loop;
    UpdateWatch watch(windows, loop);
    QTimer::singleShot(longestWaitMilliseconds, &loop, &QEventLoop::quit);
    for (QWindow *window : windows)
        window->requestUpdate();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void awaitFrameThread(QWidget &widget)
{
    if (!frameCallbacksRace()) return;
#ifdef BORVANE_REACH_PLATFORM_WINDOW
    // Qt's thread hands a window the answer to its frame holding the window's frame lock, and a
    // busy machine can stop it there for a while after it has told the main thread: a window
    // destroyed meanwhile destroys that lock under it. The platform window takes that lock first
    // thing when asked for an update, so this returns once the thread has let go. It is asked
    // directly: QWindow passes a request on only while none is pending, and one may well be, for an
    // answer the hidden window will never have (settleLastFrame gave up on it, or the compositor no
    // longer drew the window); the lock would not be taken then. The platform window delivers only
    // a request that is pending, to a hidden window that draws nothing, and nothing once the window
    // is destroyed.
    if (QWindow *window = widget.windowHandle())
        if (QPlatformWindow *platformWindow = window->handle()) platformWindow->requestUpdate();
#else
    Q_UNUSED(widget);
#endif
}

int endBeforeWaylandTeardown(int status)
{
    if (!readersCanHangAtExit()) return status;
#ifdef Q_OS_LINUX
    std::fflush(nullptr);
    std::quick_exit(status);
#else
    return status; // no Wayland here
#endif
}

void atEarlyEnd(void (*cleanup)())
{
#ifdef Q_OS_LINUX
    std::at_quick_exit(cleanup);
#else
    Q_UNUSED(cleanup);
#endif
}
