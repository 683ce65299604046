// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/surface.h"

#include "values/runtime_error.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

Surface::Surface(Storage storage) : m_indexed(storage == Storage::Indexed)
{
    resize(QSize(1, 1), 1.0, 96.0);
}

Surface::Surface(QPainter &painter, QSize pictureSize, qreal devicePixelRatio, qreal logicalDpi)
    : m_painter(&painter)
{
    m_dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize picture = pictureSize.expandedTo(QSize(1, 1));
    // The picture's pixels, at the ratio of the image it stands for: a dot there is skipped
    // or drawn as it would be on that image.
    m_devicePixels =
        QSize(int(std::ceil(picture.width() * m_dpr)), int(std::ceil(picture.height() * m_dpr)));
    updateBounds();
    painter.save();
    painter.setClipRect(QRectF(QPointF(0, 0), QSizeF(picture)), Qt::IntersectClip);
    resize(picture, m_dpr, logicalDpi);
}

Surface::~Surface()
{
    if (m_painter) {
        flush();
        m_painter->restore();
    }
}

void Surface::resize(QSize logicalSize, qreal devicePixelRatio, qreal logicalDpi)
{
    m_size = logicalSize.expandedTo(QSize(1, 1));
    m_dpi = logicalDpi > 0 ? logicalDpi : 96.0;
    if (m_painter) {
        updateMapping();
        return;
    }
    const QSize needed(int(std::ceil(m_size.width() * devicePixelRatio)),
                       int(std::ceil(m_size.height() * devicePixelRatio)));
    if (!m_keepsPixels) {
        m_dpr = devicePixelRatio;
        m_devicePixels = needed;
        updateBounds();
    } else if (m_image.isNull() || devicePixelRatio != m_dpr || needed.width() > m_image.width() ||
               needed.height() > m_image.height()) {
        // What is drawn is carried over by a painter, which knows no indexed image.
        if (m_indexed && !m_image.isNull() && !m_blank) stopIndexing();
        // The image only grows, so shrinking and growing the window back loses nothing.
        QSize grown = needed;
        if (!m_image.isNull() && devicePixelRatio == m_dpr)
            grown = needed.expandedTo(m_image.size());
        QImage image(grown, m_indexed ? QImage::Format_Indexed8 : imageFormat);
        image.setDevicePixelRatio(devicePixelRatio);
        if (m_indexed) {
            m_lastIndex = -1;
            image.setColorTable({m_back});
            image.fill(0);
        } else {
            image.fill(pixelOf(m_back));
        }
        if (!m_image.isNull() && !m_blank) {
            QPainter painter(&image);
            painter.drawImage(QPointF(0, 0), m_image);
        }
        m_image = std::move(image);
        m_dpr = devicePixelRatio;
        m_pixels = nullptr;
        m_stride = m_image.bytesPerLine();
        m_devicePixels = m_image.size();
        updateBounds();
    }
    updateMapping();
}

void Surface::keepNoPixels()
{
    m_keepsPixels = false;
    m_image = QImage();
    m_pixels = nullptr;
}

double Surface::unitsPerPixelX() const
{
    switch (m_scaleMode) {
    case User:
        return double(m_userWidth) / m_size.width();
    case Twips:
        return 1440.0 / m_dpi;
    case Points:
        return 72.0 / m_dpi;
    case Inches:
        return 1.0 / m_dpi;
    case Millimetres:
        return 25.4 / m_dpi;
    case Centimetres:
        return 2.54 / m_dpi;
    default:
        return 1.0;
    }
}

double Surface::unitsPerPixelY() const
{
    if (m_scaleMode == User) return double(m_userHeight) / m_size.height();
    return unitsPerPixelX();
}

void Surface::updateMapping()
{
    m_unitToDeviceX = m_dpr / unitsPerPixelX();
    m_unitToDeviceY = m_dpr / unitsPerPixelY();
    m_dotDevicePixels = std::max(1, int(std::lround(m_drawWidth * m_dpr)));
}

void Surface::setScaleMode(int mode)
{
    switch (mode) {
    case User:
        m_userWidth = scaleWidth();
        m_userHeight = scaleHeight();
        break;
    case Twips:
    case Points:
    case Pixels:
    case Inches:
    case Millimetres:
    case Centimetres:
        break;
    default:
        throw RuntimeError(RuntimeError::InvalidCall);
    }
    m_scaleMode = mode;
    updateMapping();
}

float Surface::scaleWidth() const
{
    if (m_scaleMode == User) return m_userWidth;
    return float(m_size.width() * unitsPerPixelX());
}

