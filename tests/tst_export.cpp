// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The plot window's drawing as it leaves the screen: the picture drawn again equals the window,
// the files open in their formats, a failed save leaves nothing behind, the context menu and its
// dialogs are no window switch, and the command line plots, refuses and fails as it says.

#include "support/support.h"

#include "parameters/form3.h"
#include "plot/form4.h"
#include "runtime/palette.h"
#include "runtime/picture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/mount.h>
#include <unistd.h>

namespace {

// The window's drawing over its client area (its image may be larger, from an earlier size).
QImage shown(const Form &form)
{
    const QImage &image = form.surface().image();
    const qreal dpr = image.devicePixelRatio();
    return image.copy(0, 0, int(std::ceil(form.width() * dpr)), int(std::ceil(form.height() * dpr)))
        .convertToFormat(QImage::Format_RGB32);
}

// Answers the first modal dialog of type T to open while it lives, as a user would.
template <class T> class Answer
{
public:
    explicit Answer(std::function<void(T &)> answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            m_timer.stop();
            answered = true;
            answer(*dialog);
        });
        m_timer.start(10);
    }
    bool answered = false;

private:
    QTimer m_timer;
};

// Saves through the window's own command (its shortcut) and dialog: the whole path typed into
// the name box, then Enter.
bool saveAs(Form4 &form, const QString &fileName)
{
    Answer<QFileDialog> answer([fileName](QFileDialog &dialog) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name->setText(fileName);
        QTest::keyClick(name, Qt::Key_Return);
    });
    ui::switchTo(&form); // the shortcut belongs to the active window
    QTest::keySequence(&form, QKeySequence::Save);
    ui::settle();
    return answer.answered;
}

// The walk of the README's picture: the ellipse with its base figure, then the hyperbola with
// its own, each through the real buttons, at a user's pace (the system's answers to each window
// shown arrive before the next click).
void scene(Session &s, const QString &c = QStringLiteral("0,5"))
{
    s.toForm2();
    s.calibrate(2);
    s.toForm3();
    s.choose(1);
    s.enter(QStringLiteral("20"), QStringLiteral("15"), c);
    s.toForm4();
    ui::settle();
    ui::click(s.app.form4().Command4);
    ui::click(s.app.form4().Command1);
    ui::settle();
    s.choose(2);
    s.toForm4();
    ui::settle();
    ui::click(s.app.form4().Command4);
}

struct Run
{
    int status;
    QString errors;
};

// The program itself, from the command line, without a display.
Run borvane(const QStringList &arguments, const QTemporaryDir &runtime)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BORVANE_EXECUTABLE), arguments);
    if (!process.waitForFinished(20000)) return {-1, QStringLiteral("did not end")};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

const QString untouched = QStringLiteral("the user's own file");

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The pixel under a point of the plot's scale.
QPoint pixelAt(const Form &form, double x, double y)
{
    const QPointF p = form.surface().toPixels(float(x), float(y));
    return QPoint(int(p.x()), int(p.y()));
}

} // namespace

class ExportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pictureEqualsTheWindow_data();
    void pictureEqualsTheWindow();
    void drawingAgainChangesNothing();
    void filesOpenInTheirFormat_data();
    void filesOpenInTheirFormat();
    void paperKeepsTheAspect();
    void refusedSaveLeavesNothing_data();
    void refusedSaveLeavesNothing();
    void menuAndDialogsAreNoWindowSwitch_data();
    void menuAndDialogsAreNoWindowSwitch();
    void commandLineDrawsTheWindowsPlot();
    void commandLineRefuses_data();
    void commandLineRefuses();

private:
    QTemporaryDir m_config; // the user's settings folder, which must stay empty
    QTemporaryDir m_runtime;
};

