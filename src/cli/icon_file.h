#pragma once

// Small image files written by demo-home: a PNG encoder for RGBA pixels and an ICNS wrapper.

#include <QByteArray>

namespace orvane::cli {

// PNG (8-bit RGBA, not interlaced) of `width` × `height` pixels given row by row, 4 bytes each.
QByteArray encodePng(int width, int height, const QByteArray& rgba);

// An application icon: a rounded square in a vertical gradient from `top` to `bottom` (0xRRGGBB)
// with a light disc in the middle, 128 × 128, as an ICNS file holding one PNG ("ic07").
QByteArray makeIcns(quint32 top, quint32 bottom);

} // namespace orvane::cli
