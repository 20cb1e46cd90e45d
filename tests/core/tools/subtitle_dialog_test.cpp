#include "core/tools/subtitle_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "core/text/gbk.h"
#include "fakes/fixed_monitors.h"
#include "fakes/recording_failure_record.h"
#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

namespace orvessa::tools {
namespace {

using platform::FontDescription;
using store::SystemConfig;

// Font and colour dialogs that each answer once with the given choice, then are cancelled.
struct ScriptedDialogs : platform::StyleDialogs {
    std::optional<FontDescription> font;
    std::optional<model::Color> color;

    std::optional<FontDescription> fontDialog(const FontDescription&) override {
        return std::exchange(font, std::nullopt);
    }
    std::optional<model::Color> colorDialog(model::Color) override {
        return std::exchange(color, std::nullopt);
    }
};

class Subtitle : public ::testing::Test {
protected:
    Subtitle() : config(dir.path()) {
        const char* stored[] = {"校园之声", "600", "20", "800", "100", "1"};
        for (int k = 0; k < 6; ++k) {
            config.setEntry(SystemConfig::kSubtitleText + k, stored[k]);
        }
    }

    SubtitleDialog& open() {
        form = std::make_unique<SubtitleDialog>(
            config, panel,
            SubtitleServices{host, dialogs, monitors, [] { return true; }, dir.path(), &failures});
        form->create();
        return *form;
    }
    const StripStyle& style() const { return form->stripStyle; }
    std::string entry(int k) const { return config.entry(k); }

