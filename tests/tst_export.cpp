// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The plot window's drawing as it leaves the screen: the picture drawn again equals the window,
// the files open in their formats, a failed save leaves nothing behind, the context menu and its
// dialogs are no window switch, and the command line plots, refuses and fails as it says.

#include "support/support.h"

#include "runtime/palette.h"
#include "runtime/picture.h"
#include "runtime/picture_name_dialog.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QXmlStreamReader>
#ifdef BORVANE_SVG_RENDERER
#include <QSvgRenderer>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <utility>
#ifndef Q_OS_WIN
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace {

// The window's drawing over its client area (its image may be larger, from an earlier size).
QImage shown(const Form &form)
{
    const QImage &image = form.surface().image();
    const qreal dpr = image.devicePixelRatio();
    return image.copy(0, 0, int(std::ceil(form.width() * dpr)), int(std::ceil(form.height() * dpr)))
        .convertToFormat(QImage::Format_RGB32);
}

// Answers the first menu or dialog of type T to come up while it lives (a dialog once the window
// system has made it the active window), as a user would.
template <class T> class Answer
{
public:
    explicit Answer(std::function<void(T &)> answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer] {
            QWidget *popup = QApplication::activePopupWidget();
            auto *up = qobject_cast<T *>(popup ? popup : QApplication::activeModalWidget());
            if (!up || !up->isVisible() || (!popup && QApplication::activeWindow() != up)) return;
            m_timer.stop();
            answer(*up);
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
};

// Saves through the window's own command (its shortcut) and dialog: the whole path typed into
// the name box, then Enter. Returns the name the dialog offered (none if no dialog came up).
QString saveAs(Form4 &form, const QString &fileName)
{
    QString offered;
    Answer<QFileDialog> answer([&offered, fileName](QFileDialog &dialog) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        offered = name->text();
        name->setText(fileName);
        QTest::keyClick(name, Qt::Key_Return);
    });
    ui::switchTo(&form); // the shortcut belongs to the active window
    QTest::keySequence(&form, QKeySequence::Save);
    ui::settle();
    return offered;
}

// The ellipse of the initial values (a = 20, b = 15, c by default 0,5), through the real buttons.
void ellipse(Session &s, const QString &c = QStringLiteral("0,5"))
{
    s.toForm2();
    s.toForm3(); // calibrated to 2
    s.choose(1);
    s.enter(QStringLiteral("20"), QStringLiteral("15"), c);
    s.toForm4();
}

// The walk of the README's picture: that ellipse with its base figure, then the hyperbola with
// its own, at a user's pace (the system's answers to each window shown arrive before the next
// click).
void scene(Session &s, const QString &c)
{
    ellipse(s, c);
    ui::settle();
    ui::click(s.app.form4().Command4);
    ui::click(s.app.form4().Command1);
    ui::settle();
    s.choose(2);
    s.toForm4();
    ui::settle();
    ui::click(s.app.form4().Command4);
}

// The plot window's values that drawing again works with, each with its kind.
QStringList valuesOf(Session &s)
{
    Form4 &f = s.app.form4();
    QStringList values;
    for (const Variant *v : {&f.P1, &f.CX, &f.CY, &f.Va, &f.Vb, &f.Vc})
        values << QStringLiteral("%1 %2")
                      .arg(int(v->kind()))
                      .arg(v->isText() ? v->text() : QString::number(v->number(), 'g', 17));
    return values << QString::number(f.A2.value()) << QString::number(f.DrawWidth())
                  << QString::number(s.app.form3().Miocolor.value());
}

struct Run
{
    int status;
    QString errors;
};

// The program itself, from the command line, without a display: in a desktop session (its
// runtime folder `runtime`) or without one (cron, ssh: no runtime folder named).
Run borvane(const QStringList &arguments, const QTemporaryDir &runtime, bool session = true)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (session)
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    else
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BORVANE_EXECUTABLE), arguments);
    if (!process.waitForFinished(20000)) return {-1, QStringLiteral("did not end")};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

// What an SVG file of the program holds: its view box, its filled paths (colour and path
// data), the squares in them and the straight lines drawn; an empty view box if it is no
// well-formed SVG.
struct Svg
{
    QRect viewBox;
    QList<QPair<QString, QString>> fills;
    int squares = 0;
    int lines = 0;
};

