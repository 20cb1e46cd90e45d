// orvessa-skinart SKIN.ini OUT_DIR: draws the bitmaps a skin's description names, from the
// colours of its [Art] and [Personality] sections, and writes them with the description into
// OUT_DIR, ready to be packed. Every image is a 32-bit BMP whose alpha shapes rounded corners,
// marks and arrows.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/store/ini_profile.h"

namespace {

using orvessa::store::IniDocument;

struct Pair {
    QColor top;
    QColor bottom;
};

QColor mix(const QColor& a, const QColor& b, double t) {
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()));
}

double luminance(const QColor& c) {
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double contrast(const QColor& a, const QColor& b) {
    const double x = luminance(a);
    const double y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The description's colours and drawing parameters; a missing or malformed value stops the tool,
// so a typing mistake in a skin fails the build instead of drawing black.
class Description {
public:
    explicit Description(IniDocument ini) : m_ini(std::move(ini)) {}

    std::optional<std::string> text(const char* section, const char* key) const {
        return m_ini.value(section, key);
    }
    QColor color(const char* section, const char* key) const {
        const QStringList parts = words(section, key);
        return parse(parts.value(0), section, key);
    }
    Pair pair(const char* key) const {
        const QStringList parts = words("Art", key);
        if (parts.size() != 2) {
            fail("Art", key, "wants two colours");
        }
        return {parse(parts[0], "Art", key), parse(parts[1], "Art", key)};
    }
    int number(const char* section, const char* key) const {
        bool ok = false;
        const int n = words(section, key).value(0).toInt(&ok);
        if (!ok || n < 0 || n > 100) {
            fail(section, key, "wants a number from 0 to 100");
        }
        return n;
    }

private:
    QStringList words(const char* section, const char* key) const {
        const auto v = m_ini.value(section, key);
        if (!v) {
            fail(section, key, "is missing");
        }
        return QString::fromStdString(*v).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    static QColor parse(const QString& word, const char* section, const char* key) {
        if (word.size() != 7 || !word.startsWith(QLatin1Char('#')) ||
            !QColor::isValidColorName(word)) {
            fail(section, key, "wants #RRGGBB");
        }
        return QColor::fromString(word);
    }
    [[noreturn]] static void fail(const char* section, const char* key, const char* why) {
        std::fprintf(stderr, "orvessa-skinart: [%s] %s %s\n", section, key, why);
        std::exit(1);
    }

    IniDocument m_ini;
};

// Everything the pictures are drawn from.
struct Art {
    explicit Art(const Description& d)
        : bar(d.pair("Bar")),
          tool(d.pair("Tool")),
          toolHot(d.pair("ToolHot")),
          toolDown(d.pair("ToolDown")),
          face(d.pair("Face")),
          hot(d.pair("Hot")),
          down(d.pair("Down")),
          accent(d.pair("Accent")),
          thumb(d.pair("Thumb")),
          edge(d.color("Art", "Edge")),
          glyph(d.color("Art", "Glyph")),
          mark(d.color("Art", "Mark")),
          radius(d.number("Art", "Radius")),
          gloss(d.number("Art", "Gloss")),
          window(d.color("Personality", "Window")),
          base(d.color("Personality", "Base")),
          text(d.color("Personality", "Text")),
          disabled(d.color("Personality", "DisabledText")),
          border(d.color("Personality", "Border")),
          menu(d.color("MenuBackground", "Color")),
          sunkDark(d.color("SunkEdge", "Dark")),
          groove(d.color("SunkEdge", "Groove")) {}

    Pair bar, tool, toolHot, toolDown, face, hot, down, accent, thumb;
    QColor edge, glyph, mark;
    int radius;
    int gloss;
    QColor window, base, text, disabled, border, menu, sunkDark, groove;
};

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QLinearGradient vertical(const QRectF& r, const Pair& p) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, p.top);
    g.setColorAt(1, p.bottom);
    return g;
}

QLinearGradient horizontal(const QRectF& r, const Pair& p) {
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, p.top);
    g.setColorAt(1, p.bottom);
    return g;
}

