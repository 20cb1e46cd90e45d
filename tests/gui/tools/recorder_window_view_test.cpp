#include "gui/tools/recorder_window_view.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/fake_media_device.h"
#include "fakes/scripted_host.h"

using namespace orvessa;

namespace {

// Records nothing, but without failing.
class QuietRecorder : public fakes::FakeMediaDevice {
public:
    void startRecording() override { calls.push_back("record"); }
};

}  // namespace

class RecorderWindowViewTest : public QObject {
    Q_OBJECT

private slots:
    void buttonsReachTheModelAndTheDotShowsItsState() {
        fakes::ScriptedHost host;
        QuietRecorder device;
        QTemporaryDir dir;
        const QString scratch = dir.path() + QStringLiteral("/Temp.wav");
        tools::RecorderWindow model(device,
                                    {host, [&dir] { return dir.path().toStdString() + "/"; }, {}});
        gui::RecorderWindowView view(model);
        auto* square = view.findChild<QWidget*>(QStringLiteral("indicatorSquare"));
        auto* record = view.findChild<QPushButton*>(QStringLiteral("recordButton"));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!square->isVisible());

        QTest::mouseClick(view.findChild<QRadioButton*>(QStringLiteral("sampleRateGroup_2")),
                          Qt::LeftButton);
        QCOMPARE(model.format().sampleRate, 44100U);

        QTest::mouseClick(record, Qt::LeftButton);
        QCOMPARE(device.calls.back(), std::string("record"));
        QVERIFY(!record->isEnabled() && square->isVisible());
        const QImage shown = square->grab().toImage();
        QCOMPARE(shown.pixelColor(10, 10), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::black));

        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("stopButton")),
                          Qt::LeftButton);
        QVERIFY(!square->isVisible());
        QVERIFY(view.findChild<QPushButton*>(QStringLiteral("listenButton"))->isEnabled());
        QVERIFY(QFile::exists(scratch));  // the header was written
    }
};

QTEST_MAIN(RecorderWindowViewTest)
#include "recorder_window_view_test.moc"