Svg readSvg(const QByteArray &bytes)
{
    Svg svg;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("svg")) {
            const QStringList box = a.value(QLatin1String("viewBox")).toString().split(' ');
            if (box.size() == 4)
                svg.viewBox = QRect(box[0].toInt(), box[1].toInt(), box[2].toInt(), box[3].toInt());
        } else if (xml.name() == QLatin1String("path")) {
            const QString d = a.value(QLatin1String("d")).toString();
            if (a.value(QLatin1String("fill")) != QLatin1String("none")) {
                svg.fills.append({a.value(QLatin1String("fill")).toString(), d});
                svg.squares += int(d.count(QLatin1Char('z')));
            } else {
                svg.lines += int(d.count(QLatin1Char('L')));
            }
        }
    }
    if (xml.hasError()) return Svg();
    return svg;
}

// The drawing operators of a PDF file of Qt's: its streams one after another, inflated where
// they are compressed (zlib's format, which qUncompress reads after a four-byte size hint).
QByteArray pdfOperators(const QByteArray &pdf)
{
    QByteArray operators;
    for (qsizetype at = pdf.indexOf(">>\nstream\n"); at >= 0;
         at = pdf.indexOf(">>\nstream\n", at + 1)) {
        const qsizetype start = at + qsizetype(std::strlen(">>\nstream\n"));
        const qsizetype end = pdf.indexOf("\nendstream", start);
        if (end < 0) break;
        const QByteArray data = pdf.mid(start, end - start);
        const QByteArray dictionary =
            pdf.mid(pdf.lastIndexOf("<<", at), at - pdf.lastIndexOf("<<", at));
        operators +=
            dictionary.contains("/FlateDecode") ? qUncompress(QByteArray(4, '\0') + data) : data;
        operators += '\n';
    }
    return operators;
}

// The rectangles a PDF's operators fill in a colour ("x y w h re" after "r g b scn"), in the
// coordinates they are given in.
QList<QRectF> filledRectangles(const QByteArray &operators, QRgb colour)
{
    static const QRegularExpression operation(
        QStringLiteral(R"(([-\d.]+) ([-\d.]+) ([-\d.]+) (?:([-\d.]+) re|scn))"));
    QList<QRectF> rectangles;
    QRgb filling = 0;
    bool filled = false;
    for (const QRegularExpressionMatch &m : operation.globalMatch(QString::fromLatin1(operators))) {
        const auto number = [&m](int n) { return m.captured(n).toDouble(); };
        if (m.captured(4).isEmpty()) {
            const auto channel = [&](int n) { return int(std::lround(number(n) * 255)); };
            filling = qRgb(channel(1), channel(2), channel(3));
            filled = true;
        } else if (filled && filling == colour) {
            rectangles.append(QRectF(number(1), number(2), number(3), number(4)));
        }
    }
    return rectangles;
}

const QString untouched = QStringLiteral("the user's own file");

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class ExportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pictureEqualsTheWindow_data();
    void pictureEqualsTheWindow();
    void paperKeepsTheAspect();
    void filterGivesTheExtension_data();
    void filterGivesTheExtension();
    void refusedSaveLeavesNothing_data();
    void refusedSaveLeavesNothing();
    void menuAndDialogsAreNoWindowSwitch_data();
    void menuAndDialogsAreNoWindowSwitch();
    void menuCommandRunsOnceTheMenuHasClosed_data();
    void menuCommandRunsOnceTheMenuHasClosed();
    void browserAsksNameAndFormat_data();
    void browserAsksNameAndFormat();
    void commandLineDrawsTheWindowsPlot();
    void commandLineStatuses_data();
    void commandLineStatuses();
    void commandLineRatioShapesThePlot_data();
    void commandLineRatioShapesThePlot();

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
    QTest::addColumn<QString>("name");    // the file saved
    QTest::addColumn<QString>("offered"); // the name the save dialog offers: the last plot's
    const auto row = [](const char *tag, const char *walk, const char *name, const char *offered) {
        QTest::newRow(tag) << QString::fromLatin1(walk) << QString::fromLatin1(name)
                           << QString::fromLatin1(offered);
    };
    row("ellipse and hyperbola with their base figures", "scene", "piano.png",
        "borvane-iperbole.png");
    row("after Cancella e riprendi", "cleared", "piano.png", "borvane-ellisse.png");
    row("a plot stopped by a runtime error", "error", "piano.png", "borvane-ellisse.png");
    row("the window made smaller between plots", "resized", "piano.png", "borvane-iperbole.png");
    row("the ellipse as SVG", "ellipse", "piano.svg", "borvane-ellisse.png");
    row("the ellipse as PDF", "ellipse", "piano.PDF", "borvane-ellisse.png");
}

