// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A window of the program as the old forms runtime made it: a caption, a design client size in
// twips, a state when shown (normal or maximized), controls placed in twips with their tab
// order, Show with its activation, and a drawing surface with the runtime's drawing calls.

#include "runtime/program.h"
#include "runtime/surface.h"
#include "values/variant.h"

#include <QWidget>
#include <functional>
#include <initializer_list>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

// A position and size in twips (1/1440 inch) from the top left corner of the container.
struct Twips
{
    int left;
    int top;
    int width;
    int height;
};

class Form : public QWidget
{
public:
    enum class State { Normal, Maximized };

    Form(Program &program, const QString &caption, QSize designClientTwips, State state);
    ~Form() override;

    Program &program() const { return m_program; }

    // Shows the window modeless and without owner, brings it to the front and makes it the
    // active form; when that changes the active form, Form_Activate runs before Show returns.
    void Show() { m_program.show(*this); }
    // Runs each time the window becomes the program's active form.
    virtual void Form_Activate() {}

    // Drawing, in the current scale (on the window's own surface, unless drawingOn says
    // otherwise).
    int ScaleMode() const { return m_drawing->scaleMode(); }
    void setScaleMode(int mode) { m_drawing->setScaleMode(mode); }
    float ScaleWidth() const { return m_drawing->scaleWidth(); }
    void setScaleWidth(float width) { m_drawing->setScaleWidth(width); }
    float ScaleHeight() const { return m_drawing->scaleHeight(); }
    void setScaleHeight(float height) { m_drawing->setScaleHeight(height); }
    int DrawWidth() const { return m_drawing->drawWidth(); }
    void setDrawWidth(int width) { m_drawing->setDrawWidth(width); }
    QRgb ForeColor() const { return m_drawing->foreColor(); }
    QRgb BackColor() const { return m_drawing->backColor(); }
    void Line(float x1, float y1, float x2, float y2) { m_drawing->line(x1, y1, x2, y2); }
    void PSet(float x, float y, QRgb colour) { m_drawing->pset(x, y, colour); }
    void PSet(float x, float y) { m_drawing->pset(x, y); }
    void Cls() { m_drawing->cls(); }
    // The window's own surface, which it shows.
    Surface &surface() { return m_surface; }
    const Surface &surface() const { return m_surface; }

    void MsgBox(const QString &prompt) { m_program.MsgBox(prompt); }
    void End() { m_program.End(); }

    // Pixels for twips at this window's logical DPI.
    int twipsToPixels(int twips) const;

    // Called by the program to make the window appear.
    void showWindow();
    // Before the first Show of a window that opens maximized, makes its drawing area ready at
    // the screen's size and its window in the window system (hidden, and leaving the activation
    // where it is), so that the Show need not: a web page does it while the user is still in
    // another window, since there making those is a good part of a first Show.
    void prepareFirstShow();
    // Hiding a window first lets its last frame settle with the window system.
    void setVisible(bool visible) override;
    // Called by the program run without a screen: the window stays hidden, its drawing area
    // takes the given size.
    void showOffScreen(QSize area);

protected:
    // Runs `steps` with every drawing call going to `target` instead of the window's surface,
    // which stays as it is.
    template <class Steps> void drawingOn(Surface &target, Steps &&steps);

    // Controls, created in the caller's order at their twip positions in the container
    // (the window, or a frame). Each gets its name, so it can be found by it.
    QPushButton *CommandButton(const QString &name, const QString &caption, Twips at);
    QLineEdit *TextBox(const QString &name, const QString &text, Twips at);
    QLabel *Label(const QString &name, const QString &caption, Twips at);
    QScrollBar *HScrollBar(const QString &name, Twips at, int min, int max, int value,
                           int smallChange, int largeChange);
    QGroupBox *Frame(const QString &name, const QString &caption, Twips at);
    QRadioButton *OptionButton(QGroupBox *frame, const QString &name, const QString &caption,
                               Twips at);
    // What assistive tools (a screen reader, switch or voice control) call a control: the
    // text of the label beside it, which then also names it as its label.
    void labelFor(QLabel *label, QWidget *control);
    // Places any widget at its twip position in its parent.
    void place(QWidget *control, Twips at) const;

    // The tab order, by tab index; the first control takes the focus when the window first
    // opens.
    void setTabOrder(std::initializer_list<QWidget *> order);

    // Connects a button's Click to a handler, through the program's error boundary. A command
    // button's Click runs when it is pressed; an option button's whenever it becomes the chosen
    // one, however that happens (mouse, keys, an assistive tool, the program), once per change.
    template <class Handler> void onClick(QAbstractButton *button, Handler handler);
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void connectClicked(QAbstractButton *button, std::function<void()> handler);
    void updateSurfaceSize();
    void waitUntilPlaced();

    Program &m_program;
    Surface m_surface;
    Surface *m_drawing = &m_surface;
    QSize m_designClientTwips;
    State m_state;
    QWidget *m_firstFocus = nullptr;
    bool m_shownBefore = false;
};

template <class Steps> void Form::drawingOn(Surface &target, Steps &&steps)
{
    struct Restore
    {
        Surface *&drawing;
        Surface *before;
        ~Restore() { drawing = before; }
    } restore{m_drawing, m_drawing};
    m_drawing = &target;
    steps();
}

template <class Handler> void Form::onClick(QAbstractButton *button, Handler handler)
{
    connectClicked(button, [this, handler]() mutable { m_program.handle(handler); });
}

// A text box's background colour, as the program sets and reads it.
void SetBackColor(QLineEdit *box, QRgb colour);
QRgb BackColor(const QLineEdit *box);

// A font of the program's: the family itself where it is installed as an outline font,
// otherwise the first of its substitutes (QFont::substitutes) that is.
QFont programFont(const QString &family, qreal points, bool bold = false);
