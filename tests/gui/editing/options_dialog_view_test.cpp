#include "gui/editing/options_dialog_view.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "core/model/grid.h"
#include "fakes/fake_media_device.h"
#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

using namespace orvessa;

namespace {

// The configuration of a program directory that holds one folder.
store::SystemConfig load(const testing::TempDir& dir) {
    std::filesystem::create_directory(dir / "songs");
    std::string lines;
    for (int k = 0; k < store::SystemConfig::kEntryCount; ++k) {
        lines += (k == 2 ? "07:30:00" : k == 3 ? "17:00:00" : "0");
        lines += "\r\n";
    }
    testing::writeBytes(dir / "orvessa.sys", lines);
    store::SystemConfig config(dir.path());
    config.load();
    return config;
}

// The options dialog over a two-row table.
struct Options {
    Options() { grid.table().setRowCount(3); }

    testing::TempDir dir;
    store::SystemConfig config = load(dir);
    store::LiveSettings settings;
    model::Grid grid{"Grid"};
    fakes::ScriptedHost host;
    fakes::FakeMediaDevice output;
    editing::OptionsDialog model{
        config, settings, grid,
        editing::OptionsServices{host, output, [] { return true; }, dir.path()}};
    gui::OptionsDialogView view{model};

    template <typename T>
    T* widget(const char* name) {
        return view.findChild<T*>(QString::fromUtf8(name));
    }
};

}  // namespace

class OptionsDialogViewTest : public QObject {
    Q_OBJECT

private slots:
    // The pages open where they were left; the path field waits for a folder the operator picks
    // in the tree, then holds its full path; the slider and masked time field reach the model.
    void widgetsFollowTheModel() {
        Options o;
        auto* path = o.widget<QLineEdit>("pathField");
        QVERIFY(path->text().isEmpty());
        QVERIFY(path->placeholderText().contains(QStringLiteral("选择目录")));
        // Pointing the tree at the program directory is its first folder change.
        QVERIFY(o.widget<QPushButton>("applyPathButton")->isEnabled());

        o.model.activePage = 1;
        o.view.show();
        QCOMPARE(o.view.pages()->currentIndex(), 1);
        QTreeView* tree = o.view.tree();
        const QModelIndex folder = tree->currentIndex();
        QTRY_COMPARE(tree->model()->rowCount(folder), 1);
        const QModelIndex songs = tree->model()->index(0, 0, folder);
        tree->scrollTo(songs);
        const QPoint at = tree->visualRect(songs).center();
        // Selecting the folder chooses it; so does the double click that follows a press.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(path->text(), QString::fromStdString((o.dir / "songs").string()) + u'/');
        o.model.folderChanged("/");
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(path->text(), QString::fromStdString((o.dir / "songs").string()) + u'/');
        QVERIFY(path->placeholderText().isEmpty());
        QVERIFY(o.widget<QPushButton>("applyPathButton")->isEnabled());
        o.view.pages()->setCurrentIndex(4);
        o.view.hide();
        QCOMPARE(o.model.activePage, 4);

        auto* slider = o.widget<QSlider>("volumeSlider");
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(o.output.left, 255 * 256);
        QCOMPARE(o.grid.cell(5, 1), std::string("255"));
        // A volume cell of 0 plays at the default volume: the slider's lowest is 1.
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(o.output.left, 256);
        QCOMPARE(o.grid.cell(5, 1), std::string("1"));
        o.model.volumeSlider.setPosition(100);
        QCOMPARE(slider->value(), 100);

        auto* first = o.widget<QLineEdit>("firstShutdownField");
        QCOMPARE(first->text(), QStringLiteral("07:30:00"));
        first->selectAll();
        QTest::keyClicks(first, QStringLiteral("063000"));
        QTest::mouseClick(o.widget<QPushButton>("saveShutdownButton"), Qt::LeftButton);
        QCOMPARE(o.config.entry(store::SystemConfig::kShutdownTimeOne), std::string("06:30:00"));
        o.widget<QCheckBox>("shutdownOffBox")->click();
        QVERIFY(!first->isEnabled());
    }

    // A time typed as it is read, "7:30:00", leaves the first hour digit blank instead of taking
    // the 7 for it; the stored time is the one the clock compares.
    void shutdownTimesTakeABlankFirstHourDigit() {
        Options o;
        o.model.activePage = 2;
        o.view.show();
        const std::pair<const char*, std::string> typed[] = {
            {"7:30:00", "07:30:00"}, {"9：05:00", "09:05:00"}, {"183000", "18:30:00"}};
        for (const auto& [keys, stored] : typed) {
            auto* second = o.widget<QLineEdit>("secondShutdownField");
            second->setFocus();
            second->selectAll();
            for (const QChar key : QString::fromUtf8(keys)) {
                // Key by key with its text: QTest::keyClicks takes Latin-1 only.
                QTest::sendKeyEvent(QTest::Click, second, Qt::Key_unknown, QString(key),
                                    Qt::NoModifier);
            }
            QTest::mouseClick(o.widget<QPushButton>("saveShutdownButton"), Qt::LeftButton);
            QCOMPARE(o.config.entry(store::SystemConfig::kShutdownTimeTwo), stored);
            QVERIFY(o.host.messages.empty());
        }
    }
};

QTEST_MAIN(OptionsDialogViewTest)
#include "options_dialog_view_test.moc"