void ExportTest::pictureEqualsTheWindow()
{
    QFETCH(QString, walk);
    QFETCH(QString, name);
    QFETCH(QString, offered);
    if (walk == QLatin1String("resized")) SKIP_UNLESS_SWITCHING_ON_REQUEST();
    Session s;
    if (walk == QLatin1String("ellipse"))
        ellipse(s);
    else
        scene(s, walk == QLatin1String("error") ? QStringLiteral("1,05") : QStringLiteral("0,5"));
    Form4 &f = s.app.form4();
    if (walk == QLatin1String("cleared") || walk == QLatin1String("error")) {
        ui::click(walk == QLatin1String("cleared") ? f.Command2 : f.Command1);
        ui::settle();
        s.choose(1);
        // b so large that the points near t2 = 90 come first, far outside; then error 6.
        if (walk == QLatin1String("error")) ui::type(s.app.form3().Text2, QStringLiteral("1e39"));
        s.toForm4();
    } else if (walk == QLatin1String("resized")) {
        f.showNormal();
        f.resize(1000, 900); // the earlier plots still show in part
        ui::settle();
        ui::switchTo(&s.app.form3());
        ui::switchTo(&f);
    }
    ui::settle();
    QVERIFY(s.app.program().activeForm() == &f);
    const int messages = walk == QLatin1String("error") ? 1 : 0;
    QCOMPARE(s.boxes.texts.size(), messages);
    if (messages) QVERIFY(s.boxes.last().startsWith(QStringLiteral("Errore di run-time '6'")));

    // Saved and copied, it is the window; and drawing it again changes nothing in the window: no
    // value, no dot, no activation, no message.
    // Values the procedures would leave otherwise: 365, numbers of another kind, a text.
    f.A2 = 7;
    f.CX = double(CSng(f.CX));
    f.CY = double(CSng(f.CY));
    f.P1 = f.Va = f.Vb = f.Vc = Variant(QStringLiteral("?"));
    const QStringList values = valuesOf(s);
    const int activations = s.activations[4];
    const QImage window = shown(f);
    DrawingRecorder drawn(f);
    QTemporaryDir folder;
    QFile written(folder.filePath(name));
    QCOMPARE(saveAs(f, written.fileName()), offered);
    // The file opens in its format: a PNG has the window's pixels; an SVG is a vector drawing of
    // them; a PDF is a page of the window's aspect.
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    if (name.endsWith(QLatin1String(".png"))) {
        const QImage png = QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(png.size(), window.size());
        QVERIFY(png == window);
    } else if (name.endsWith(QLatin1String(".svg"))) {
        // Vector: the background, the dots of each colour one path of squares (each place once),
        // each axis a line.
        const Svg svg = readSvg(bytes);
        QCOMPARE(svg.viewBox, QRect(QPoint(0, 0), f.size()));
        QCOMPARE(svg.fills.size(), 2);
        QVERIFY(svg.squares > 1000 && svg.squares <= 1 + 4761);
        QCOMPARE(svg.lines, 2);
#ifdef BORVANE_SVG_RENDERER
        // Drawn again as an image of the window's size, it is the window.
        QSvgRenderer renderer(bytes);
        QVERIFY(renderer.isValid());
        QImage rendered(window.size(), QImage::Format_RGB32);
        rendered.fill(Qt::white);
        QPainter painter(&rendered);
        renderer.render(&painter);
        painter.end();
        const qreal dpr = f.surface().devicePixelRatio();
        const QPointF origin = f.surface().toPixels(CSng(f.CX), CSng(f.CY)) * dpr;
        for (int y = 0; y < window.height(); ++y) {
            for (int x = 0; x < window.width(); ++x) {
                // The renderer smooths the lines' edges; elsewhere not a pixel differs.
                if (std::abs(x - origin.x()) <= 2 * dpr || std::abs(y - origin.y()) <= 2 * dpr)
                    continue;
                if (rendered.pixel(x, y) != window.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1, %2 differs").arg(x).arg(y)));
            }
        }
#endif
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

    // Copied, it is the window too.
    ui::switchTo(&f); // the window system gives the window its activation back
    QTest::keySequence(&f, QKeySequence::Copy);
    ui::settle();
    QVERIFY(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) == window);
    QCOMPARE(valuesOf(s), values);
    QCOMPARE(s.activations[4], activations);
    QVERIFY(drawn.dots.empty() && drawn.lines.empty());
    QCOMPARE(s.boxes.texts.size(), messages);
    // Qt's file dialog would keep its history in the user's settings; nothing is kept.
    QCOMPARE(QDir(m_config.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
}

void ExportTest::paperKeepsTheAspect()
{
    // The same routine fills a printer's page: here a square page, the picture being wider.
    Session s;
    DrawingRecorder plotted(s.app.form4());
    ellipse(s);
    Form4 &f = s.app.form4();
    QImage page(800, 800, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    f.picture().paint(painter, QRectF(0, 0, 800, 800));
    painter.end();
    const int band = int(std::lround(800.0 * f.height() / f.width()));
    const int top = (800 - band) / 2;
    QImage white(800, 1, QImage::Format_RGB32);
    white.fill(Qt::white);
    const auto rowIsWhite = [&page, &white](int y) { return page.copy(0, y, 800, 1) == white; };
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
    const QByteArray pdf = printed.readAll();
    QVERIFY(pdf.startsWith("%PDF-"));
    // The page holds the plot: squares of the plot's colour, one for each place the window has
    // a dot, which cover the window's pixels of that colour and no others.
    QVERIFY(!plotted.dots.empty());
    const QRgb colour = plotted.dots.front().colour;
    QVERIFY(
        std::all_of(plotted.dots.cbegin(), plotted.dots.cend(),
                    [colour](const DrawingRecorder::Dot &dot) { return dot.colour == colour; }));
    const QList<QRectF> squares = filledRectangles(pdfOperators(pdf), colour);
    const QImage window = shown(f);
    const qreal dpr = f.surface().devicePixelRatio();
    QImage covered(window.size(), QImage::Format_RGB32);
    covered.fill(Qt::white);
    QPainter cover(&covered);
    std::set<std::pair<double, double>> places;
    for (const QRectF &square : squares) {
        places.insert({square.x(), square.y()});
        // A dot of the plot's DrawWidth, 2 pixels, on a screen of any pixel ratio.
        QCOMPARE(square.size(), QSizeF(2, 2));
        // From the picture's logical pixels to the window's device pixels.
        cover.fillRect(QRect(int(std::lround(square.x() * dpr)), int(std::lround(square.y() * dpr)),
                             int(std::lround(square.width() * dpr)),
                             int(std::lround(square.height() * dpr))),
                       QColor(colour));
    }
    cover.end();
    QCOMPARE(places.size(), std::size_t(squares.size()));
    int plotPixels = 0;
    int differing = 0;
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            const bool plot = window.pixel(x, y) == colour;
            plotPixels += plot;
            differing += plot != (covered.pixel(x, y) == colour);
        }
    }
    QVERIFY(plotPixels > 1000);
    QCOMPARE(differing, 0);
}

void ExportTest::filterGivesTheExtension_data()
{
    QTest::addColumn<int>("moves");        // presses of the down arrow in the list of formats
    QTest::addColumn<QString>("offered");  // the name the dialog then offers
    QTest::addColumn<QByteArray>("start"); // how the file written begins
    QTest::newRow("PNG, as offered") << 0 << "borvane-ellisse.png" << QByteArray("\x89PNG");
    QTest::newRow("SVG") << 1 << "borvane-ellisse.svg" << QByteArray("<?xml");
    QTest::newRow("PDF") << 2 << "borvane-ellisse.pdf" << QByteArray("%PDF-");
}

void ExportTest::filterGivesTheExtension()
{
    // The user picks a format in the save dialog's list: the offered name takes its extension,
    // and the file is written in that format.
    QFETCH(int, moves);
    QFETCH(QString, offered);
    QFETCH(QByteArray, start);
    Session s;
    ellipse(s);
    QTemporaryDir folder;
    QStringList formats;
    QString named;
    Answer<QFileDialog> answer([&](QFileDialog &dialog) {
        auto *list = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; i < list->count(); ++i)
            formats << list->itemText(i);
        for (int i = 0; i < moves; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        named = name->text();
        name->setText(folder.filePath(named));
        QTest::keyClick(name, Qt::Key_Return);
    });
    ui::switchTo(&s.app.form4());
    QTest::keySequence(&s.app.form4(), QKeySequence::Save);
    ui::settle();
    QCOMPARE(formats, QStringList({QStringLiteral("Immagine PNG (*.png)"),
                                   QStringLiteral("Disegno SVG (*.svg)"),
                                   QStringLiteral("Documento PDF (*.pdf)")}));
    QCOMPARE(named, offered);
    QFile written(folder.filePath(offered));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().startsWith(start));
    QVERIFY(s.boxes.texts.isEmpty());
}

void ExportTest::refusedSaveLeavesNothing_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("existing"); // a file of the user's is there already
    QTest::addColumn<QString>("reason");
    const auto row = [](const char *tag, const char *where, bool existing, const char *reason) {
        QTest::newRow(tag) << QString::fromLatin1(where) << existing << QString::fromUtf8(reason);
    };
    row("read-only folder", "read-only", false, "non si ha il permesso di scrivere nella cartella");
    row("existing file, write-protected", "protected", true,
        "il file esistente è protetto dalla scrittura");
    row("existing file, disk full", "full", true, "la scrittura non è riuscita (il disco");
    row("missing folder", "missing", false, "non esiste");
    row("unknown extension", "extension", false, "il formato si sceglie con l'estensione");
}

