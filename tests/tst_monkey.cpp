// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Whatever a student clicks, types or closes, in any order: a seeded random walk through the
// real windows (every button, the scroll bar by its arrows, its track and its keys, the entry
// boxes, the figure, switching between the open windows and closing them), with the program's
// rules checked after every single action.
//
// A walk ends with "ESCI" or with the last window closed; the next one starts a new program in
// the same process. A failure names its seed and action; to replay it alone:
//   BORVANE_MONKEY_SEED=<seed> BORVANE_MONKEY_ACTIONS=<actions> tests/tst_monkey
// BORVANE_MONKEY_SEEDS=<count> runs that many seeds instead of the usual ones.
// Now and then two presses come faster than the window system answers the first;
// BORVANE_MONKEY_HURRY=0 leaves them out.

#include "support/support.h"

#include "values/runtime_error.h"
#include "windows/calibration/form2.h"
#include "windows/intro/form1.h"
#include "windows/parameters/form3.h"
#include "windows/plot/form4.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include <QKeySequence>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <random>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// ---- What escapes, and where the walk was when the process dies --------------------------

// Every exception that left a handler and reached Qt's event delivery.
int escapedExceptions = 0;
QString escapedWhat;

// Exceptions must not travel through Qt's event delivery: anything that a handler lets out is
// caught at the outermost point, counted, and fails the walk.
class MonkeyApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &error) {
            ++escapedExceptions;
            escapedWhat = QString::fromUtf8(error.what());
        } catch (...) {
            ++escapedExceptions;
            escapedWhat = QStringLiteral("an exception of unknown type");
        }
        return false;
    }
};

// The seed and action under way, written where a dying process can still print it.
char whereNow[256] = "monkey: not started\n";

void printWhereNow()
{
#ifdef Q_OS_WIN
    const int ignored = ::_write(2, whereNow, unsigned(std::strlen(whereNow)));
#else
    const ssize_t ignored = ::write(STDERR_FILENO, whereNow, std::strlen(whereNow));
#endif
    (void)ignored;
}

#ifdef Q_OS_WIN
void onFatalSignal(int signal)
{
    printWhereNow();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installLastWords()
{
    for (int signal : {SIGSEGV, SIGABRT, SIGFPE, SIGILL})
        std::signal(signal, onFatalSignal);
    std::set_terminate([] {
        printWhereNow();
        std::abort();
    });
}
#else
struct sigaction previousAction[32];

void onFatalSignal(int signal)
{
    printWhereNow();
    sigaction(signal, &previousAction[signal], nullptr);
    raise(signal);
}

extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

void installLastWords()
{
    for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) {
        struct sigaction action = {};
        action.sa_handler = onFatalSignal;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previousAction[signal]);
    }
    std::set_terminate([] {
        printWhereNow();
        std::abort();
    });
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(printWhereNow);
}
#endif

// ---- Randomness ------------------------------------------------------------------------------

class Random
{
public:
    explicit Random(quint64 seed) : m_engine(seed) {}

