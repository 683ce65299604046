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
