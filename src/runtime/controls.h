// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The controls of the old forms runtime where Qt's own look or behaviour differs from them:
// a command button whose caption wraps, a frame with its caption on its border, and a scroll
// bar that shows its keyboard focus.

#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>

// A command button whose caption wraps over its face when it is wider than the button.
class CaptionButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A frame drawn the classic way: an etched border whose top line runs through the middle of
// the caption. (The style's own group box puts the caption above a lower border, which then
// cuts through controls placed near the top of the frame.)
class CaptionOnBorderFrame : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A scroll bar that shows when it has the keyboard focus (the style draws no mark of its own),
// so that a keyboard user sees where the arrow keys go.
class FocusScrollBar : public QScrollBar
{
public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};
