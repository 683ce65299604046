// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the program must know of the window system it runs under.

class QWidget;

// Whether the program is a native Wayland client. A compositor puts a window it maps on top
// and activates it, but ignores a client's own raise() and activateWindow().
bool UnderWayland();

// Qt's Wayland client before 6.4.3 frees a window's frame callback twice when the window is
// hidden or destroyed while the compositor's answer to its last frame is being delivered, and
// the process aborts inside libwayland. Before such a window is hidden or destroyed, this
// waits (a moment at most, taking no user input) until that answer is through: it asks for an
// update, which Qt delivers only once no frame callback is pending. Elsewhere it does nothing.
void SettleLastFrame(QWidget &window);

// Qt's Wayland client reads the connection on a thread of its own once the main thread has
// prepared the read, which it does each time it looks for events. If the program ends between
// the two, Qt stops that thread without taking the prepared read back, and its second reading
// thread (for frame callbacks) then waits for that read for ever: the process never ends (1 of
// 19 ends of a test program on a busy machine, Qt 6.4.2; later Qt stops its threads the same
// way). Called at start-up: at the end, before Qt closes the connection, the reading thread is
// given a moment to reach its wait on the connection, where Qt stops it cleanly. Elsewhere it
// does nothing.
void LetWaylandReadersSettleAtExit();

// A Qt window class (a message box, a menu, a dialog) whose hiding first lets its last frame
// settle.
template <class Window> class Settled : public Window
{
public:
    using Window::Window;

    void setVisible(bool visible) override
    {
        if (!visible) SettleLastFrame(*this);
        Window::setVisible(visible);
    }
};
