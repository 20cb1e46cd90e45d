#include "gui/tools/subtitle_dialog_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "fakes/fixed_monitors.h"
#include "fakes/recording_keyboard.h"
#include "fakes/scripted_host.h"
#include "gui/font_dialog.h"
#include "gui/playback/video_window_view.h"
#include "gui/tools/subtitle_strip.h"
#include "support/temp_dir.h"

using namespace orvessa;

namespace {

// The system around the dialog: the configuration, the video window and its strip.
struct Subtitle {
    testing::TempDir dir;
    store::SystemConfig config{dir.path()};
    fakes::ScriptedHost host;
    fakes::FixedMonitors monitors;
    fakes::RecordingKeyboard keyboard;
    playback::VideoWindow video{monitors, keyboard};
    tools::SubtitleDialog form{
        config, video.subtitleStrip,
        tools::SubtitleServices{host, host, monitors, [] { return true; }, dir.path()}};
    Subtitle() {
        const char* stored[] = {"校园之声", "600", "20", "800", "100", "1"};
        for (int k = 0; k < 6; ++k) {
            config.setEntry(store::SystemConfig::kSubtitleText + k, stored[k]);
        }
        form.create();
    }
};

template <typename T>
T* child(QWidget& parent, const char* name) {
    T* widget = parent.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(widget != nullptr);
    return widget;
}

}  // namespace

class SubtitleDialogViewTest : public QObject {
    Q_OBJECT

private slots:
    void dialogDrivesTheModel() {
        Subtitle s;
        gui::SubtitleDialogView view(s.form);
        QCOMPARE(view.previewStrip()->geometry(), QRect(5, 169, 225, 28));

        auto* text = child<QLineEdit>(view, "textField");
        text->selectAll();
        QTest::sendKeyEvent(QTest::Click, text, Qt::Key_unknown, QStringLiteral("放学"), {});
        QCOMPARE(s.video.subtitleStrip.text(), std::string("放学"));
        QCOMPARE(view.previewStrip()->text(), QStringLiteral("放学"));

        auto* height = child<QLineEdit>(view, "heightField");
        height->selectAll();
        QTest::keyClicks(height, QStringLiteral("200"));
        QCOMPARE(s.video.subtitleStrip.bounds().height, 200);
        QCOMPARE(view.previewStrip()->height(), 56);
        QTest::mouseClick(child<QToolButton>(view, "heightFieldUp"), Qt::LeftButton);
        QCOMPARE(s.config.entry(store::SystemConfig::kSubtitleHeight), std::string("210"));

        QTest::mouseClick(child<QCheckBox>(view, "hiddenBox"), Qt::LeftButton);
        QVERIFY(!s.video.subtitleStrip.visible());
        QTest::mouseClick(child<QPushButton>(view, "okButton"), Qt::LeftButton);
        QCOMPARE(s.form.modalResult(), model::ModalResult::Accepted);
    }

    void stripIsDrawnOverTheVideoSurface() {
        Subtitle s;
        s.form.stripStyle.setFont({"MS Sans Serif", 20, model::rgb(255, 255, 255), true});
        s.form.stripStyle.setBackground(model::rgb(255, 0, 0));
        s.monitors.screens = {{0, 0, 640, 480}};
        s.video.setBounds({0, 0, 640, 480});
        gui::VideoWindowView view(s.video);
        view.showSubtitleStyle(s.form.stripStyle);
        s.form.numberTyped(tools::SubtitleDialog::Top, "200");
        s.form.numberTyped(tools::SubtitleDialog::Width, "600");
        s.form.numberTyped(tools::SubtitleDialog::Height, "60");
        s.video.videoSurface.setVisible(true);
        s.video.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const QImage shot = view.grab().toImage();
        QCOMPARE(shot.pixelColor(10, 10), QColor(Qt::black));    // the surface
        QCOMPARE(shot.pixelColor(30, 205), QColor(Qt::red));     // background
        QCOMPARE(shot.pixelColor(320, 300), QColor(Qt::black));  // below the strip
        // The raised bevel: light above and left, dark below and right.
        QVERIFY(shot.pixelColor(20, 200).lightness() > shot.pixelColor(619, 259).lightness());
        int white = 0;
        for (int x = 250; x < 390; ++x) {
            white += shot.pixelColor(x, 230) == QColor(Qt::white);
        }
        QVERIFY2(white > 0, "the text is drawn in Chinese glyphs, not left out");
    }

    // The stored defaults are the window-text colour on black; the strip must still be read.
    void defaultTextStandsOutFromTheBlackStrip() {
        gui::SubtitleStripWidget strip;
        strip.setLook(platform::FontDescription{}, model::kBlack);
        QCOMPARE(strip.textColor(), QColor(Qt::white));
        strip.setLook({"MS Sans Serif", 8, model::rgb(255, 0, 0)}, model::kBlack);
        QCOMPARE(strip.textColor(), QColor(Qt::red));
    }

    void fontDialogGivesTheChosenColour() {
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            auto* colors = dialog->findChild<QComboBox*>();
            colors->setCurrentIndex(colors->findText(QStringLiteral("黄色")));
            dialog->accept();
        });
        const auto font = gui::chooseFont(platform::FontDescription{}, nullptr);
        QVERIFY(font.has_value());
        QCOMPARE(font->color, model::rgb(255, 255, 0));
    }
};

QTEST_MAIN(SubtitleDialogViewTest)
#include "subtitle_dialog_view_test.moc"