    // 0 to n - 1.
    int below(int n) { return int(m_engine() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double p) { return double(m_engine() >> 11) * 0x1.0p-53 < p; }
    double fraction() { return double(m_engine() >> 11) * 0x1.0p-53; }
    template <class T> const T &among(const std::vector<T> &items)
    {
        return items[std::size_t(below(int(items.size())))];
    }

private:
    std::mt19937_64 m_engine;
};

// What a student may type into a box.
QString randomText(Random &random)
{
    static const std::vector<QString> withComma = {
        QStringLiteral("0,5"),   QStringLiteral("1,25"),      QStringLiteral("-3,5"),
        QStringLiteral("2,0"),   QStringLiteral("2,0000001"), QStringLiteral("1,999999"),
        QStringLiteral("0,0"),   QStringLiteral("-0"),        QStringLiteral("1.000,5"),
        QStringLiteral("+0,75"), QStringLiteral(",5"),        QStringLiteral("5,"),
        QStringLiteral("1,5e1"), QStringLiteral("2,5E-1"),    QStringLiteral("1,2,3")};
    static const std::vector<QString> withPoint = {
        QStringLiteral("0.5"),   QStringLiteral("1.5"),
        QStringLiteral("1.000"), QStringLiteral("2.0"),
        QStringLiteral("-0.25"), QStringLiteral("1,000.5"),
        QStringLiteral(".5"),    QStringLiteral("1.2.3"),
        QStringLiteral("1e3"),   QStringLiteral("3.14159265358979323846")};
    static const std::vector<QString> oddNumbers = {
        QStringLiteral("1e400"),    QStringLiteral("-1e400"),
        QStringLiteral("1e-400"),   QStringLiteral("inf"),
        QStringLiteral("-inf"),     QStringLiteral("NaN"),
        QStringLiteral("1E+308"),   QStringLiteral("-1,7976931348623157E+308"),
        QStringLiteral("4,9E-324"), QStringLiteral("99999999999999999999999"),
        QStringLiteral("&H10"),     QStringLiteral("0x1A"),
        QStringLiteral("(5)"),      QStringLiteral("5%"),
        QStringLiteral("5-"),       QStringLiteral("1 000"),
        QStringLiteral("32767"),    QStringLiteral("-32768"),
        QStringLiteral("3e38"),     QStringLiteral("1e300"),
        QStringLiteral("-1e300"),   QStringLiteral("1e-300")};
    static const std::vector<QString> blanks = {QStringLiteral(" "),      QStringLiteral("   "),
                                                QStringLiteral(" 7 "),    QStringLiteral("\t"),
                                                QStringLiteral("\u00a0"), QStringLiteral(" 0,5"),
                                                QStringLiteral("2 ")};
    static const std::vector<QString> letters = {
        QStringLiteral("abc"),   QStringLiteral("VALa"), QStringLiteral("e"),   QStringLiteral("E"),
        QStringLiteral(","),     QStringLiteral("."),    QStringLiteral("-"),   QStringLiteral("+"),
        QStringLiteral("venti"), QStringLiteral("x2"),   QStringLiteral("ESCI")};
    static const std::vector<QString> controls = {
        QStringLiteral("\x01\x02\x03"), QStringLiteral("1\n2"),
        QStringLiteral("\x7f"),         QStringLiteral("\r"),
        QStringLiteral("\x1b[2J"),      QString(QChar(0)) + QStringLiteral("5"),
        QStringLiteral("2\t")};
    static const std::vector<QString> nonLatin = {
        QStringLiteral("è"),       QStringLiteral("αβγ"),  QStringLiteral("日本語"),
        QStringLiteral("٣٫٥"),     QStringLiteral("１２"), QStringLiteral("😀"),
        QStringLiteral("²"),       QStringLiteral("½"),    QStringLiteral("\u200f5"),
        QStringLiteral("e\u0301"), QStringLiteral("Ⅻ"),    QStringLiteral("۱۲"),
        QString(QChar(0xD800)),    QStringLiteral("−1")};

    switch (random.below(12)) {
    case 0:
    case 1: { // a plausible a, b or c, as a student types it
        const int whole = random.between(-40, 40);
        if (random.chance(0.5)) return QString::number(whole);
        return QStringLiteral("%1,%2").arg(whole / 20).arg(random.between(0, 99));
    }
    case 2:
        return random.among(withComma);
    case 3:
        return random.among(withPoint);
    case 4:
        return random.among(oddNumbers);
    case 5:
        return QString();
    case 6:
        return random.among(blanks);
    case 7:
        return random.among(letters);
    case 8: { // very long
        const int length = random.between(100, 1500);
        switch (random.below(4)) {
        case 0:
            return QString(length, QLatin1Char('9'));
        case 1:
            return QStringLiteral("0,") + QString(length, QLatin1Char('0')) + QLatin1Char('1');
        case 2:
            return QString(length, QLatin1Char(' ')) + QStringLiteral("1,5");
        default: {
            QString text;
            for (int i = 0; i < length; ++i)
                text += QChar(random.between(0x21, 0x2FF));
            return text;
        }
        }
    }
    case 9:
        return random.among(controls);
    case 10:
        return random.among(nonLatin);
    default: { // anything at all, a few characters long
        QString text;
        const int length = random.between(1, 8);
        for (int i = 0; i < length; ++i)
            text += QChar(random.chance(0.7) ? random.between(0x20, 0x7E)
                                             : random.between(0x1, 0xFFFF));
        return text;
    }
    }
}

QString visible(const QString &text)
{
    QString shown;
    for (const QChar ch : text.left(40))
        shown += ch.isPrint() ? QString(ch)
                              : QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
    if (text.size() > 40) shown += QStringLiteral("…(%1 characters)").arg(text.size());
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

// ---- Watching Form4's drawing -----------------------------------------------------------------

// Counts the clearings of a window's drawing.
class ClearCounter : public SurfaceObserver
{
public:
    explicit ClearCounter(const int &plots) : m_plots(plots) {}

    int clears = 0;
    int plotsWhenCleared = 0; // the plots of the current action before the last clearing

    void dot(float, float, QRgb, int) override {}
    void line(float, float, float, float, QRgb, int) override {}
    void cleared() override
    {
        ++clears;
        plotsWhenCleared = m_plots;
    }

private:
    const int &m_plots;
};

// The first pixel that was drawn in `before` and is background in `after`, if any.
std::optional<QPoint> lostPixel(const QImage &before, const QImage &after, QRgb background)
{
    const int width = std::min(before.width(), after.width());
    const int height = std::min(before.height(), after.height());
    const QRgb back = background | 0xFF000000u;
    for (int y = 0; y < height; ++y) {
        const auto *was = reinterpret_cast<const QRgb *>(before.constScanLine(y));
        const auto *is = reinterpret_cast<const QRgb *>(after.constScanLine(y));
        for (int x = 0; x < width; ++x)
            if ((was[x] | 0xFF000000u) != back && (is[x] | 0xFF000000u) == back)
                return QPoint(x, y);
    }
    return std::nullopt;
}

bool allBackground(const QImage &image, QRgb background)
{
    const QRgb back = background | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] | 0xFF000000u) != back) return false;
    }
    return true;
}