void ExportTest::initTestCase()
{
    QVERIFY(m_config.isValid() && m_runtime.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void ExportTest::pictureEqualsTheWindow_data()
{
    QTest::addColumn<QString>("walk");
    QTest::newRow("ellipse and hyperbola with their base figures") << QStringLiteral("scene");
    QTest::newRow("after Cancella e riprendi") << QStringLiteral("cleared");
    QTest::newRow("a plot stopped by a runtime error") << QStringLiteral("error");
    QTest::newRow("the window made smaller between plots") << QStringLiteral("resized");
}

void ExportTest::pictureEqualsTheWindow()
{
    QFETCH(QString, walk);
    if (walk == QLatin1String("resized")) SKIP_UNLESS_SWITCHING_ON_REQUEST();
    Session s;
    scene(s, walk == QLatin1String("error") ? QStringLiteral("1,05") : QStringLiteral("0,5"));
    Form4 &f = s.app.form4();
    Form3 &form3 = s.app.form3();
    if (walk == QLatin1String("cleared")) {
        ui::click(f.Command2);
        ui::settle();
        s.choose(1);
        s.toForm4();
    } else if (walk == QLatin1String("error")) {
        // b so large that the points near t2 = 90 come first, far outside; then error 6.
        ui::click(f.Command1);
        ui::settle();
        s.choose(1);
        ui::type(form3.Text2, QStringLiteral("1e39"));
        s.toForm4();
        QVERIFY(s.boxes.last().startsWith(QStringLiteral("Errore di run-time '6'")));
    } else if (walk == QLatin1String("resized")) {
        f.showNormal();
        f.resize(1000, 900); // the earlier plots still show in part
        ui::settle();
        ui::switchTo(&form3);
        ui::switchTo(&f);
    }
    ui::settle();
    QVERIFY(s.app.program().activeForm() == &f);
    const QImage window = shown(f);
    const QImage picture = f.picture().image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(picture.size(), window.size());
    QVERIFY(picture == window);

    // Saved as a PNG, it reads back the same, pixel for pixel.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("piano.png"));
    const int messages = s.boxes.texts.size();
    QVERIFY(saveAs(f, file));
    QCOMPARE(s.boxes.texts.size(), messages);
    QImage read(file);
    QVERIFY(!read.isNull());

    QVERIFY(read.convertToFormat(QImage::Format_RGB32) == window);
}

void ExportTest::drawingAgainChangesNothing()
{
    Session s;
    scene(s);
    Form4 &f = s.app.form4();
    Form3 &form3 = s.app.form3();
    f.A2 = 7; // a value the procedures would leave at 365
    const Variant values[] = {f.P1, f.CX, f.CY, f.Va, f.Vb, f.Vc};
    const int activations = s.activations[4];
    DrawingRecorder drawn(f);
    QTest::keySequence(&f, QKeySequence::Copy);
    ui::settle();
    QVERIFY(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) ==
            shown(f));
    QTemporaryDir folder;
    QCOMPARE(f.picture().save(folder.filePath(QStringLiteral("piano.pdf"))), QString());
    QCOMPARE(form3.Miocolor, Integer(2));
    QCOMPARE(f.A2, Integer(7));
    QCOMPARE(f.DrawWidth(), 4);
    const Variant after[] = {f.P1, f.CX, f.CY, f.Va, f.Vb, f.Vc};
    for (int i = 0; i < 6; ++i)
        QVERIFY(after[i].kind() == values[i].kind() && after[i] == values[i]);
    QCOMPARE(s.activations[4], activations);
    QVERIFY(drawn.dots.empty() && drawn.lines.empty());
}

void ExportTest::filesOpenInTheirFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("SVG") << QStringLiteral("piano.svg");
    QTest::newRow("PDF") << QStringLiteral("piano.PDF");
}

