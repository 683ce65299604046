// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/svg_drawing.h"

#include <QIODevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QTransform>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// A coordinate or length as SVG reads it: a point for the decimals, at most three of them.
QByteArray number(double value)
{
    const double rounded = std::round(value * 1000.0) / 1000.0;
    return QByteArray::number(rounded == 0.0 ? 0.0 : rounded, 'g', 12);
}

QByteArray colour(const QColor &c)
{
    return c.name(QColor::HexRgb).toLatin1();
}

QByteArray lineCap(Qt::PenCapStyle cap)
{
    switch (cap) {
    case Qt::FlatCap:
        return "butt";
    case Qt::SquareCap:
        return "square";
    default:
        return "round";
    }
}

} // namespace

class SvgPaintEngine : public QPaintEngine
{
public:
    SvgPaintEngine(QIODevice &output, QSize size, qreal dpi, const QString &title,
                   const QString &description)
        : QPaintEngine(AllFeatures), m_output(output), m_size(size), m_dpi(dpi), m_title(title),
          m_description(description)
    {}

    bool begin(QPaintDevice *) override
    {
        m_body.clear();
        m_clips.clear();
        m_open = Open::None;
        m_transform = QTransform();
        m_clip.reset();
        return true;
    }

    bool end() override
    {
        close();
        QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
                         number(m_size.width() * 96.0 / m_dpi) + "\" height=\"" +
                         number(m_size.height() * 96.0 / m_dpi) + "\" viewBox=\"0 0 " +
                         QByteArray::number(m_size.width()) + ' ' +
                         QByteArray::number(m_size.height()) + "\">\n<title>" +
                         m_title.toHtmlEscaped().toUtf8() + "</title>\n<desc>" +
                         m_description.toHtmlEscaped().toUtf8() + "</desc>\n";
        if (!m_clips.empty()) {
            svg += "<defs>\n";
            for (std::size_t i = 0; i < m_clips.size(); ++i) {
                const QRectF &r = m_clips[i];
                svg += "<clipPath id=\"c" + QByteArray::number(qulonglong(i)) + "\"><rect x=\"" +
                       number(r.x()) + "\" y=\"" + number(r.y()) + "\" width=\"" +
                       number(r.width()) + "\" height=\"" + number(r.height()) +
                       "\"/></clipPath>\n";
            }
            svg += "</defs>\n";
        }
        svg += m_body;
        svg += "</svg>\n";
        m_body.clear();
        return m_output.write(svg) == svg.size();
    }

    void updateState(const QPaintEngineState &state) override
    {
        const DirtyFlags dirty = state.state();
        // The transform first: a clip comes in the coordinates of the transform sent with it.
        if (dirty & DirtyTransform) m_transform = state.transform();
        if (dirty & DirtyPen) m_pen = state.pen();
        if (dirty & DirtyBrush) m_brush = state.brush();
        if (dirty & DirtyClipPath) clip(state.clipOperation(), state.clipPath().boundingRect());
        if (dirty & DirtyClipRegion)
            clip(state.clipOperation(), QRectF(state.clipRegion().boundingRect()));
        if ((dirty & DirtyClipEnabled) && !state.isClipEnabled()) m_clip.reset();
    }

    void drawRects(const QRectF *rects, int count) override
    {
        if (m_brush.style() != Qt::SolidPattern) return; // outlines are never drawn
        for (int i = 0; i < count; ++i) {
            QRectF r = m_transform.mapRect(rects[i]).normalized();
            if (m_clip) r = r.intersected(*m_clip);
            if (r.isEmpty()) continue;
            fill(m_brush.color(), r);
        }
    }

    void drawRects(const QRect *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QRectF r(rects[i]);
            drawRects(&r, 1);
        }
    }

    void drawLines(const QLineF *lines, int count) override
    {
        if (m_pen.style() == Qt::NoPen) return;
        for (int i = 0; i < count; ++i)
            stroke(m_transform.map(lines[i]));
    }

    void drawLines(const QLine *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QLineF line(lines[i]);
            drawLines(&line, 1);
        }
    }

    // Nothing of the pictures is drawn as a path, a polygon or an image.
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}

    Type type() const override { return User; }