// ---- The walk ---------------------------------------------------------------------------------

// The texts the program itself shows, and the reports of its runtime errors.
// The texts the program itself shows.
const QStringList &programTexts()
{
    static const QStringList texts = {QStringLiteral("Impostare la risoluzione SCHERMO"),
                                      QStringLiteral("VALa non è un numero"),
                                      QStringLiteral("VALb non è un numero"),
                                      QStringLiteral("VALc non è un numero"),
                                      QStringLiteral("Valore (c) Max 2"),
                                      QStringLiteral(" Manca scelta figura")};
    return texts;
}

// The reports of the runtime errors that the program's own rules raise: an invalid argument,
// an overflow, a division by zero, a type mismatch. A report of anything else (no memory, an
// internal error) means that some other exception reached the boundary.
const QStringList &runtimeErrorReports()
{
    static const QStringList reports = [] {
        QStringList list;
        for (RuntimeError::Number number :
             {RuntimeError::InvalidCall, RuntimeError::Overflow, RuntimeError::DivisionByZero,
              RuntimeError::TypeMismatch})
            list << RuntimeError(number).report();
        return list;
    }();
    return reports;
}

struct Totals
{
    int actions = 0;
    int walks = 0;
    int plots = 0;                                    // activations of Form4
    int boxes = 0;                                    // message boxes answered
    int errors = 0;                                   // of which runtime-error reports
    std::map<QString, std::pair<int, qint64>> byKind; // count and nanoseconds per kind
    qint64 slowest = 0;
    QString slowestAction;
    int slow = 0; // actions over 400 ms
};

class Monkey
{
public:
    Monkey(quint64 seed, Totals &totals, bool hurry)
        : m_seed(seed), m_random(seed), m_totals(totals), m_hurry(hurry)
    {}

    // Runs the walk; returns what went wrong, or nothing.
    QString run(int actions)
    {
        for (m_index = 0; m_index < actions; ++m_index) {
            if (!m_session || m_session->app.program().hasEnded()) startProgram();
            const QString problem = step();
            if (!problem.isEmpty()) return failure(problem);
        }
        endProgram();
        return QString();
    }

private:
    // ---- sessions

    void startProgram()
    {
        endProgram();
        ++m_totals.walks;
        m_session = std::make_unique<Session>();
        QObject::connect(&m_session->app.program(), &Program::activated, &m_session->boxes,
                         [this](Form *form) {
                             if (form->objectName() == QLatin1String("Form4")) {
                                 ++m_plotsNow;
                                 m_miocolorAtPlot.push_back(m_session->app.form3().Miocolor);
                             }
                         });
        m_clears = std::make_unique<ClearCounter>(m_plotsNow);
        m_watching = false;
        m_hooked3 = false;
        m_hooked4 = false;
        m_plotSnapshot = QImage();
    }

    void endProgram()
    {
        if (m_session && m_watching) m_session->app.form4().surface().setObserver(nullptr);
        m_session.reset();
        m_clears.reset();
        m_watching = false;
    }

    Borvane &app() { return m_session->app; }

    std::vector<Form *> openWindows()
    {
        std::vector<Form *> open;
        for (int n = 1; n <= 4; ++n) {
            if (!app().exists(n)) continue;
            Form *form = n == 1   ? static_cast<Form *>(&app().form1())
                         : n == 2 ? static_cast<Form *>(&app().form2())
                         : n == 3 ? static_cast<Form *>(&app().form3())
                                  : static_cast<Form *>(&app().form4());
            if (form->isVisible()) open.push_back(form);
        }
        return open;
    }

    bool isOpen(int n)
    {
        if (!app().exists(n)) return false;
        switch (n) {
        case 1:
            return app().form1().isVisible();
        case 2:
            return app().form2().isVisible();
        case 3:
            return app().form3().isVisible();
        default:
            return app().form4().isVisible();
        }
    }

    // ---- one action and its checks

    struct Before
    {
        Integer miocolor;
        bool form3Existed = false;
    };

