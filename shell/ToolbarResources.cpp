#include "shell/ToolbarResources.h"

#include "platform/ui/ImageList.h"
#include "res/Resources.h"

std::vector<QIcon> LoadToolbarIcons(const ToolbarDesc& toolbar)
{
    CImageList images(toolbar.m_imageWidth, 0);
    (void)images.AddStrip(LoadBitmapResource(toolbar.m_bitmap));
    std::vector<QIcon> icons;
    for (int i = 0; i < images.GetImageCount(); ++i)
        icons.push_back(images.GetIcon(i));
    return icons;
}

QString MenuLabelOf(const MenuDesc& menu, UINT id)
{
    for (const MenuItemDesc& item : menu.m_items)
    {
        if (item.m_id != id || !item.m_text)
            continue;
        QString text = QString::fromUtf8(item.m_text).section('\t', 0, 0);
        text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove('&').replace('\x01', '&');
        if (text.endsWith(QStringLiteral("...")))
            text.chop(3);
        return text;
    }
    return {};
}
