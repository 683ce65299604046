// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "plot/form4.h"

#include "app/borvane.h"
#include "calibration/form2.h"
#include "parameters/form3.h"
#include "runtime/palette.h"

#include <QPushButton>

Form4::Form4(Borvane &app)
    : Form(app.program(), QStringLiteral("Form4"), QSize(10605, 6780), State::Maximized), app(app)
{
    Command4 = CommandButton(QStringLiteral("Command4"), QStringLiteral("Traccia la figura base"),
                             {3000, 1800, 1695, 615});
    Command1 = CommandButton(QStringLiteral("Command1"), QStringLiteral("RIPRENDI"),
                             {960, 720, 1695, 615});
    Command2 = CommandButton(QStringLiteral("Command2"), QStringLiteral("Cancella e riprendi"),
                             {3000, 720, 1695, 615});
    Command3 =
        CommandButton(QStringLiteral("Command3"), QStringLiteral("ESCI"), {960, 1800, 1695, 615});
    setTabOrder({Command3, Command2, Command1, Command4});

    onClick(Command1, [this] { Command1_Click(); });
    onClick(Command2, [this] { Command2_Click(); });
    onClick(Command3, [this] { Command3_Click(); });
    onClick(Command4, [this] { Command4_Click(); });
}

void Form4::Form_Activate()
{
    P1 = SingleQuotient(3.1415927f, 180.0f);
    Va = app.form3().VALa;
    Vb = app.form3().VALb;
    Vc = app.form3().VALc;
    setScaleMode(Surface::Centimetres);
    setDrawWidth(2);
    setScaleWidth(200);
    setScaleHeight(CSng(Variant(ScaleWidth()) * app.form2().Incr));
    CX = CSng(ScaleWidth() / 2.0 + 10);
    CY = CSng(ScaleHeight() / 2.0);
    Line(CSng(CX), 0, CSng(CX), ScaleHeight());
    Line(0, CSng(CY), ScaleWidth(), CSng(CY));
    CALCOLA();
}

void Form4::CALCOLA()
{
    app.form3().Miocolor = app.form3().Miocolor + 1;
    Va = app.form3().VALa;
    Vb = app.form3().VALb;
    Vc = app.form3().VALc;
    if (app.form3().Opt == 1) PUNTIELLISSE();
    if (app.form3().Opt == 2) PUNTIIPERBOLE();
}

// The colour index goes on growing with every activation that does not come through
// "AVANTI"; past 15 the plots start the palette again (16 is 0, 17 is 1, ...) rather than stop.
QRgb Form4::PlotColour(const Form3 &form3)
{
    const int index = form3.Miocolor.value();
    return QBColor((index % 16 + 16) % 16);
}

void Form4::PUNTIELLISSE()
{
    const Form3 &form3 = app.form3();
    Variant t1, c1, c2, x, y;
    Variant c1Squared; // c1², the same for every t2 of one t1
    ForNext(t1, 0, 360, 1, [&] {
        c1 = Cos(t1 * P1);
        c1Squared = Pow(c1, 2);
        A2 = 0;
        while (A2 <= 360) {
            c2 = Cos(A2 * P1);
            if (!(c1Squared + Pow(c2, 2) > Vc)) {
                setDrawWidth(2);
                x = Va * c1;
                y = Vb * c2;
                const float px = CSng(CX + x);
                const float py = CSng(CY + y);
                PSet(px, py, PlotColour(form3));
            }
            A2 = A2 + 5;
        }
    });
}

void Form4::PUNTIIPERBOLE()
{
    const Form3 &form3 = app.form3();
    Variant t1, c1, c2, x, y;
    Variant c1Squared; // c1², the same for every t2 of one t1
    ForNext(t1, 0, 360, 1, [&] {
        c1 = Cos(t1 * P1);
        if (c1 < 0) return; // this branch only: no inner loop for a negative cosine
        c1Squared = Pow(c1, 2);
        A2 = 0;
        while (A2 <= 360) {
            c2 = Cos(A2 * P1);
            if (!(c1Squared + Pow(c2, 2) > Vc)) {
                setDrawWidth(2);
                x = Va / c1;
                y = (Vb * c2) / c1;
                if (!(Abs(x) > CX) && !(Abs(y) > CY)) {
                    const float px = CSng(CX + x);
                    const float py = CSng(CY + y);
                    PSet(px, py, PlotColour(form3));
                }
            }
            A2 = A2 + 5;
        }
    });
}

void Form4::Command4_Click()
{
    Variant t, ct, st, x, y;
    if (app.form3().Opt == 1) {
        ForNext(t, 0, 360, 5, [&] {
            ct = Cos(t * P1);
            st = Sin(t * P1);
            setDrawWidth(4);
            x = Va * ct;
            y = Vb * st;
            const float px = CSng(CX + x);
            const float py = CSng(CY + y);
            PSet(px, py);
        });
    }
    if (app.form3().Opt == 2) {
        ForNext(t, 0, 360, 5, [&] {
            ct = Cos(t * P1);
            st = Sin(t * P1);
            if (ct < 0) return;
            setDrawWidth(4);
            x = Va / ct;
            y = (Vb * st) / ct;
            if (Abs(x) > CX) return;
            if (Abs(y) > CY) return;
            const float px = CSng(CX + x);
            const float py = CSng(CY + y);
            PSet(px, py);
        });
    }
}

void Form4::Command1_Click()
{
    app.form3().Show();
}

void Form4::Command2_Click()
{
    Cls();
    app.form3().Show();
}

void Form4::Command3_Click()
{
    End();
}