    QString step()
    {
        Before before;
        before.form3Existed = app().exists(3);
        if (before.form3Existed) before.miocolor = app().form3().Miocolor;
        m_plotsNow = 0;
        m_miocolorAtPlot.clear();
        m_session->boxes.clear();
        m_avanti3 = false;
        m_cancella = false;
        m_clickMessages.clear();
        hookButtons();
        const int clearsBefore = m_clears->clears;

        QElapsedTimer timer;
        timer.start();
        const QString kind = act();
        const qint64 took = timer.nsecsElapsed();

        auto &entry = m_totals.byKind[kind];
        ++entry.first;
        entry.second += took;
        ++m_totals.actions;
        m_totals.plots += m_plotsNow;
        m_totals.boxes += int(m_session->boxes.texts.size());
        if (took > 400'000'000) ++m_totals.slow;
        if (took > m_totals.slowest) {
            m_totals.slowest = took;
            m_totals.slowestAction = m_recent.back();
        }
        return check(before, m_clears->clears - clearsBefore);
    }

    // "AVANTI" of Form3 and "Cancella e riprendi" of Form4 are watched wherever their press
    // comes from (a click, Space, or Enter on the focused button).
    void hookButtons()
    {
        if (!m_hooked3 && app().exists(3)) {
            QPushButton *avanti = app().form3().Command2;
            QObject::connect(avanti, &QAbstractButton::pressed, avanti,
                             [this] { m_avantiMark = m_session->boxes.texts.size(); });
            QObject::connect(avanti, &QAbstractButton::clicked, avanti, [this] {
                m_avanti3 = true;
                m_clickMessages = m_session->boxes.texts.mid(m_avantiMark);
            });
            m_hooked3 = true;
        }
        if (!m_hooked4 && app().exists(4)) {
            QPushButton *cancella = app().form4().Command2;
            QObject::connect(cancella, &QAbstractButton::clicked, cancella,
                             [this] { m_cancella = true; });
            m_hooked4 = true;
        }
    }

    void record(const QString &what)
    {
        m_recent.push_back(QStringLiteral("%1: %2").arg(m_index).arg(what));
        if (m_recent.size() > 25) m_recent.pop_front();
        std::snprintf(whereNow, sizeof whereNow,
                      "monkey: died at seed %llu, action %d (%.120s); replay with "
                      "BORVANE_MONKEY_SEED=%llu BORVANE_MONKEY_ACTIONS=%d%s\n",
                      static_cast<unsigned long long>(m_seed), m_index, qPrintable(what),
                      static_cast<unsigned long long>(m_seed), m_index + 1,
                      m_hurry ? "" : " BORVANE_MONKEY_HURRY=0");
    }

    // A click on a window's button, as a user's mouse does it: mostly the window is activated
    // by the click first; now and then the activation comes after the click, or not at all.
    void clickIn(Form &window, QAbstractButton *button, const QString &what)
    {
        const int order = m_random.below(10);
        record(QStringLiteral("%1 \"%2\" on %3%4")
                   .arg(qobject_cast<QRadioButton *>(button) ? QStringLiteral("select")
                                                             : QStringLiteral("press"),
                        what, window.objectName(),
                        order == 8   ? QStringLiteral(", then the window activates")
                        : order == 9 ? QStringLiteral(" without activating it")
                                     : QString()));
        if (order < 8 && app().program().activeForm() != &window) ui::switchTo(&window);
        const qsizetype shownBefore = m_session->boxes.texts.size();
        if (button->isVisible() && !app().program().hasEnded()) ui::click(button);
        ui::settle();
        m_clickMessages = m_session->boxes.texts.mid(shownBefore);
        if (order == 8 && window.isVisible() && !app().program().hasEnded()) ui::switchTo(&window);
    }

    // Picks and performs one action; returns its kind.
    QString act()
    {
        const std::vector<Form *> open = openWindows();
        Form &window = *open[std::size_t(m_random.below(int(open.size())))];
        const int n = window.objectName().mid(4).toInt();
        const int roll = m_random.below(100);

        if (roll < 2) {
            record(QStringLiteral("close %1").arg(window.objectName()));
            window.close();
            ui::settle();
            return QStringLiteral("close a window");
        }
        if (m_hurry && roll < 5 && app().program().activeForm()) {
            pressTwiceInAHurry();
            return QStringLiteral("two presses in a hurry");
        }
        if (roll < 11) {
            record(QStringLiteral("switch to %1").arg(window.objectName()));
            ui::switchTo(&window);
            return QStringLiteral("switch window");
        }
        if (roll < 20) {
            pressKey(window);
            return QStringLiteral("key on the focused control");
        }
        switch (n) {
        case 1:
            clickIn(window, app().form1().Command1, QStringLiteral("AVANTI"));
            return QStringLiteral("button");
        case 2:
            return actOnForm2(roll);
        case 3:
            return actOnForm3(roll);
        default:
            return actOnForm4(roll);
        }
    }

