// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The introduction window: the explanatory document and "AVANTI".

#include "runtime/form.h"

class Borvane;
class IntroDocument;

class Form1 : public Form
{
public:
    explicit Form1(Borvane &app);

    QPushButton *Command1; // "AVANTI"
    IntroDocument *OLE1;   // the document area

    void Command1_Click();

private:
    Borvane &app;
};
