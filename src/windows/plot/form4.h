// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The plot window: the axes, the interior points of the ellipse or the hyperbola in the next
// colour of the palette, and on request the figure itself with a thick pen. Its context menu
// saves, copies and prints what it shows, which it keeps a short record of so as to draw it
// again on any device.

#include "runtime/form.h"
#include "runtime/picture.h"

#include <cstdint>
#include <vector>

class Borvane;
class Form3;
class QAction;

// What the plot window's procedures work on: the window's public values, and beside them the
// ratio its scale was set from and the colour of its interior points. Drawing the window again
// swaps a set of its own in for the window's and back out when it is done.
struct PlotValues
{
    Variant P1; // degrees to radians, a Single
    Variant CX; // the plot origin, Singles; also the bounds of the hyperbola
    Variant CY;
    Variant Va; // copies of a, b and c of the parameter window
    Variant Vb;
    Variant Vc;
    Integer A2;      // the inner angle of the interior plots, in degrees
    Variant ratio;   // the height-to-width ratio of the scale (Incr of the calibration window)
    QRgb colour = 0; // of the interior points: the palette's at the colour index of the plot
};

class Form4 : public Form, public PlotValues
{
public:
    explicit Form4(Borvane &app);

    QPushButton *Command4; // "Traccia la figura base"
    QPushButton *Command1; // "RIPRENDI"
    QPushButton *Command2; // "Cancella e riprendi"
    QPushButton *Command3; // "ESCI"
    QAction *mnuSalva;     // "Salva immagine…" (context menu; the standard shortcut to save)
    QAction *mnuCopia;     // "Copia immagine"
    QAction *mnuStampa;    // "Stampa…" (none where the program cannot print: a web browser)

    void CALCOLA();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Form_Activate() override;
    void Command4_Click();
    void mnuSalva_Click();
    void mnuCopia_Click();
    void mnuStampa_Click();

    // What the window shows since "Cancella e riprendi", as a picture of its drawing area.
    Picture picture();
    // Draws what the window shows since "Cancella e riprendi" again, onto another surface. No
    // value of any window changes and no handler runs; a plot that a runtime error stopped
    // stops at the same point.
    void drawAgain(Surface &target);
    // The name offered when saving: the figure of the last plot ("borvane-ellisse.png").
    QString defaultFileName() const;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void showMenu(const QPoint &at);
    void SCALA(const Variant &incr);
    void ASSI();
    void PUNTIELLISSE();
    void PUNTIIPERBOLE();
    void BASEELLISSE();
    void BASEIPERBOLE();
    // The palette colour of the parameter window's colour index, which keeps cycling past 15.
    static QRgb PlotColour(const Form3 &form3);
    PlotValues &values() { return *this; }

    // One drawing of the window: the axes of an activation, an interior plot or a base figure,
    // with what it was drawn from; a few dozen bytes, not its dots.
    struct Drawn
    {
        enum Kind : std::uint8_t { Axes, Interior, Base };
        Kind kind;
        std::uint8_t figure; // 1 the ellipse, 2 the hyperbola
        QRgb colour;         // of an interior plot
        QSize area;          // the drawing area the scale was set over
        QSize reach;         // the device pixels the window's image had
        Variant incr;        // the ratio the scale was set from
        Variant a, b, c;     // Va, Vb, Vc
    };
    void remember(Drawn::Kind kind, int figure);

    Borvane &app;
    std::vector<Drawn> m_drawn;
};
