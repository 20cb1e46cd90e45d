#include "core/tools/subtitle_dialog.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "core/store/ini_profile.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"

namespace orvessa::tools {

using store::SystemConfig;

namespace {

constexpr const char* kFontSection = "Font";
constexpr const char* kPanelSection = "panel";

int entryOf(SubtitleDialog::Field field) {
    return SystemConfig::kSubtitleTop + static_cast<int>(field);
}

// The value in the preview: the screen shrunk to the preview area, truncated toward zero.
int scaled(int value, int screen, int area) {
    if (screen <= 0 || area <= 0) {
        return 0;
    }
    return static_cast<int>(value / (static_cast<double>(screen) / area));
}

// The largest size the font dialogs offer; a larger one would make every glyph a poster.
constexpr int32_t kMaxFontPoints = 1638;
// Colour values name RGB or one of the 31 system colours.
constexpr int32_t kSystemColorCount = 31;

bool usableFontSize(int32_t points) {
    return points > 0 && points <= kMaxFontPoints;
}

bool usableColor(int32_t value) {
    const auto color = static_cast<model::Color>(value);
    if (platform::isSystemColor(color)) {
        return (color & ~platform::kSystemColorFlag) < static_cast<model::Color>(kSystemColorCount);
    }
    return color <= 0xFFFFFF;
}

}  // namespace

SubtitleDialog::SubtitleDialog(SystemConfig& config, model::TextControl& strip,
                               SubtitleServices services)
    : Window("SubtitleDialog", "字幕设置"),
      m_config(config),
      m_strip(strip),
      m_services(std::move(services)) {
    preview.setBounds({0, 0, kPreviewWidth, kPreviewHeight});
    fontButton.setHandler([this] { chooseFont(); });
    backgroundButton.setHandler([this] { chooseBackground(); });
    hiddenBox.setHandler([this] { hiddenChanged(); });
    okButton.setHandler([this] { confirm(); });
}

std::vector<model::Command*> SubtitleDialog::allCommands() {
    return {&fontButton, &backgroundButton, &hiddenBox, &okButton};
}

void SubtitleDialog::create() {
    readFontFile();
    const std::string& text = m_config.entry(SystemConfig::kSubtitleText);
    textField.setText(text);
    previewStrip.setText(text);
    previewStyle.setFont(m_font);
    previewStyle.setBackground(m_background);
    m_strip.setText(text);
    stripStyle.setFont(m_font);
    stripStyle.setBackground(m_background);
    // Nobody may be there to answer a box at start-up; the dialog keeps its box for what the
    // operator types.
    for (Field f : {Top, Left, Width, Height}) {
        if (!text::parseDecimal(m_config.entry(entryOf(f)))) {
            m_config.setEntry(entryOf(f), SystemConfig::defaultEntry(entryOf(f)));
        }
    }
    for (Field f : {Top, Left, Width, Height}) {
        setNumber(f, m_config.entry(entryOf(f)));
    }
    geometryChanged();
    if (m_config.entry(SystemConfig::kSubtitleShown) == "0") {
        m_strip.setVisible(false);
        previewStrip.setVisible(false);
        hiddenBox.setChecked(true);
    } else {
        m_strip.setVisible(true);
        previewStrip.setVisible(true);
    }
    const auto screens = m_services.monitors.monitors();
    const platform::ScreenRect screen = screens.empty() ? platform::ScreenRect{} : screens.front();
    ranges[Top] = {-10, screen.height};
    ranges[Left] = {-10, screen.width};
    ranges[Width] = {0, screen.width};
    ranges[Height] = {0, screen.height};
}

void SubtitleDialog::readFontFile() {
    std::error_code error;
    if (!std::filesystem::exists(fontFile(), error)) {
        return;
    }
    const store::ProfileFile file(fontFile());
    // A value that is there but cannot be used keeps `fallback`, and is recorded.
    const auto checked = [&](const char* section, const char* key, int32_t fallback,
                             bool (*usable)(int32_t)) {
        const std::string stored = file.readString(section, key, "");
        if (stored.empty()) {
            return fallback;
        }
        const std::optional<int32_t> value = text::parseDecimal(stored);
        if (value && usable(*value)) {
            return *value;
        }
        platform::recordFailure(
            m_services.failures,
            {"subtitle setting not usable", text::utf8Path(fontFile()) + " [" + section + "] " +
                                                key + "='" + text::firstCharacters(stored, 40) +
                                                "'; " + text::decimalText(fallback) + " is used"});
        return fallback;
    };
    const auto anyNumber = [](int32_t) { return true; };
    m_font.face = file.readString(kFontSection, "Name", m_font.face);
    m_font.size = checked(kFontSection, "Size", m_font.size, usableFontSize);
    m_font.color = static_cast<model::Color>(
        checked(kFontSection, "Color", static_cast<int32_t>(m_font.color), usableColor));
    // Reading only ever adds a style.
    m_font.bold = m_font.bold || checked(kFontSection, "Bold", 0, anyNumber) != 0;
    m_font.italic = m_font.italic || checked(kFontSection, "Italic", 0, anyNumber) != 0;
    m_font.underline = m_font.underline || checked(kFontSection, "Underline", 0, anyNumber) != 0;
    m_font.strikeout = m_font.strikeout || checked(kFontSection, "Strikeout", 0, anyNumber) != 0;
    m_background = static_cast<model::Color>(
        checked(kPanelSection, "Color", static_cast<int32_t>(m_background), usableColor));
}

void SubtitleDialog::textTyped(const std::string& text) {
    textField.setText(text);
    previewStrip.setText(text);
    m_strip.setText(text);
    m_config.setEntry(SystemConfig::kSubtitleText, text);
}

void SubtitleDialog::numberTyped(Field field, const std::string& text) {
    setNumber(field, text);
}

void SubtitleDialog::stepNumber(Field field, int direction) {
    const Range range = ranges[field];
    const int from = text::parseDecimal(numbers[field].text()).value_or(m_positions[field]);
    const int start = std::clamp(from, range.minimum, std::max(range.minimum, range.maximum));
    const int to = std::clamp(start + direction * kStep, range.minimum,
                              std::max(range.minimum, range.maximum));
    setNumber(field, text::decimalText(to));
}

bool SubtitleDialog::setNumber(Field field, std::string text) {
    if (numbers[field].text() == text) {
        return true;
    }
    if (const auto value = text::parseDecimal(text)) {
        m_positions[field] = *value;
    }
    numbers[field].setText(std::move(text));
    return geometryChanged();
}

bool SubtitleDialog::geometryChanged() {
    // A field that reads "0" takes back the value last applied, so none of them can become 0.
    for (Field f : {Top, Left, Width, Height}) {
        if (numbers[f].text() == "0" && !setNumber(f, m_config.entry(entryOf(f)))) {
            return false;
        }
    }
    for (Field f : {Top, Left, Width, Height}) {
        const std::string& text = numbers[f].text();
        const std::optional<int32_t> value = text::parseDecimal(text);
        if (!value) {
            m_services.host.messageBox("'" + text + "' is not a valid integer value", "Orvessa",
                                       platform::MessageIcon::Error, platform::MessageButtons::Ok);
            return false;
        }
        model::Rect b = m_strip.bounds();
        switch (f) {
            case Top:
                b.top = *value;
                break;
            case Left:
                b.left = *value;
                break;
            case Width:
                b.width = *value;
                break;
            case Height:
                b.height = *value;
                break;
        }
        m_strip.setBounds(b);
    }
    const model::Rect& b = m_strip.bounds();
    m_config.setEntry(SystemConfig::kSubtitleTop, text::decimalText(b.top));
    m_config.setEntry(SystemConfig::kSubtitleLeft, text::decimalText(b.left));
    m_config.setEntry(SystemConfig::kSubtitleWidth, text::decimalText(b.width));
    m_config.setEntry(SystemConfig::kSubtitleHeight, text::decimalText(b.height));
    placePreview();
    return true;
}

void SubtitleDialog::placePreview() {
    const auto screens = m_services.monitors.monitors();
    const platform::ScreenRect screen = screens.empty() ? platform::ScreenRect{} : screens.front();
    const model::Rect& area = preview.bounds();
    const model::Rect& b = m_strip.bounds();
    previewStrip.setBounds(
        {scaled(b.left, screen.width, area.width), scaled(b.top, screen.height, area.height),
         scaled(b.width, screen.width, area.width), scaled(b.height, screen.height, area.height)});
}

void SubtitleDialog::activate() {
    previewStyle.setBackground(m_background);
}

void SubtitleDialog::chooseFont() {
    if (const auto chosen = m_services.dialogs.fontDialog(m_font)) {
        m_font = *chosen;
        // Like the system's profile functions, a file that cannot be written is passed over.
        // One rewrite for the whole font, so an interrupted save never leaves half of it.
        const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
        store::ProfileFile(fontFile(), m_services.fileSync)
            .writeStrings(kFontSection,
                          {{"Name", m_font.face},
                           {"Size", text::decimalText(m_font.size)},
                           {"Color", text::decimalText(static_cast<int32_t>(m_font.color))},
                           {"Bold", flag(m_font.bold)},
                           {"Italic", flag(m_font.italic)},
                           {"Underline", flag(m_font.underline)},
                           {"Strikeout", flag(m_font.strikeout)}});
    }
    stripStyle.setFont(m_font);
    previewStyle.setFont(m_font);
}

void SubtitleDialog::chooseBackground() {
    if (const auto chosen = m_services.dialogs.colorDialog(m_background)) {
        m_background = *chosen;
        const store::ProfileFile file(fontFile(), m_services.fileSync);
        file.writeInteger(kPanelSection, "Color", static_cast<int32_t>(m_background));
    }
    stripStyle.setBackground(m_background);
    previewStyle.setBackground(m_background);
}

void SubtitleDialog::hiddenChanged() {
    const bool hidden = hiddenBox.checked();
    m_strip.setVisible(!hidden);
    previewStrip.setVisible(!hidden);
    m_config.setEntry(SystemConfig::kSubtitleShown, hidden ? "0" : "1");
}

void SubtitleDialog::confirm() {
    m_services.saveConfiguration();
    endModal(model::ModalResult::Accepted);
}

}  // namespace orvessa::tools