void ExportTest::filesOpenInTheirFormat()
{
    QFETCH(QString, name);
    Session s;
    s.toForm2();
    s.calibrate(2);
    s.toForm3();
    s.choose(1);
    s.toForm4(); // the initial values: a = 20, b = 15, c = 0,5
    Form4 &f = s.app.form4();
    QTemporaryDir folder;
    const QString file = folder.filePath(name);
    QVERIFY(saveAs(f, file));
    QVERIFY2(s.boxes.texts.isEmpty(), qPrintable(s.boxes.last()));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    if (name.endsWith(QLatin1String(".svg"))) {
        QVERIFY(bytes.size() < 1000 * 1000);
        QSvgRenderer svg(bytes);
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox(), QRect(QPoint(0, 0), f.size()));
        // Vector: the background, each dot a square at its place (each place once), each axis a
        // line.
        QVERIFY(bytes.count("<rect ") > 1000 && bytes.count("<rect ") <= 1 + 4761);
        QCOMPARE(int(bytes.count("<polyline ")), 2);
        // Drawn again as an image of the window's size, it is the window.
        const QImage window = shown(f);
        QImage rendered(window.size(), QImage::Format_RGB32);
        rendered.fill(Qt::white);
        QPainter painter(&rendered);
        svg.render(&painter);
        painter.end();
        const qreal dpr = f.surface().devicePixelRatio();
        const QPoint origin = pixelAt(f, f.CX.number(), f.CY.number()) * dpr;
        for (int y = 0; y < window.height(); ++y) {
            for (int x = 0; x < window.width(); ++x) {
                // The renderer smooths the lines' edges; elsewhere not a pixel differs.
                if (std::abs(x - origin.x()) <= 2 * dpr || std::abs(y - origin.y()) <= 2 * dpr)
                    continue;
                if (rendered.pixel(x, y) != window.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1, %2 differs").arg(x).arg(y)));
            }
        }
    } else {
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        // One page with the window's aspect.
        const QRegularExpressionMatch box =
            QRegularExpression(QStringLiteral(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])"))
                .match(QString::fromLatin1(bytes));
        QVERIFY(box.hasMatch());
        QVERIFY(std::fabs(box.captured(1).toDouble() / box.captured(2).toDouble() -
                          double(f.width()) / f.height()) < 0.01);
    }
}

void ExportTest::paperKeepsTheAspect()
{
    // The same routine fills a printer's page: here a square page, the picture being wider.
    Session s;
    scene(s);
    Form4 &f = s.app.form4();
    QImage page(800, 800, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    f.picture().paint(painter, QRectF(0, 0, 800, 800));
    painter.end();
    const int band = int(std::lround(800.0 * f.height() / f.width()));
    const int top = (800 - band) / 2;
    auto rowIsWhite = [&page](int y) {
        for (int x = 0; x < page.width(); ++x)
            if (page.pixel(x, y) != qRgb(255, 255, 255)) return false;
        return true;
    };
    QVERIFY(rowIsWhite(top - 2) && rowIsWhite(top + band + 1));
    QVERIFY(!rowIsWhite(top + 2) && !rowIsWhite(top + band - 3));
    QCOMPARE(page.pixel(2, top + 3), f.BackColor()); // the full width
    QCOMPARE(page.pixel(797, top + 3), f.BackColor());

    // And onto a printer (here one that prints to a file).
    QTemporaryDir folder;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath(QStringLiteral("stampa.pdf")));
    QVERIFY(f.picture().print(printer));
    QFile printed(printer.outputFileName());
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.readAll().startsWith("%PDF-"));
}

void ExportTest::refusedSaveLeavesNothing_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << QStringLiteral("missing") << QStringLiteral("non esiste");
    QTest::newRow("read-only folder")
        << QStringLiteral("read-only") << QStringLiteral("permesso di scrivere");
    QTest::newRow("existing file, disk full or folder read-only")
        << QStringLiteral("existing") << QString();
    QTest::newRow("unknown extension")
        << QStringLiteral("extension") << QStringLiteral(".png, .svg o .pdf");
}

