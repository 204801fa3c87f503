#pragma once
// A list of equally sized images, cut from strips: a strip n images wide is
// one bitmap of n * cx pixels, and its magenta pixels (0xFF00FF, or the mask
// colour given) are transparent. Images are drawn by index, normally or
// blended 50 % with a colour (a cut or selected item), with an overlay
// image on top.

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>

#include <vector>

class QIcon;
class QPainter;
class QPoint;

using UINT = unsigned int;

inline constexpr unsigned int kMagentaMask = 0xFF00FF;

// Drawing styles, in the program's numbers.
inline constexpr UINT ILD_NORMAL = 0x0;
inline constexpr UINT ILD_TRANSPARENT = 0x1;
inline constexpr UINT ILD_BLEND25 = 0x2;
inline constexpr UINT ILD_BLEND50 = 0x4;
inline constexpr UINT ILD_OVERLAYMASK = 0xF00;
constexpr UINT INDEXTOOVERLAYMASK(UINT overlay) { return overlay << 8; }

class CImageList
{
public:
    CImageList() = default;
    // An empty list of images cx by cy.
    CImageList(int cx, int cy) : m_size(cx, cy) {}

    bool IsEmpty() const { return m_images.empty(); }
    int GetImageCount() const { return static_cast<int>(m_images.size()); }
    QSize GetIconSize() const { return m_size; }

    // Cuts the strip into images of the list's width (the list takes the
    // strip's height when it had none) and appends them; pixels of the mask
    // colour become transparent. The index of the first image added; -1
    // when nothing could be cut (a null strip, or one narrower than one
    // image). A last part narrower than an image is dropped.
    int AddStrip(const QImage& strip, QRgb mask = kMagentaMask);
    // Loads the strip from a file or Qt resource path (":/res/...").
    int AddStrip(const QString& path, QRgb mask = kMagentaMask);
    // Appends one image, scaled to the list's size when it differs.
    int Add(const QImage& image);

    QImage GetImage(int index) const;
    QIcon GetIcon(int index) const;

    // Overlay images are numbered from 1; the style's overlay bits name one.
    bool SetOverlayImage(int image, int overlay);

    // Draws image index at point (in its own size). ILD_BLEND50 or
    // ILD_BLEND25 blend it with blend (50 % or 25 %); false for an index
    // outside the list.
    bool Draw(QPainter& painter, int index, const QPoint& point, UINT style,
              const QColor& blend = QColor()) const;

private:
    QSize m_size;
    std::vector<QImage> m_images;
    std::vector<int> m_overlays; // overlay n - 1 -> image index
};