    QString actOnForm2(int roll)
    {
        Form2 &f = app().form2();
        if (roll < 70) {
            QScrollBar *bar = f.HScroll1;
            if (app().program().activeForm() != &f && m_random.chance(0.9)) ui::switchTo(&f);
            const int way = m_random.below(4);
            if (way == 0) {
                record(QStringLiteral("scroll bar: right arrow (value %1)").arg(bar->value()));
                ui::clickRightArrow(bar);
            } else if (way == 1) {
                record(QStringLiteral("scroll bar: left arrow (value %1)").arg(bar->value()));
                ui::clickLeftArrow(bar);
            } else if (way == 2) {
                const double at = m_random.fraction();
                record(QStringLiteral("scroll bar: track at %1 (value %2)")
                           .arg(at, 0, 'f', 3)
                           .arg(bar->value()));
                ui::clickTrack(bar, at);
            } else {
                static const std::vector<int> keys = {
                    Qt::Key_Right,  Qt::Key_Left,     Qt::Key_Up,   Qt::Key_Down,
                    Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
                const int key = m_random.among(keys);
                record(QStringLiteral("scroll bar: key %1 (value %2)")
                           .arg(QKeySequence(key).toString())
                           .arg(bar->value()));
                ui::key(bar, key);
            }
            ui::settle();
            return QStringLiteral("scroll bar");
        }
        if (roll < 80) {
            typeInto(f, f.Text1, QStringLiteral("Text1"));
            return QStringLiteral("typing");
        }
        const int which = m_random.below(20);
        if (which == 0) // "ESCI" ends the walk: seldom
            clickIn(f, f.Command3, QStringLiteral("ESCI"));
        else if (which < 6)
            clickIn(f, f.Command2, f.Command2->text().left(20));
        else
            clickIn(f, f.Command1, QStringLiteral("OK - continua"));
        return QStringLiteral("button");
    }

    QString actOnForm3(int roll)
    {
        Form3 &f = app().form3();
        if (roll < 55) {
            const int box = m_random.below(3);
            QLineEdit *edit = box == 0 ? f.Text1 : box == 1 ? f.Text2 : f.Text3;
            typeInto(f, edit, QStringLiteral("Text%1").arg(box + 1));
            return QStringLiteral("typing");
        }
        if (roll < 68) {
            if (m_random.chance(0.5))
                clickIn(f, f.Option1, QStringLiteral("ELLISSE"));
            else
                clickIn(f, f.Option2, QStringLiteral("IPERBOLE"));
            return QStringLiteral("figure");
        }
        if (m_random.below(25) == 0) { // "ESCI" ends the walk: seldom
            clickIn(f, f.Command1, QStringLiteral("ESCI"));
            return QStringLiteral("button");
        }
        clickIn(f, f.Command2, QStringLiteral("AVANTI"));
        return QStringLiteral("AVANTI on Form3");
    }

    QString actOnForm4(int)
    {
        Form4 &f = app().form4();
        const int which = m_random.below(30);
        if (which == 0) {
            clickIn(f, f.Command3, QStringLiteral("ESCI"));
        } else if (which < 10) {
            clickIn(f, f.Command1, QStringLiteral("RIPRENDI"));
        } else if (which < 17) {
            clickIn(f, f.Command2, QStringLiteral("Cancella e riprendi"));
        } else {
            clickIn(f, f.Command4, QStringLiteral("Traccia la figura base"));
        }
        return QStringLiteral("button");
    }

    // The buttons of a window other than "ESCI".
    std::vector<QAbstractButton *> buttonsOf(Form &window)
    {
        const QString name = window.objectName();
        if (name == QLatin1String("Form1")) return {app().form1().Command1};
        if (name == QLatin1String("Form2")) return {app().form2().Command1, app().form2().Command2};
        if (name == QLatin1String("Form3"))
            return {app().form3().Command2, app().form3().Option1, app().form3().Option2};
        return {app().form4().Command1, app().form4().Command2, app().form4().Command4};
    }

    // Two presses faster than the window system answers the first: the second goes to the
    // window that the first one brought up, before any event has been delivered.
    void pressTwiceInAHurry()
    {
        QStringList presses;
        for (int i = 0; i < 2; ++i) {
            Form *active = app().program().activeForm();
            if (!active || !active->isVisible() || app().program().hasEnded()) break;
            QAbstractButton *button = m_random.among(buttonsOf(*active));
            presses << QStringLiteral("\"%1\" on %2")
                           .arg(button->text().left(20), active->objectName());
            record(QStringLiteral("in a hurry: ") + presses.join(QLatin1String(", then ")));
            ui::click(button);
        }
        ui::settle();
    }

    // Keys a user presses on whatever control has the focus: Tab moves it, Space and Enter
    // press buttons and select figures, arrows move the scroll bar or the figure.
    void pressKey(Form &window)
    {
        static const std::vector<int> keys = {
            Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Space,     Qt::Key_Return, Qt::Key_Enter,
            Qt::Key_Up,   Qt::Key_Down,    Qt::Key_Left,      Qt::Key_Right,  Qt::Key_Escape,
            Qt::Key_Home, Qt::Key_End,     Qt::Key_Backspace, Qt::Key_Delete};
        if (app().program().activeForm() != &window) ui::switchTo(&window);
        QWidget *target = window.focusWidget();
        if (!target || !target->isVisible()) target = &window;
        int key = m_random.among(keys);
        // Enter on a focused "ESCI" would end the walk at every other step.
        if (auto *button = qobject_cast<QPushButton *>(target);
            button && button->text() == QLatin1String("ESCI") &&
            (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
            !m_random.chance(0.05))
            key = Qt::Key_Tab;
        record(QStringLiteral("key %1 on %2 of %3")
                   .arg(QKeySequence(key).toString(), target->objectName(), window.objectName()));
        ui::key(target, key);
        ui::settle();
    }

    void typeInto(Form &window, QLineEdit *box, const QString &name)
    {
        const QString text = randomText(m_random);
        if (app().program().activeForm() != &window && m_random.chance(0.9)) ui::switchTo(&window);
        const int how = m_random.below(10);
        if (how < 5 && text.size() <= 200) {
            record(QStringLiteral("type %1 into %2 of %3")
                       .arg(visible(text), name, window.objectName()));
            ui::type(box, text);
        } else if (how < 8) {
            record(QStringLiteral("paste %1 over %2 of %3")
                       .arg(visible(text), name, window.objectName()));
            QGuiApplication::clipboard()->setText(text);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        } else {
            const QString tail = text.left(20);
            record(QStringLiteral("type %1 at the end of %2 of %3")
                       .arg(visible(tail), name, window.objectName()));
            box->setFocus();
            QTest::keyClick(box, Qt::Key_End);
            if (m_random.chance(0.3)) QTest::keyClick(box, Qt::Key_Backspace);
            for (const QChar ch : tail)
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
        }
        ui::settle();
    }

    // ---- the rules

    QString check(const Before &before, int clears)
    {
        if (escapedExceptions)
            return QStringLiteral("an exception escaped a handler: %1").arg(escapedWhat);

        // Every message box was one of the program's, was answered, and is gone.
        const MessageBoxes &boxes = m_session->boxes;
        for (int i = 0; i < boxes.texts.size(); ++i) {
            const QString &text = boxes.texts[i];
            if (text.startsWith(QLatin1String("Errore di run-time")) &&
                !runtimeErrorReports().contains(text))
                return QStringLiteral("a runtime error that the program's rules do not raise: %1")
                    .arg(visible(text));
            if (!programTexts().contains(text) && !runtimeErrorReports().contains(text))
                return QStringLiteral("a message that is not the program's: %1").arg(visible(text));
            if (boxes.titles[i] != QLatin1String("Borvane"))
                return QStringLiteral("a message box titled %1").arg(visible(boxes.titles[i]));
            if (text.startsWith(QLatin1String("Errore di run-time"))) ++m_totals.errors;
        }
        // A press of "AVANTI" shows at most one message.
        if (m_avanti3 && m_clickMessages.size() > 1)
            return QStringLiteral("AVANTI showed %1 messages: %2")
                .arg(m_clickMessages.size())
                .arg(m_clickMessages.join(QLatin1String(" | ")));
        if (QApplication::activeModalWidget())
            return QStringLiteral("a modal window is still open");
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox *>(widget))
                return QStringLiteral("a message box was left behind");

        // One instance of each window, at most.
        std::array<int, 5> instances = {0, 0, 0, 0, 0};
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            const QString name = widget->objectName();
            if (name.size() == 5 && name.startsWith(QLatin1String("Form")))
                ++instances[std::size_t(std::clamp(name.mid(4).toInt(), 0, 4))];
        }
        for (int n = 1; n <= 4; ++n)
            if (instances[std::size_t(n)] > 1)
                return QStringLiteral("%1 windows named Form%2")
                    .arg(instances[std::size_t(n)])
                    .arg(n);

        Program &program = app().program();
        if (program.hasEnded()) {
            for (int n = 1; n <= 4; ++n)
                if (isOpen(n)) return QStringLiteral("Form%1 is still open after the end").arg(n);
            return QString();
        }
        if (openWindows().empty())
            return QStringLiteral("no window is open, yet the program has not ended");
        if (Form *active = program.activeForm(); active && !active->isVisible())
            return QStringLiteral("the active form %1 is closed").arg(active->objectName());

        // Each action activates the plot window at most once: no echo of an earlier
        // activation plots again.
        if (m_plotsNow > 1)
            return QStringLiteral("Form4 was activated %1 times by one action").arg(m_plotsNow);

        if (QString problem = checkIncr(); !problem.isEmpty()) return problem;
        if (QString problem = checkForm3(before); !problem.isEmpty()) return problem;
        return checkPlot(clears);
    }

