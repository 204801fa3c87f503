#include "widgets/ImageFile.h"

#include "foundation/files/PathUtils.h"
#include "platform/core/Text.h"

#include <QImageReader>
#include <QPainter>

#include <array>
#include <utility>

int GetImageFileType(const std::string& path)
{
    static const std::array<std::pair<const char*, int>, 9> kTypes = {{
        {".bmp", 1}, {".gif", 2}, {".jpg", 3}, {".jpe", 3}, {".jpeg", 3},
        {".png", 4}, {".tif", 5}, {".tiff", 5}, {".ico", 6},
    }};
    const char* extension = FindFileExtension(path.c_str());
    if (!extension)
        return 0;
    for (const auto& [name, type] : kTypes)
        if (EqualsNoCase(extension, name))
            return type;
    return 0;
}

QImage RenderOverBackground(const QImage& image, CColorTriple background)
{
    if (image.isNull())
        return QImage();
    QImage result(image.size(), QImage::Format_RGB32);
    if (result.isNull())
        return QImage();
    result.fill(background.ToQColor());
    QPainter painter(&result);
    painter.drawImage(QPoint(0, 0), image);
    return result;
}

QImage LoadImageFileAsBitmap(const std::string& path, CColorTriple background)
{
    const int type = GetImageFileType(path);
    if (type == 0)
        return QImage();
    QImageReader reader(QString::fromStdString(path));
    if (type == 1)
    {
        reader.setFormat("bmp");
        reader.setDecideFormatFromContent(false);
    }
    else
    {
        reader.setDecideFormatFromContent(true);
    }
    return RenderOverBackground(reader.read(), background);
}
