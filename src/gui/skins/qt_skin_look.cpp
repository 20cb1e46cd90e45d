#include "gui/skins/qt_skin_look.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/skins/skin.h"

namespace orvessa::gui {
namespace {

QColor mix(const QColor& a, const QColor& b, double t) {
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()));
}

// A "#RRGGBB" of the description; anything else is no colour at all, so nothing the package
// holds reaches the style sheet except colours the look spelled itself.
std::optional<QColor> colorOf(const skins::Skin& skin, const char* section, const char* key) {
    const auto value = skin.description.value(section, key);
    if (!value) {
        return std::nullopt;
    }
    static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    const QString text = QString::fromStdString(*value).trimmed();
    if (!pattern.match(text).hasMatch()) {
        return std::nullopt;
    }
    return QColor::fromString(text);
}

int numberOf(const skins::Skin& skin, const char* section, const char* key, int fallback, int low,
             int high) {
    const auto value = skin.description.value(section, key);
    bool ok = false;
    const int n = value ? QString::fromStdString(*value).trimmed().toInt(&ok) : 0;
    return ok ? std::clamp(n, low, high) : fallback;
}

// A colour setting of the style sheet, the palette role that stands in for it when the
// description has none, and where the description keeps it.
struct ColorSetting {
    const char* name;
    const char* section;
    const char* key;
    QPalette::ColorRole fallback;
};

const ColorSetting kColors[] = {
    {"Window", "Personality", "Window", QPalette::Window},
    {"WindowText", "Personality", "WindowText", QPalette::WindowText},
    {"Base", "Personality", "Base", QPalette::Base},
    {"Text", "Personality", "Text", QPalette::Text},
    {"AlternateBase", "Personality", "AlternateBase", QPalette::AlternateBase},
    {"Button", "Personality", "Button", QPalette::Button},
    {"ButtonText", "Personality", "ButtonText", QPalette::ButtonText},
    {"Highlight", "Personality", "Highlight", QPalette::Highlight},
    {"HighlightedText", "Personality", "HighlightedText", QPalette::HighlightedText},
    {"DisabledText", "Personality", "DisabledText", QPalette::PlaceholderText},
    {"ToolTip", "Personality", "ToolTip", QPalette::ToolTipBase},
    {"ToolTipText", "Personality", "ToolTipText", QPalette::ToolTipText},
    {"Border", "Personality", "Border", QPalette::Mid},
    {"Plate", "Personality", "Plate", QPalette::Base},
    {"TitleText", "TitlebarSkin", "TextColor", QPalette::WindowText},
    {"ToolText", "Toolbars", "TextColor", QPalette::ButtonText},
    {"Menu", "MenuBackground", "Color", QPalette::Base},
    {"MenuBorder", "MenuBackground", "Border", QPalette::Mid},
    {"MenuText", "MenuItem", "TextColor", QPalette::Text},
    {"MenuSelectedText", "MenuItem", "SelectedTextColor", QPalette::HighlightedText},
    {"HeaderText", "Headerbar", "TextColor", QPalette::ButtonText},
    {"GroupEdge", "GroupBoxEdge", "Color", QPalette::Mid},
    {"GroupTitle", "GroupBoxEdge", "TitleColor", QPalette::WindowText},
    {"TabBorder", "Tabs", "Border", QPalette::Mid},
    {"StatusText", "StatusBarEdges", "TextColor", QPalette::WindowText},
    {"SunkDark", "SunkEdge", "Dark", QPalette::Dark},
    {"SunkLight", "SunkEdge", "Light", QPalette::Light},
    {"Groove", "SunkEdge", "Groove", QPalette::Button},
};

// A bitmap of the style sheet: the whole entry, or one square frame of a strip of them.
struct ImagePart {
    const char* name;
    const char* section;
    const char* key;
    int frame = 0;
    int frames = 1;
};

