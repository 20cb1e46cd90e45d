// Real-window tests of the video and web window, run on a virtual X server.

#include "core/playback/video_window.h"

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include "backends/gstreamer/gst_media_device.h"
#include "backends/gstreamer/media_files.h"
#include "fakes/fixed_monitors.h"
#include "fakes/recording_keyboard.h"
#include "gui/playback/video_window_view.h"
#include "support/temp_dir.h"

using namespace orvessa;

namespace {

// The share of pixels of the window's grab that are close to `color`.
double shareOf(const QImage& image, QColor color) {
    if (image.isNull()) {
        return 0;
    }
    qint64 hits = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) < 40 && std::abs(c.green() - color.green()) < 40 &&
                std::abs(c.blue() - color.blue()) < 40) {
                ++hits;
            }
        }
    }
    return static_cast<double>(hits) / ((image.width() / 4 + 1) * (image.height() / 4 + 1));
}

QImage grab(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage();
}

// Grabs until `done` holds of the picture or a generous limit runs out.
template <typename Predicate>
bool waitForPicture(QWidget& window, Predicate done) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000) {
        QTest::qWait(200);
        if (done(grab(window))) {
            return true;
        }
    }
    return false;
}

}  // namespace

class VideoWindowTest : public QObject {
    Q_OBJECT

private:
    testing::TempDir m_dir;
    fakes::FixedMonitors m_monitors;
    fakes::RecordingKeyboard m_keyboard;

private slots:
    void initTestCase() { m_monitors.screens = {{0, 0, 320, 240}}; }

    void videoPlaysIntoTheSurface() {
        const auto clip = m_dir / "green.mpg";
        bool encoded = false;
        for (const char* encoder : {"mpeg2enc format=1", "avenc_mpeg1video"}) {
            encoded =
                encoded ||
                testing::encode(std::string("videotestsrc num-buffers=150 pattern=green ! "
                                            "video/x-raw,width=352,height=288,framerate=25/1,"
                                            "format=I420 ! ") +
                                    encoder + " ! mpegvideoparse ! mpegpsmux ! filesink name=out",
                                clip);
        }
        if (!encoded) {
            QSKIP("no MPEG video encoder");
        }
        playback::VideoWindow model(m_monitors, m_keyboard);
        gui::VideoWindowView view(model, QStringLiteral(ORVESSA_PROGRAM_DIR));
        model.showWindow();
        model.videoSurface.setVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(grab(view).pixelColor(10, 10) == QColor(Qt::black));

        backends::GstMediaOptions options;
        options.audioSink = "fakesink sync=true";
        backends::GstMediaDevice device(options);
        device.setFileName(clip.string());
        device.setDisplay(model.surfaceHandle);
        device.open();
        QVERIFY(device.hasPicture());
        device.setDisplayRect({0, 0, view.width(), view.height()});
        device.play();
        QVERIFY2(waitForPicture(
                     view, [](const QImage& i) { return shareOf(i, QColor(0, 255, 0)) > 0.5; }),
                 "the video never filled the surface");
        device.stop();
        device.close();
    }

    void localPageShowsInTheBrowser() {
        QFile page(QString::fromStdString((m_dir / "page.htm").string()));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(
            "<html><body style=\"background:#ff0000;margin:0\"><h1>Orvessa</h1>"
            "</body></html>");
        page.close();

        playback::VideoWindow model(m_monitors, m_keyboard);
        gui::VideoWindowView view(model, QStringLiteral(ORVESSA_PROGRAM_DIR));
        model.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY2(view.webPage() == nullptr, "no browser before the first page");
        model.pageAddress = page.fileName().toStdString();
        model.showPageButton.click();
        QVERIFY2(view.webPage() != nullptr, "the browser module did not load");
        QVERIFY2(waitForPicture(view, [](const QImage& i) { return shareOf(i, Qt::red) > 0.5; }),
                 "the page's red background never showed");

        // Hide page: the window no longer shows the browser.
        model.hidePageButton.click();
        QVERIFY(waitForPicture(view, [](const QImage& i) { return shareOf(i, Qt::red) < 0.1; }));
    }
};

int main(int argc, char** argv) {
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QApplication app(argc, argv);
    VideoWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "video_window_test.moc"