// A flat strip: a gradient with a one-pixel line along one edge.
QImage strip(int width, int height, const Pair& colors, const QColor& line, bool lineAtTop) {
    QImage image = canvas(width, height);
    QPainter p(&image);
    p.fillRect(image.rect(), vertical(image.rect(), colors));
    p.fillRect(0, lineAtTop ? 0 : height - 1, width, 1, line);
    return image;
}

// A rounded face with an outline; the gloss whitens the upper half as light on a glazed key.
QImage face(int width, int height, const Pair& colors, const QColor& edge, int radius, int gloss,
            bool topToBottom = true) {
    QImage image = canvas(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(r, radius, radius);
    p.fillPath(shape, topToBottom ? vertical(r, colors) : horizontal(r, colors));
    if (gloss > 0) {
        const QRectF upper = topToBottom ? QRectF(r.left(), r.top(), r.width(), r.height() / 2)
                                         : QRectF(r.left(), r.top(), r.width() / 2, r.height());
        QLinearGradient shine = topToBottom ? QLinearGradient(upper.topLeft(), upper.bottomLeft())
                                            : QLinearGradient(upper.topLeft(), upper.topRight());
        shine.setColorAt(0, QColor(255, 255, 255, gloss * 255 / 100));
        shine.setColorAt(1, QColor(255, 255, 255, gloss * 255 / 300));
        p.save();
        p.setClipPath(shape);
        p.fillRect(upper, shine);
        p.restore();
    }
    p.setPen(QPen(edge, 1));
    p.drawPath(shape);
    return image;
}

// The strongest tint of the accent behind which the text still reads, gloss included.
Pair readableTint(const Pair& accent, const QColor& background, const QColor& text, int gloss) {
    for (int step = 0; step <= 20; ++step) {
        const double t = step / 20.0;
        const Pair tint{mix(accent.top, background, t), mix(accent.bottom, background, t)};
        const QColor shining = mix(tint.top, Qt::white, gloss / 100.0);
        if (contrast(shining, text) >= 4.8 && contrast(tint.top, text) >= 4.8 &&
            contrast(tint.bottom, text) >= 4.8) {
            return tint;
        }
    }
    return {background, background};
}

QImage header(const Art& a) {
    QImage image = canvas(16, 24);
    QPainter p(&image);
    p.fillRect(image.rect(), vertical(image.rect(), a.face));
    const QColor line = mix(a.face.bottom, a.edge, 0.6);
    p.fillRect(15, 3, 1, 18, line);
    p.fillRect(0, 23, 16, 1, line);
    return image;
}

QImage tab(const Art& a, bool selected) {
    QImage image = canvas(24, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, 23, 27);  // open at the bottom, where the pane's edge runs
    QPainterPath shape;
    shape.addRoundedRect(r, a.radius, a.radius);
    p.setClipRect(image.rect());
    if (selected) {
        p.fillPath(shape, a.window);
        p.setPen(QPen(a.border, 1));
        p.drawPath(shape);
        p.setClipPath(shape);
        p.fillRect(QRectF(0, 0, 24, 3), a.accent.top);
    } else {
        p.fillPath(shape, vertical(r, a.face));
        p.setPen(QPen(a.border, 1));
        p.drawPath(shape);
    }
    return image;
}

QImage menuGutter(const Art& a) {
    QImage image = canvas(28, 8);
    QPainter p(&image);
    p.fillRect(image.rect(), mix(a.menu, a.accent.bottom, 0.10));
    p.fillRect(27, 0, 1, 8, mix(a.menu, a.border, 0.6));
    return image;
}

// Square frames side by side: off, on, disabled off, disabled on.
QImage marks(const Art& a, bool round) {
    constexpr int kSize = 13;
    QImage image = canvas(kSize * 4, kSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int frame = 0; frame < 4; ++frame) {
        const bool on = frame % 2 == 1;
        const bool enabled = frame < 2;
        const QRectF r(frame * kSize + 0.5, 0.5, kSize - 1, kSize - 1);
        const QColor fill = enabled ? a.base : mix(a.base, a.window, 0.7);
        const QColor edge = enabled ? a.sunkDark : mix(a.sunkDark, a.window, 0.5);
        const QColor mark = enabled ? a.mark : a.disabled;
        p.setPen(QPen(edge, 1));
        p.setBrush(fill);
        if (round) {
            p.drawEllipse(r);
        } else {
            p.drawRoundedRect(r, std::min(a.radius, 2), std::min(a.radius, 2));
        }
        if (!on) {
            continue;
        }
        if (round) {
            p.setPen(Qt::NoPen);
            p.setBrush(mark);
            p.drawEllipse(r.center(), 2.6, 2.6);
        } else {
            QPainterPath tick;
            tick.moveTo(r.left() + 2.5, r.top() + 6.5);
            tick.lineTo(r.left() + 5.0, r.top() + 9.0);
            tick.lineTo(r.left() + 9.5, r.top() + 3.0);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(mark, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(tick);
        }
    }
    return image;
}

enum class Direction { Left, Right, Up, Down };

// Two square arrow frames side by side: left and right, or up and down.
QImage arrows(const Art& a, Direction first, Direction second) {
    constexpr int kSize = 9;
    QImage image = canvas(kSize * 2, kSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(a.glyph);
    const Direction directions[] = {first, second};
    for (int frame = 0; frame < 2; ++frame) {
        const double x = frame * kSize;
        QPolygonF triangle;
        switch (directions[frame]) {
            case Direction::Up:
                triangle << QPointF(x + 4.5, 2) << QPointF(x + 8.5, 6.5) << QPointF(x + 0.5, 6.5);
                break;
            case Direction::Down:
                triangle << QPointF(x + 0.5, 2.5) << QPointF(x + 8.5, 2.5) << QPointF(x + 4.5, 7);
                break;
            case Direction::Left:
                triangle << QPointF(x + 2, 4.5) << QPointF(x + 6.5, 0.5) << QPointF(x + 6.5, 8.5);
                break;
            case Direction::Right:
                triangle << QPointF(x + 2.5, 0.5) << QPointF(x + 7, 4.5) << QPointF(x + 2.5, 8.5);
                break;
        }
        p.drawPolygon(triangle);
    }
    return image;
}

// A slider's thumb, 11 pixels across and 20 along its slider, plain or pointing at its ticks.
QImage sliderThumb(const Art& a, std::optional<Direction> pointing, bool horizontalSlider) {
    const QImage upright = [&] {
        QImage image = canvas(11, 20);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        if (pointing) {
            shape.moveTo(0.5, 0.5);
            shape.lineTo(10.5, 0.5);
            shape.lineTo(10.5, 14.5);
            shape.lineTo(5.5, 19.5);
            shape.lineTo(0.5, 14.5);
            shape.closeSubpath();
        } else {
            shape.addRoundedRect(QRectF(0.5, 0.5, 10, 19), std::min(a.radius, 3),
                                 std::min(a.radius, 3));
        }
        p.fillPath(shape, horizontal(QRectF(0, 0, 11, 20), a.face));
        p.setPen(QPen(a.edge, 1));
        p.drawPath(shape);
        return image;
    }();
    // Drawn pointing down; turned for the other directions.
    QTransform turn;
    if (pointing == Direction::Up) {
        turn.rotate(180);
    } else if (pointing == Direction::Left) {
        turn.rotate(90);
    } else if (pointing == Direction::Right) {
        turn.rotate(-90);
    } else if (!pointing && !horizontalSlider) {
        turn.rotate(90);
    }
    return upright.transformed(turn);
}

QImage groove(const Art& a, bool horizontalBar) {
    const Pair shade{mix(a.groove, a.sunkDark, 0.15), a.groove};
    QImage image = canvas(horizontalBar ? 8 : 16, horizontalBar ? 16 : 8);
    QPainter p(&image);
    p.fillRect(image.rect(),
               horizontalBar ? vertical(image.rect(), shade) : horizontal(image.rect(), shade));
    return image;
}

QImage scrollThumb(const Art& a, bool horizontalBar) {
    const QImage thumb = face(horizontalBar ? 24 : 12, horizontalBar ? 12 : 24, a.thumb, a.edge,
                              std::min(a.radius, 4), a.gloss, horizontalBar);
    QImage image = canvas(horizontalBar ? 24 : 16, horizontalBar ? 16 : 24);
    QPainter p(&image);
    p.drawImage(horizontalBar ? 0 : 2, horizontalBar ? 2 : 0, thumb);
    return image;
}

QImage comboButton(const Art& a) {
    QImage image = canvas(18, 20);
    QPainter p(&image);
    p.fillRect(image.rect(), vertical(image.rect(), a.face));
    p.fillRect(0, 2, 1, 16, mix(a.face.bottom, a.edge, 0.6));
    return image;
}

QImage disabledFace(const Art& a) {
    const Pair faded{mix(a.face.top, a.window, 0.5), mix(a.face.bottom, a.window, 0.5)};
    return face(32, 24, faded, mix(a.edge, a.window, 0.5), a.radius, 0);
}

struct Picture {
    const char* section;
    const char* key;
    std::function<QImage(const Art&)> draw;
};

std::vector<Picture> pictures() {
    return {
        {"TitlebarSkin", "Image",
         [](const Art& a) { return strip(8, 26, a.bar, a.bar.bottom.darker(130), false); }},
        {"Toolbars", "Image",
         [](const Art& a) { return strip(8, 36, a.tool, mix(a.tool.bottom, a.edge, 0.5), false); }},
        {"Toolbars", "Hot",
         [](const Art& a) { return face(24, 24, a.toolHot, a.edge, a.radius, 0); }},
        {"Toolbars", "Down",
         [](const Art& a) { return face(24, 24, a.toolDown, a.edge, a.radius, 0); }},
        {"Buttons", "Normal",
         [](const Art& a) { return face(32, 24, a.face, a.edge, a.radius, a.gloss); }},
        {"Buttons", "Hot",
         [](const Art& a) { return face(32, 24, a.hot, a.edge, a.radius, a.gloss); }},
        {"Buttons", "Down",
         [](const Art& a) { return face(32, 24, a.down, a.edge, a.radius, a.gloss / 3); }},
        {"Buttons", "Disabled", disabledFace},
        {"MenuBackground", "Image", menuGutter},
        {"MenuItem", "Image",
         [](const Art& a) {
             return face(24, 22, a.accent, a.accent.bottom.darker(115), std::min(a.radius, 3), 0);
         }},
        {"Headerbar", "Image", header},
        {"Progress", "Image",
         [](const Art& a) {
             const Pair tint = readableTint(a.accent, a.base, a.text, a.gloss);
             return face(16, 16, tint, mix(tint.bottom, a.edge, 0.5), std::min(a.radius, 2),
                         a.gloss);
         }},
        {"Tabs", "Image", [](const Art& a) { return tab(a, false); }},
        {"Tabs", "Selected", [](const Art& a) { return tab(a, true); }},
        {"StatusBarEdges", "Image",
         [](const Art& a) {
             return strip(8, 22, {a.tool.bottom, a.tool.top}, mix(a.tool.bottom, a.edge, 0.5),
                          true);
         }},
        {"ComboButton", "Image", comboButton},
        {"ExtraImages", "CheckBox", [](const Art& a) { return marks(a, false); }},
        {"ExtraImages", "RadioButton", [](const Art& a) { return marks(a, true); }},
        {"Scrollbar", "Button",
         [](const Art& a) { return face(16, 16, a.face, a.edge, std::min(a.radius, 3), a.gloss); }},
        {"HorzScroll", "Image", [](const Art& a) { return groove(a, true); }},
        {"VertScroll", "Image", [](const Art& a) { return groove(a, false); }},
        {"HorzScrollThumb", "Image", [](const Art& a) { return scrollThumb(a, true); }},
        {"VertScrollThumb", "Image", [](const Art& a) { return scrollThumb(a, false); }},
        {"Trackbar.ThumbHorz", "GlyphImage",
         [](const Art& a) { return sliderThumb(a, std::nullopt, true); }},
        {"Trackbar.ThumbVert", "GlyphImage",
         [](const Art& a) { return sliderThumb(a, std::nullopt, false); }},
        {"Trackbar.ThumbLeft", "GlyphImage",
         [](const Art& a) { return sliderThumb(a, Direction::Left, false); }},
        {"Trackbar.ThumbRight", "GlyphImage",
         [](const Art& a) { return sliderThumb(a, Direction::Right, false); }},
        {"Trackbar.ThumbUp", "GlyphImage",
         [](const Art& a) { return sliderThumb(a, Direction::Up, true); }},
        {"Trackbar.ThumbDown", "GlyphImage",
         [](const Art& a) { return sliderThumb(a, Direction::Down, true); }},
        {"UpDown.Horz", "GlyphImage",
         [](const Art& a) { return arrows(a, Direction::Left, Direction::Right); }},
        {"UpDown.Vert", "GlyphImage",
         [](const Art& a) { return arrows(a, Direction::Up, Direction::Down); }},
    };
}

void putWord(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i) {
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

void putHalf(QByteArray& out, quint16 v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

// A 32-bit bottom-up BMP with a version 5 header, whose masks name the alpha channel.
QByteArray bmp(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    constexpr quint32 kFileHeader = 14;
    constexpr quint32 kInfoHeader = 124;
    const quint32 pixels = static_cast<quint32>(image.width() * image.height() * 4);
    QByteArray out;
    out.append("BM");
    putWord(out, kFileHeader + kInfoHeader + pixels);
    putWord(out, 0);
    putWord(out, kFileHeader + kInfoHeader);
    putWord(out, kInfoHeader);
    putWord(out, static_cast<quint32>(image.width()));
    putWord(out, static_cast<quint32>(image.height()));
    putHalf(out, 1);   // planes
    putHalf(out, 32);  // bits per pixel
    putWord(out, 3);   // bit fields
    putWord(out, pixels);
    putWord(out, 2835);  // 72 dots per inch
    putWord(out, 2835);
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, 0x00FF0000);
    putWord(out, 0x0000FF00);
    putWord(out, 0x000000FF);
    putWord(out, 0xFF000000);
    putWord(out, 0x73524742);               // sRGB
    out.append(QByteArray(36 + 12, '\0'));  // end points and gamma, unused with sRGB
    putWord(out, 4);                        // intent: perceptual
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            putWord(out, line[x]);
        }
    }
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// A bitmap's file name as the description gives it: a plain name, no folder.
bool plainName(const std::string& name) {
    return !name.empty() && name.find_first_of("/\\:") == std::string::npos && name != "." &&
           name != "..";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvessa-skinart SKIN.ini OUT_DIR\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "orvessa-skinart: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray text = source.readAll();
    const Description description{IniDocument(std::string_view(text.constData(), text.size()))};
    const Art art(description);

    // The folder holds this skin only: what an earlier description named must not be packed.
    QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "orvessa-skinart: cannot make %s\n", argv[2]);
        return 1;
    }
    for (const QString& old : out.entryList(QDir::Files)) {
        out.remove(old);
    }
    const QString iniName = QFileInfo(source.fileName()).fileName();
    if (!writeFile(out.filePath(iniName), text)) {
        std::fprintf(stderr, "orvessa-skinart: cannot write %s\n", qPrintable(iniName));
        return 1;
    }
    for (const Picture& picture : pictures()) {
        const auto name = description.text(picture.section, picture.key);
        if (!name || !plainName(*name)) {
            std::fprintf(stderr, "orvessa-skinart: [%s] %s wants a file name\n", picture.section,
                         picture.key);
            return 1;
        }
        if (!writeFile(out.filePath(QString::fromStdString(*name)), bmp(picture.draw(art)))) {
            std::fprintf(stderr, "orvessa-skinart: cannot write %s\n", name->c_str());
            return 1;
        }
    }
    return 0;
}