const ImagePart kImages[] = {
    {"caption", "TitlebarSkin", "Image"},
    {"toolbar", "Toolbars", "Image"},
    {"toolHot", "Toolbars", "Hot"},
    {"toolDown", "Toolbars", "Down"},
    {"button", "Buttons", "Normal"},
    {"buttonHot", "Buttons", "Hot"},
    {"buttonDown", "Buttons", "Down"},
    {"buttonDisabled", "Buttons", "Disabled"},
    {"menuGutter", "MenuBackground", "Image"},
    {"menuItem", "MenuItem", "Image"},
    {"header", "Headerbar", "Image"},
    {"progress", "Progress", "Image"},
    {"tab", "Tabs", "Image"},
    {"tabSelected", "Tabs", "Selected"},
    {"statusBar", "StatusBarEdges", "Image"},
    {"comboButton", "ComboButton", "Image"},
    {"checkOff", "ExtraImages", "CheckBox", 0, 4},
    {"checkOn", "ExtraImages", "CheckBox", 1, 4},
    {"checkOffDisabled", "ExtraImages", "CheckBox", 2, 4},
    {"checkOnDisabled", "ExtraImages", "CheckBox", 3, 4},
    {"radioOff", "ExtraImages", "RadioButton", 0, 4},
    {"radioOn", "ExtraImages", "RadioButton", 1, 4},
    {"radioOffDisabled", "ExtraImages", "RadioButton", 2, 4},
    {"radioOnDisabled", "ExtraImages", "RadioButton", 3, 4},
    {"scrollButton", "Scrollbar", "Button"},
    {"hscroll", "HorzScroll", "Image"},
    {"vscroll", "VertScroll", "Image"},
    {"hthumb", "HorzScrollThumb", "Image"},
    {"vthumb", "VertScrollThumb", "Image"},
    {"thumbHorz", "Trackbar.ThumbHorz", "GlyphImage"},
    {"thumbVert", "Trackbar.ThumbVert", "GlyphImage"},
    {"thumbLeft", "Trackbar.ThumbLeft", "GlyphImage"},
    {"thumbRight", "Trackbar.ThumbRight", "GlyphImage"},
    {"thumbUp", "Trackbar.ThumbUp", "GlyphImage"},
    {"thumbDown", "Trackbar.ThumbDown", "GlyphImage"},
    {"arrowLeft", "UpDown.Horz", "GlyphImage", 0, 2},
    {"arrowRight", "UpDown.Horz", "GlyphImage", 1, 2},
    {"arrowUp", "UpDown.Vert", "GlyphImage", 0, 2},
    {"arrowDown", "UpDown.Vert", "GlyphImage", 1, 2},
};

std::optional<QImage> imageOf(const skins::Skin& skin, const ImagePart& part) {
    const auto name = skin.description.value(part.section, part.key);
    const std::vector<std::uint8_t>* bytes = name ? skin.entry(*name) : nullptr;
    if (bytes == nullptr || bytes->empty()) {
        return std::nullopt;
    }
    QImage image = QImage::fromData(QByteArrayView(reinterpret_cast<const char*>(bytes->data()),
                                                   static_cast<qsizetype>(bytes->size())));
    if (image.isNull()) {
        return std::nullopt;
    }
    if (part.frames > 1) {
        const int width = image.width() / part.frames;
        if (width <= 0) {
            return std::nullopt;
        }
        image = image.copy(part.frame * width, 0, width, image.height());
    }
    return image;
}

