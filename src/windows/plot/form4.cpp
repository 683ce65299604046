// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/plot/form4.h"

#include "runtime/browser.h"
#include "runtime/palette.h"
#include "runtime/picture_name_dialog.h"
#include "runtime/window_system.h"
#include "windows/borvane.h"
#include "windows/calibration/form2.h"
#include "windows/parameters/form3.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#ifdef BORVANE_PRINTING
#include <QPrintDialog>
#include <QPrinter>
#endif
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Qt's file dialog keeps its folder history in the user's settings when it closes; this program
// keeps nothing between runs, so for this process those settings live in a folder of their own,
// removed when the program ends.
void keepNoDialogHistory()
{
    static QTemporaryDir nowhere;
    static const bool redirected = [] {
        if (!nowhere.isValid()) return false;
        // Removed however the process ends (window_system.h: endBeforeWaylandTeardown).
        atEarlyEnd([] { nowhere.remove(); });
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere.path());
        return true;
    }();
    Q_UNUSED(redirected);
}

// The same value: the same kind and the same number or text.
bool same(const Variant &a, const Variant &b)
{
    if (a.kind() != b.kind()) return false;
    return a.isText() ? a.text() == b.text() : a.number() == b.number();
}

} // namespace

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

    // The context menu of the drawing area (right button, the Menu key, Shift+F10) and its
    // standard shortcuts; the window's buttons and layout stay as they are.
    auto menuItem = [this](const QString &name, const QString &text, QKeySequence::StandardKey key,
                           void (Form4::*handler)()) {
        auto *action = new QAction(text, this);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        // The command runs once the menu has closed: a dialog or message box of its own is then
        // the only modal loop running (in a web browser, the only one there can be).
        connect(
            action, &QAction::triggered, this,
            [this, handler] { program().handle([this, handler] { (this->*handler)(); }); },
            Qt::QueuedConnection);
        addAction(action);
        return action;
    };
    mnuSalva = menuItem(QStringLiteral("mnuSalva"), QStringLiteral("Salva immagine…"),
                        QKeySequence::Save, &Form4::mnuSalva_Click);
    mnuCopia = menuItem(QStringLiteral("mnuCopia"), QStringLiteral("Copia immagine"),
                        QKeySequence::Copy, &Form4::mnuCopia_Click);
#ifdef BORVANE_PRINTING
    mnuStampa = menuItem(QStringLiteral("mnuStampa"), QStringLiteral("Stampa…"),
                         QKeySequence::Print, &Form4::mnuStampa_Click);
#else
    mnuStampa = nullptr; // no printing here (a web browser): not offered
#endif
    // The keyboard's ways to the context menu, at the button that has the focus.
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto *shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            QWidget *at = focusWidget() ? focusWidget() : this;
            showMenu(at->mapToGlobal(at->rect().center()));
        });
    }
}

void Form4::Form_Activate()
{
    P1 = SingleQuotient(3.1415927f, 180.0f);
    Va = app.form3().VALa;
    Vb = app.form3().VALb;
    Vc = app.form3().VALc;
    SCALA(app.form2().Incr);
    ASSI();
    remember(Drawn::Axes, 0);
    CALCOLA();
}

// The frame of an activation: a user scale 200 wide and 200 × the ratio high over the drawing
// area, the pen 2 pixels wide, the plot origin 10 right of the middle.
void Form4::SCALA(const Variant &incr)
{
    ratio = incr;
    setScaleMode(Surface::Centimetres);
    setDrawWidth(2);
    setScaleWidth(200);
    setScaleHeight(CSng(Variant(ScaleWidth()) * incr));
    CX = CSng(ScaleWidth() / 2.0 + 10);
    CY = CSng(ScaleHeight() / 2.0);
}

void Form4::ASSI()
{
    Line(CSng(CX), 0, CSng(CX), ScaleHeight());
    Line(0, CSng(CY), ScaleWidth(), CSng(CY));
}