private:
    enum class Open { None, Fill, Stroke };

    void clip(Qt::ClipOperation operation, const QRectF &rect)
    {
        const QRectF device = m_transform.mapRect(rect).normalized();
        switch (operation) {
        case Qt::NoClip:
            m_clip.reset();
            break;
        case Qt::ReplaceClip:
            m_clip = device;
            break;
        case Qt::IntersectClip:
            m_clip = m_clip ? m_clip->intersected(device) : device;
            break;
        }
    }

    // A rectangle of one colour: added to the path of the rectangles just before it when they
    // have its colour, each after the first placed relative to the one before.
    void fill(const QColor &c, const QRectF &r)
    {
        const QRgb rgb = c.rgb();
        if (m_open != Open::Fill || m_fillColour != rgb) {
            close();
            m_body +=
                "<path fill=\"" + colour(c) + "\" d=\"M" + number(r.x()) + ' ' + number(r.y());
            m_open = Open::Fill;
            m_fillColour = rgb;
        } else {
            m_body += 'm' + number(r.x() - m_start.x()) + ' ' + number(r.y() - m_start.y());
        }
        m_start = r.topLeft();
        m_body +=
            'h' + number(r.width()) + 'v' + number(r.height()) + 'h' + number(-r.width()) + 'z';
    }

    void stroke(const QLineF &line)
    {
        const double scale = std::sqrt(std::abs(m_transform.determinant()));
        const double width = (m_pen.widthF() > 0 ? m_pen.widthF() : 1.0) * scale;
        // Only a line that may reach beyond the clip needs clipping.
        std::optional<int> clipIndex;
        // The drawing's own bounds clip as well.
        if (m_clip && !m_clip->contains(QRectF(QPointF(0, 0), QSizeF(m_size)))) {
            const QRectF reach = QRectF(line.p1(), line.p2())
                                     .normalized()
                                     .adjusted(-width / 2, -width / 2, width / 2, width / 2);
            if (!reach.intersects(*m_clip)) return;
            if (!m_clip->contains(reach)) clipIndex = clipOf(*m_clip);
        }
        const QRgb rgb = m_pen.color().rgb();
        if (m_open != Open::Stroke || m_strokeColour != rgb || m_strokeWidth != width ||
            m_cap != m_pen.capStyle() || m_strokeClip != clipIndex) {
            close();
            m_body += "<path fill=\"none\" stroke=\"" + colour(m_pen.color()) +
                      "\" stroke-width=\"" + number(width) + "\" stroke-linecap=\"" +
                      lineCap(m_pen.capStyle()) + '"';
            if (clipIndex) m_body += " clip-path=\"url(#c" + QByteArray::number(*clipIndex) + ")\"";
            m_body += " d=\"";
            m_open = Open::Stroke;
            m_strokeColour = rgb;
            m_strokeWidth = width;
            m_cap = m_pen.capStyle();
            m_strokeClip = clipIndex;
        }
        m_body += 'M' + number(line.x1()) + ' ' + number(line.y1()) + 'L' + number(line.x2()) +
                  ' ' + number(line.y2());
    }

    int clipOf(const QRectF &rect)
    {
        for (std::size_t i = 0; i < m_clips.size(); ++i)
            if (m_clips[i] == rect) return int(i);
        m_clips.push_back(rect);
        return int(m_clips.size()) - 1;
    }

    void close()
    {
        if (m_open != Open::None) m_body += "\"/>\n";
        m_open = Open::None;
    }

    QIODevice &m_output;
    QSize m_size;
    qreal m_dpi;
    QString m_title;
    QString m_description;

    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
    std::optional<QRectF> m_clip; // in the drawing's coordinates
    std::vector<QRectF> m_clips;  // those that lines needed, for the definitions

    QByteArray m_body;
    Open m_open = Open::None; // the element being written
    QRgb m_fillColour = 0;
    QPointF m_start; // where the path's last rectangle starts
    QRgb m_strokeColour = 0;
    double m_strokeWidth = 0;
    Qt::PenCapStyle m_cap = Qt::RoundCap;
    std::optional<int> m_strokeClip;
};

SvgDrawing::SvgDrawing(QIODevice &output, QSize size, qreal logicalDpi, const QString &title,
                       const QString &description)
    : m_size(size.expandedTo(QSize(1, 1))), m_dpi(logicalDpi > 0 ? logicalDpi : 96.0),
      m_engine(std::make_unique<SvgPaintEngine>(output, m_size, m_dpi, title, description))
{}

SvgDrawing::~SvgDrawing() = default;

QPaintEngine *SvgDrawing::paintEngine() const
{
    return m_engine.get();
}

int SvgDrawing::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return int(std::lround(m_size.width() * 25.4 / m_dpi));
    case PdmHeightMM:
        return int(std::lround(m_size.height() * 25.4 / m_dpi));
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return int(std::lround(m_dpi));
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        // Later Qt versions add metrics (the encoded ratio of Qt 6.8);
        // the base class answers them for a device of ratio 1.
        return QPaintDevice::metric(metric);
    }
}
