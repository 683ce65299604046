// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "program/command_line.h"

#include "program/startup.h"
#include "runtime/picture.h"
#include "values/number_text.h"
#include "windows/borvane.h"
#include "windows/calibration/form2.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int Refused = 2;

// The sides of the picture, in pixels.
constexpr int smallestSide = 16;
constexpr int largestSide = 8192;

#ifdef Q_OS_WIN
// On Windows the program is a windowed one, which has no standard output of its own when
// started from a console: it writes into the console of the program that started it. When its
// output goes to a file or a pipe, it writes there, in UTF-8.
void write(DWORD which, const QString &text)
{
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        static const HANDLE console = [] {
            if (!AttachConsole(ATTACH_PARENT_PROCESS)) return INVALID_HANDLE_VALUE;
            return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        }();
        handle = console;
    }
    if (handle == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    // A console takes the text as it is: no code page can spoil "è".
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.utf16(), DWORD(text.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
}

void say(const QString &text)
{
    write(STD_ERROR_HANDLE, text + QLatin1Char('\n'));
}

void print(const QString &text)
{
    write(STD_OUTPUT_HANDLE, text);
}
#else
void say(const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

void print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
}
#endif

// The command line's own options, each named here only: the parser reads them, and
// isCommandLine looks for their names (with one dash or two) before there is an application.
struct Options
{
    // Our own help and version options, so that their descriptions are Italian too.
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Mostra questo aiuto.")};
    const QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Mostra la versione del programma.")};
    const QCommandLineOption file{QStringLiteral("esporta"),
                                  QStringLiteral("Scrive il disegno nel file (.png, .svg o .pdf)."),
                                  QStringLiteral("file")};
    const QCommandLineOption figure{QStringLiteral("figura"),
                                    QStringLiteral("La figura: ellisse o iperbole."),
                                    QStringLiteral("figura")};
    const QCommandLineOption a{QStringLiteral("a"), QStringLiteral("Il valore di a."),
                               QStringLiteral("A")};
    const QCommandLineOption b{QStringLiteral("b"), QStringLiteral("Il valore di b."),
                               QStringLiteral("B")};
    const QCommandLineOption c{QStringLiteral("c"), QStringLiteral("Il valore di c, al massimo 2."),
                               QStringLiteral("C")};
    const QCommandLineOption ratio{
        QStringLiteral("incr"),
        QStringLiteral("Il rapporto altezza/larghezza della calibrazione, da oltre %1 a %2 "
                       "(predefinito 0,55).")
            .arg(CStr(Form2::lowestRatio), CStr(Form2::highestRatio)),
        QStringLiteral("R"), QStringLiteral("0,55")};
    const QCommandLineOption base{QStringLiteral("base"),
                                  QStringLiteral("Traccia anche la figura base.")};
    const QCommandLineOption size{
        QStringLiteral("dimensione"),
        QStringLiteral("La dimensione del disegno in pixel, da %1 a %2 per lato (predefinita "
                       "1920x1080).")
            .arg(smallestSide)
            .arg(largestSide),
        QStringLiteral("LxA"), QStringLiteral("1920x1080")};

    // In the order of the help.
    QList<QCommandLineOption> all() const
    {
        return {help, version, file, figure, a, b, c, ratio, base, size};
    }
};

// What the arguments ask for, as they were given.
struct Request
{
    std::optional<QString> answer;   // the help or the version: printed, and nothing else done
    std::optional<QString> fileName; // --esporta
    QStringList unexpected;          // arguments that belong to no option
    std::optional<QString> figure;
    QString a, b, c;
    QString ratio; // --incr, or its default
    QString size;  // --dimensione, or its default
    bool base = false;
};

// A request that passed the command line's own checks: what the windows are given. a, b and c
// meet the parameter window's checks there.
struct Plot
{
    QString fileName;
    int figure = 0; // 1 the ellipse, 2 the hyperbola; 0 none, which the parameter window refuses
    double ratio = 0;
    QSize area;
    QString a, b, c;
    bool base = false;
};

// "1920x1080" (or with ×, X): the two sides, each within the bounds.
std::optional<QSize> readSize(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{1,5})\s*[xX×]\s*(\d{1,5})\s*$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return std::nullopt;
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    auto within = [](int side) { return side >= smallestSide && side <= largestSide; };
    if (!within(size.width()) || !within(size.height())) return std::nullopt;
    return size;
}

// Reads the arguments into a request. Arguments that the parser refuses are said here, and
// there is no request.
std::optional<Request> parse(const QStringList &arguments)
{
    const Options options;
    // Qt's texts are needed for the help and for refused arguments, not for a plot.
    const QString exportOption = QStringLiteral("--") + options.file.names().constFirst();
    const bool exporting =
        std::any_of(arguments.begin(), arguments.end(), [&exportOption](const QString &a) {
            return a == exportOption || a.startsWith(exportOption + QLatin1Char('='));
        });
    if (!exporting) installQtTexts();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Borvane: i punti interni dell'ellisse e dell'iperbole.\n"
                       "Senza opzioni apre le sue finestre; con --esporta disegna la figura "
                       "senza mostrare finestre e la scrive in un file PNG, SVG o PDF (il formato "
                       "segue l'estensione del nome)."));
    parser.addOptions(options.all());
    if (!parser.parse(arguments)) {
        if (exporting) {
            installQtTexts();
            parser.parse(arguments); // again, for the error in Italian
        }
        say(parser.errorText());
        say(QStringLiteral("Per l'aiuto: borvane --help"));
        return std::nullopt;
    }

    Request request;
    if (parser.isSet(options.help))
        request.answer = parser.helpText();
    else if (parser.isSet(options.version))
        request.answer = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                       QCoreApplication::applicationVersion());
    if (parser.isSet(options.file)) request.fileName = parser.value(options.file);
    request.unexpected = parser.positionalArguments();
    if (parser.isSet(options.figure)) request.figure = parser.value(options.figure);
    request.a = parser.value(options.a);
    request.b = parser.value(options.b);
    request.c = parser.value(options.c);
    request.ratio = parser.value(options.ratio);
    request.size = parser.value(options.size);
    request.base = parser.isSet(options.base);
    return request;
}

