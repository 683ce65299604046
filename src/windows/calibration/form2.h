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

    // The ratios of the calibration. An activation starts from 0,51; the scroll bar sets
    // 0,51 + 0,02 × its position, its positions (1 to 30) those of the lowest ratio to the
    // highest; "OK - continua" goes on only above the lowest.
    static constexpr double startRatio = 0.51;
    static constexpr double ratioStep = 0.02;
    static constexpr double lowestRatio = 0.53;
    static constexpr double highestRatio = 1.11;
    // The scroll bar's position nearest to a ratio.
    static constexpr int positionOf(double ratio)
    {
        return int((ratio - startRatio) / ratioStep + 0.5);
    }

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
