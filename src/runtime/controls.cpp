// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/controls.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

void CaptionButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this) / 2 + 1;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect().adjusted(margin, margin, -margin, -margin),
                     Qt::AlignCenter | Qt::TextWordWrap, text());
}

void CaptionOnBorderFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int top = metrics.height() / 2;
    const int right = width() - 1;
    const int bottom = height() - 1;
    // Shadow outside, light inside, one pixel apart: an etched line.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(QRect(0, top, right - 1, bottom - top - 1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(QRect(1, top + 1, right - 1, bottom - top - 1));
    const int captionLeft = metrics.averageCharWidth() + 2;
    const QRect caption(captionLeft, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(caption, palette().color(QPalette::Window));
    style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextHideMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}

void FocusScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void FocusScrollBar::focusInEvent(QFocusEvent *event)
{
    QScrollBar::focusInEvent(event);
    update();
}

void FocusScrollBar::focusOutEvent(QFocusEvent *event)
{
    QScrollBar::focusOutEvent(event);
    update();
}