void ExportTest::refusedSaveLeavesNothing()
{
    QFETCH(QString, where);
    QFETCH(bool, existing);
    QFETCH(QString, reason);
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("cartella"));
    const QString file = folder + (where == QLatin1String("missing")     ? "/manca/piano.png"
                                   : where == QLatin1String("extension") ? "/piano.jpg"
                                                                         : "/piano.png");
    QVERIFY(QDir().mkdir(folder));
#ifdef Q_OS_WIN
    if (where == QLatin1String("read-only"))
        QSKIP("a folder is made read-only on Windows by its access rights, which Qt does not set");
    if (where == QLatin1String("full")) QSKIP("no disk of the test's own to fill on Windows");
    const bool mounted = false;
    const bool readOnly = false;
#else
    // Permissions do not bind root: a disk of the test's own then refuses the writes.
    const bool root = geteuid() == 0;
    bool mounted = false;
    if (where == QLatin1String("full") ||
        (root && (where == QLatin1String("read-only") || where == QLatin1String("protected")))) {
        if (!root) QSKIP("a full disk needs a disk of the test's own, which only root can mount");
        // Small: the picture does not fit once the filler has taken the rest.
        mounted =
            mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=16k") == 0;
        if (!mounted) QSKIP("no disk of the test's own can be mounted here");
    }
    // Undone last, once every file in it is closed.
    const auto unmount = qScopeGuard([&] {
        if (mounted) umount(QFile::encodeName(folder).constData());
    });
    const bool readOnly =
        where == QLatin1String("read-only") || (mounted && where == QLatin1String("protected"));
