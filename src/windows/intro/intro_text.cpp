// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/intro/intro_text.h"

#include <iterator>

namespace {

// The length of the document's one line of blanks, which stands for it (as a null entry) below.
constexpr int BlankLineLength = 136;

// The document, top to bottom, one paragraph per entry, in UTF-8.
constexpr const char *Paragraphs[] = {
    "",
    "",
    "Borvane - punti interni di ellisse e iperbole",
    "Tratto dal testo del corso “Le coniche”",
    "",
    "Anziché considerare il valore degli angoli parametrici",
    "con Cos1 e Sen1 vengono considerati come Cos1 e Cos2.",
    "La somma dei loro quadrati non deve superare il valore",
    "Valore(c) richiesto nel programma.",
    "E’ ovvio che per Valore(c) uguale ad 1 si avranno tutti ",
    "i valori interni alla figura, per 2 tutto il quadrato ",
    "contenente la figura.",
    "",
    nullptr, // the line of blanks
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "\t",
};

} // namespace

QStringList introParagraphs()
{
    QStringList paragraphs;
    paragraphs.reserve(int(std::size(Paragraphs)));
    for (const char *paragraph : Paragraphs) {
        if (!paragraph)
            paragraphs << QString(BlankLineLength, QLatin1Char(' '));
        else
            paragraphs << QString::fromUtf8(paragraph);
    }
    return paragraphs;
}
