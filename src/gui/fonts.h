#pragma once

#include <QFont>
#include <QString>

namespace orvessa::gui {

// The font a window of the system names, such as "宋体" or "MS Sans Serif", at a size in pixels.
// A face that is not installed (the Windows faces never are on Linux) becomes an installed font
// that has Chinese glyphs, so GBK text is always drawn rather than shown as boxes.
QFont systemFont(const QString& face, int pixelSize);

}  // namespace orvessa::gui