#endif
    const bool writeProtected = where == QLatin1String("protected") && !mounted;
    if (existing) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(untouched.toUtf8());
    }
    if (where == QLatin1String("full")) {
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(1024, 'x')) == 1024) {
        }
    }
    if (writeProtected) QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
#ifndef Q_OS_WIN
    if (readOnly && mounted)
        QVERIFY(mount(nullptr, QFile::encodeName(folder).constData(), nullptr,
                      MS_REMOUNT | MS_RDONLY, nullptr) == 0);
    else if (readOnly)
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
#endif
    const auto entries = [&folder] {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList before = entries();

    Session s;
    ellipse(s);
    QVERIFY(!saveAs(s.app.form4(), file).isEmpty());
    QCOMPARE(s.boxes.titles, QStringList{QStringLiteral("Borvane")});
    const QString message = s.boxes.last();
    QVERIFY2(message.startsWith(QStringLiteral("L'immagine non è stata salvata in «%1»: ")
                                    .arg(QDir::toNativeSeparators(file))) &&
                 message.contains(reason),
             qPrintable(message));
    // Nothing written, nothing left behind, the existing file as it was.
    const QStringList after = entries();
    if (readOnly && !mounted)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (writeProtected) QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(after, before);
    QFile old(file);
    QCOMPARE(old.open(QIODevice::ReadOnly), existing);
    if (existing) QCOMPARE(QString::fromUtf8(old.readAll()), untouched);
    QCOMPARE(s.activations[4], 1);
}

