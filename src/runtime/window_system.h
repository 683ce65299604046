// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the program must know of the window system it runs under.

class QWidget;

// Whether the program is a native Wayland client. A compositor puts a window it maps on top
// and activates it, but ignores a client's own raise() and activateWindow().
bool underWayland();

// Qt's Wayland client before 6.4.3 frees a window's frame callback twice when the window is
// hidden or destroyed while the compositor's answer to its last frame is being delivered, and
// the process aborts inside libwayland. Before such a window is hidden, this waits (a moment at
// most, taking no user input) until that answer is through: it asks for an update, which Qt
// delivers only once no frame callback is pending. Elsewhere it does nothing. It runs a local
// event loop, so never from a destructor: whoever destroys a window hides it first.
// Qt's fix: qtwayland's "Fix frame sync related to unprotected multithread access"
// (eaa7c2632b12 in 6.5.0, 551a788f9e31 in 6.4.3; KDE bug 450003); Debian 12's 6.4.2 has it
// not. This goes, with awaitFrameThread and Settled<> below and the calls to them, when Debian 12
// and Ubuntu 24.04 (Qt 6.4.2) leave the supported table: every supported Qt then has the fix.
void settleLastFrame(QWidget &window);

// The same Qt's thread hands a window that answer while it holds a lock of the window's, after it
// has let the main thread know: a window hidden then and destroyed at once destroys that lock
// under it, and the process aborts. Once a window is hidden, this waits (a moment at most) until
// the thread has let go of it, so that it may be destroyed. It takes that lock through Qt's
// platform window (Qt's platform API, linked on those Qts only). Elsewhere it does nothing.
void awaitFrameThread(QWidget &window);

// Qt's Wayland client reads the connection on a thread of its own once the main thread has
// prepared the read, which it does each time it looks for events. As the application object
// goes, Qt stops that thread; if it has been woken for a prepared read but has not run yet, it
// sees that it is to quit and leaves without taking the read back (EventThread::run leaves when
// waitForReading() sees it quitting, without wl_display_cancel_read). Qt's second reading
// thread (for frame callbacks), should it have begun a read of its own just then, waits in
// wl_display_read_events() for that read for ever, and the main thread waits for it to stop:
// the process never ends. Nothing of the program decides that, only when the threads run; on a
// busy machine it happens (tests/wayland/exit-runs.sh counts it).
// So, under Wayland on the Qt versions with that fault, the process ends before that teardown.
// Called from main, and from each test program's (BORVANE_TEST_MAIN), once the program's own
// objects are gone (their windows hidden and destroyed), with the status main would return:
// the C streams are flushed and the process ends here with that status, by std::quick_exit.
// That is sound because by then nothing the user asked for is left to write (a picture is
// saved through QSaveFile, committed before its command returns; the program keeps nothing
// else), and all Qt would still do is give back memory and the connection, which the system
// does for an ended process; nothing waits on Qt's threads any more. Static objects are not
// destroyed then: what one must still clean up (a temporary folder) is registered by its owner
// with atEarlyEnd. Elsewhere it returns the status, for main to return, and Qt's teardown runs
// as usual (under X11 it hands the clipboard over to the desktop's manager).
// Qt's fix: none yet (window_system.cpp says which sources were read), and no Qt bug found
// that names it. This goes once a Qt release takes the read back and every supported Qt is of
// that release or later (exit-runs.sh -d, with main returning the status itself, shows whether
// a Qt still hangs): main then returns the status, and atEarlyEnd goes.
[[nodiscard]] int endBeforeWaylandTeardown(int status);

// Has `cleanup` run should endBeforeWaylandTeardown end the process (std::at_quick_exit), for
// what a static object's destructor would otherwise do then. Only on Linux, where Wayland is;
// elsewhere static objects are always destroyed (and MinGW's C library has no quick_exit).
void atEarlyEnd(void (*cleanup)());

// A Qt window class (a message box, a menu, a dialog) whose hiding first lets its last frame
// settle.
template <class Window> class Settled : public Window
{
public:
    using Window::Window;

    void setVisible(bool visible) override
    {
        if (!visible) settleLastFrame(*this);
        Window::setVisible(visible);
        if (!visible) awaitFrameThread(*this);
    }
};
