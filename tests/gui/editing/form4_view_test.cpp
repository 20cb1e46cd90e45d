#include "gui/editing/form4_view.h"

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
#include "gui/qt_text.h"
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
    model::Grid grid{"Grid"};
    fakes::ScriptedHost host;
    fakes::FakeMediaDevice output;
    editing::TForm4 model{config, grid,
                          editing::OptionsServices{host, output, [] { return true; }, dir.path()}};
    gui::Form4View view{model};

    template <typename T>
    T* widget(const char* name) {
        return view.findChild<T*>(QString::fromUtf8(name));
    }
};

}  // namespace

class Form4ViewTest : public QObject {
    Q_OBJECT

private slots:
    void pagesInOrderOpenWhereTheyWereLeft() {
        Options o;
        QCOMPARE(o.view.windowTitle(), QStringLiteral("选项"));
        QCOMPARE(o.view.pages()->count(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(o.view.pages()->tabText(i), gui::toQt(editing::TForm4::kPages[i]));
        }
        QCOMPARE(o.view.findChildren<QPushButton*>(QStringLiteral("Button6")).size(), 5);
        o.model.activePage = 2;
        o.view.show();
        QCOMPARE(o.view.pages()->currentIndex(), 2);
        o.view.pages()->setCurrentIndex(4);
        o.view.hide();
        QCOMPARE(o.model.activePage, 4);
    }

    void sliderSetsVolumeAndRow() {
        Options o;
        auto* slider = o.widget<QSlider>("TrackBar1");
        QCOMPARE(slider->value(), editing::TForm4::kDefaultVolume);
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(o.model.TrackBar1.position(), 255);
        QCOMPARE(o.output.left, 255 * 256);
        QCOMPARE(o.grid.cell(5, 1), std::string("255"));
        o.model.TrackBar1.setPosition(100);
        QCOMPARE(slider->value(), 100);
    }

    void treeDoubleClickFillsThePath() {
        Options o;
        auto* path = o.widget<QLineEdit>("Edit1");
        QVERIFY(path->text().isEmpty());
        QVERIFY(path->placeholderText().contains(QStringLiteral("选择目录")));
        // Setting the tree at the start is no choice of the operator.
        QVERIFY(!o.widget<QPushButton>("Button1")->isEnabled());

        o.model.activePage = 1;
        o.view.show();
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
        QVERIFY(o.widget<QPushButton>("Button1")->isEnabled());
    }

    void timeFieldsTakeTheMaskedTime() {
        Options o;
        auto* first = o.widget<QLineEdit>("MaskEdit1");
        QCOMPARE(first->inputMask(), QStringLiteral("09:99:99;_"));
        QCOMPARE(first->text(), QStringLiteral("07:30:00"));
        first->selectAll();
        QTest::keyClicks(first, QStringLiteral("063000"));
        QCOMPARE(o.model.MaskEdit1.text(), std::string("06:30:00"));
        QTest::mouseClick(o.widget<QPushButton>("Button3"), Qt::LeftButton);
        QCOMPARE(o.config.entry(store::SystemConfig::kShutdownTimeOne), std::string("06:30:00"));

        o.widget<QCheckBox>("CheckBox1")->click();
        QVERIFY(o.model.customTimesDisabled());
        QVERIFY(!first->isEnabled());
    }
};

QTEST_MAIN(Form4ViewTest)
#include "form4_view_test.moc"
