#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/window.h"
#include "core/platform/display_services.h"
#include "core/platform/failure_record.h"
#include "core/platform/host.h"
#include "core/platform/style_dialogs.h"
#include "core/store/system_config.h"
#include "core/tools/subtitle_style.h"

namespace orvessa::tools {

// What the subtitle dialog works on besides the configuration.
struct SubtitleServices {
    platform::Host& host;
    platform::StyleDialogs& dialogs;
    const platform::Monitors& monitors;
    // Writes the configuration, telling the operator when that fails.
    std::function<bool()> saveConfiguration;
    // Where fontinfo.ini lives: beside the executable.
    std::filesystem::path programDirectory;
    // Where a value of fontinfo.ini that cannot be used is recorded; none in tests.
    platform::FailureRecord* failures = nullptr;
    // What the files it writes are flushed through; none in tests (file_io.h).
    store::FileSync* fileSync = nullptr;
};

// The subtitle dialog: one line of text laid over the video window, with its
// place, size, font, background and visibility. Every edit takes effect at once
// on the strip, on the dialog's scaled preview and on the configuration in
// memory.
class SubtitleDialog : public model::Window {
public:
    static constexpr const char* kFontFile = "fontinfo.ini";
    static constexpr int kPreviewWidth = 289;
    static constexpr int kPreviewHeight = 217;
    static constexpr int kStep = 10;

    // The number fields, in the order the geometry procedure takes them.
    enum Field : int { Top = 0, Left = 1, Width = 2, Height = 3 };
    struct Range {
        int minimum = 0;
        int maximum = 0;
    };

    // `strip` is the video window's subtitle strip: its text, place and
    // visibility.
    SubtitleDialog(store::SystemConfig& config, model::TextControl& strip,
                   SubtitleServices services);

    // The font and background of the video window's strip, which its view draws
    // with.
    StripStyle stripStyle;

    // "字符内容".
    model::TextControl textField{"textField"};
    // "预览": the black area standing for the whole screen, and the scaled strip
    // inside it.
    model::Control preview{"preview"};
    model::TextControl previewStrip{"previewStrip"};
    StripStyle previewStyle;
    // "上边距", "左边距", "宽度", "高度", by Field.
    std::array<model::TextControl, 4> numbers{
        model::TextControl{"topField", "0"}, model::TextControl{"leftField", "0"},
        model::TextControl{"widthField", "0"}, model::TextControl{"heightField", "0"}};
    // What the up-down arrows beside each number field may reach.
    std::array<Range, 4> ranges{};
    model::Command fontButton{"fontButton", model::CommandKind::Button, "字体"};
    model::Command backgroundButton{"backgroundButton", model::CommandKind::Button, "背景"};
    model::Command hiddenBox{"hiddenBox", model::CommandKind::CheckBox, "不显示"};
    model::Command okButton{"okButton", model::CommandKind::Button, "确定(&O)"};

    std::vector<model::Command*> allCommands() override;

    // Applies the stored subtitle to the strip and fills the dialog: once at
    // start-up, after the configuration has been loaded. It asks nothing: a
    // stored place or size that is no number takes its default, and a font
    // size or colour of fontinfo.ini that cannot be drawn keeps the default and
    // is recorded.
    void create();

    // The operator typed into the text field or a number field.
    void textTyped(const std::string& text);
    void numberTyped(Field field, const std::string& text);
    // An up-down arrow: +1 up, -1 down.
    void stepNumber(Field field, int direction);
    // The dialog became active.
    void activate();

    std::filesystem::path fontFile() const { return m_services.programDirectory / kFontFile; }

private:
    void readFontFile();
    // Each returns false once a number field failed to convert and the operator
    // was told; what called it then stops as well.
    bool setNumber(Field field, std::string text);
    bool geometryChanged();
    void placePreview();
    void chooseFont();
    void chooseBackground();
    void hiddenChanged();
    void confirm();

    store::SystemConfig& m_config;
    model::TextControl& m_strip;
    SubtitleServices m_services;
    // The subtitle's font and background as the dialogs were last given them.
    platform::FontDescription m_font;
    model::Color m_background = model::kBlack;
    // Where each up-down arrow counts from while its field holds no number.
    std::array<int, 4> m_positions{};
};

}  // namespace orvessa::tools