    QString checkIncr()
    {
        if (!app().exists(2) || m_session->activations[2] == 0) return QString();
        const Form2 &f = app().form2();
        if (f.Incr.kind() != Variant::Kind::Double)
            return QStringLiteral("Incr is not a Double (kind %1)").arg(int(f.Incr.kind()));
        const double incr = f.Incr.number();
        const int v = f.HScroll1->value();
        if (v < 1 || v > 30) return QStringLiteral("the scroll bar stands at %1").arg(v);
        if (incr != 0.51 && incr != 0.51 + 0.02 * v)
            return QStringLiteral("Incr is %1 with the scroll bar at %2")
                .arg(incr, 0, 'g', 17)
                .arg(v);
        return QString();
    }

    static QString checkParameter(const Variant &value, const char *name)
    {
        switch (value.kind()) {
        case Variant::Kind::Empty:
            return QString();
        case Variant::Kind::Double:
            if (std::isfinite(value.number())) return QString();
            return QStringLiteral("%1 holds %2").arg(QLatin1String(name)).arg(value.number());
        case Variant::Kind::Text:
            if (value.text().isEmpty()) return QString();
            return QStringLiteral("%1 holds the text %2")
                .arg(QLatin1String(name), visible(value.text()));
        default:
            return QStringLiteral("%1 holds a value of kind %2")
                .arg(QLatin1String(name))
                .arg(int(value.kind()));
        }
    }

