#pragma once
// The Settings dialog's banner: a horizontal gradient from the button face
// darkened to 60 % (left) to the plain button face (right), the banner
// bitmap at x = 16 vertically centred with its magenta pixels left out, and
// the current page's caption in bold white 16 pixels right of the bitmap,
// level with its top. UI thread only.

#include <QImage>
#include <QWidget>

#include <string>

class CSettingsBanner : public QWidget
{
    Q_OBJECT

public:
    CSettingsBanner(unsigned bitmapId, QWidget* parent = nullptr);

    void SetCaption(std::string caption);
    const std::string& GetCaption() const { return m_caption; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_bitmap; // magenta already transparent
    std::string m_caption;
};
