// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/intro/form1.h"

#include "windows/borvane.h"
#include "windows/calibration/form2.h"
#include "windows/intro/intro_document.h"

#include <QPushButton>

Form1::Form1(Borvane &app)
    : Form(app.program(), QStringLiteral("Form1"), QSize(11670, 8565), State::Normal), app(app)
{
    Command1 = CommandButton(QStringLiteral("Command1"), QStringLiteral("AVANTI"),
                             {4320, 6120, 2895, 855});
    OLE1 = new IntroDocument(this);
    OLE1->setObjectName(QStringLiteral("OLE1"));
    place(OLE1, {1410, 330, 9135, 6015});
    // The button's upper edge overlaps the area's lower edge: the button lies on top, whole
    // and clickable.
    OLE1->lower();
    OLE1->setAccessibleName(QStringLiteral("Documento introduttivo"));
    OLE1->setAccessibleDescription(
        QStringLiteral("Spiega il metodo del programma: i punti interni dell'ellisse e "
                       "dell'iperbole ottenuti dai coseni di due angoli"));
    setTabOrder({OLE1, Command1});

    onClick(Command1, [this] { Command1_Click(); });
}

void Form1::Command1_Click()
{
    app.form2().Show();
}
