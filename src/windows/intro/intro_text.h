// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The explanatory document of the introduction window, as the program carries it.

#include <QStringList>

// The document's paragraphs from the top, one line each: two empty lines, the two heading
// lines, an empty line, the seven lines of the explanation, then the closing empty, blank and
// tab lines.
QStringList introParagraphs();
