// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A paint device that writes what is painted on it as an SVG drawing, for the program's
// pictures: solid filled rectangles (the dots, the background) and straight lines with round
// caps (the axes, the figures), in solid colours, clipped to rectangles, under a painter
// transform that moves and scales. Those are all the pictures are made of; anything else
// painted on it (text, images, curves, gradients) is left out.
//
// The drawing keeps the order of painting. Rectangles of one colour painted one after the
// other share one path, so the thousands of dots of a plot stay a few kilobytes.

#include <QPaintDevice>
#include <QSize>
#include <QString>
#include <memory>

class QIODevice;
class SvgPaintEngine;

class SvgDrawing : public QPaintDevice
{
public:
    // A drawing of `size` logical pixels at `logicalDpi` (its printed size), written into
    // `output` when the painter ends; the painter's end() is false when it could not be
    // written whole.
    SvgDrawing(QIODevice &output, QSize size, qreal logicalDpi, const QString &title,
               const QString &description);
    ~SvgDrawing() override;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    qreal m_dpi;
    std::unique_ptr<SvgPaintEngine> m_engine;
};
