// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "values/runtime_error.h"

QString RuntimeError::text() const
{
    switch (m_number) {
    case InvalidCall:
        return QStringLiteral("Chiamata di routine o argomento non validi");
    case Overflow:
        return QStringLiteral("Overflow");
    case OutOfMemory:
        return QStringLiteral("Memoria esaurita");
    case DivisionByZero:
        return QStringLiteral("Divisione per zero");
    case TypeMismatch:
        return QStringLiteral("Tipo non corrispondente");
    case InternalError:
        return QStringLiteral("Errore interno");
    }
    return QStringLiteral("Errore definito dall'applicazione o dall'oggetto");
}

QString RuntimeError::report() const
{
    return QStringLiteral("Errore di run-time '%1':\n\n%2").arg(int(m_number)).arg(text());
}

const char *RuntimeError::what() const noexcept
{
    switch (m_number) {
    case InvalidCall:
        return "runtime error 5: invalid procedure call or argument";
    case Overflow:
        return "runtime error 6: overflow";
    case OutOfMemory:
        return "runtime error 7: out of memory";
    case DivisionByZero:
        return "runtime error 11: division by zero";
    case TypeMismatch:
        return "runtime error 13: type mismatch";
    case InternalError:
        return "runtime error 51: internal error";
    }
    return "runtime error";
}
