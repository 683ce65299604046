// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The drawing surface of a window: an off-screen image of its client area at the screen's
// device pixel ratio, with the old runtime's scales (twips, centimetres, a user scale), pen
// width, Line, PSet and Cls. The window shows the image under its controls, so drawing is
// sharp on high-DPI screens and survives being covered.
//
// The same drawing can go through a painter onto any other device (a vector file, a printer):
// each dot is then a small square at the place and of the size it has on the image, each line
// a line, in the logical pixels of the picture.

#include <QImage>
#include <QRectF>
#include <QRgb>
#include <QSize>
#include <functional>
#include <unordered_set>
#include <vector>

class QPainter;

// Sees every drawing operation in the user coordinates it was given (tests use it).
class SurfaceObserver
{
public:
    virtual ~SurfaceObserver() = default;
    virtual void dot(float x, float y, QRgb colour, int width) = 0;
    virtual void line(float x1, float y1, float x2, float y2, QRgb colour, int width) = 0;
    virtual void cleared() = 0;
};

class Surface
{
public:
    enum ScaleModes : int {
        User = 0,
        Twips = 1,
        Points = 2,
        Pixels = 3,
        Inches = 5,
        Millimetres = 6,
        Centimetres = 7
    };

    // How an image surface holds its pixels: as the window shows them, or as indices into a
    // table of the colours drawn (a byte a pixel where the window's take four: for a picture
    // that leaves the program, whose few colours go into a file as they are). Past 256 colours
    // an indexed surface goes on as the window's do.
    enum class Storage { AsShown, Indexed };

    explicit Surface(Storage storage = Storage::AsShown);
    // A surface that draws through `painter`, whose coordinates are the logical pixels of a
    // picture of `pictureSize`; dots keep the size they have at `devicePixelRatio`. Nothing
    // outside the picture is drawn.
    Surface(QPainter &painter, QSize pictureSize, qreal devicePixelRatio, qreal logicalDpi);
    ~Surface();
    Surface(const Surface &) = delete;
    Surface &operator=(const Surface &) = delete;

    // The client area in logical pixels, its device pixel ratio and logical DPI. What is drawn
    // stays; a larger area is filled with the background colour. (Through a painter, only the
    // scales follow the area: the picture and its pixel ratio stay.)
    void resize(QSize logicalSize, qreal devicePixelRatio, qreal logicalDpi);
    // From now on the surface keeps no pixels: its area and scales follow resize() as before,
    // and what is drawn changes nothing but its observer's record. For a window of a run
    // without a screen, whose pictures are drawn again from that record.
    void keepNoPixels();
    QSize size() const { return m_size; }
    qreal devicePixelRatio() const { return m_dpr; }
    qreal logicalDpi() const { return m_dpi; }
    // The image: in the window's format, or Indexed8 with the colours drawn as its table. It
    // may be copied (copies share their pixels until written), so the next dot takes the pixels
    // afresh.
    const QImage &image() const
    {
        m_pixels = nullptr;
        return m_image;
    }

    QRgb backColor() const { return m_back; }
    void setBackColor(QRgb colour) { m_back = colour; }
    QRgb foreColor() const { return m_fore; }
    void setForeColor(QRgb colour) { m_fore = colour; }

    int scaleMode() const { return m_scaleMode; }
    // A mode other than 0 sets the scale in that unit over the client area; 0 keeps the
    // current extents as a user scale. Unknown modes are an invalid argument.
    void setScaleMode(int mode);
    float scaleWidth() const;
    float scaleHeight() const;
    // Setting either extent makes the scale a user scale (origin top left, y down), the other
    // extent keeping its current value. Zero is an invalid argument.
    void setScaleWidth(float width);
    void setScaleHeight(float height);

    int drawWidth() const { return m_drawWidth; }
    // The pen width in pixels, 1 to 32767; anything else is an invalid argument.
    void setDrawWidth(int width);

