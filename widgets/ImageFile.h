#pragma once
// Image files as pictures: the type of a file by its extension and loading
// one into an image ready for CDibBitmap.

#include "widgets/ColorQuad.h"

#include <string>

#include <QImage>

// By the extension, ignoring case: ".bmp" 1, ".gif" 2, ".jpg" ".jpe" ".jpeg"
// 3, ".png" 4, ".tif" ".tiff" 5, ".ico" 6, anything else (or none) 0.
int GetImageFileType(const std::string& path);

// The file's picture over the background colour (transparent parts show it;
// a zero colour means none was wanted and they come out black). Null for
// type 0, a missing or unreadable file, or a format that cannot be decoded
// (the decoder checks the content, not the extension, and refuses images too
// large to hold). A ".bmp" file must hold a bitmap.
QImage LoadImageFileAsBitmap(const std::string& path, CColorTriple background = {});

// The image as opaque RGB32 with its transparent parts over the background;
// null for a null image.
QImage RenderOverBackground(const QImage& image, CColorTriple background);