    testing::TempDir dir;
    SystemConfig config;
    fakes::ScriptedHost host;
    ScriptedDialogs dialogs;
    fakes::FixedMonitors monitors;
    fakes::RecordingFailureRecord failures;
    model::TextControl panel{"subtitleStrip"};
    std::unique_ptr<SubtitleDialog> form;
};

TEST_F(Subtitle, GeometryIsAppliedScaledToThePreviewAndNeverSetToZero) {
    SubtitleDialog& f = open();
    EXPECT_EQ(panel.bounds(), (model::Rect{20, 600, 800, 100}));
    EXPECT_TRUE(panel.visible());
    // 100 / (768 / 217) = 28.25; 800 / (1024 / 289) = 225.78.
    EXPECT_EQ(f.previewStrip.bounds(), (model::Rect{5, 169, 225, 28}));

    f.numberTyped(SubtitleDialog::Width, "640");
    EXPECT_EQ(entry(SystemConfig::kSubtitleWidth), "640");
    f.numberTyped(SubtitleDialog::Width, "0");  // falls back to the value last applied
    EXPECT_EQ(f.numbers[SubtitleDialog::Width].text(), "640");
    EXPECT_EQ(panel.bounds().width, 640);
    f.numberTyped(SubtitleDialog::Height, "10");
    f.stepNumber(SubtitleDialog::Height, -1);  // the arrows cannot reach 0 either
    EXPECT_EQ(f.numbers[SubtitleDialog::Height].text(), "10");

    // Arrows step by ten within the screen; typed numbers stand.
    f.stepNumber(SubtitleDialog::Top, +1);
    EXPECT_EQ(panel.bounds().top, 610);
    f.numberTyped(SubtitleDialog::Left, "5000");
    EXPECT_EQ(panel.bounds().left, 5000);
    f.stepNumber(SubtitleDialog::Left, +1);
    EXPECT_EQ(panel.bounds().left, 1024);
    f.numberTyped(SubtitleDialog::Top, "-5");
    f.stepNumber(SubtitleDialog::Top, -1);
    EXPECT_EQ(f.numbers[SubtitleDialog::Top].text(), "-10");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Subtitle, OnlyAStoredZeroHidesTheSubtitle) {
    config.setEntry(SystemConfig::kSubtitleShown, "");
    EXPECT_TRUE((open(), panel.visible()));
    config.setEntry(SystemConfig::kSubtitleShown, "0");
    SubtitleDialog& f = open();
    EXPECT_FALSE(panel.visible() || f.previewStrip.visible());
    f.hiddenBox.click();
    EXPECT_TRUE(panel.visible());
    EXPECT_EQ(entry(SystemConfig::kSubtitleShown), "1");
}

TEST_F(Subtitle, ANonNumberIsReportedAndKeepsTheEarlierFieldsOnly) {
    SubtitleDialog& f = open();
    const model::Rect preview = f.previewStrip.bounds();
    f.numbers[SubtitleDialog::Height].setText("x");  // as if typed earlier without effect
    f.numberTyped(SubtitleDialog::Top, "300");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "'x' is not a valid integer value");
    EXPECT_EQ(panel.bounds().top, 300) << "top comes before the failing field";
    f.numberTyped(SubtitleDialog::Height, "");
    EXPECT_EQ(host.messages.back().text, "'' is not a valid integer value");
    EXPECT_EQ(f.previewStrip.bounds(), preview);
    const char* stored[] = {"600", "20", "800", "100"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(entry(SystemConfig::kSubtitleTop + k), stored[k]);
    }
}

TEST_F(Subtitle, FontAndColourRoundTripThroughFontinfoIni) {
    SubtitleDialog& f = open();
    EXPECT_EQ(style().font(), FontDescription{});  // without fontinfo.ini
    EXPECT_EQ(style().background(), model::kBlack);
    f.fontButton.click();  // cancelled
    EXPECT_FALSE(std::filesystem::exists(dir / "fontinfo.ini"));

    FontDescription chosen{"宋体", 36, model::rgb(255, 0, 0), true, false, true, false};
    dialogs.font = chosen;
    dialogs.color = model::rgb(0, 0, 255);
    f.fontButton.click();
    f.backgroundButton.click();
    const std::string text = text::gbkToUtf8(testing::readBytes(dir / "fontinfo.ini"));
    EXPECT_NE(text.find("Color=255\r\n"), std::string::npos) << "red in the low byte";
    EXPECT_NE(text.find("[panel]\r\nColor=16711680\r\n"), std::string::npos);
    open();
    EXPECT_EQ(style().font(), chosen);
    EXPECT_EQ(style().background(), model::rgb(0, 0, 255));

    // System colours carry the top bit; absent keys keep the defaults.
    testing::writeBytes(
        dir / "fontinfo.ini",
        "[Font]\r\nColor=-2147483640\r\nBold=1\r\n[panel]\r\nColor=-2147483633\r\n");
    open();
    EXPECT_EQ(style().font().color, platform::kWindowTextColor);
    EXPECT_EQ(style().font().size, 8);
    EXPECT_TRUE(style().font().bold);
    EXPECT_EQ(style().background(), platform::systemColor(15));
}

// Start-up asks nobody: stored numbers that are none take their defaults, and font values that
// could not be drawn keep theirs and are recorded. Typing keeps its box.
TEST_F(Subtitle, StartUpTakesDefaultsForWhatCannotBeUsedWithoutABox) {
    config.setEntry(SystemConfig::kSubtitleTop, "abc");
    config.setEntry(SystemConfig::kSubtitleHeight, "4.5");
    testing::writeBytes(
        dir / "fontinfo.ini",
        text::utf8ToGbk("[Font]\r\nName=宋体\r\nSize=99999999\r\nColor=16777216\r\n"
                        "Bold=yes\r\nItalic=1\r\n[panel]\r\nColor=-2147483000\r\n"));
    SubtitleDialog& f = open();

    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(panel.bounds(), (model::Rect{20, 0, 800, 40}));
    EXPECT_EQ(style().font().face, "宋体");
    EXPECT_EQ(style().font().size, 8);
    EXPECT_EQ(style().font().color, platform::kWindowTextColor);
    EXPECT_FALSE(style().font().bold);
    EXPECT_TRUE(style().font().italic);
    EXPECT_EQ(style().background(), model::kBlack);
    ASSERT_EQ(failures.failures.size(), 4u);
    EXPECT_NE(failures.failures[0].detail.find("[Font] Size='99999999'; 8 is used"),
              std::string::npos)
        << failures.failures[0].detail;

    f.numberTyped(SubtitleDialog::Top, "1.5");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "'1.5' is not a valid integer value");
}

}  // namespace
}  // namespace orvessa::tools