void ExportTest::menuAndDialogsAreNoWindowSwitch_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("seen"); // what comes up: its class, and a menu's commands
    const QStringList menu{QStringLiteral("QMenu"), QStringLiteral("Salva immagine…"),
                           QStringLiteral("Copia immagine"), QStringLiteral("Stampa…")};
    QTest::newRow("context menu, right button") << "mouse" << menu;
    QTest::newRow("right button on a command, no menu") << "mouse on command" << QStringList();
    QTest::newRow("context menu, Menu key") << "menu key" << menu;
    QTest::newRow("context menu, Shift+F10") << "shift f10" << menu;
    QTest::newRow("save dialog, cancelled") << "save" << QStringList{QStringLiteral("QFileDialog")};
    QTest::newRow("print dialog, cancelled")
        << "print" << QStringList{QStringLiteral("QPrintDialog")};
}

void ExportTest::menuAndDialogsAreNoWindowSwitch()
{
    QFETCH(QString, how);
    QFETCH(QStringList, seen);
#ifdef Q_OS_WIN
    if (how == QLatin1String("print"))
        QSKIP("Windows' print dialog is the system's own, not a Qt window a test can answer");
#endif
    Session s;
    ellipse(s);
    Form4 &f = s.app.form4();
    const auto activations = std::to_array(s.activations);
    DrawingRecorder drawn(f);
    // Closes the menu or dialog with Escape once it is up, as a user does.
    QStringList up;
    Answer<QWidget> escape([&up](QWidget &widget) {
        up << QString::fromLatin1(widget.metaObject()->className());
        for (QAction *action : widget.actions())
            if (qobject_cast<QMenu *>(&widget) && !action->isSeparator()) up << action->text();
        QTest::keyClick(&widget, Qt::Key_Escape);
    });
    const QPoint at(f.width() / 2, f.height() / 2);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, f.mapToGlobal(at));
    const QPoint onCommand(f.Command1->width() / 2, f.Command1->height() / 2);
    QContextMenuEvent clickOnCommand(QContextMenuEvent::Mouse, onCommand,
                                     f.Command1->mapToGlobal(onCommand));
    if (how == QLatin1String("mouse"))
        QApplication::sendEvent(&f, &click);
    else if (how == QLatin1String("mouse on command")) {
        // Sent to the command, as the window system does; the application passes it up if the
        // command leaves it.
        QApplication::sendEvent(f.Command1, &clickOnCommand);
        QTest::qWait(100);
    } else if (how == QLatin1String("menu key"))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
    else if (how == QLatin1String("shift f10"))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
    else
        QTest::keySequence(&f,
                           how == QLatin1String("save") ? QKeySequence::Save : QKeySequence::Print);
    // A command's dialog comes up as the events after the key run.
    QTRY_COMPARE(up, seen);
    // The window system gives the window its activation back as the menu or dialog closes (a
    // window manager a moment later): no window switch, no plot.
    QTest::qWait(300);
    ui::switchTo(&f);
    QCOMPARE(std::to_array(s.activations), activations);
    QCOMPARE(s.app.program().activeForm(), &f);
    QVERIFY(drawn.dots.empty() && drawn.lines.empty());
    QVERIFY(s.boxes.texts.isEmpty());
    QVERIFY(QDir(m_config.path()).isEmpty());
}

void ExportTest::menuCommandRunsOnceTheMenuHasClosed_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("save") << "Salva immagine…"
                          << "QFileDialog";
    QTest::newRow("print") << "Stampa…"
                           << "QPrintDialog";
}

void ExportTest::menuCommandRunsOnceTheMenuHasClosed()
{
    // A command chosen in the menu opens its dialog once the menu has closed: the dialog's is
    // then the only modal loop running, as a web browser allows no other.
    QFETCH(QString, command);
    QFETCH(QString, dialog);
#ifdef Q_OS_WIN
    if (dialog == QLatin1String("QPrintDialog"))
        QSKIP("Windows' print dialog is the system's own, not a Qt window a test can answer");
#endif
    Session s;
    ellipse(s);
    Form4 &f = s.app.form4();
    Answer<QMenu> choose([&command](QMenu &menu) {
        for (QAction *action : menu.actions())
            if (action->text() == command) menu.setActiveAction(action);
        QTest::keyClick(&menu, Qt::Key_Return);
    });
    QString seen;
    int loops = -1;
    bool menuOpen = true;
    Answer<QDialog> cancel([&](QDialog &up) {
        seen = QString::fromLatin1(up.metaObject()->className());
        loops = QThread::currentThread()->loopLevel();
        menuOpen = QApplication::activePopupWidget() != nullptr;
        QTest::keyClick(&up, Qt::Key_Escape);
    });
    const QPoint at(f.width() / 2, f.height() / 2);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, f.mapToGlobal(at));
    QApplication::sendEvent(&f, &click);
    QTRY_COMPARE(seen, dialog);
    QVERIFY(!menuOpen);
    QCOMPARE(loops, 1);
}

