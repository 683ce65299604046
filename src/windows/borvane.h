// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The program: its runtime and its four windows, each a single instance created the first time
// the program refers to it (to show it or to read one of its values).

#include "runtime/program.h"

#include <memory>

class Form1;
class Form2;
class Form3;
class Form4;

class Borvane
{
public:
    Borvane();
    ~Borvane();
    Borvane(const Borvane &) = delete;
    Borvane &operator=(const Borvane &) = delete;

    Program &program() { return m_program; }

    Form1 &form1();
    Form2 &form2();
    Form3 &form3();
    Form4 &form4();

    // Whether window n (1 to 4) has been created yet, without creating it.
    bool exists(int n) const;

    // The program's start: Form1 is created and shown.
    void start();

private:
    Program m_program;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form3> m_form3;
    std::unique_ptr<Form4> m_form4;
};
