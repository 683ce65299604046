// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/picture.h"

#include "runtime/indexed_png.h"
#include "runtime/surface.h"
#include "runtime/svg_drawing.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#ifdef BORVANE_PRINTING
#include <QPrinter>
#endif
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The formats a picture is saved in: the extension that asks for each, and the save dialog's
// name filter of it.
struct FileType
{
    Picture::Format format;
    QLatin1String suffix;
    QLatin1String nameFilter;
};
constexpr FileType fileTypes[] = {
    {Picture::Format::Png, QLatin1String("png"), QLatin1String("Immagine PNG (*.png)")},
    {Picture::Format::Svg, QLatin1String("svg"), QLatin1String("Disegno SVG (*.svg)")},
    {Picture::Format::Pdf, QLatin1String("pdf"), QLatin1String("Documento PDF (*.pdf)")},
};

// Inches per metre, for the dots per metre a PNG file carries.
constexpr double inchesPerMetre = 1.0 / 0.0254;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Why a file could not be opened for writing, in the user's words.
QString whyNotOpened(const QString &fileName)
{
    const QFileInfo target(fileName);
    const QFileInfo folder(target.absolutePath());
    if (!folder.exists())
        return QStringLiteral("la cartella «%1» non esiste").arg(shown(folder.absoluteFilePath()));
    if (!folder.isDir())
        return QStringLiteral("«%1» non è una cartella").arg(shown(folder.absoluteFilePath()));
    if (target.isDir()) return QStringLiteral("esiste già una cartella con questo nome");
    if (target.exists() && !target.isWritable())
        return QStringLiteral("il file esistente è protetto dalla scrittura");
    // The picture is written beside the target first: the folder refused a new file.
    return QStringLiteral("non si ha il permesso di scrivere nella cartella «%1»")
        .arg(shown(folder.absoluteFilePath()));
}

// Why a file opened for writing could not be written whole.
QString whyNotWritten(const QFileDevice &file)
{
    return QStringLiteral("la scrittura non è riuscita (il disco potrebbe essere pieno: %1)")
        .arg(file.errorString());
}

QString notComposedReason()
{
    return QStringLiteral("non è stato possibile comporla");
}

QString notSaved(const QString &fileName, const QString &why)
{
    return QStringLiteral("L'immagine non è stata salvata in «%1»: %2.")
        .arg(shown(QFileInfo(fileName).absoluteFilePath()), why);
}

} // namespace

Picture::Picture(QSize logicalSize, qreal devicePixelRatio, qreal logicalDpi, QRgb background,
                 QRgb foreground, std::function<void(Surface &)> draw)
    : m_size(logicalSize.expandedTo(QSize(1, 1))),
      m_dpr(devicePixelRatio > 0 ? devicePixelRatio : 1.0),
      m_dpi(logicalDpi > 0 ? logicalDpi : 96.0), m_back(background), m_fore(foreground),
      m_draw(std::move(draw))
{}

QImage Picture::image() const
{
    // Saved and copied as RGB32 everywhere, whatever the surface holds its pixels in.
    return pixels().convertToFormat(QImage::Format_RGB32);
}

QImage Picture::pixels() const
{
    Surface surface(Surface::Storage::Indexed);
    surface.setBackColor(m_back);
    surface.setForeColor(m_fore);
    surface.resize(m_size, m_dpr, m_dpi); // filled with the background colour
    m_draw(surface);
    // The surface grows for a drawing made over a larger area; the picture is its own size.
    const QRect device(0, 0, int(std::ceil(m_size.width() * m_dpr)),
                       int(std::ceil(m_size.height() * m_dpr)));
    QImage image = surface.image();
    if (image.size() != device.size()) image = image.copy(device);
    image.setDevicePixelRatio(m_dpr);
    return image;
}

void Picture::paint(QPainter &painter, const QRectF &target) const
{
    const QSizeF picture(m_size);
    const QSizeF fitted = picture.scaled(target.size(), Qt::KeepAspectRatio);
    painter.save();
    painter.translate(target.center() - QPointF(fitted.width() / 2, fitted.height() / 2));
    painter.scale(fitted.width() / picture.width(), fitted.height() / picture.height());
    painter.fillRect(QRectF(QPointF(0, 0), picture), QColor(m_back));
    {
        Surface surface(painter, m_size, m_dpr, m_dpi);
        surface.setBackColor(m_back);
        surface.setForeColor(m_fore);
        m_draw(surface);
    }
    painter.restore();
}