void ExportTest::browserAsksNameAndFormat_data()
{
    // What the user does in the dialog that names a picture the browser keeps, and the name
    // kept.
    QTest::addColumn<QString>("offered");
    QTest::addColumn<int>("moves");     // Down presses in the list of formats
    QTest::addColumn<QString>("typed"); // typed over the name, if not empty
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("format");
    QTest::newRow("as offered") << "borvane-ellisse.png" << 0 << ""
                                << "borvane-ellisse.png"
                                << "Immagine PNG (*.png)";
    QTest::newRow("SVG chosen") << "borvane-iperbole.png" << 1 << ""
                                << "borvane-iperbole.svg"
                                << "Disegno SVG (*.svg)";
    QTest::newRow("PDF chosen") << "borvane.png" << 2 << ""
                                << "borvane.pdf"
                                << "Documento PDF (*.pdf)";
    QTest::newRow("extension typed") << "borvane-ellisse.png" << 0 << "piano è.PDF"
                                     << "piano è.PDF"
                                     << "Documento PDF (*.pdf)";
    QTest::newRow("no extension typed") << "borvane-ellisse.png" << 1 << "lezione 3"
                                        << "lezione 3.svg"
                                        << "Disegno SVG (*.svg)";
}

void ExportTest::browserAsksNameAndFormat()
{
    QFETCH(QString, offered);
    QFETCH(int, moves);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(QString, format);
    QWidget owner;
    PictureNameDialog dialog(offered, &owner);
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("pictureName"));
    auto *formats = dialog.findChild<QComboBox *>(QStringLiteral("pictureFormat"));
    auto *save = dialog.findChild<QPushButton *>(QStringLiteral("pictureSave"));
    QVERIFY(name && formats && save);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Salva immagine"));
    QCOMPARE(name->text(), offered);
    QCOMPARE(formats->currentText(), QStringLiteral("Immagine PNG (*.png)"));
    for (int i = 0; i < moves; ++i)
        QTest::keyClick(formats, Qt::Key_Down);
    if (!typed.isEmpty()) ui::type(name, typed);
    QCOMPARE(formats->currentText(), format);
    QCOMPARE(dialog.fileName(), kept);
    // A name of nothing but an extension cannot be kept.
    ui::type(name, QStringLiteral(".png"));
    QVERIFY(!save->isEnabled());
}

void ExportTest::commandLineDrawsTheWindowsPlot()
{
    // The command line's activation and plot are the window's: at the window's size, the same
    // pixels.
    Session s;
    ellipse(s);
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
    if (f.surface().devicePixelRatio() != 1)
        QSKIP("the pixels are compared where the window has one device pixel to the pixel: the "
              "command line draws so, the window here with more");
    QVERIFY(written.convertToFormat(QImage::Format_RGB32) == shown(f));
}