float Surface::scaleHeight() const
{
    if (m_scaleMode == User) return m_userHeight;
    return float(m_size.height() * unitsPerPixelY());
}

void Surface::setScaleWidth(float width)
{
    if (width == 0.0f || !std::isfinite(width)) throw RuntimeError(RuntimeError::InvalidCall);
    m_userHeight = scaleHeight();
    m_userWidth = width;
    m_scaleMode = User;
    updateMapping();
}

void Surface::setScaleHeight(float height)
{
    if (height == 0.0f || !std::isfinite(height)) throw RuntimeError(RuntimeError::InvalidCall);
    m_userWidth = scaleWidth();
    m_userHeight = height;
    m_scaleMode = User;
    updateMapping();
}

void Surface::setDrawWidth(int width)
{
    if (width == m_drawWidth) return;
    if (width < 1 || width > 32767) throw RuntimeError(RuntimeError::InvalidCall);
    m_drawWidth = width;
    updateMapping();
}

void Surface::limitTo(QSize devicePixels)
{
    m_limit = devicePixels;
    updateBounds();
}

void Surface::updateBounds()
{
    const QSize reached = m_limit.isValid() ? m_devicePixels.boundedTo(m_limit) : m_devicePixels;
    m_deviceWidth = reached.width();
    m_deviceHeight = reached.height();
}

bool Surface::limited() const
{
    return m_deviceWidth < m_devicePixels.width() || m_deviceHeight < m_devicePixels.height();
}

QPointF Surface::toPixels(float x, float y) const
{
    return QPointF(x * m_unitToDeviceX / m_dpr, y * m_unitToDeviceY / m_dpr);
}

void Surface::fillDot(double deviceX, double deviceY, QRgb colour)
{
    // The dot covers DrawWidth device pixels each way, centred on the point: a 2-pixel dot
    // at (100, 100) covers 99 and 100, as a 2-pixel pen does.
    const int w = m_dotDevicePixels;
    const double offset = w / 2.0 - 0.5;
    const double left = std::floor(deviceX - offset);
    const double top = std::floor(deviceY - offset);
    if (!(left > -w && left < m_deviceWidth && top > -w && top < m_deviceHeight))
        return; // far outside the area (and never converted to int)
    if (m_painter) {
        paintDot(int(left), int(top), colour);
        return;
    }
    const int x0 = std::max(0, int(left));
    const int x1 = std::min(m_deviceWidth, int(left) + w);
    const int y0 = std::max(0, int(top));
    const int y1 = std::min(m_deviceHeight, int(top) + w);
    if (!m_keepsPixels) return;
    if (m_indexed) {
        if (const int index = indexOf(colour); index >= 0) {
            if (!m_pixels) m_pixels = m_image.bits();
            for (int y = y0; y < y1; ++y)
                std::fill(m_pixels + y * m_stride + x0, m_pixels + y * m_stride + x1, uchar(index));
            changed();
            return;
        }
    }
    if (!m_pixels) m_pixels = m_image.bits();
    const QRgb pixel = pixelOf(colour);
    for (int y = y0; y < y1; ++y) {
        auto *row = reinterpret_cast<QRgb *>(m_pixels + y * m_stride);
        std::fill(row + x0, row + x1, pixel);
    }
    changed();
}

void Surface::paintDot(int left, int top, QRgb colour)
{
    if (colour != m_heldColour) {
        flush();
        m_heldColour = colour;
    }
    const int w = m_dotDevicePixels;
    const qint64 place = (qint64(left + 65536) << 40) | (qint64(top + 65536) << 16) | (w & 0xFFFF);
    if (!m_heldPlaces.insert(place).second) return;
    m_held.emplace_back(left / m_dpr, top / m_dpr, w / m_dpr, w / m_dpr);
}

void Surface::flush()
{
    if (!m_painter || m_held.empty()) return;
    m_painter->setPen(Qt::NoPen);
    m_painter->setBrush(QColor(m_heldColour));
    m_painter->drawRects(m_held.data(), int(m_held.size()));
    m_held.clear();
    m_heldPlaces.clear();
}

void Surface::paintLine(QPainter &painter, float x1, float y1, float x2, float y2) const
{
    // Points beyond any screen are held back, so the painter only sees sensible numbers.
    static constexpr double limit = 1e7;
    auto device = [](double v) { return std::clamp(v, -limit, limit); };
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(m_fore), m_drawWidth, Qt::SolidLine, Qt::RoundCap));
    if (limited())
        painter.setClipRect(QRectF(0, 0, m_deviceWidth / m_dpr, m_deviceHeight / m_dpr),
                            Qt::IntersectClip);
    // The painter works in logical pixels (on an image with the device pixel ratio).
    painter.drawLine(
        QPointF(device(x1 * m_unitToDeviceX / m_dpr), device(y1 * m_unitToDeviceY / m_dpr)),
        QPointF(device(x2 * m_unitToDeviceX / m_dpr), device(y2 * m_unitToDeviceY / m_dpr)));
}

