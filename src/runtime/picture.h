// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A window's drawing as a picture that leaves the screen: an image (a PNG file, the clipboard),
// a vector drawing (an SVG or PDF file) or a printed page. The window supplies a routine that
// draws the picture onto a surface; every output runs that same routine, on an image with the
// window's own pixel rules or through a painter onto the other devices.

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPainter;
class QPrinter;
class Surface;

class Picture
{
public:
    enum class Format { Png, Svg, Pdf };

    // A picture of `logicalSize` pixels at `devicePixelRatio`, in the window's colours; `draw`
    // draws it onto a surface that covers it.
    Picture(QSize logicalSize, qreal devicePixelRatio, qreal logicalDpi, QRgb background,
            QRgb foreground, std::function<void(Surface &)> draw);

    // The picture on an image of its device pixels, drawn as the window draws its own.
    QImage image() const;
    // The picture drawn through a painter into `target` (in the painter's coordinates), as
    // large as fits with its aspect kept, centred.
    void paint(QPainter &painter, const QRectF &target) const;
#ifdef BORVANE_PRINTING
    // The picture on the printer's page, as large as fits with its aspect kept. False when the
    // printer could not be started.
    bool print(QPrinter &printer) const;
#endif

    // The format that a file name asks for by its extension (.png, .svg, .pdf, any case).
    static std::optional<Format> formatOf(const QString &fileName);
    // The save dialog's name filters, one for each format ("Immagine PNG (*.png)"), PNG first.
    static QStringList nameFilters();
    // The extension that one of those filters gives a file name ("png"); the empty text for
    // any other filter.
    static QString suffixOf(const QString &nameFilter);
    // Why a file of this name would not be written for want of a known extension, or the empty
    // text.
    static QString formatRefusal(const QString &fileName);
    // Writes the picture into the file, in the format of its extension, whole or not at all: on
    // failure any existing file stays as it was and nothing half-written is left. Returns the
    // empty text, or the reason in Italian, naming the file.
    QString save(const QString &fileName) const;
    // The bytes of the file that save() would write in the format; empty when the picture
    // could not be composed.
    QByteArray encoded(Format format) const;
    // Why a picture to be handed to the browser under this name (as given) was not: it could
    // not be composed.
    static QString notComposed(const QString &fileName);

private:
    // The picture on an image of its device pixels: indexed by its colours, or past 256 of them
    // in the format the window shows.
    QImage pixels() const;
    bool write(Format format, class QIODevice &device) const;

    QSize m_size;
    qreal m_dpr;
    qreal m_dpi;
    QRgb m_back;
    QRgb m_fore;
    std::function<void(Surface &)> m_draw;
};