    QString checkForm3(const Before &before)
    {
        if (!app().exists(3))
            return m_plotsNow ? QStringLiteral("a plot without Form3") : QString();
        const Form3 &f = app().form3();
        for (const auto &[value, name] : {std::pair<const Variant &, const char *>{f.VALa, "VALa"},
                                          {f.VALb, "VALb"},
                                          {f.VALc, "VALc"}})
            if (QString problem = checkParameter(value, name); !problem.isEmpty()) return problem;

        const bool one = f.Option1->isChecked();
        const bool two = f.Option2->isChecked();
        const bool agrees =
            (f.Opt.isEmpty() && !one && !two) ||
            (f.Opt.kind() == Variant::Kind::Integer && f.Opt == Variant(1) && one && !two) ||
            (f.Opt.kind() == Variant::Kind::Integer && f.Opt == Variant(2) && !one && two);
        if (!agrees)
            return QStringLiteral("Opt is %1 (kind %2) with ELLISSE %3 and IPERBOLE %4")
                .arg(CStr(f.Opt.isText() ? Variant() : f.Opt))
                .arg(int(f.Opt.kind()))
                .arg(one)
                .arg(two);

        // The colour index: one more per plot; "AVANTI" that passes its checks first brings it
        // back to 0 when it lies outside 0 to 6, so the plot it reaches uses 1 to 7.
        const int now = f.Miocolor.value();
        int start = before.form3Existed ? before.miocolor.value() : 0;
        // "AVANTI" passed its checks when none of its own messages came up (a runtime error
        // of the plot that it starts may).
        const bool avantiPassed =
            m_avanti3 && app().exists(4) &&
            std::none_of(m_clickMessages.begin(), m_clickMessages.end(), [](const QString &text) {
                return !text.startsWith(QLatin1String("Errore di run-time"));
            });
        if (avantiPassed && (start < 0 || start > 6)) start = 0;
        if (now != start + m_plotsNow)
            return QStringLiteral("Miocolor went from %1 to %2 with %3 plot(s)%4")
                .arg(before.miocolor.value())
                .arg(now)
                .arg(m_plotsNow)
                .arg(avantiPassed ? QStringLiteral(" after AVANTI") : QString());
        if (avantiPassed && m_plotsNow > 0) {
            const int used = m_miocolorAtPlot.front().value() + 1;
            if (used < 1 || used > 7)
                return QStringLiteral("AVANTI reached a plot in colour index %1").arg(used);
        }
        return QString();
    }

    QString checkPlot(int clears)
    {
        if (!app().exists(4)) return QString();
        Form4 &f = app().form4();
        if (!m_watching) {
            f.surface().setObserver(m_clears.get());
            m_watching = true;
            m_plotSnapshot = f.surface().image();
            return QString();
        }
        const QImage &now = f.surface().image();
        const QRgb background = f.surface().backColor();
        if (clears > 0 && !m_cancella)
            return QStringLiteral("Form4's drawing was cleared without \"Cancella e riprendi\"");
        if (m_cancella && clears > 0 && m_clears->plotsWhenCleared == m_plotsNow &&
            !allBackground(now, background))
            return QStringLiteral("Form4 is not blank after \"Cancella e riprendi\"");
        if (clears == 0 && now.cacheKey() != m_plotSnapshot.cacheKey()) {
            if (const auto lost = lostPixel(m_plotSnapshot, now, background))
                return QStringLiteral("the plot lost its pixel at (%1, %2)")
                    .arg(lost->x())
                    .arg(lost->y());
        }
        m_plotSnapshot = now;
        return QString();
    }

