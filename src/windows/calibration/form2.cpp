// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/calibration/form2.h"

#include "runtime/palette.h"
#include "windows/borvane.h"
#include "windows/parameters/form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

Form2::Form2(Borvane &app)
    : Form(app.program(), QStringLiteral("Form2"), QSize(9855, 6840), State::Maximized), app(app)
{
    Command3 =
        CommandButton(QStringLiteral("Command3"), QStringLiteral("ESCI"), {360, 4080, 1695, 615});
    Command2 = CommandButton(QStringLiteral("Command2"),
                             QStringLiteral("KLICCARE  sulla barra di scorrimento fino a che la "
                                            "figura  risulti una CIRCONFERENZA"),
                             {360, 1560, 6255, 735});
    Command1 = CommandButton(QStringLiteral("Command1"), QStringLiteral("OK - continua"),
                             {3120, 2880, 1575, 615});
    Text1 = TextBox(QStringLiteral("Text1"), QStringLiteral("Text1"), {360, 2880, 735, 375});
    HScroll1 = HScrollBar(QStringLiteral("HScroll1"), {480, 1080, 5895, 255},
                          positionOf(lowestRatio), positionOf(highestRatio), 1, 1, 1);
    Label1 = Label(QStringLiteral("Label1"),
                   QStringLiteral("Per calibrare l' impostazione corretta della risoluzione "
                                  "dello SCHERMO"),
                   {360, 240, 9135, 495});
    Label1->setFont(programFont(QStringLiteral("MS Sans Serif"), 13.5));
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(fromBgr(0x0000FF)));
    Label1->setPalette(red);
    setTabOrder({HScroll1, Text1, Command1, Command2, Command3});
    // What a screen reader says of the two controls that have no caption of their own.
    HScroll1->setAccessibleName(QStringLiteral("Calibrazione dello schermo"));
    HScroll1->setAccessibleDescription(
        QStringLiteral("Spostare la barra fino a che la figura risulti una circonferenza"));
    Text1->setAccessibleName(QStringLiteral("Rapporto tra altezza e larghezza"));
    Text1->setAccessibleDescription(
        QStringLiteral("Il rapporto scelto con la barra di calibrazione"));

    onClick(Command1, [this] { Command1_Click(); });
    onClick(Command3, [this] { Command3_Click(); });
    connect(HScroll1, &QScrollBar::valueChanged, this,
            [this] { program().handle([this] { HScroll1_Change(); }); });
}

void Form2::Form_Activate()
{
    P1 = SingleQuotient(3.1415927f, 180.0f);
    Incr = startRatio;
    Text1->setText(CStr(Incr));
    COORDINATE();
}

void Form2::HScroll1_Change()
{
    const Variant r = Variant(HScroll1->value()) * ratioStep + startRatio;
    if (Incr > r) Cls();
    Incr = r;
    Text1->setText(CStr(Incr));
    COORDINATE();
}

void Form2::COORDINATE()
{
    setScaleMode(Surface::User);
    setDrawWidth(1);
    setScaleWidth(146367.359375f);
    setScaleHeight(CSng(Variant(ScaleWidth()) * Incr));
    CX = CSng(ScaleWidth() / 2.0 + 20000);
    CY = CSng(ScaleHeight() / 2.0);
    Line(CSng(CX), 0, CSng(CX), ScaleHeight());
    Line(0, CSng(CY), ScaleWidth(), CSng(CY));
    TRACCIA();
}

void Form2::TRACCIA()
{
    Variant t;
    ForNext(t, 0, 360, 0.1, [this, &t] {
        XR = Cos(P1 * t) * 36367.36328125;
        YR = Sin(P1 * t) * 36367.36328125;
        setDrawWidth(1);
        PSet(CSng(CX + XR), CSng(CY + YR), QBColor(4));
    });
}

void Form2::Command1_Click()
{
    if (Incr > lowestRatio)
        app.form3().Show();
    else
        MsgBox(QStringLiteral("Impostare la risoluzione SCHERMO"));
}

void Form2::Command3_Click()
{
    End();
}
