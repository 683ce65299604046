#pragma once

// The introduction window: the explanatory document and "AVANTI".

#include "runtime/form.h"

class Borvane;

class Form1 : public Form
{
public:
    explicit Form1(Borvane &app);

    QPushButton *Command1; // "AVANTI"
    QWidget *OLE1;         // the document area

    void Command1_Click();

private:
    Borvane &app;
};