// One rule per line of the style sheet; a rule that names a setting the skin does not give is
// left out whole, so the plain style draws that part.
const char* const kRules[] = {
    "QToolTip { color: ${ToolTipText}; background-color: ${ToolTip}; border: 1px solid "
    "${Border}; padding: 2px; }",

    // The menu bar is the strip of the window the skin owns at the top: it wears the title.
    "QMenuBar { border-image: url(${caption}) 0 0 0 0 stretch stretch; color: ${TitleText}; }",
    "QMenuBar::item { background: transparent; color: ${TitleText}; padding: 4px 10px; }",
    "QMenuBar::item:selected, QMenuBar::item:pressed { border-image: url(${menuItem}) 4 4 4 4 "
    "stretch stretch; border-width: 4px; padding: 0px 6px; color: ${MenuSelectedText}; }",
    // A title whose menu is closed to the operator (in automatic operation) must look it.
    "QMenuBar::item:disabled { color: ${TitleDisabledText}; }",
    "QMenu { background-color: ${Menu}; border: 1px solid ${MenuBorder}; color: ${MenuText}; "
    "padding: 3px 0px; }",
    "QMenu { background-image: url(${menuGutter}); background-repeat: repeat-y; "
    "background-position: left; }",
    "QMenu::item { background: transparent; padding: 4px 24px 4px 32px; margin: 0px 2px; }",
    "QMenu::item:selected { border-image: url(${menuItem}) 4 4 4 4 stretch stretch; "
    "border-width: 4px; padding: 0px 20px 0px 28px; color: ${MenuSelectedText}; }",
    "QMenu::item:disabled { color: ${DisabledText}; }",
    "QMenu::separator { height: 1px; background: ${MenuBorder}; margin: 3px 6px 3px 32px; }",
    "QMenu::indicator { width: 13px; height: 13px; padding-left: 6px; }",
    "QMenu::indicator:non-exclusive:checked { image: url(${checkOn}); }",
    "QMenu::indicator:exclusive:checked { image: url(${radioOn}); }",
    "QMenu::right-arrow { image: url(${arrowRight}); }",

    "QToolBar { border-image: url(${toolbar}) 0 0 0 0 stretch stretch; spacing: 1px; }",
    "QToolBar::separator { width: 1px; background: ${SunkDark}; margin: 5px 3px; }",
    "QToolBar QToolButton { color: ${ToolText}; background: transparent; border-image: none; "
    "border: 2px solid transparent; padding: 0px; }",
    "QToolBar QToolButton:hover { border-image: url(${toolHot}) 3 3 3 3 stretch stretch; }",
    "QToolBar QToolButton:pressed, QToolBar QToolButton:checked { border-image: "
    "url(${toolDown}) 3 3 3 3 stretch stretch; }",
    "QToolBar QToolButton:disabled { border-image: none; color: ${ToolDisabledText}; }",

    // The main window's buttons hold captions fitted to their width less ten pixels: the border
    // and padding together stay within those ten.
    "QPushButton, QToolButton { border-image: url(${button}) 4 4 4 4 stretch stretch; "
    "border-width: 4px; color: ${ButtonText}; padding: 0px 1px; }",
    "QPushButton:hover, QToolButton:hover { border-image: url(${buttonHot}) 4 4 4 4 stretch "
    "stretch; }",
    "QPushButton:pressed, QPushButton:checked, QToolButton:pressed, QToolButton:checked { "
    "border-image: url(${buttonDown}) 4 4 4 4 stretch stretch; }",
    "QPushButton:disabled, QToolButton:disabled { border-image: url(${buttonDisabled}) 4 4 4 4 "
    "stretch stretch; color: ${DisabledText}; }",
    "QDialogButtonBox QPushButton { min-width: 64px; padding: 2px 8px; }",
    "QToolButton::up-arrow { image: url(${arrowUp}); }",
    "QToolButton::down-arrow { image: url(${arrowDown}); }",
    "QToolButton::left-arrow { image: url(${arrowLeft}); }",
    "QToolButton::right-arrow { image: url(${arrowRight}); }",

    "QHeaderView::section { border-image: url(${header}) 2 2 2 2 stretch stretch; border-width: "
    "2px; color: ${HeaderText}; padding: 0px 2px; }",
    "QTableCornerButton::section { border-image: url(${header}) 2 2 2 2 stretch stretch; "
    "border-width: 2px; }",
    "QAbstractItemView { border: 1px solid ${SunkDark}; gridline-color: ${Grid}; "
    "selection-background-color: ${Highlight}; selection-color: ${HighlightedText}; }",

    "QLineEdit, QAbstractSpinBox { border: 1px solid ${SunkDark}; border-right-color: "
    "${SunkLight}; border-bottom-color: ${SunkLight}; padding: 1px 2px; }",
    "QAbstractSpinBox { padding-right: 16px; }",
    "QAbstractSpinBox::up-button { subcontrol-origin: border; subcontrol-position: top right; "
    "width: 15px; border-image: url(${scrollButton}) 2 2 2 2 stretch stretch; border-width: "
    "1px; }",
    "QAbstractSpinBox::down-button { subcontrol-origin: border; subcontrol-position: bottom "
    "right; width: 15px; border-image: url(${scrollButton}) 2 2 2 2 stretch stretch; "
    "border-width: 1px; }",
    "QAbstractSpinBox::up-arrow { image: url(${arrowUp}); width: 7px; height: 7px; }",
    "QAbstractSpinBox::down-arrow { image: url(${arrowDown}); width: 7px; height: 7px; }",
    "QComboBox { border: 1px solid ${SunkDark}; border-right-color: ${SunkLight}; "
    "border-bottom-color: ${SunkLight}; padding: 1px 20px 1px 3px; background-color: ${Base}; "
    "color: ${Text}; }",
    "QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: center right; "
    "width: 18px; border-image: url(${comboButton}) 0 0 0 0 stretch stretch; }",
    "QComboBox::down-arrow { image: url(${arrowDown}); }",
    "QComboBox QAbstractItemView { border: 1px solid ${Border}; background-color: ${Base}; "
    "color: ${Text}; }",

    "QCheckBox::indicator, QRadioButton::indicator, QGroupBox::indicator { width: 13px; height: "
    "13px; }",
    "QCheckBox::indicator:unchecked, QGroupBox::indicator:unchecked { image: url(${checkOff}); }",
    "QCheckBox::indicator:checked, QCheckBox::indicator:indeterminate, "
    "QGroupBox::indicator:checked { image: url(${checkOn}); }",
    "QCheckBox::indicator:unchecked:disabled { image: url(${checkOffDisabled}); }",
    "QCheckBox::indicator:checked:disabled { image: url(${checkOnDisabled}); }",
    "QRadioButton::indicator:unchecked { image: url(${radioOff}); }",
    "QRadioButton::indicator:checked { image: url(${radioOn}); }",
    "QRadioButton::indicator:unchecked:disabled { image: url(${radioOffDisabled}); }",
    "QRadioButton::indicator:checked:disabled { image: url(${radioOnDisabled}); }",

    "QGroupBox { border: 1px solid ${GroupEdge}; border-radius: 4px; margin-top: 8px; }",
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; "
    "padding: 0px 3px; color: ${GroupTitle}; }",

    // The groove stays the plain style's, which draws the ticks beside it.
    "QSlider::handle:horizontal { border-image: url(${thumbHorz}) 0 0 0 0 stretch stretch; "
    "width: 11px; margin: -8px 0px; }",
    "QSlider::handle:vertical { border-image: url(${thumbVert}) 0 0 0 0 stretch stretch; "
    "height: 11px; margin: 0px -8px; }",
    // A thumb points at the ticks beside it.
    "QSlider[tickPosition=\"TicksAbove\"]::handle:horizontal { border-image: url(${thumbUp}) 0 0 "
    "0 0 stretch stretch; }",
    "QSlider[tickPosition=\"TicksBelow\"]::handle:horizontal { border-image: url(${thumbDown}) 0 "
    "0 0 0 stretch stretch; }",
    "QSlider[tickPosition=\"TicksAbove\"]::handle:vertical { border-image: url(${thumbLeft}) 0 0 "
    "0 0 stretch stretch; }",
    "QSlider[tickPosition=\"TicksBelow\"]::handle:vertical { border-image: url(${thumbRight}) 0 "
    "0 0 0 stretch stretch; }",

    "QProgressBar { border: 1px solid ${SunkDark}; border-radius: 3px; background-color: "
    "${Groove}; color: ${Text}; text-align: center; }",
    "QProgressBar::chunk { border-image: url(${progress}) 3 3 3 3 stretch stretch; "
    "border-width: 3px; }",

    "QTabWidget::pane { border: 1px solid ${TabBorder}; top: -1px; background-color: ${Window}; "
    "}",
    "QTabBar::tab { border-image: url(${tab}) 4 4 0 4 stretch stretch; border-width: 4px 4px 0px "
    "4px; padding: 1px 8px 4px 8px; margin-right: 1px; color: ${ButtonText}; }",
    "QTabBar::tab:selected { border-image: url(${tabSelected}) 4 4 0 4 stretch stretch; color: "
    "${WindowText}; }",
    "QTabBar::tab:!selected { margin-top: 2px; }",
    "QTabBar::tab:disabled { color: ${DisabledText}; }",

    "QStatusBar { border-image: url(${statusBar}) 0 0 0 0 stretch stretch; color: "
    "${StatusText}; }",
    "QStatusBar QLabel { color: ${StatusText}; }",
    "QStatusBar::item { border: none; }",

    "QScrollBar:horizontal { height: ${ScrollSize}px; border-image: url(${hscroll}) 0 0 0 0 "
    "stretch stretch; margin: 0px ${ScrollSize}px; }",
    "QScrollBar:vertical { width: ${ScrollSize}px; border-image: url(${vscroll}) 0 0 0 0 "
    "stretch stretch; margin: ${ScrollSize}px 0px; }",
    "QScrollBar::handle:horizontal { border-image: url(${hthumb}) 4 4 4 4 stretch stretch; "
    "border-width: 4px; min-width: 20px; }",
    "QScrollBar::handle:vertical { border-image: url(${vthumb}) 4 4 4 4 stretch stretch; "
    "border-width: 4px; min-height: 20px; }",
    "QScrollBar::add-line:horizontal { subcontrol-origin: margin; subcontrol-position: right; "
    "width: ${ScrollSize}px; border-image: url(${scrollButton}) 3 3 3 3 stretch stretch; "
    "border-width: 3px; }",
    "QScrollBar::sub-line:horizontal { subcontrol-origin: margin; subcontrol-position: left; "
    "width: ${ScrollSize}px; border-image: url(${scrollButton}) 3 3 3 3 stretch stretch; "
    "border-width: 3px; }",
    "QScrollBar::add-line:vertical { subcontrol-origin: margin; subcontrol-position: bottom; "
    "height: ${ScrollSize}px; border-image: url(${scrollButton}) 3 3 3 3 stretch stretch; "
    "border-width: 3px; }",
    "QScrollBar::sub-line:vertical { subcontrol-origin: margin; subcontrol-position: top; "
    "height: ${ScrollSize}px; border-image: url(${scrollButton}) 3 3 3 3 stretch stretch; "
    "border-width: 3px; }",
    "QScrollBar::left-arrow:horizontal { image: url(${arrowLeft}); }",
    "QScrollBar::right-arrow:horizontal { image: url(${arrowRight}); }",
    "QScrollBar::up-arrow:vertical { image: url(${arrowUp}); }",
    "QScrollBar::down-arrow:vertical { image: url(${arrowDown}); }",
    "QScrollBar::add-page, QScrollBar::sub-page { background: none; }",

    // The main window's now-playing box: its red and green lines keep their meaning on a light
    // plate whatever the skin.
    "QFrame#nowPlayingFrame { background-color: ${Plate}; }",
};

