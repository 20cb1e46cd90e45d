#include "gui/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QList>
#include <QStringList>

namespace orvessa::gui {
namespace {

// CJK fonts of the desktop, most likely first; any other font with Chinese glyphs will do.
const char* const kChineseFaces[] = {
    "WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Serif CJK SC",
    "WenQuanYi Zen Hei",   "AR PL UMing CN",   "Droid Sans Fallback",
};

bool writesChinese(const QString& family) {
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese);
}

QString chineseFamily() {
    for (const char* face : kChineseFaces) {
        const QString family = QString::fromUtf8(face);
        if (QFontDatabase::hasFamily(family) && writesChinese(family)) {
            return family;
        }
    }
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    return families.isEmpty() ? QString() : families.first();
}

}  // namespace

QFont fittingFont(const QString& face, int largest, int smallest,
                  const std::vector<FittedText>& texts) {
    for (int size = largest; size > smallest; --size) {
        const QFont font = systemFont(face, size);
        const QFontMetrics metrics(font);
        bool fits = true;
        for (const FittedText& t : texts) {
            fits = fits && metrics.horizontalAdvance(t.text) <= t.width;
        }
        if (fits) {
            return font;
        }
    }
    return systemFont(face, smallest);
}

QFont systemFont(const QString& face, int pixelSize) {
    QFont font;
    if (QFontDatabase::hasFamily(face) && writesChinese(face)) {
        font.setFamily(face);
    } else if (const QString family = chineseFamily(); !family.isEmpty()) {
        font.setFamily(family);
    }
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace orvessa::gui
