// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/parameters/form3.h"

#include "runtime/palette.h"
#include "values/number_text.h"
#include "windows/borvane.h"
#include "windows/plot/form4.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
constexpr QRgb White = fromBgr(16777215);
constexpr QRgb Red = fromBgr(255);

} // namespace

Form3::Form3(Borvane &app)
    : Form(app.program(), QStringLiteral("Form3"), QSize(13350, 7245), State::Maximized), app(app)
{
    Frame1 = Frame(QStringLiteral("Frame1"), QStringLiteral("Scelta della figura"),
                   {360, 1200, 3015, 1455});
    Option2 = OptionButton(Frame1, QStringLiteral("Option2"), QStringLiteral("IPERBOLE"),
                           {240, 840, 1575, 375});
    Option1 = OptionButton(Frame1, QStringLiteral("Option1"), QStringLiteral("ELLISSE"),
                           {240, 240, 1575, 375});
    Text1 = TextBox(QStringLiteral("Text1"), QStringLiteral("20"), {6000, 1320, 735, 495});
    Text2 = TextBox(QStringLiteral("Text2"), QStringLiteral("15"), {6000, 2160, 735, 495});
    Text3 = TextBox(QStringLiteral("Text3"), QStringLiteral("0,5"), {9240, 1800, 735, 495});
    Command1 =
        CommandButton(QStringLiteral("Command1"), QStringLiteral("ESCI"), {960, 4200, 1935, 735});
    Command2 = CommandButton(QStringLiteral("Command2"), QStringLiteral("AVANTI"),
                             {3840, 4200, 1935, 735});
    const QFont valueFont = programFont(QStringLiteral("MS Sans Serif"), 12);
    Label4 = Label(QStringLiteral("Label4"), QStringLiteral("Valore (c)"), {7560, 1800, 1335, 375});
    Label4->setFont(valueFont);
    Label5 = Label(QStringLiteral("Label5"),
                   QStringLiteral("Valore massimo della somma  dei coseni al quadrato"),
                   {10320, 1680, 2055, 615});
    Label5->setWordWrap(true);
    Label1 = Label(QStringLiteral("Label1"), QStringLiteral("IMPOSTARE I VALORI DELLE COSTANTI"),
                   {1800, 360, 6135, 375});
    Label1->setFont(programFont(QStringLiteral("MS Sans Serif"), 13.5, true));
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(Red));
    Label1->setPalette(red);
    Label2 = Label(QStringLiteral("Label2"), QStringLiteral("Valore (a)"), {4200, 1440, 1455, 375});
    Label2->setFont(valueFont);
    Label3 = Label(QStringLiteral("Label3"), QStringLiteral("Valore (b)"), {4200, 2160, 1455, 375});
    Label3->setFont(valueFont);
    setTabOrder({Text1, Text2, Text3, Command2, Command1, Option1, Option2});
    // A screen reader names each box by the label beside it; the note on c describes its box.
    labelFor(Label2, Text1);
    labelFor(Label3, Text2);
    labelFor(Label4, Text3);
    Text3->setAccessibleDescription(Label5->text());

    onClick(Command1, [this] { Command1_Click(); });
    onClick(Command2, [this] { Command2_Click(); });
    onClick(Option1, [this] { Option1_Click(); });
    onClick(Option2, [this] { Option2_Click(); });
}

void Form3::LeggiText(QLineEdit *box, Variant &value, const QString &message)
{
    if (IsNumeric(box->text())) {
        value = textToDouble(box->text());
        return;
    }
    MsgBox(message);
    box->setText(QString());
    SetBackColor(box, Red);
    value = QString();
}

void Form3::LeggiText1()
{
    LeggiText(Text1, VALa, QStringLiteral("VALa non è un numero"));
}

void Form3::LeggiText2()
{
    LeggiText(Text2, VALb, QStringLiteral("VALb non è un numero"));
}

void Form3::LeggiText3()
{
    LeggiText(Text3, VALc, QStringLiteral("VALc non è un numero"));
}

void Form3::Command2_Click()
{
    const Variant emptyText = QString();
    LeggiText1();
    if (VALa == emptyText) return;
    LeggiText2();
    if (VALb == emptyText) return;
    LeggiText3();
    if (VALc == emptyText) return;
    if (VALc > 2) {
        MsgBox(QStringLiteral("Valore (c) Max 2"));
        return;
    }
    if (!Option1->isChecked() && !Option2->isChecked()) {
        MsgBox(QStringLiteral(" Manca scelta figura"));
        return;
    }
    if (Miocolor < 0) Miocolor = 0;
    if (Miocolor > 6) Miocolor = 0;
    app.form4().Show();
}

void Form3::Command1_Click()
{
    End();
}

void Form3::Form_Activate()
{
    SetBackColor(Text1, White);
    SetBackColor(Text2, White);
    SetBackColor(Text3, White);
}

void Form3::Option1_Click()
{
    Option1->setChecked(true);
    Option2->setChecked(false);
    Opt = 1;
}

void Form3::Option2_Click()
{
    Option1->setChecked(false);
    Option2->setChecked(true);
    Opt = 2;
}
