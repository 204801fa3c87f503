#include "widgets/MemDC.h"

CMemDC::CMemDC()
{
    m_bitmap.Create(1, 1);
}

bool CMemDC::CreateBitmap(int width, int height)
{
    return m_bitmap.Resize(width, height);
}

bool CMemDC::LoadFromResource(int id)
{
    return m_bitmap.LoadFromResource(id);
}

std::unique_ptr<QPainter> CMemDC::Paint()
{
    QImage* target = m_bitmap.PaintTarget();
    if (!target)
        return nullptr;
    auto painter = std::make_unique<QPainter>(target);
    painter->setBackgroundMode(Qt::TransparentMode);
    return painter;
}
