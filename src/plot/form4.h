// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The plot window: the axes, the interior points of the ellipse or the hyperbola in the next
// colour of the palette, and on request the figure itself with a thick pen.

#include "runtime/form.h"

class Borvane;
class Form3;

class Form4 : public Form
{
public:
    explicit Form4(Borvane &app);

    Variant P1; // degrees to radians, a Single
    Variant CX; // the plot origin, Singles; also the bounds of the hyperbola
    Variant CY;
    Variant Va; // copies of a, b and c of the parameter window
    Variant Vb;
    Variant Vc;
    Integer A2; // the inner angle of the interior plots, in degrees

    QPushButton *Command4; // "Traccia la figura base"
    QPushButton *Command1; // "RIPRENDI"
    QPushButton *Command2; // "Cancella e riprendi"
    QPushButton *Command3; // "ESCI"

    void CALCOLA();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Form_Activate() override;
    void Command4_Click();

private:
    void PUNTIELLISSE();
    void PUNTIIPERBOLE();
    // The palette colour of the parameter window's colour index, which keeps cycling past 15.
    static QRgb PlotColour(const Form3 &form3);

    Borvane &app;
};