    // A segment in the foreground colour, DrawWidth pixels wide.
    void line(float x1, float y1, float x2, float y2);
    // A dot DrawWidth pixels square centred on (x, y), in the given colour.
    void pset(float x, float y, QRgb colour)
    {
        if (m_observer) m_observer->dot(x, y, colour, m_drawWidth);
        fillDot(x * m_unitToDeviceX, y * m_unitToDeviceY, colour);
    }
    void pset(float x, float y) { pset(x, y, m_fore); }
    // Erases everything drawn: the image takes the background colour.
    void cls();
    // Through a painter: draws the dots still held back (they go out together, one colour at a
    // time). Called before the painter ends; the destructor does it too.
    void flush();

    // Where a point in the current scale falls, in logical pixels of the client area.
    QPointF toPixels(float x, float y) const;

    // The device pixels that drawing reaches: the image's (or the picture's).
    QSize deviceSize() const { return QSize(m_deviceWidth, m_deviceHeight); }
    // Drawing again what a smaller image held: nothing reaches beyond these device pixels.
    void limitTo(QSize devicePixels);

    void setObserver(SurfaceObserver *observer) { m_observer = observer; }
    // Called once when something is drawn after the last markShown().
    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    void markShown() { m_dirty = false; }

private:
    void fillDot(double deviceX, double deviceY, QRgb colour);
    // The index of a colour in the indexed image's table, added if new; -1 when the table is
    // full, the image then holding its pixels as the window's do.
    int indexOf(QRgb colour);
    void stopIndexing();
    void lineOnIndexed(float x1, float y1, float x2, float y2, int index);
    void paintDot(int left, int top, QRgb colour);
    void paintLine(QPainter &painter, float x1, float y1, float x2, float y2) const;
    void changed();
    double unitsPerPixelX() const;
    double unitsPerPixelY() const;
    void updateMapping();
    void updateBounds();
    bool limited() const;

#ifdef Q_OS_WASM
    // A web page's windows hold their pixels as RGBA8888: an image laid out the same way is
    // copied straight onto them at each paint, where an RGB32 one goes through a conversion of
    // every pixel.
    static constexpr QImage::Format imageFormat = QImage::Format_RGBX8888;
    // A colour as the image holds it: red first in memory, always opaque.
    static constexpr QRgb pixelOf(QRgb colour)
    {
        return 0xff000000u | ((colour & 0xffu) << 16) | (colour & 0xff00u) |
               ((colour >> 16) & 0xffu);
    }
#else
    static constexpr QImage::Format imageFormat = QImage::Format_RGB32;
    static constexpr QRgb pixelOf(QRgb colour)
    {
        return colour;
    }
#endif

    QImage m_image;
    mutable uchar *m_pixels = nullptr; // the image's pixels, for dots; taken when first needed
    qsizetype m_stride = 0;
    int m_deviceWidth = 0; // the device pixels drawing reaches
    int m_deviceHeight = 0;
    QSize m_devicePixels; // those of the image or picture
    QSize m_limit;        // and of the image drawn again, if smaller
    QSize m_size;
    qreal m_dpr = 1.0;
    qreal m_dpi = 96.0;
    QRgb m_back = qRgb(240, 240, 240);
    QRgb m_fore = qRgb(0, 0, 0);
    int m_scaleMode = Twips;
    float m_userWidth = 1.0f;
    float m_userHeight = 1.0f;
    int m_drawWidth = 1;
    int m_dotDevicePixels = 1;
    double m_unitToDeviceX = 1.0;
    double m_unitToDeviceY = 1.0;
    SurfaceObserver *m_observer = nullptr;
    std::function<void()> m_changed;
    bool m_dirty = false;
    bool m_blank = true; // nothing drawn since the surface was made
    bool m_keepsPixels = true;
    bool m_indexed = false;
    QRgb m_lastColour = 0; // the last colour looked up in the indexed image's table
    int m_lastIndex = -1;

    // Through a painter: the dots of one colour not yet drawn, each once (a plot lands on the
    // same place many times; only its last dot there would show).
    QPainter *m_painter = nullptr;
    QRgb m_heldColour = 0;
    std::vector<QRectF> m_held;
    std::unordered_set<qint64> m_heldPlaces;
};