void ExportTest::refusedSaveLeavesNothing()
{
    QFETCH(QString, where);
    QFETCH(QString, reason);
    const bool root = geteuid() == 0; // permissions do not bind root: other ways to fail
    QTemporaryDir scratch;
    QString folder = scratch.filePath(QStringLiteral("cartella"));
    QString file = folder + QStringLiteral("/piano.png");
    bool mounted = false;
    if (where == QLatin1String("read-only")) {
        if (root) {
            folder = QStringLiteral("/sys");
            file = QStringLiteral("/sys/piano.png");
        } else {
            QVERIFY(QDir().mkdir(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
    } else if (where == QLatin1String("existing")) {
        QVERIFY(QDir().mkdir(folder));
        if (root) {
            // A disk of 16 KiB, nearly full: the picture does not fit.
            mounted =
                mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=16k") == 0;
            if (!mounted) QSKIP("no way here to make a write fail for root");
        }
        QFile existing(file);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write(untouched.toUtf8());
        existing.close();
        if (root) {
            QFile filler(folder + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(1024, 'x')) == 1024) {
            }
        } else {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
    } else if (where == QLatin1String("extension")) {
        QVERIFY(QDir().mkdir(folder));
        file = folder + QStringLiteral("/piano.jpg");
    }
    const QStringList before =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);

    Session s;
    scene(s);
    Form4 &f = s.app.form4();
    QVERIFY(saveAs(f, file));
    QCOMPARE(s.boxes.texts.size(), 1);
    const QString message = s.boxes.last();
    QCOMPARE(s.boxes.titles.last(), QStringLiteral("Borvane"));
    QVERIFY2(message.startsWith(QStringLiteral("L'immagine non è stata salvata in «")),
             qPrintable(message));
    QVERIFY2(message.contains(QDir::toNativeSeparators(file)), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    // Nothing written, nothing left behind, the existing file as it was.
    const QStringList after =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    if (folder.startsWith(scratch.path()))
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (folder.startsWith(scratch.path())) QCOMPARE(after, before);
    if (where == QLatin1String("existing")) {
        QFile existing(file);
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(existing.readAll()), untouched);
    } else {
        QVERIFY(!QFile::exists(file));
    }
    if (mounted) umount(QFile::encodeName(folder).constData());
    QCOMPARE(s.activations[4], 2);
}

void ExportTest::menuAndDialogsAreNoWindowSwitch_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("context menu, right button") << QStringLiteral("mouse");
    QTest::newRow("context menu, Menu key") << QStringLiteral("menu key");
    QTest::newRow("context menu, Shift+F10") << QStringLiteral("shift f10");
    QTest::newRow("save dialog, cancelled") << QStringLiteral("save");
    QTest::newRow("save dialog, saved") << QStringLiteral("saved");
    QTest::newRow("print dialog, cancelled") << QStringLiteral("print");
}

void ExportTest::menuAndDialogsAreNoWindowSwitch()
{
    QFETCH(QString, how);
    Session s;
    scene(s);
    Form4 &f = s.app.form4();
    const int activations = s.activations[4];
    const Integer colour = s.app.form3().Miocolor;
    DrawingRecorder drawn(f);
    QStringList items;
    QTemporaryDir folder;
    QString offered;
    if (how == QLatin1String("mouse") || how.endsWith(QLatin1String("key")) ||
        how == QLatin1String("shift f10")) {
        QTimer::singleShot(50, [&items] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction *action : menu->actions())
                if (!action->isSeparator()) items << action->text();
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        const QPoint at(f.width() / 2, f.height() / 2);
        if (how == QLatin1String("mouse")) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, f.mapToGlobal(at));
            QApplication::sendEvent(&f, &event);
        } else if (how == QLatin1String("menu key")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
        } else {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
        }
        QCOMPARE(items, QStringList({QStringLiteral("Salva immagine…"),
                                     QStringLiteral("Copia immagine"), QStringLiteral("Stampa…")}));
    } else if (how == QLatin1String("print")) {
        Answer<QPrintDialog> cancel([](QPrintDialog &dialog) { dialog.reject(); });
        QTest::keySequence(&f, QKeySequence::Print);
        QVERIFY(cancel.answered);
    } else {
        const QString file = folder.filePath(QStringLiteral("piano.svg"));
        Answer<QFileDialog> answer([&offered, &how, &file](QFileDialog &dialog) {
            offered = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
            if (how == QLatin1String("saved")) {
                auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                name->setText(file);
                QTest::keyClick(name, Qt::Key_Return);
            } else {
                dialog.reject();
            }
        });
        QTest::keySequence(&f, QKeySequence::Save);
        QVERIFY(answer.answered);
        QCOMPARE(offered, QStringLiteral("borvane-iperbole.png")); // the last plot's figure
        QCOMPARE(QFile::exists(file), how == QLatin1String("saved"));
        // Qt's file dialog would keep its history in the user's settings; nothing is kept.
        QVERIFY2(QDir(m_config.path()).isEmpty(),
                 qPrintable(QDir(m_config.path()).entryList().join(QLatin1Char(' '))));
    }
    // The window system gives the window its activation back as the menu or dialog closes.
    ui::switchTo(&f);
    ui::settle();
    QCOMPARE(s.activations[4], activations);
    QCOMPARE(s.app.form3().Miocolor, colour);
    QVERIFY(drawn.dots.empty() && drawn.lines.empty());
    QVERIFY(s.boxes.texts.isEmpty());
}

