#pragma once
// CPictureWnd: a child widget that shows one picture (a CDibBitmap in its
// CMemDC) from an offset, plain, tiled or stretched, with the background
// colour around it; the picture is panned by dragging (when enabled) and by
// the mouse wheel. The HTML view's image mode, the settings and wizard
// banners and the About box use it. UI thread.

#include "widgets/ColorQuad.h"
#include "widgets/MemDC.h"
#include "widgets/Rect.h"

#include <optional>
#include <string>

#include <QCursor>
#include <QPoint>
#include <QSize>
#include <QWidget>

// Where the picture shows in the client area and from which pixel.
struct CPictureLayout
{
    QPoint m_offset;
    CRect m_visible;
};

// The layout rule: the offset is pulled back so that the picture does not
// end before the client does (W < w + x gives x = W - w), then kept at 0 or
// above; the visible rectangle is the part of the client the picture covers.
CPictureLayout ComputePictureLayout(QSize client, QSize picture, QPoint offset);

// The offset change of a wheel turn of delta (120 a notch, positive away from
// the user): when the picture is taller than the client by d, d above 36
// scrolls 36 pixels a notch, else one notch goes to the top or bottom; only
// when it is not taller but wider the same horizontally; a picture that fits
// does not move.
QPoint PictureWheelScroll(QSize client, QSize picture, int delta);

class CPictureWnd : public QWidget
{
    Q_OBJECT

public:
    enum DrawMode
    {
        kDrawPlain = 0,
        kDrawTiled = 1,
        kDrawStretched = 2,
    };
    // The flag byte of the background colour meaning "the system window
    // colour", as at construction.
    static constexpr uint8_t kSystemBackground = 0xFF;

    explicit CPictureWnd(QWidget* parent = nullptr);

    // Resizes the picture's bitmap (contents undefined) and lays out again.
    bool SetBitmapSize(int width, int height);
    // Loads an image file (CDibBitmap::LoadFromFile) and lays out again;
    // false when nothing was loaded.
    bool LoadFile(const std::string& path, CColorTriple background = {});
    // Stores the background colour (flag byte on top), loads the bitmap
    // resource and shows it from the current offset within the client.
    bool LoadResource(int id, uint32_t background);
    void SetOffset(int x, int y);
    // Paints at once.
    void Redraw();

    // Fills the client with the background colour; outsideOnly leaves the
    // visible rectangle alone.
    void EraseBackground(QPainter& painter, bool outsideOnly);
    // Text drawn into the picture's own bitmap; an absent colour leaves the
    // painter's default (black text, no background).
    void DrawText(const std::string& text, const CRect& rect, int alignment,
                  std::optional<QColor> textColor = {}, std::optional<QColor> backColor = {});

    void SetDrawMode(int mode);
    void SetBackground(CColorQuad background);
    void SetDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    void SetCursors(std::optional<QCursor> normal, std::optional<QCursor> drag);
    void EndDrag();

    CDibBitmap& GetBitmap() { return m_memDC.GetBitmap(); }
    QPoint GetOffset() const { return m_offset; }
    const CRect& GetVisibleRect() const { return m_visible; }
    bool IsDragging() const { return m_dragging; }
    QColor BackgroundColor() const;

    // Lays out the picture in the client (ComputePictureLayout).
    void UpdateLayout();
    void Draw(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateCursor();

    CRect m_visible;
    QPoint m_offset;
    int m_drawMode = kDrawPlain;
    CMemDC m_memDC;
    CColorQuad m_background;
    std::optional<QCursor> m_normalCursor;
    std::optional<QCursor> m_dragCursor;
    bool m_dragEnabled = false;
    QPoint m_dragStart;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
