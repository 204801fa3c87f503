#pragma once
// CAboutDlg, "About Tanglewarden": a skin picture with one clickable area
// (the home page) above a read-only editor view that shows the version line
// (blue) and a legal notice whose heading, the sixth line, is red. The box
// has no frame handling of its own: it is moved by dragging the picture
// anywhere outside the clickable area. A click opens the home page only when
// the button goes down and up on the area; anything else is a drag or
// nothing.
//
// UI thread only.

#include "platform/ui/Dialog.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <string>

class CColorEditView;
class CPictureWnd;

class CAboutDlg : public CDialog
{
    Q_OBJECT

public:
    // The skin band's height and the clickable area in picture coordinates.
    static constexpr int kSkinHeight = 60;
    static constexpr int kSkinWidth = 400;
    static QRect HotArea() { return QRect(QPoint(115, 20), QPoint(279, 39)); }

    // product and version name the program on the first line; homePage is
    // what the clickable area opens.
    CAboutDlg(const std::string& product, const std::string& version, std::string homePage,
              QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // 0 when the point (picture coordinates) lies in the clickable area,
    // else -1.
    static int HitTest(const QPoint& point);
    void OpenHomePage();

    CPictureWnd* GetPicture() const { return m_picture; }
    CColorEditView* GetTextView() const { return m_textView; }
    bool IsDragging() const { return m_dragging; }

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DrawSkin();
    void Layout();
    void CreateTextView();
    void StopDrag();
    void UpdateCursor(const QPoint& point);

    std::string m_aboutText;
    std::string m_homePage;
    CPictureWnd* m_picture = nullptr;
    QWidget* m_textPlaceholder = nullptr;
    CColorEditView* m_textView = nullptr;
    QPoint m_dragStart;
    bool m_dragging = false;
    int m_pressedArea = -1;
    QColor m_background;
    QRect m_textRect;
    QSize m_lastClient;
};

// Runs the About box modally.
void ShowAboutDialog(const std::string& product, const std::string& version, const std::string& homePage);
