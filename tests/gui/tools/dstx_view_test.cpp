#include "gui/tools/dstx_view.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
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

class DstxViewTest : public QObject {
    Q_OBJECT

private slots:
    void buttonsReachTheModelAndTheDotShowsItsState() {
        fakes::ScriptedHost host;
        QuietRecorder device;
        QTemporaryDir dir;
        const QString library = dir.path() + QStringLiteral("/");
        tools::Tdstx model(device, {host, [&library] { return library.toStdString(); }, {}});
        gui::DstxView view(model);
        QCOMPARE(view.windowTitle(), QStringLiteral("录音"));
        QVERIFY(view.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(
            !(view.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(view.findChild<QGroupBox*>(QStringLiteral("RadioGroup3"))->title(),
                 QStringLiteral("  频率  "));
        auto* edit = view.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        QCOMPARE(edit->text(), library + QStringLiteral("Temp.wav"));
        auto* square = view.findChild<QWidget*>(QStringLiteral("Shape1"));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!square->isVisible());

        QTest::mouseClick(view.findChild<QRadioButton*>(QStringLiteral("RadioGroup3_2")),
                          Qt::LeftButton);
        QCOMPARE(model.format().sampleRate, 44100U);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral(" ") + library + QStringLiteral("Temp.wav "));
        QCOMPARE(model.targetPath(), (library + QStringLiteral("Temp.wav")).toStdString());

        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
        QCOMPARE(device.calls.back(), std::string("record"));
        QCOMPARE(view.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("正在录音..."));
        QVERIFY(!view.findChild<QPushButton*>(QStringLiteral("Button1"))->isEnabled());
        QVERIFY(square->isVisible());
        const QImage shown = square->grab().toImage();
        QCOMPARE(shown.pixelColor(10, 10), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::black));

        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
        QVERIFY(!square->isVisible());
        QVERIFY(view.findChild<QPushButton*>(QStringLiteral("Button3"))->isEnabled());
        QVERIFY(QFile::exists(library + QStringLiteral("Temp.wav")));
    }
};

QTEST_MAIN(DstxViewTest)
#include "dstx_view_test.moc"
