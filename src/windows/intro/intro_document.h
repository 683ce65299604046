// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The document area of the introduction window. It shows the picture of the explanatory
// document at the picture's own size from the area's top left corner, clipped at the area's
// edges: the text set in Courier New 12 pt, black, left-aligned, one paragraph per line, on the
// system window colour. Assistive tools see it as a read-only document and read its text.

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QPaintDevice;

class IntroDocument : public QWidget
{
    Q_OBJECT

public:
    explicit IntroDocument(QWidget *parent = nullptr);

    // One paragraph of the document as it lies in the area, in the device's logical pixels from
    // the area's top left corner: its text, its line box (as wide as the text, as high as the
    // line spacing) and the baseline the text sits on.
    struct Line
    {
        QString text;
        QRectF box;
        qreal baseline;
    };

    // Lays the paragraphs out on a device: positions follow the picture's physical size
    // (through the device's logical DPI), and baselines fall on whole device pixels.
    static std::vector<Line> layout(const QStringList &paragraphs, const QFont &font,
                                    const QPaintDevice &device);
    // The document's face: Courier New 12 pt (or its metric twin).
    static QFont documentFont();

    // The document as this area lays it out; the area paints exactly these lines.
    std::vector<Line> lines() const;
    // The document's text as a reader reads it: its paragraphs, one a line, without the empty
    // and blank lines before and after them.
    QString text() const;

    // Whether the area shows that it has the keyboard focus: a thin frame in the highlight
    // colour, once the focus came to it from the keyboard.
    bool showsFocus() const { return hasFocus() && m_focusFromKeyboard; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    QStringList m_paragraphs;
    bool m_focusFromKeyboard = false;
};
