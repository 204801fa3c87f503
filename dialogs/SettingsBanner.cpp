#include "dialogs/SettingsBanner.h"

#include "res/Resources.h"

#include <QPainter>

CSettingsBanner::CSettingsBanner(unsigned bitmapId, QWidget* parent) : QWidget(parent)
{
    QImage loaded = LoadBitmapResource(bitmapId);
    if (!loaded.isNull())
    {
        m_bitmap = loaded.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < m_bitmap.height(); ++y)
        {
            auto* line = reinterpret_cast<QRgb*>(m_bitmap.scanLine(y));
            for (int x = 0; x < m_bitmap.width(); ++x)
            {
                if ((line[x] & 0xFFFFFF) == 0xFF00FF)
                    line[x] = 0;
            }
        }
    }
    setMinimumHeight(std::max(m_bitmap.height(), fontMetrics().height()) + 4);
    // Room for the caption right of the bitmap.
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    setMinimumWidth(m_bitmap.width() + 32 + QFontMetrics(bold).horizontalAdvance(QStringLiteral("Connection")) + 16);
}

void CSettingsBanner::SetCaption(std::string caption)
{
    m_caption = std::move(caption);
    update();
}

QSize CSettingsBanner::sizeHint() const
{
    return {200, minimumHeight()};
}

void CSettingsBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    const int width = std::max(1, this->width());
    for (int x = 0; x < width; ++x)
    {
        // Each column one colour, linear from 60 % of the face to the face.
        const double share = width > 1 ? static_cast<double>(x) / (width - 1) : 1.0;
        const auto channel = [share](int value) { return static_cast<int>(value * (0.6 + 0.4 * share)); };
        painter.setPen(QColor(channel(face.red()), channel(face.green()), channel(face.blue())));
        painter.drawLine(x, 0, x, height());
    }
    const int top = (height() - m_bitmap.height()) / 2;
    if (!m_bitmap.isNull())
        painter.drawImage(16, top, m_bitmap);
    if (m_caption.empty())
        return;
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    painter.setFont(bold);
    painter.setPen(Qt::white);
    const int left = m_bitmap.width() + 32;
    painter.drawText(QRect(left, std::max(top, 0), std::max(0, width - left), height()),
                     Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(m_caption));
}
