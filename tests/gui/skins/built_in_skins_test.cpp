#include "gui/skins/built_in_skins.h"

#include <QImage>
#include <QSet>
#include <QTest>
#include <cmath>

#include "core/skins/skin_package.h"
#include "core/skins/skin_store.h"

using namespace orvessa;

namespace {

// What the system asks of every skin's description: these sections, each with its key.
const char* const kRequired[][2] = {
    {"TitlebarSkin", "SkinName"},
    {"Personality", "Window"},
    {"Progress", "Image"},
    {"GroupBoxEdge", "Color"},
    {"Toolbars", "Image"},
    {"Tabs", "Border"},
    {"StatusBarEdges", "Image"},
    {"ComboButton", "Image"},
    {"SunkEdge", "Dark"},
    {"ExtraImages", "CheckBox"},
    {"Headerbar", "Image"},
    {"MenuItem", "Image"},
    {"MenuBackground", "Color"},
    {"Scrollbar", "Button"},
    {"HorzScroll", "Image"},
    {"VertScroll", "Image"},
    {"HorzScrollThumb", "Image"},
    {"VertScrollThumb", "Image"},
    {"Trackbar.ThumbHorz", "GlyphImage"},
    {"Trackbar.ThumbVert", "GlyphImage"},
    {"Trackbar.ThumbLeft", "GlyphImage"},
    {"Trackbar.ThumbRight", "GlyphImage"},
    {"Trackbar.ThumbUp", "GlyphImage"},
    {"Trackbar.ThumbDown", "GlyphImage"},
    {"UpDown.Horz", "GlyphImage"},
    {"UpDown.Vert", "GlyphImage"},
};

struct Setting {
    const char* section;
    const char* key;
};

// Text drawn in a colour over a colour: both from the description.
const Setting kTextOnColor[][2] = {
    {{"Personality", "WindowText"}, {"Personality", "Window"}},
    {{"Personality", "Text"}, {"Personality", "Base"}},
    {{"Personality", "Text"}, {"Personality", "AlternateBase"}},
    {{"Personality", "ButtonText"}, {"Personality", "Button"}},
    {{"Personality", "HighlightedText"}, {"Personality", "Highlight"}},
    {{"Personality", "ToolTipText"}, {"Personality", "ToolTip"}},
    {{"MenuItem", "TextColor"}, {"MenuBackground", "Color"}},
    {{"GroupBoxEdge", "TitleColor"}, {"Personality", "Window"}},
    {{"Personality", "Text"}, {"SunkEdge", "Groove"}},
};

// Text drawn in a colour over a bitmap of the skin.
const Setting kTextOnImage[][2] = {
    {{"TitlebarSkin", "TextColor"}, {"TitlebarSkin", "Image"}},
    {{"Toolbars", "TextColor"}, {"Toolbars", "Image"}},
    {{"Toolbars", "TextColor"}, {"Toolbars", "Hot"}},
    {{"Toolbars", "TextColor"}, {"Toolbars", "Down"}},
    {{"Personality", "ButtonText"}, {"Buttons", "Normal"}},
    {{"Personality", "ButtonText"}, {"Buttons", "Hot"}},
    {{"Personality", "ButtonText"}, {"Buttons", "Down"}},
    {{"Personality", "ButtonText"}, {"Tabs", "Image"}},
    {{"Personality", "WindowText"}, {"Tabs", "Selected"}},
    {{"Headerbar", "TextColor"}, {"Headerbar", "Image"}},
    {{"MenuItem", "SelectedTextColor"}, {"MenuItem", "Image"}},
    {{"StatusBarEdges", "TextColor"}, {"StatusBarEdges", "Image"}},
    {{"Personality", "Text"}, {"Progress", "Image"}},
};

double luminance(const QColor& c) {
    auto linear = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double x = luminance(a);
    const double y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

QString where(std::size_t n, const Setting& s) {
    return QStringLiteral("skin %1 [%2] %3")
        .arg(n)
        .arg(QLatin1String(s.section), QLatin1String(s.key));
}

}  // namespace

class BuiltInSkinsTest : public QObject {
    Q_OBJECT

private slots:
    void tenReadableSkinsWithEveryPictureTheyName() {
        const auto store = skins::SkinStore::parse(gui::builtInSkinStore());
        QVERIFY2(store.ok(), store.error().c_str());
        QCOMPARE(store.value().size(), std::size_t{10});

        QSet<QString> names;
        QSet<QString> windows;
        for (std::size_t n = 0; n < 10; ++n) {
            const auto loaded = skins::loadSkin(store.value().items()[n].package);
            QVERIFY2(loaded.ok(), loaded.error().c_str());
            const skins::Skin& skin = loaded.value();
            auto text = [&](const Setting& s) {
                const auto v = skin.description.value(s.section, s.key);
                return v ? QString::fromStdString(*v) : QString();
            };
            auto color = [&](const Setting& s) {
                const QColor c = QColor::fromString(text(s));
                if (!c.isValid()) {
                    QTest::qFail(qPrintable(where(n, s) + QStringLiteral(" is no colour")),
                                 __FILE__, __LINE__);
                }
                return c;
            };
            auto image = [&](const Setting& s) {
                const std::vector<std::uint8_t>* bytes = skin.entry(text(s).toStdString());
                return bytes ? QImage::fromData(
                                   QByteArrayView(reinterpret_cast<const char*>(bytes->data()),
                                                  static_cast<qsizetype>(bytes->size())))
                             : QImage();
            };

            for (const auto& [section, key] : kRequired) {
                QVERIFY2(!text({section, key}).isEmpty(), qPrintable(where(n, {section, key})));
            }
            // Every bitmap the description names is there and decodes, and every bitmap there
            // is named.
            QSet<QString> named;
            for (const QString& line :
                 QString::fromStdString(skin.description.text()).split(QStringLiteral("\r\n"))) {
                const QString value = line.section(QLatin1Char('='), 1).trimmed().toLower();
                if (value.endsWith(QStringLiteral(".bmp"))) {
                    named << value;
                }
            }
            QVERIFY(named.size() >= 30);
            for (const auto& [entry, bytes] : skin.entries) {
                const QString name = QString::fromStdString(entry);
                if (name == QString::fromStdString(skin.descriptionName)) {
                    continue;
                }
                QVERIFY2(named.remove(name), qPrintable(name + QStringLiteral(" is not named")));
                const QImage picture =
                    QImage::fromData(QByteArrayView(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size())));
                QVERIFY2(!picture.isNull(), qPrintable(name));
            }
            QVERIFY2(named.isEmpty(), qPrintable(named.values().join(QLatin1Char(' '))));

            for (const auto& [fore, back] : kTextOnColor) {
                const double c = contrast(color(fore), color(back));
                QVERIFY2(c >= 4.5, qPrintable(where(n, fore) + QStringLiteral(" %1").arg(c)));
            }
            // Over a picture the text must read on every opaque pixel where it can stand, the
            // picture's edges left out.
            for (const auto& [fore, back] : kTextOnImage) {
                const QImage picture = image(back);
                QVERIFY2(!picture.isNull(), qPrintable(where(n, back)));
                const int margin = std::min(picture.width(), picture.height()) >= 12 ? 4 : 1;
                for (int y = margin; y < picture.height() - margin; ++y) {
                    for (int x = margin; x < picture.width() - margin; ++x) {
                        const QColor under = picture.pixelColor(x, y);
                        if (under.alpha() < 255) {
                            continue;
                        }
                        const double c = contrast(color(fore), under);
                        QVERIFY2(c >= 4.5,
                                 qPrintable(where(n, back) +
                                            QStringLiteral(" at %1,%2: %3").arg(x).arg(y).arg(c)));
                    }
                }
            }
            // The now-playing lines stay red and green, and both read on the plate under them.
            const QColor plate = color({"Personality", "Plate"});
            QVERIFY(contrast(QColor(255, 0, 0), plate) >= 3.0);
            QVERIFY(contrast(QColor(0, 128, 0), plate) >= 3.0);

            names << text({"TitlebarSkin", "SkinName"});
            windows << text({"Personality", "Window"}) + text({"Art", "Bar"});
        }
        QCOMPARE(names.size(), 10);
        QCOMPARE(windows.size(), 10);
    }
};

QTEST_MAIN(BuiltInSkinsTest)
#include "built_in_skins_test.moc"
