#include "gui/fonts.h"

#include <QFontDatabase>
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
