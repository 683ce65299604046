// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The parameter window: the choice of the figure and the entry of a, b and c, read and
// checked before the plot window is shown.

#include "runtime/form.h"

class Borvane;

class Form3 : public Form
{
public:
    explicit Form3(Borvane &app);

    Variant VALa; // a, b and c: a Double after a good read, the empty text after a
    Variant VALb; // failed one, Empty before the first
    Variant VALc;
    Integer Miocolor; // the colour index of the plots
    Variant Opt;      // the chosen figure: 1 ellipse, 2 hyperbola; Empty until chosen

    QGroupBox *Frame1;
    QRadioButton *Option2; // "IPERBOLE"
    QRadioButton *Option1; // "ELLISSE"
    QLineEdit *Text1;      // a
    QLineEdit *Text2;      // b
    QLineEdit *Text3;      // c
    QPushButton *Command1; // "ESCI"
    QPushButton *Command2; // "AVANTI"
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;

    void LeggiText1();
    void LeggiText2();
    void LeggiText3();
    void Command1_Click();
    void Command2_Click();
    void Form_Activate() override;
    void Option1_Click();
    void Option2_Click();

private:
    // Reads one box into its value; a text that is no number is reported, and the box is
    // emptied and turned red.
    void LeggiText(QLineEdit *box, Variant &value, const QString &message);

    Borvane &app;
};
