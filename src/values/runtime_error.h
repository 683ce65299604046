// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <exception>

// An error of the running program, with the number and the Italian text that the old forms
// runtime gave it. It ends the handler that raised it; the program reports it and goes on.
class RuntimeError : public std::exception
{
public:
    enum Number : int {
        InvalidCall = 5,
        Overflow = 6,
        OutOfMemory = 7,
        DivisionByZero = 11,
        TypeMismatch = 13,
        InternalError = 51,
    };

    explicit RuntimeError(Number number) noexcept : m_number(number) {}

    Number number() const noexcept { return m_number; }
    // The error's own text, e.g. "Tipo non corrispondente".
    QString text() const;
    // The whole report shown to the user: "Errore di run-time '13':\n\nTipo non corrispondente".
    QString report() const;
    const char *what() const noexcept override;

private:
    Number m_number;
};
