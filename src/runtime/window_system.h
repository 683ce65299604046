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
// not. This goes, with Settled<> below and the calls to both, when Debian 12 and Ubuntu 24.04
// (Qt 6.4.2) leave the supported table: every supported Qt then has the fix.
void settleLastFrame(QWidget &window);

// Qt's Wayland client reads the connection on a thread of its own once the main thread has
// prepared the read, which it does each time it looks for events. If the program ends between
// the two, Qt stops that thread without taking the prepared read back (EventThread::run leaves
// when waitForReading() sees it quitting, without wl_display_cancel_read), and its second
// reading thread (for frame callbacks) then waits in wl_display_read_events() for that read for
// ever: the process never ends. Called at start-up: at the end, before Qt closes the
// connection, the reading thread is given a moment to reach its wait on the connection, where
// Qt stops it cleanly. Only on the Qt versions with that fault (window_system.cpp), under
// Wayland; elsewhere it does nothing.
// Qt's fix: none yet, and no Qt bug found that names it. This goes once a Qt release takes the
// read back and every supported Qt is of that release or later.
void letWaylandReadersSettleAtExit();

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
    }
};
