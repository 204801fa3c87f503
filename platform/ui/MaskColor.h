#pragma once
// The bitmaps keep a mask colour (magenta unless told otherwise) where the
// background belongs; this gives the picture without it.

#include "platform/ui/ImageList.h"

#include <QImage>

// The image as 32-bit ARGB with every pixel of the mask colour (alpha
// ignored) replaced: by 0 for a transparent cut-out, or by a face colour so
// that a picture sits on its background as if cut out.
QImage ReplaceMaskColor(const QImage& image, QRgb replacement, QRgb mask = kMagentaMask);
