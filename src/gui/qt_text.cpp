#include "gui/qt_text.h"

namespace orvessa::gui {

QString toQt(std::string_view utf8) {
    QString out;
    out.reserve(static_cast<qsizetype>(utf8.size()));
    std::size_t start = 0;
    for (std::size_t i = 0; i + 2 < utf8.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
        if (b0 == 0xED && b1 >= 0xB0 && b1 <= 0xB3) {
            out += QString::fromUtf8(utf8.data() + start, static_cast<qsizetype>(i - start));
            out += QChar(QChar::ReplacementCharacter);
            i += 2;
            start = i + 1;
        }
    }
    out += QString::fromUtf8(utf8.data() + start, static_cast<qsizetype>(utf8.size() - start));
    return out;
}

std::string fromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

QString messageText(std::string_view utf8) {
    QString s = toQt(utf8);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

}  // namespace orvessa::gui
