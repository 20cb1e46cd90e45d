#include "gui/system_views.h"

#include <QTest>
#include <QTimer>

#include "fakes/fake_platform.h"
#include "fakes/fake_secrets.h"
#include "gui/qt_host.h"
#include "support/temp_dir.h"

using namespace orvessa;

class SystemViewsTest : public QObject {
    Q_OBJECT

private slots:
    // Every window has its view, but for those whose commands are held back until they are
    // built; a window shown without one is refused rather than shown as an empty box. The
    // console's secrets are given, so that its page's dialogs are among them.
    void everyWindowThatCanBeShownHasItsView() {
        testing::TempDir dir;
        std::string config;
        for (int k = 0; k < 27; ++k) {
            config += (k == 5 ? "3" : k == 6 ? "1" : k == 11 ? dir.path().string() + "/" : "0");
            config += "\r\n";
        }
        testing::writeBytes(dir / "orvessa.sys", config);
        fakes::FakePlatform platform;
        platform.clock.set({2026, 12, 9, 8, 0, 0});
        fakes::FakeSecrets secrets;
        system::PlatformServices services = platform.services(dir.path());
        services.consoleSecrets = &secrets;
        auto system = system::OrvessaSystem::start(services);
        QVERIFY(system->optionsDialog().consolePage() != nullptr);
        gui::QtHost host;
        gui::SystemViews views(*system, host);
        QStringList missing;
        for (const model::Window* w : views.windowsWithoutView()) {
            missing << QString::fromStdString(w->name());
        }
        QCOMPARE(missing, QStringList{});

        // The chooser closes through its own buttons, with their result.
        QTimer::singleShot(
            0, [&] { system->exchangeChooser().endModal(model::ModalResult::Accepted); });
        QCOMPARE(host.showModal(system->exchangeChooser()), model::ModalResult::Accepted);
        QVERIFY(!system->exchangeChooser().visible());
    }
};

QTEST_MAIN(SystemViewsTest)
#include "system_views_test.moc"