// The plot that a request asks for, or nothing when the command line refuses it (said here):
// a file named with a known extension, a known figure, a ratio that calibration lets through
// and a size within the bounds.
std::optional<Plot> check(const Request &request)
{
    if (!request.fileName) {
        say(QStringLiteral("Manca --esporta FILE: il file in cui scrivere il disegno."));
        return std::nullopt;
    }
    if (!request.unexpected.isEmpty()) {
        say(QStringLiteral("Argomento non previsto: «%1».").arg(request.unexpected.constFirst()));
        return std::nullopt;
    }
    if (const QString refusal = Picture::formatRefusal(*request.fileName); !refusal.isEmpty()) {
        say(refusal);
        return std::nullopt;
    }
    int figure = 0;
    if (request.figure) {
        const QString name = request.figure->trimmed().toLower();
        if (name == QLatin1String("ellisse"))
            figure = 1;
        else if (name == QLatin1String("iperbole"))
            figure = 2;
        else {
            say(QStringLiteral("--figura: «%1» non è una figura; scrivere ellisse o iperbole.")
                    .arg(*request.figure));
            return std::nullopt;
        }
    }
    const std::optional<double> ratio = readNumber(request.ratio);
    if (!ratio || !(*ratio > Form2::lowestRatio && *ratio <= Form2::highestRatio)) {
        say(QStringLiteral("--incr: «%1» non è un rapporto valido: serve un numero maggiore di "
                           "%2 e non oltre %3, come nella calibrazione (per esempio 0,55).")
                .arg(request.ratio, CStr(Form2::lowestRatio), CStr(Form2::highestRatio)));
        return std::nullopt;
    }
    const std::optional<QSize> area = readSize(request.size);
    if (!area) {
        say(QStringLiteral("--dimensione: «%1» non è una dimensione valida; scrivere larghezza x "
                           "altezza in pixel, da %2 a %3 per lato (per esempio 1920x1080).")
                .arg(request.size)
                .arg(smallestSide)
                .arg(largestSide));
        return std::nullopt;
    }
    return Plot{*request.fileName, figure,    *ratio,    *area,
                request.a,         request.b, request.c, request.base};
}

// Plots as the windows do and writes the picture to the file. The status: Done; Refused when
// the parameter window refused the values (its message said); Failed when the plot stopped on
// a runtime error or the file could not be written.
int exportPlot(const Plot &plot)
{
    // The windows as the user leaves them before "AVANTI": the ratio found by calibration, the
    // three entries typed, the figure chosen. "AVANTI" then checks them and plots.
    Borvane borvane;
    Program &program = borvane.program();
    bool runtimeError = false;
    program.runOffScreen(plot.area, [&runtimeError](const QString &text, bool isError) {
        runtimeError = runtimeError || isError;
        say(text);
    });
    borvane.form2().Incr = plot.ratio;
    Form3 &form3 = borvane.form3();
    form3.Text1->setText(plot.a);
    form3.Text2->setText(plot.b);
    form3.Text3->setText(plot.c);
    if (plot.figure == 1) program.handle([&form3] { form3.Option1_Click(); });
    if (plot.figure == 2) program.handle([&form3] { form3.Option2_Click(); });
    program.handle([&form3] { form3.Command2_Click(); });
    if (!borvane.exists(4) || program.activeForm() != &borvane.form4()) return Refused;
    Form4 &form4 = borvane.form4();
    if (plot.base) program.handle([&form4] { form4.Command4_Click(); });
    if (runtimeError) {
        say(QStringLiteral("Il disegno si è fermato per l'errore: nessun file scritto."));
        return Failed;
    }
    if (const QString error = form4.picture().save(plot.fileName); !error.isEmpty()) {
        say(error);
        return Failed;
    }
    return Done;
}

} // namespace

bool isCommandLine(int argc, char **argv)
{
    const QList<QCommandLineOption> options = Options().all();
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (argument[0] != '-') continue;
        const char *name = argument + (argument[1] == '-' ? 2 : 1);
        const QLatin1String given(name, qsizetype(std::strcspn(name, "=")));
        for (const QCommandLineOption &option : options) {
            if (option.names().contains(given)) return true;
        }
    }
    return false;
}

int runCommandLine(int argc, char **argv)
{
    // Nothing is shown: Qt's minimal platform needs no display and loads no fonts (the picture
    // has no text). An explicit -platform still wins.
    qputenv("QT_QPA_PLATFORM", "minimal");
    QApplication application(argc, argv);
    // Its platform loaded, Qt looks for no more plugins: the pictures are written by its own
    // code, the same on every system. (To write a PNG, Qt would otherwise load every image
    // plugin installed to ask it whether it writes PNG: a third of the time the writing took.)
    QCoreApplication::setLibraryPaths({});
    setUpProcess();
    const std::optional<Request> request = parse(QCoreApplication::arguments());
    if (!request) return Refused;
    if (request->answer) {
        print(*request->answer);
        return Done;
    }
    const std::optional<Plot> plot = check(*request);
    if (!plot) return Refused;
    return exportPlot(*plot);
}