QString styleSheet(const QHash<QString, QString>& values) {
    static const QRegularExpression placeholder(QStringLiteral("\\$\\{([A-Za-z]+)\\}"));
    QString sheet;
    for (const char* rule : kRules) {
        QString text = QString::fromLatin1(rule);
        bool complete = true;
        QString filled;
        qsizetype from = 0;
        for (auto it = placeholder.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const auto value = values.constFind(m.captured(1));
            if (value == values.constEnd()) {
                complete = false;
                break;
            }
            filled += QStringView(text).mid(from, m.capturedStart() - from);
            filled += *value;
            from = m.capturedEnd();
        }
        if (complete) {
            filled += QStringView(text).mid(from);
            sheet += filled + QLatin1Char('\n');
        }
    }
    return sheet;
}

double luminance(const QColor& c) {
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

QPalette paletteOf(const QHash<QString, QColor>& c) {
    QPalette p;
    auto all = [&p](QPalette::ColorRole role, const QColor& color) {
        p.setColor(QPalette::All, role, color);
    };
    const QColor button = c.value(QStringLiteral("Button"));
    const bool dark = luminance(c.value(QStringLiteral("Window"))) < 0.2;
    const QColor light = mix(button, Qt::white, dark ? 0.18 : 0.6);
    const QColor shade = mix(button, Qt::black, dark ? 0.45 : 0.35);
    all(QPalette::Window, c.value(QStringLiteral("Window")));
    all(QPalette::WindowText, c.value(QStringLiteral("WindowText")));
    all(QPalette::Base, c.value(QStringLiteral("Base")));
    all(QPalette::AlternateBase, c.value(QStringLiteral("AlternateBase")));
    all(QPalette::Text, c.value(QStringLiteral("Text")));
    all(QPalette::Button, button);
    all(QPalette::ButtonText, c.value(QStringLiteral("ButtonText")));
    all(QPalette::Highlight, c.value(QStringLiteral("Highlight")));
    all(QPalette::HighlightedText, c.value(QStringLiteral("HighlightedText")));
    all(QPalette::ToolTipBase, c.value(QStringLiteral("ToolTip")));
    all(QPalette::ToolTipText, c.value(QStringLiteral("ToolTipText")));
    all(QPalette::PlaceholderText,
        mix(c.value(QStringLiteral("Text")), c.value(QStringLiteral("Base")), 0.45));
    all(QPalette::BrightText, dark ? Qt::white : Qt::black);
    all(QPalette::Link, c.value(QStringLiteral("GroupTitle")));
    all(QPalette::LinkVisited, c.value(QStringLiteral("GroupTitle")));
    all(QPalette::Light, light);
    all(QPalette::Midlight, mix(button, light, 0.5));
    all(QPalette::Dark, shade);
    all(QPalette::Mid, mix(button, shade, 0.5));
    all(QPalette::Shadow, dark ? QColor(Qt::black) : mix(shade, Qt::black, 0.5));
    const QColor disabled = c.value(QStringLiteral("DisabledText"));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, disabled);
    }
    p.setColor(QPalette::Disabled, QPalette::Highlight,
               mix(c.value(QStringLiteral("Highlight")), c.value(QStringLiteral("Window")), 0.5));
    return p;
}

