#pragma once
// CLinkButton: a push button that paints itself flat (a border only while
// the mouse is over it) or raised, with icons or masked bitmaps beside its
// caption, and that can act as a check button, a drop-down menu button or a
// hyperlink that opens its address with the desktop. The dialogs use it
// (the Select New Action dialog's choices). UI thread.

#include <cstdint>
#include <optional>
#include <string>

#include <QBitmap>
#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

class QMenu;

// The six colours of a button, by SetColor's index.
enum LinkButtonColor
{
    kLinkBackIn = 0,   // lit or pressed
    kLinkTextIn = 1,
    kLinkBackOut = 2,  // normal
    kLinkTextOut = 3,
    kLinkBackFocus = 4,
    kLinkTextFocus = 5,
    kLinkColorCount = 6,
};

// The state a paint decides from.
struct CLinkButtonState
{
    bool m_lit = false;
    bool m_selected = false; // the mouse holds it down
    bool m_focused = false;
    bool m_checkMode = false;
    bool m_checked = false;
    bool m_menuShown = false;
};

// Pressed-looking: held down, ticked in check mode, or showing its menu.
bool IsLinkButtonPressed(const CLinkButtonState& state);
// The background colour's index: "in" when lit or pressed, "focus" when
// focused, else "out".
int LinkButtonBackground(const CLinkButtonState& state);
// The caption colour's index: "in" when lit or pressed, else "out".
int LinkButtonText(const CLinkButtonState& state);
// Whether the "in" image is shown: when lit or pressed, in check mode only
// when pressed; the "in" image also stands in for a missing "out" one.
bool LinkButtonShowsInImage(const CLinkButtonState& state, bool hasOutImage);
// Whether a mouse move lights a flat button that is not lit: the mouse is
// over it without the left button held (a press that began elsewhere does
// not light it), and the application is active or the button tracks even
// when it is not.
bool LinkButtonLightsOnMove(bool flat, bool lit, bool leftButtonDown, bool underCursor, bool applicationActive,
                            bool trackWhenInactive);

// Where the image and the caption go in the content rectangle: alignment 0
// image 3 pixels from the left and the caption right of it, 1 image at the
// top centred and the caption below, 2 image 3 pixels from the right and the
// caption left of it; without a caption the image is centred. The image is
// centred across the other axis.
struct CLinkButtonLayout
{
    QRect m_image;
    QRect m_caption;
};
CLinkButtonLayout ComputeLinkButtonLayout(const QRect& content, QSize image, bool hasCaption, int alignment);

// A mask of the bitmap in which the transparent colour is clear, so that the
// bitmap is drawn without it. Null for a null image.
QBitmap CreateBitmapMask(const QImage& bitmap, QColor transparent);

class CLinkButton : public QPushButton
{
    Q_OBJECT

public:
    // Button styles as the dialog descriptions give them.
    static constexpr uint32_t kStyleDefPushButton = 0x0001;
    static constexpr uint32_t kStyleCheckBit = 0x0002;
    static constexpr uint32_t kStyleLeft = 0x0100;
    static constexpr uint32_t kStyleRight = 0x0200;
    static constexpr uint32_t kStyleCenter = 0x0300;
    static constexpr uint32_t kStyleTop = 0x0400;
    static constexpr uint32_t kStyleBottom = 0x0800;
    static constexpr uint32_t kStyleVCenter = 0x0C00;

    // The style decides check mode (the check-box bit) and the default flag
    // (a default push button) and the caption's alignment.
    explicit CLinkButton(QWidget* parent = nullptr, uint32_t style = 0);

    // A new style keeps the default flag for push and default push styles.
    void SetStyle(uint32_t style);

    // Loads the images (ResourceImages.h) and SetBitmapsFromHandles.
    int SetBitmaps(int idIn, QColor transparentIn, int idOut = 0, QColor transparentOut = QColor());
    // Replaces icons and bitmaps with these bitmaps and their masks; out may
    // be null. 0, 1 when a bitmap has no size, 2 when a mask cannot be made
    // (then no image is kept).
    int SetBitmapsFromHandles(const QImage& in, QColor transparentIn, const QImage& out = QImage(),
                              QColor transparentOut = QColor());
    // Replaces icons and bitmaps with these icons at that size.
    void SetIcons(const QIcon& in, const QIcon& out, QSize size);
    // Only in check mode.
    void SetChecked(bool checked, bool redraw = true);
    bool GetChecked() const { return m_checked; }
    // 0, or 3 for an index above 5 (nothing changes).
    int SetColor(int index, QColor color, bool redraw = true);
    QColor GetColor(int index) const;
    void SetDefaultColors(bool redraw = true);
    // The address opened when clicked, kept whole; empty clears it.
    void SetURL(std::string_view url);
    const std::string& GetURL() const { return m_url; }
    // A drop-down menu, shown below the button on a click; its commands go
    // to owner.
    void SetMenu(QMenu* menu, QWidget* owner);
    void SetFlat(bool flat);
    void SetTransparent(bool transparent);
    void SetAlign(int imageAlignment);
    void SetDrawBorderWhenLit(bool draw) { m_drawBorderWhenLit = draw; }
    void SetDrawFocusWhenFlat(bool draw) { m_drawFocusWhenFlat = draw; }
    void SetTrackWhenInactive(bool track) { m_trackWhenInactive = track; }
    void SetButtonCursor(std::optional<QCursor> cursor);

    bool IsCheckMode() const { return m_checkMode; }
    bool IsDefault() const { return m_default; }
    bool IsLit() const { return m_lit; }
    bool IsFlat() const { return m_flat; }
    bool IsMenuShown() const { return m_menuShown; }
    CLinkButtonState State() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Shows the menu at the point and returns when it closes; a test
    // answers it instead.
    virtual void TrackMenu(QMenu* menu, QPoint globalPoint);

private:
    void OnClicked();
    void GoDark();
    void DropImages();
    void DrawBackground(QPainter& painter, const QRect& rect, const CLinkButtonState& state);
    void DrawBorder(QPainter& painter, const QRect& rect, bool pressed);

    bool m_flat = true;
    bool m_lit = false;
    bool m_transparent = false;
    bool m_default = false;
    bool m_checkMode = false;
    bool m_checked = false;
    bool m_drawBorderWhenLit = true;
    int m_imageAlign = 0;
    bool m_drawFocusWhenFlat = false;
    bool m_trackWhenInactive = false;
    Qt::Alignment m_captionAlign = Qt::AlignCenter;
    QColor m_colors[kLinkColorCount];
    QIcon m_iconIn, m_iconOut;
    QSize m_iconSize;
    QPixmap m_bitmapIn, m_bitmapOut;
    QPointer<QMenu> m_menu;
    QPointer<QWidget> m_menuOwner;
    bool m_menuShown = false;
    std::string m_url;
    QPixmap m_backgroundCopy;
};
