#pragma once

#include <QFont>
#include <QString>
#include <vector>

namespace orvessa::gui {

// The font a window of the system names, such as "宋体" or "MS Sans Serif", at a size in pixels.
// A face that is not installed (the Windows faces never are on Linux) becomes an installed font
// that has Chinese glyphs, so GBK text is always drawn rather than shown as boxes.
QFont systemFont(const QString& face, int pixelSize);

// A text and the pixels it must fit in.
struct FittedText {
    QString text;
    int width;
};

// The largest pixel size from `largest` down to `smallest` at which every text fits its width,
// measured with the font's own metrics; `smallest` when none does.
QFont fittingFont(const QString& face, int largest, int smallest,
                  const std::vector<FittedText>& texts);

}  // namespace orvessa::gui
