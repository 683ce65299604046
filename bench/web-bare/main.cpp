// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One 778 x 571 window titled "Form1" with one push button where AVANTI lies: the baseline of
// the first paint.
#include <QApplication>
#include <QPushButton>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Form1"));
    window.resize(778, 571);
    auto *button = new QPushButton(QStringLiteral("AVANTI"), &window);
    button->setGeometry(288, 408, 193, 57);
    window.show();
    return QApplication::exec();
}