void ExportTest::commandLineStatuses_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // the whole of standard error, if empty or a line
    QTest::addColumn<bool>("session");    // run in a desktop session (with its runtime folder)
    const auto row = [](const char *tag, const char *arguments, int status, const char *message,
                        const char *file = "piano.png", bool session = true) {
        QTest::newRow(tag) << QString::fromUtf8(file) << words(arguments) << status
                           << QString::fromUtf8(message) << session;
    };
    // Written: a vector file of the hyperbola, options with one dash or with "=".
    row("hyperbola as SVG", "--figura iperbole -a 20 -b 15 --c=1", 0, "", "iperbole.svg");
    // Written without a desktop session (cron, ssh, a container): nothing but the program's own
    // words on standard error, here none.
    row("no desktop session", "--figura ellisse --a 20 --b 15 --c 0,5", 0, "", "piano.png", false);
    row("a not a number", "--figura ellisse --a x --b 15 --c 0,5", 2, "VALa non è un numero\n");
    row("b missing", "--figura ellisse --a 20 --c 0,5", 2, "VALb non è un numero\n");
    row("c above 2", "--figura ellisse --a 20 --b 15 --c 2,5", 2, "Valore (c) Max 2\n");
    row("no figure", "--a 20 --b 15 --c 0,5", 2, " Manca scelta figura\n");
    row("unknown figure", "--figura cerchio --a 20 --b 15 --c 0,5", 2, "--figura: «cerchio»");
    row("ratio below calibration", "--figura ellisse --a 20 --b 15 --c 0,5 --incr 0,53", 2,
        "--incr: «0,53»");
    row("ratio at the top of calibration", "--figura ellisse --a 20 --b 15 --c 0,5 --incr 1,11", 0,
        "", "piano.svg");
    row("ratio above calibration", "--figura ellisse --a 20 --b 15 --c 0,5 --incr 1,12", 2,
        "--incr: «1,12»");
    row("size too small", "--figura ellisse --a 20 --b 15 --c 0,5 --dimensione 8x600", 2,
        "--dimensione: «8x600»");
    row("unknown option", "--figura ellisse --a 20 --b 15 --c 0,5 --colore", 2, "colore");
    row("unknown extension", "--figura ellisse --a 20 --b 15 --c 0,5", 2, ".png, .svg o .pdf",
        "p.gif");
    row("missing folder", "--figura ellisse --a 20 --b 15 --c 0,5", 1, "non esiste",
        "manca/piano.png");
    row("runtime error in the plot", "--figura ellisse --a 1e39 --b 15 --c 0,5", 1,
        "Errore di run-time '6'");
}

void ExportTest::commandLineStatuses()
{
    QFETCH(QString, file);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(bool, session);
    QTemporaryDir folder;
    file = folder.filePath(file);
    // A file of the user's there already is replaced only by a picture.
    const bool existing = QFileInfo(QFileInfo(file).path()).isDir();
    QFile old(file);
    if (existing) {
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(untouched.toUtf8());
        old.close();
    }
    const Run run =
        borvane(QStringList{QStringLiteral("--esporta"), file} + arguments, m_runtime, session);
    QCOMPARE(run.status, status);
    QVERIFY2(message.isEmpty() || message.endsWith(QLatin1Char('\n'))
                 ? run.errors == message
                 : run.errors.contains(message),
             qPrintable(run.errors));
    const QStringList left = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, existing ? QStringList{QFileInfo(file).fileName()} : QStringList());
    QCOMPARE(old.open(QIODevice::ReadOnly), existing);
    if (status == 0 && file.endsWith(QLatin1String(".svg")))
        QCOMPARE(readSvg(old.readAll()).lines, 2);
    else if (status == 0)
        QCOMPARE(QImage::fromData(old.readAll()).size(), QSize(1920, 1080)); // the default size
    else if (existing)
        QCOMPARE(QString::fromUtf8(old.readAll()), untouched);
}

void ExportTest::commandLineRatioShapesThePlot_data()
{
    // The calibration's ratio of height to width: the same ellipse is drawn flatter the larger
    // the ratio. Its dots, in the first colour, span this many rows of the picture: at a height
    // of 1080 pixels, about 1 + 110 / ratio.
    QTest::addColumn<QStringList>("ratio");
    QTest::addColumn<int>("rows");
    QTest::newRow("default, 0,55") << QStringList() << 201;
    QTest::newRow("0,55") << words("--incr 0,55") << 201;
    QTest::newRow("0,59") << words("--incr=0,59") << 187;
    QTest::newRow("top of calibration, 1,11") << words("--incr 1,11") << 101;
}

void ExportTest::commandLineRatioShapesThePlot()
{
    QFETCH(QStringList, ratio);
    QFETCH(int, rows);
    QTemporaryDir folder;
    const QString png = folder.filePath(QStringLiteral("ellisse.png"));
    const Run run = borvane(QStringList{QStringLiteral("--esporta"), png} +
                                words("--figura ellisse --a 20 --b 15 --c 0,5") + ratio,
                            m_runtime);
    QCOMPARE(run.status, 0);
    const QImage written = QImage(png).convertToFormat(QImage::Format_RGB32);
    int top = written.height();
    int bottom = -1;
    for (int y = 0; y < written.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(written.constScanLine(y));
        if (std::find(row, row + written.width(), QBColor(1)) == row + written.width()) continue;
        top = std::min(top, y);
        bottom = y;
    }
    QCOMPARE(bottom - top + 1, rows);
}

BORVANE_TEST_MAIN(ExportTest)
#include "tst_export.moc"
