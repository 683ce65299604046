// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/intro/intro_document.h"

#include "runtime/form.h"
#include "windows/intro/intro_text.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace {

// The document's picture: 180.06 mm by 138.31 mm, in units of 461 across and 354 down.
constexpr double PictureWidthMm = 180.06;
constexpr double PictureHeightMm = 138.31;
constexpr double PictureUnitsAcross = 461;
constexpr double PictureUnitsDown = 354;

// Every line starts 27 units from the picture's left edge; the first line's top is 12 units
// below its top edge.
constexpr double LineLeftUnits = 27;
constexpr double FirstLineTopUnits = 12;

// Lines follow at the face's single line spacing: Courier New's ascent plus descent, 2320 per
// 2048 of the em, at 12 pt, which is 4.8 mm or 12.27 units (the picture, in whole units, puts
// its lines 12 or 13 units apart). The area keeps the exact spacing, so that lines stay evenly
// spaced on the screen.
constexpr double FacePoints = 12;
constexpr double LineSpacingMm = FacePoints * 2320.0 / 2048.0 * 25.4 / 72.0;
constexpr double LineSpacingUnits = LineSpacingMm / (PictureHeightMm / PictureUnitsDown);

double lineTopUnits(int index)
{
    return FirstLineTopUnits + index * LineSpacingUnits;
}

double unitsAcrossToPixels(double units, double dpi)
{
    return units * PictureWidthMm / PictureUnitsAcross / 25.4 * dpi;
}

double unitsDownToPixels(double units, double dpi)
{
    return units * PictureHeightMm / PictureUnitsDown / 25.4 * dpi;
}

// A logical coordinate moved to the nearest whole device pixel.
qreal onDevicePixel(qreal logical, qreal dpr)
{
    return std::round(logical * dpr) / dpr;
}

// The area as assistive tools see it: a read-only document whose text they can read, line by
// line. Its name is the window's to give.
class AccessibleIntroDocument : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit AccessibleIntroDocument(IntroDocument *area)
        : QAccessibleWidget(area, QAccessible::Document), m_text(area->text())
    {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }

    // The text, read only: no caret, no selection.
    QString text(QAccessible::Text which) const override { return QAccessibleWidget::text(which); }
    QString text(int start, int end) const override { return m_text.mid(start, end - start); }
    int characterCount() const override { return int(m_text.size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return 0; }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return QString();
    }

private:
    QString m_text;
};

QAccessibleInterface *accessibleIntroDocument(const QString &className, QObject *object)
{
    if (className == QLatin1String("IntroDocument"))
        return new AccessibleIntroDocument(static_cast<IntroDocument *>(object));
    return nullptr;
}

} // namespace

IntroDocument::IntroDocument(QWidget *parent) : QWidget(parent), m_paragraphs(introParagraphs())
{
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleIntroDocument);
        return true;
    }();
    Q_UNUSED(accessible);
    setFont(documentFont());
    // The area takes the keyboard focus (it is first in the window's tab order) and does
    // nothing with the keys.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont IntroDocument::documentFont()
{
    QFont font = programFont(QStringLiteral("Courier New"), FacePoints);
    // Where neither Courier New nor its twin is installed, another fixed-pitch face.
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

std::vector<IntroDocument::Line>
IntroDocument::layout(const QStringList &paragraphs, const QFont &font, const QPaintDevice &device)
{
    const QFontMetricsF metrics(font, &device);
    const double dpiX = device.logicalDpiX();
    const double dpiY = device.logicalDpiY();
    const qreal dpr = device.devicePixelRatioF();
    const qreal left = onDevicePixel(unitsAcrossToPixels(LineLeftUnits, dpiX), dpr);
    const qreal height = unitsDownToPixels(LineSpacingUnits, dpiY);

    std::vector<Line> lines;
    lines.reserve(size_t(paragraphs.size()));
    for (int i = 0; i < paragraphs.size(); ++i) {
        const QString &text = paragraphs.at(i);
        const qreal top = unitsDownToPixels(lineTopUnits(i), dpiY);
        const QRectF box(left, top, metrics.horizontalAdvance(text), height);
        lines.push_back({text, box, onDevicePixel(top + metrics.ascent(), dpr)});
    }
    return lines;
}

std::vector<IntroDocument::Line> IntroDocument::lines() const
{
    return layout(m_paragraphs, font(), *this);
}

QString IntroDocument::text() const
{
    return m_paragraphs.join(QLatin1Char('\n')).trimmed();
}

void IntroDocument::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    painter.setPen(Qt::black);
    painter.setFont(font());
    const QRectF dirty(event->rect());
    for (const Line &line : lines()) {
        if (line.text.trimmed().isEmpty() || !line.box.intersects(dirty)) continue;
        painter.drawText(QPointF(line.box.left(), line.baseline), line.text);
    }
    if (showsFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void IntroDocument::focusInEvent(QFocusEvent *event)
{
    // As on the desktop the program was made for, the focus shows once the user moves it with
    // the keyboard, not when a click or the window's activation gives it.
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        m_focusFromKeyboard = true;
        break;
    case Qt::MouseFocusReason:
        m_focusFromKeyboard = false;
        break;
    default:
        break;
    }
    QWidget::focusInEvent(event);
}