void Form4::CALCOLA()
{
    app.form3().Miocolor = app.form3().Miocolor + 1;
    colour = PlotColour(app.form3());
    Va = app.form3().VALa;
    Vb = app.form3().VALb;
    Vc = app.form3().VALc;
    if (app.form3().Opt == 1) {
        remember(Drawn::Interior, 1);
        PUNTIELLISSE();
    }
    if (app.form3().Opt == 2) {
        remember(Drawn::Interior, 2);
        PUNTIIPERBOLE();
    }
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
                PSet(px, py, colour);
            }
            A2 = A2 + 5;
        }
    });
}

void Form4::PUNTIIPERBOLE()
{
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
                    PSet(px, py, colour);
                }
            }
            A2 = A2 + 5;
        }
    });
}

void Form4::Command4_Click()
{
    if (app.form3().Opt == 1) {
        remember(Drawn::Base, 1);
        BASEELLISSE();
    }
    if (app.form3().Opt == 2) {
        remember(Drawn::Base, 2);
        BASEIPERBOLE();
    }
}

void Form4::BASEELLISSE()
{
    Variant t, ct, st, x, y;
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

void Form4::BASEIPERBOLE()
{
    Variant t, ct, st, x, y;
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

void Form4::Command1_Click()
{
    app.form3().Show();
}

void Form4::Command2_Click()
{
    Cls();
    m_drawn.clear(); // nothing left to draw again
    app.form3().Show();
}

void Form4::Command3_Click()
{
    End();
}

// The record of what the window shows: each drawing with its inputs, in the order drawn. A
// drawing identical to an earlier one (in all but an interior plot's colour) covers it entirely,
// so the earlier one goes: a thousand plots of the same figure cost one record.
void Form4::remember(Drawn::Kind kind, int figure)
{
    Drawn drawn{
        kind, std::uint8_t(figure), colour, surface().size(), surface().deviceSize(), ratio, Va, Vb,
        Vc};
    if (kind == Drawn::Axes) drawn.a = drawn.b = drawn.c = Variant();
    if (kind == Drawn::Base) drawn.c = Variant();
    if (kind != Drawn::Interior) drawn.colour = 0;
    std::erase_if(m_drawn, [&drawn](const Drawn &earlier) {
        return earlier.kind == drawn.kind && earlier.figure == drawn.figure &&
               earlier.area == drawn.area && earlier.reach == drawn.reach &&
               same(earlier.incr, drawn.incr) && same(earlier.a, drawn.a) &&
               same(earlier.b, drawn.b) && same(earlier.c, drawn.c);
    });
    m_drawn.push_back(std::move(drawn));
}

void Form4::drawAgain(Surface &target)
{
    // The procedures work on the window's values: the replay's own take their place while it
    // draws, and the window's come back as they were however it ends.
    PlotValues kept;
    std::swap(values(), kept);
    const auto restore = qScopeGuard([this, &kept] { std::swap(values(), kept); });
    drawingOn(target, [&] {
        for (const Drawn &drawn : m_drawn) {
            target.resize(drawn.area, target.devicePixelRatio(), target.logicalDpi());
            target.limitTo(drawn.reach);
            try {
                // What the drawing was made from; SCALA sets the centre and the ratio, the
                // plots A2.
                values() = {.P1 = SingleQuotient(3.1415927f, 180.0f),
                            .CX = {},
                            .CY = {},
                            .Va = drawn.a,
                            .Vb = drawn.b,
                            .Vc = drawn.c,
                            .A2 = {},
                            .ratio = {},
                            .colour = drawn.colour};
                SCALA(drawn.incr);
                if (drawn.kind == Drawn::Axes)
                    ASSI();
                else if (drawn.kind == Drawn::Interior)
                    drawn.figure == 1 ? PUNTIELLISSE() : PUNTIIPERBOLE();
                else
                    drawn.figure == 1 ? BASEELLISSE() : BASEIPERBOLE();
            } catch (const RuntimeError &) {
                // The error was reported when the window drew it; the drawing stopped there.
            }
        }
    });
}

Picture Form4::picture()
{
    const Surface &shown = surface();
    return Picture(shown.size(), shown.devicePixelRatio(), shown.logicalDpi(), shown.backColor(),
                   shown.foreColor(), [this](Surface &target) { drawAgain(target); });
}

QString Form4::defaultFileName() const
{
    for (auto drawn = m_drawn.rbegin(); drawn != m_drawn.rend(); ++drawn) {
        if (drawn->kind == Drawn::Interior)
            return drawn->figure == 1 ? QStringLiteral("borvane-ellisse.png")
                                      : QStringLiteral("borvane-iperbole.png");
    }
    return QStringLiteral("borvane.png");
}

void Form4::contextMenuEvent(QContextMenuEvent *event)
{
    // The menu is the drawing's: a right click on a command is not one on the drawing. The Menu
    // key and Shift+F10 open it from whichever command has the focus.
    if (event->reason() == QContextMenuEvent::Mouse && childAt(event->pos())) {
        event->ignore();
        return;
    }
    showMenu(event->globalPos());
}

void Form4::showMenu(const QPoint &at)
{
    auto fill = [this](QMenu &menu) {
        menu.setObjectName(QStringLiteral("mnuImmagine"));
        menu.addAction(mnuSalva);
        menu.addAction(mnuCopia);
        if (mnuStampa) {
            menu.addSeparator();
            menu.addAction(mnuStampa);
        }
    };
    if (inBrowser()) {
        // A page runs one modal loop at most, and the command's dialog is to be that one: the
        // menu runs none. (Were it to, a command chosen with the keyboard could start before
        // the menu's loop had ended, and the page would take no more input.)
        auto *menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        fill(*menu);
        menu->popup(at);
        return;
    }
    Settled<QMenu> menu(this);
    fill(menu);
    menu.exec(at);
}

void Form4::mnuSalva_Click()
{
    if (inBrowser()) {
        // The browser keeps the file where its user says (its save picker, or its downloads);
        // the program asks the name and the format.
        PictureNameDialog dialog(defaultFileName(), this);
        if (dialog.exec() != QDialog::Accepted) return;
        const QString name = dialog.fileName();
        const QByteArray bytes = picture().encoded(*Picture::formatOf(name));
        if (bytes.isEmpty())
            MsgBox(Picture::notComposed(name));
        else
            offerFile(bytes, name);
        return;
    }
    // Qt's own dialog, the same everywhere; it starts where pictures are kept and remembers
    // nothing once closed.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    keepNoDialogHistory();
    Settled<QFileDialog> dialog(this, QStringLiteral("Salva immagine"));
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = Picture::nameFilters();
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(Picture::suffixOf(filters.constFirst()));
    dialog.setDirectory(folder);
    dialog.selectFile(defaultFileName());
    // Another filter gives the name its extension; the format follows the extension.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        const QString suffix = Picture::suffixOf(filter);
        if (suffix.isEmpty()) return;
        dialog.setDefaultSuffix(suffix);
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty()) return;
        const QFileInfo file(chosen.first());
        if (file.isDir()) return;
        dialog.selectFile(file.completeBaseName() + QLatin1Char('.') + suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString error = picture().save(dialog.selectedFiles().first());
    if (!error.isEmpty()) MsgBox(error);
}

void Form4::mnuCopia_Click()
{
    if (!browserCopiesImages()) {
        MsgBox(QStringLiteral("Questo browser copia un'immagine solo da una pagina sicura "
                              "(https): per averla, usare «Salva immagine…»."));
        return;
    }
    QGuiApplication::clipboard()->setImage(picture().image());
}

void Form4::mnuStampa_Click()
{
#ifdef BORVANE_PRINTING
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Borvane"));
    printer.setPageOrientation(surface().size().width() >= surface().size().height()
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
    Settled<QPrintDialog> dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("printDialog"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (!picture().print(printer))
        MsgBox(QStringLiteral("La stampa non è riuscita: la stampante non risponde."));
#endif
}