    QString failure(const QString &problem)
    {
        QString message = QStringLiteral("seed %1, action %2, walk %3: %4\nlast actions:\n")
                              .arg(m_seed)
                              .arg(m_index)
                              .arg(m_totals.walks)
                              .arg(problem);
        for (const QString &line : m_recent)
            message += QStringLiteral("  ") + line + QLatin1Char('\n');
        message += QStringLiteral("replay: BORVANE_MONKEY_SEED=%1 BORVANE_MONKEY_ACTIONS=%2%3")
                       .arg(m_seed)
                       .arg(m_index + 1)
                       .arg(m_hurry ? QString() : QStringLiteral(" BORVANE_MONKEY_HURRY=0"));
        endProgram();
        return message;
    }

    quint64 m_seed;
    Random m_random;
    Totals &m_totals;
    bool m_hurry;
    int m_index = 0;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<ClearCounter> m_clears;
    bool m_watching = false;
    QImage m_plotSnapshot;
    std::deque<QString> m_recent;
    int m_plotsNow = 0;
    std::vector<Integer> m_miocolorAtPlot;
    bool m_avanti3 = false;
    bool m_cancella = false;
    QStringList m_clickMessages; // shown while "AVANTI" of Form3 ran
    qsizetype m_avantiMark = 0;
    bool m_hooked3 = false;
    bool m_hooked4 = false;
};

// The usual seeds and actions per seed; the environment can ask for one seed or for more.
constexpr int usualSeeds = 8;
constexpr int usualActions = 4000;

int environmentNumber(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

QtMessageHandler testlibHandler = nullptr;

void withoutPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")) ||
        message.contains(QLatin1String("OpenType support missing for")))
        return;
    testlibHandler(type, context, message);
}

QRegularExpression anyWarning()
{
    return QRegularExpression(QStringLiteral(".*"));
}

} // namespace

class MonkeyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void walk_data();
    void walk();
    void cleanupTestCase();

private:
    Totals m_totals;
    QElapsedTimer m_clock;
};

void MonkeyTest::initTestCase()
{
    // The walk switches between the open windows on its own request at almost every turn.
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    installLastWords();
    // The offscreen platform notes at every Show that it cannot raise a window, and the font
    // system notes scripts that no installed font shapes (typed in by the walk); those notes
    // are not the program's and would fill the log.
    testlibHandler = qInstallMessageHandler(withoutPlatformNotes);
    QTest::failOnWarning(anyWarning());
    QGuiApplication::clipboard()->setText(QStringLiteral("probe"));
    QVERIFY2(QGuiApplication::clipboard()->text() == QLatin1String("probe"),
             "the platform has no clipboard to paste from");
    m_clock.start();
}

void MonkeyTest::walk_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<int>("actions");
    const int actions = environmentNumber("BORVANE_MONKEY_ACTIONS", usualActions);
    bool single = false;
    const quint64 seed = qEnvironmentVariable("BORVANE_MONKEY_SEED").toULongLong(&single);
    if (single) {
        QTest::addRow("seed %llu", static_cast<unsigned long long>(seed)) << seed << actions;
        return;
    }
    const int seeds = environmentNumber("BORVANE_MONKEY_SEEDS", usualSeeds);
    for (int i = 1; i <= seeds; ++i) {
        const quint64 s = 0x5EED0000ull + quint64(i) * 7919u;
        QTest::addRow("seed %llu", static_cast<unsigned long long>(s)) << s << actions;
    }
}

void MonkeyTest::walk()
{
    QFETCH(quint64, seed);
    QFETCH(int, actions);
    // The program says nothing on the side: any warning of Qt's fails the walk.
    QTest::failOnWarning(anyWarning());
    qInfo("monkey: seed %llu, %d actions", static_cast<unsigned long long>(seed), actions);
    Monkey monkey(seed, m_totals,
                  qEnvironmentVariable("BORVANE_MONKEY_HURRY") != QLatin1String("0"));
    const QString problem = monkey.run(actions);
    if (!problem.isEmpty()) qInfo("%s", qPrintable(problem));
    QVERIFY2(problem.isEmpty(), qPrintable(problem.section(QLatin1Char('\n'), 0, 0)));
}

void MonkeyTest::cleanupTestCase()
{
    SKIP_UNLESS_SWITCHING_ON_REQUEST();
    qInfo("monkey: %d actions in %d walks, %d plots, %d message boxes (%d runtime-error "
          "reports), %.1f s",
          m_totals.actions, m_totals.walks, m_totals.plots, m_totals.boxes, m_totals.errors,
          m_clock.elapsed() / 1000.0);
    for (const auto &[kind, entry] : m_totals.byKind)
        qInfo("  %-28s %6d actions, mean %7.3f ms", qPrintable(kind), entry.first,
              entry.first ? entry.second / 1e6 / entry.first : 0.0);
    qInfo("  slowest: %.1f ms (%s); %d actions over 400 ms", m_totals.slowest / 1e6,
          qPrintable(m_totals.slowestAction), m_totals.slow);
    QVERIFY(m_totals.actions > 0);
}

BORVANE_TEST_MAIN_WITH(MonkeyApplication, MonkeyTest)

#include "tst_monkey.moc"
