// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A PNG file of an indexed image in the fewest bits per pixel its colour table needs: 1 for two
// colours, 2 for four, 4 for sixteen, else 8. A plot holds a handful of colours, so its file has
// a quarter of the bytes Qt's writer would compress (Qt writes every indexed image at 8 bits), and
// is written in less than half the time.

class QImage;
class QIODevice;

// Writes `image` (QImage::Format_Indexed8, at most 256 colours, every pixel an index into its
// colour table) with its dots per metre. False when the image is not such an image, its bytes
// could not be compressed, or the device took less than all of them.
bool writeIndexedPng(const QImage &image, QIODevice &device);