QString cssColor(const QColor& color) {
    return color.name(QColor::HexRgb);
}

}  // namespace

QtSkinLook::QtSkinLook(QString folder) : m_givenFolder(std::move(folder)) {}

QtSkinLook::~QtSkinLook() {
    clear();
}

void QtSkinLook::apply(const skins::Skin& skin) {
    const QPalette fallback = m_desktop ? m_desktop->palette : QApplication::palette();
    QHash<QString, QColor> colors;
    for (const ColorSetting& setting : kColors) {
        colors.insert(QString::fromLatin1(setting.name),
                      colorOf(skin, setting.section, setting.key)
                          .value_or(fallback.color(QPalette::Active, setting.fallback)));
    }

    if (!m_folder && m_givenFolder.isEmpty()) {
        m_folder = std::make_unique<QTemporaryDir>(
            QDir::temp().filePath(QStringLiteral("orvessa-skin-XXXXXX")));
    }
    const bool folderValid = m_folder ? m_folder->isValid() : true;
    const QDir folder(m_folder ? m_folder->path() : m_givenFolder);
    // Each skin's files under new names: the style machinery caches pictures by path.
    ++m_generation;
    QStringList files;
    QHash<QString, QString> values;
    QHash<QString, QImage> images;
    if (folderValid) {
        for (const ImagePart& part : kImages) {
            const std::optional<QImage> image = imageOf(skin, part);
            if (!image) {
                continue;
            }
            const QString path = folder.filePath(
                QStringLiteral("%1-%2.png").arg(m_generation).arg(QLatin1String(part.name)));
            if (image->save(path, "PNG")) {
                files << path;
                values.insert(QString::fromLatin1(part.name),
                              QLatin1Char('"') + path + QLatin1Char('"'));
                images.insert(QString::fromLatin1(part.name), *image);
            }
        }
    }
    for (auto it = colors.cbegin(); it != colors.cend(); ++it) {
        values.insert(it.key(), cssColor(it.value()));
    }
    values.insert(QStringLiteral("Grid"),
                  cssColor(mix(colors.value(QStringLiteral("Base")),
                               colors.value(QStringLiteral("Text")), 0.22)));
    // Greyed text leans towards the colour of the strip it is written on, which may be dark in a
    // light skin: the toolbar's captions towards the toolbar, menu titles towards the title strip.
    const auto greyedOn = [&](const char* text, const char* strip, double weight) {
        const QImage picture = images.value(QString::fromLatin1(strip));
        const QColor under = picture.isNull()
                                 ? colors.value(QStringLiteral("Window"))
                                 : picture.pixelColor(picture.width() / 2, picture.height() / 2);
        return cssColor(mix(colors.value(QString::fromLatin1(text)), under, weight));
    };
    values.insert(QStringLiteral("ToolDisabledText"), greyedOn("ToolText", "toolbar", 0.5));
    values.insert(QStringLiteral("TitleDisabledText"), greyedOn("TitleText", "caption", 0.55));
    values.insert(QStringLiteral("ScrollSize"),
                  QString::number(numberOf(skin, "Scrollbar", "Size", 16, 10, 30)));

    if (!m_desktop) {
        // The desktop's look, kept to be given back. Its style comes out from under any style
        // sheet first, and is taken from the application so that setting ours does not
        // delete it.
        auto desktop = std::make_unique<Desktop>();
        desktop->palette = QApplication::palette();
        desktop->paletteSet = QCoreApplication::testAttribute(Qt::AA_SetPalette);
        desktop->styleSheet = qApp->styleSheet();
        if (!desktop->styleSheet.isEmpty()) {
            qApp->setStyleSheet(QString());
        }
        desktop->style = QApplication::style();
        desktop->styleParent = desktop->style->parent();
        desktop->style->setParent(nullptr);
        m_desktop = std::move(desktop);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }
    QApplication::setPalette(paletteOf(colors));
    qApp->setStyleSheet(styleSheet(values));

    // The style sheet's pictures are cached by path, and every skin has paths of its own: the
    // cache would fill with skins no longer shown. Pictures in use are loaded again as needed.
    QPixmapCache::clear();
    removeFiles(m_files);
    m_files = files;
}

void QtSkinLook::clear() {
    if (!m_desktop) {
        return;
    }
    if (QCoreApplication::instance() == nullptr) {
        // Too late to give anything back: the application, and the look with it, are gone.
        m_desktop.reset();
        return;
    }
    qApp->setStyleSheet(QString());
    // Setting the desktop's style back deletes the skin's, which the application owns.
    QApplication::setStyle(m_desktop->style);
    m_desktop->style->setParent(m_desktop->styleParent);
    // A palette the desktop never set is given back as none, so the platform's stays in charge.
    QApplication::setPalette(m_desktop->paletteSet ? m_desktop->palette : QPalette());
    if (!m_desktop->styleSheet.isEmpty()) {
        qApp->setStyleSheet(m_desktop->styleSheet);
    }
    m_desktop.reset();
    removeFiles(m_files);
    m_files.clear();
}

void QtSkinLook::removeFiles(const QStringList& files) {
    for (const QString& file : files) {
        QFile::remove(file);
    }
}

}  // namespace orvessa::gui