void Surface::line(float x1, float y1, float x2, float y2)
{
    if (m_observer) m_observer->line(x1, y1, x2, y2, m_fore, m_drawWidth);
    if (m_painter) {
        flush();
        m_painter->save();
        paintLine(*m_painter, x1, y1, x2, y2);
        m_painter->restore();
        return;
    }
    if (!m_keepsPixels) return;
    m_pixels = nullptr;
    if (m_indexed) {
        if (const int index = indexOf(m_fore); index >= 0) {
            lineOnIndexed(x1, y1, x2, y2, index);
            return;
        }
    }
    QPainter painter(&m_image);
    paintLine(painter, x1, y1, x2, y2);
    changed();
}

void Surface::lineOnIndexed(float x1, float y1, float x2, float y2, int index)
{
    // The painter draws the line onto a transparent image of the pixels it can reach, moved by
    // whole device pixels (which moves its pixels and changes nothing else); those it reached
    // take the pen's index. The margin keeps that image's edges, where the painter clips, clear
    // of the line, except where they are the surface's own edges.
    static constexpr double limit = 1e7;
    auto device = [](double v) { return std::clamp(v, -limit, limit); };
    const double ax = device(x1 * m_unitToDeviceX), ay = device(y1 * m_unitToDeviceY);
    const double bx = device(x2 * m_unitToDeviceX), by = device(y2 * m_unitToDeviceY);
    const double margin = m_drawWidth * m_dpr + 4;
    const QRect reach =
        QRect(0, 0, m_deviceWidth, m_deviceHeight)
            .intersected(QRectF(QPointF(std::min(ax, bx) - margin, std::min(ay, by) - margin),
                                QPointF(std::max(ax, bx) + margin, std::max(ay, by) + margin))
                             .toAlignedRect());
    if (reach.isEmpty()) return;
    QImage ink(reach.size(), QImage::Format_ARGB32_Premultiplied);
    ink.fill(Qt::transparent);
    {
        QPainter painter(&ink);
        painter.setTransform(QTransform(m_dpr, 0, 0, m_dpr, -reach.left(), -reach.top()));
        paintLine(painter, x1, y1, x2, y2);
    }
    if (!m_pixels) m_pixels = m_image.bits();
    for (int y = 0; y < ink.height(); ++y) {
        const auto *drawn = reinterpret_cast<const QRgb *>(ink.constScanLine(y));
        uchar *row = m_pixels + (reach.top() + y) * m_stride + reach.left();
        for (int x = 0; x < ink.width(); ++x)
            if (qAlpha(drawn[x]) != 0) row[x] = uchar(index);
    }
    changed();
}

int Surface::indexOf(QRgb colour)
{
    if (colour == m_lastColour && m_lastIndex >= 0) return m_lastIndex;
    const QList<QRgb> table = m_image.colorTable();
    qsizetype found = table.indexOf(colour);
    if (found < 0) {
        if (table.size() == 256) {
            stopIndexing();
            return -1;
        }
        found = table.size();
        m_image.setColorCount(int(found) + 1);
        m_image.setColor(int(found), colour);
        m_pixels = nullptr;
    }
    m_lastColour = colour;
    m_lastIndex = int(found);
    return m_lastIndex;
}

void Surface::stopIndexing()
{
    m_indexed = false;
    m_pixels = nullptr;
    if (!m_image.isNull()) m_image = m_image.convertToFormat(imageFormat);
    m_stride = m_image.bytesPerLine();
}

void Surface::cls()
{
    if (m_observer) m_observer->cleared();
    if (m_painter) {
        m_held.clear();
        m_heldPlaces.clear();
        m_painter->fillRect(QRectF(0, 0, m_deviceWidth / m_dpr, m_deviceHeight / m_dpr),
                            QColor(m_back));
        return;
    }
    m_pixels = nullptr;
    if (m_indexed) {
        if (const int index = indexOf(m_back); index >= 0) {
            m_image.fill(uint(index));
            changed();
            return;
        }
    }
    m_image.fill(pixelOf(m_back));
    changed();
}

void Surface::changed()
{
    if (m_dirty) return;
    m_blank = false;
    m_dirty = true;
    if (m_changed) m_changed();
}