void ExportTest::commandLineDrawsTheWindowsPlot()
{
    // The command line's activation and plot are the window's: at the window's size, the same
    // pixels.
    Session s;
    s.toForm2();
    s.calibrate(2);
    s.toForm3();
    s.choose(1);
    s.toForm4();
    Form4 &f = s.app.form4();
    ui::click(f.Command4);
    QTemporaryDir folder;
    const QString png = folder.filePath(QStringLiteral("ellisse.png"));
    const Run run = borvane(
        QStringList{QStringLiteral("--esporta"), png} +
            words("--figura ellisse --a 20 --b 15 --c 0,5 --base") +
            QStringList{QStringLiteral("--dimensione=%1x%2").arg(f.width()).arg(f.height())},
        m_runtime);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.errors, QString());
    const QImage written(png);
    QCOMPARE(written.size(), f.size());
    // The command line draws one device pixel to the pixel, as the window on such a screen.
    if (f.surface().devicePixelRatio() == 1)
        QVERIFY(written.convertToFormat(QImage::Format_RGB32) == shown(f));
    // A vector file, from the same plot drawn again.
    const QString svg = folder.filePath(QStringLiteral("iperbole.svg"));
    QCOMPARE(borvane(QStringList{QStringLiteral("--esporta"), svg} +
                         words("--figura iperbole -a 20 -b 15 --c=1"),
                     m_runtime)
                 .status,
             0);
    QVERIFY(QSvgRenderer(svg).isValid());
}

void ExportTest::commandLineRefuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // the whole of standard error, if it ends a line
    const auto row = [](const char *tag, const char *arguments, int status, const char *message) {
        QTest::newRow(tag) << words(arguments) << status << QString::fromUtf8(message);
    };
    row("a not a number", "--figura ellisse --a x --b 15 --c 0,5", 2, "VALa non è un numero\n");
    row("b missing", "--figura ellisse --a 20 --c 0,5", 2, "VALb non è un numero\n");
    row("a and c bad: only a", "--figura ellisse --a z --b 15 --c=", 2, "VALa non è un numero\n");
    row("c above 2", "--figura ellisse --a 20 --b 15 --c 2,5", 2, "Valore (c) Max 2\n");
    row("no figure", "--a 20 --b 15 --c 0,5", 2, " Manca scelta figura\n");
    row("unknown figure", "--figura cerchio --a 20 --b 15 --c 0,5", 2, "--figura: «cerchio»");
    row("ratio below calibration", "--figura ellisse --a 20 --b 15 --c 0,5 --incr 0,53", 2,
        "--incr: «0,53»");
    row("ratio not a number", "--figura ellisse --a 20 --b 15 --c 0,5 --incr alto", 2,
        "--incr: «alto»");
    row("size too small", "--figura ellisse --a 20 --b 15 --c 0,5 --dimensione 8x600", 2,
        "--dimensione: «8x600»");
    row("size without height", "--figura ellisse --a 20 --b 15 --c 0,5 --dimensione 1920", 2,
        "--dimensione: «1920»");
    row("unknown option", "--figura ellisse --a 20 --b 15 --c 0,5 --colore", 2, "colore");
    row("unknown extension", "--figura ellisse --a 20 --b 15 --c 0,5", 2, ".png, .svg o .pdf");
    row("missing folder", "--figura ellisse --a 20 --b 15 --c 0,5", 1, "non esiste");
    row("runtime error in the plot", "--figura ellisse --a 1e39 --b 15 --c 0,5", 1,
        "Errore di run-time '6'");
}

void ExportTest::commandLineRefuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir folder;
    QString file = folder.filePath(QStringLiteral("piano.png"));
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    if (tag == QLatin1String("unknown extension")) file = folder.filePath(QStringLiteral("p.gif"));
    if (tag == QLatin1String("missing folder"))
        file = folder.filePath(QStringLiteral("manca/piano.png"));
    // A file of the user's there already stays as it was.
    const bool existing = !tag.contains(QLatin1String("folder"));
    if (existing) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(untouched.toUtf8());
    }
    const Run run = borvane(QStringList{QStringLiteral("--esporta"), file} + arguments, m_runtime);
    QCOMPARE(run.status, status);
    QVERIFY2(message.endsWith(QLatin1Char('\n')) ? run.errors == message
                                                 : run.errors.contains(message),
             qPrintable(run.errors));
    const QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, existing ? QStringList{QFileInfo(file).fileName()} : QStringList());
    if (existing) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(old.readAll()), untouched);
    }
}

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