#ifdef BORVANE_PRINTING
bool Picture::print(QPrinter &printer) const
{
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // The painter's origin is the top left corner of the page's printable area.
    paint(painter, QRectF(0, 0, printer.width(), printer.height()));
    return painter.end();
}
#endif

std::optional<Picture::Format> Picture::formatOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const FileType &type : fileTypes)
        if (suffix == type.suffix) return type.format;
    return std::nullopt;
}

QStringList Picture::nameFilters()
{
    QStringList filters;
    for (const FileType &type : fileTypes)
        filters << type.nameFilter;
    return filters;
}

QString Picture::suffixOf(const QString &nameFilter)
{
    for (const FileType &type : fileTypes)
        if (nameFilter == type.nameFilter) return type.suffix;
    return QString();
}

bool Picture::write(Format format, QIODevice &device) const
{
    switch (format) {
    case Format::Png: {
        QImage written = pixels();
        // Past 256 colours, in the truest format Qt writes.
        if (written.format() != QImage::Format_Indexed8)
            written = written.convertToFormat(QImage::Format_RGB32);
        // Programs that place the image on a page show it at the window's size.
        const int dotsPerMetre = int(std::lround(m_dpi * m_dpr * inchesPerMetre));
        written.setDotsPerMeterX(dotsPerMetre);
        written.setDotsPerMeterY(dotsPerMetre);
        if (written.format() == QImage::Format_Indexed8) return writeIndexedPng(written, device);
        QImageWriter writer(&device, "png");
        // The fastest compression: a drawing of few colours stays small all the same.
        writer.setQuality(80);
        return writer.write(written);
    }
    case Format::Svg: {
        SvgDrawing svg(device, m_size, m_dpi, QStringLiteral("Borvane"),
                       QStringLiteral("Disegnato con Borvane"));
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        paint(painter, QRectF(QPointF(0, 0), QSizeF(m_size)));
        return painter.end();
    }
    case Format::Pdf: {
        QPdfWriter pdf(&device);
        pdf.setTitle(QStringLiteral("Borvane"));
        pdf.setCreator(QStringLiteral("Borvane %1").arg(QCoreApplication::applicationVersion()));
        // One page of the picture's own size (at the window's dots per inch), no margins.
        const QSizeF points(m_size.width() * 72.0 / m_dpi, m_size.height() * 72.0 / m_dpi);
        pdf.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf)) return false;
        paint(painter, QRectF(0, 0, pdf.width(), pdf.height()));
        return painter.end();
    }
    }
    return false;
}

QString Picture::formatRefusal(const QString &fileName)
{
    if (formatOf(fileName)) return QString();
    return notSaved(fileName, QStringLiteral("il formato si sceglie con l'estensione del nome, "
                                             ".png, .svg o .pdf"));
}

QString Picture::save(const QString &fileName) const
{
    const std::optional<Format> format = formatOf(fileName);
    if (!format) return formatRefusal(fileName);
    // The file is made in memory first: the encoders never meet a failing disk, and a failure
    // is the file's alone. Qt's PNG writer leaks its table of row pointers when its device
    // fails (png_error() jumps past the delete[] in QPNGImageWriter::writeImage); no Qt bug
    // names it, and Qt's newest sources read still do so. Writing in memory stays for the
    // second reason even once every supported Qt frees the table.
    const QByteArray bytes = encoded(*format);
    if (bytes.isEmpty()) return notSaved(fileName, notComposedReason());
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return notSaved(fileName, whyNotOpened(fileName));
    // Until commit() the bytes go to a temporary file beside the target; anything short of a
    // complete write leaves the target as it was, and the temporary file is removed. They are
    // flushed before the commit: Qt 6.4's commit() lets a failure of that last write (a full
    // disk) pass and puts the short file in place of the target (QTBUG-75077; later commit()
    // acts on it, as Qt 6.9's does). The flush goes once every supported Qt's commit() does,
    // not before Debian 12 (6.4.2) leaves the supported table.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return notSaved(fileName, whyNotWritten(file));
    return QString();
}

QByteArray Picture::encoded(Format format) const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!write(format, buffer)) return QByteArray();
    return buffer.data();
}

QString Picture::notComposed(const QString &fileName)
{
    return QStringLiteral("L'immagine «%1» non è stata salvata: %2.")
        .arg(fileName, notComposedReason());
}
