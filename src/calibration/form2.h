// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The calibration window: the user moves the scroll bar until the test figure is a true
// circle; the height-to-width ratio found, Incr, serves every later plot.

#include "runtime/form.h"

class Borvane;

class Form2 : public Form
{
public:
    explicit Form2(Borvane &app);

    Variant P1;   // degrees to radians, a Single
    Variant Incr; // height-to-width ratio of the frame, a Double
    Variant CX;   // origin of the frame, Singles
    Variant CY;
    Variant XR; // offset of the current circle point, Doubles
    Variant YR;

    QPushButton *Command3; // "ESCI"
    QPushButton *Command2; // the instruction, which does nothing
    QPushButton *Command1; // "OK - continua"
    QLineEdit *Text1;      // shows Incr
    QScrollBar *HScroll1;  // sets Incr
    QLabel *Label1;        // the heading

    void TRACCIA();
    void COORDINATE();
    void Command1_Click();
    void Command3_Click();
    void Form_Activate() override;
    void HScroll1_Change();

private:
    Borvane &app;
};
