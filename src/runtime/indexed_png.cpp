// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/indexed_png.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The CRC-32 of the PNG format (ISO 3309), which closes every chunk.
constexpr std::array<quint32, 256> crcTable = [] {
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

quint32 crcOf(const char *bytes, qsizetype size, quint32 crc = 0xffffffffu)
{
    for (qsizetype i = 0; i < size; ++i)
        crc = crcTable[(crc ^ uchar(bytes[i])) & 0xffu] ^ (crc >> 8);
    return crc;
}

// A chunk: its length, type, data and the CRC of type and data. False when the device took
// less than all of it.
bool writeChunk(QIODevice &device, const char (&type)[5], const char *data, qsizetype size)
{
    char length[8];
    qToBigEndian(quint32(size), length);
    std::memcpy(length + 4, type, 4);
    char crc[4];
    qToBigEndian(crcOf(data, size, crcOf(type, 4)) ^ 0xffffffffu, crc);
    return device.write(length, 8) == 8 && (size == 0 || device.write(data, size) == size) &&
           device.write(crc, 4) == 4;
}

int bitsFor(qsizetype colours)
{
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// The image's rows as PNG stores them before compression: each a filter byte (0, none: a
// palette's indices gain nothing from prediction) and its pixels packed `bits` to a byte, the
// leftmost in the highest bits.
QByteArray packedRows(const QImage &image, int bits)
{
    const int width = image.width();
    const int height = image.height();
    const qsizetype rowBytes = (qsizetype(width) * bits + 7) / 8;
    QByteArray rows(qsizetype(height) * (rowBytes + 1), Qt::Uninitialized);
    char *target = rows.data();
    const int perByte = 8 / bits;
    for (int y = 0; y < height; ++y) {
        const uchar *source = image.constScanLine(y);
        *target++ = 0;
        // Most rows of a plot repeat the one above (the background, an axis crossing it).
        if (y > 0 && std::memcmp(source, image.constScanLine(y - 1), std::size_t(width)) == 0) {
            std::memcpy(target, target - rowBytes - 1, std::size_t(rowBytes));
            target += rowBytes;
            continue;
        }
        if (bits == 8) {
            std::memcpy(target, source, std::size_t(width));
            target += width;
            continue;
        }
        for (int x = 0; x < width; x += perByte) {
            uint packed = 0;
            for (int k = 0; k < perByte; ++k)
                packed = (packed << bits) | (x + k < width ? source[x + k] : 0u);
            *target++ = char(packed);
        }
    }
    return rows;
}

} // namespace

bool writeIndexedPng(const QImage &image, QIODevice &device)
{
    const QList<QRgb> colours = image.colorTable();
    if (image.format() != QImage::Format_Indexed8 || colours.isEmpty() || colours.size() > 256)
        return false;
    const int bits = bitsFor(colours.size());
    // zlib's fastest level: a drawing of few colours stays small all the same. qCompress gives
    // four bytes of length, then the zlib stream that a PNG file holds.
    const QByteArray compressed = qCompress(packedRows(image, bits), 1);
    if (compressed.size() <= 4) return false;

    static constexpr char signature[] = "\x89PNG\r\n\x1a\n";
    if (device.write(signature, 8) != 8) return false;
    char header[13];
    qToBigEndian(quint32(image.width()), header);
    qToBigEndian(quint32(image.height()), header + 4);
    header[8] = char(bits);
    header[9] = 3;                            // colour type: palette
    header[10] = header[11] = header[12] = 0; // deflate, the five filters, not interlaced
    QByteArray palette;
    QByteArray opacity; // up to the last colour that is not opaque
    for (QRgb colour : colours) {
        palette.append(char(qRed(colour))).append(char(qGreen(colour))).append(char(qBlue(colour)));
        opacity.append(char(qAlpha(colour)));
    }
    while (!opacity.isEmpty() && uchar(opacity.back()) == 255)
        opacity.chop(1);
    if (!writeChunk(device, "IHDR", header, sizeof header) ||
        !writeChunk(device, "PLTE", palette.constData(), palette.size()))
        return false;
    if (!opacity.isEmpty() && !writeChunk(device, "tRNS", opacity.constData(), opacity.size()))
        return false;
    if (image.dotsPerMeterX() > 0 || image.dotsPerMeterY() > 0) {
        char physical[9];
        qToBigEndian(quint32(std::max(0, image.dotsPerMeterX())), physical);
        qToBigEndian(quint32(std::max(0, image.dotsPerMeterY())), physical + 4);
        physical[8] = 1; // per metre
        if (!writeChunk(device, "pHYs", physical, sizeof physical)) return false;
    }
    return writeChunk(device, "IDAT", compressed.constData() + 4, compressed.size() - 4) &&
           writeChunk(device, "IEND", nullptr, 0);
}
