#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include "core/desktop/orvessa_system.h"
#include "core/text/gbk.h"
#include "fakes/fake_platform.h"
#include "gui/ui/main_window_view.h"
#include "support/temp_dir.h"

using namespace orvessa;

// The operator's editing through the real widgets: keys into the grid, the buttons beside it.
class TableEditingViewTest : public QObject {
    Q_OBJECT

private:
    testing::TempDir m_dir;
    fakes::FakePlatform m_platform;
    fakes::ScriptedHost& m_host = m_platform.host;

    std::unique_ptr<system::OrvessaSystem> start() {
        std::string config;
        for (int k = 0; k < 27; ++k) {
            config += (k == 5 ? "3" : k == 6 ? "1" : k == 11 ? m_dir.path().string() + "/" : "0");
            config += "\r\n";
        }
        testing::writeBytes(m_dir / "orvessa.sys", config);
        testing::writeBytes(m_dir / "zxsj3.log",
                            text::utf8ToGbk("7,7:30:00,早操,a.mp3,7:45:00,200,\r\n"
                                            "9,,接着,b.mp3,,,\r\n"));
        testing::writeBytes(m_dir / "zxsj1.log", text::utf8ToGbk("1,9:00:00,周一,c.mp3,,,\r\n"));
        m_platform.clock.set({2026, 12, 9, 8, 0, 0});  // a Wednesday
        return system::OrvessaSystem::start(m_platform.services(m_dir.path()));
    }

private slots:
    void aCellTypedAndTabbedOnIsSavedInGbkWithRenumberedRows() {
        auto system = start();
        ui::MainWindow& form = system->mainWindow();
        gui::MainWindowView view(form);
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QVERIFY(form.manualOperation.click());
        auto* grid = view.findChild<QTableWidget*>(QStringLiteral("grid"));
        grid->setFocus();
        grid->setCurrentCell(1, 1);
        // Keys go where the keyboard is: the grid, then the cell's editor once typing opens it.
        auto type = [](const QString& keys) {
            for (const QChar c : keys) {
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            }
        };
        // Typed without seconds, a time the clock would never reach.
        type(QStringLiteral("8:00"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        type(QStringLiteral("bell"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The editor commits on Return from the event loop.
        QCoreApplication::processEvents();
        QCOMPARE(form.grid.cell(1, 2), std::string("8:00"));
        QCOMPARE(form.grid.cell(2, 2), std::string("bell"));
        QVERIFY(form.saveButton.enabled());
        auto* save = view.findChild<QPushButton*>(QStringLiteral("saveButton"));
        QVERIFY(save != nullptr);
        save->click();
        // Save shows the time as the clock reads it, and stores it so.
        QCOMPARE(m_host.messages.size(), std::size_t{0});
        QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("8:00:00"));
        QCOMPARE(QString::fromStdString(testing::readBytes(m_dir / "zxsj3.log")),
                 QString::fromStdString(text::utf8ToGbk("1,7:30:00,早操,a.mp3,7:45:00,200,\r\n"
                                                        "2,8:00:00,bell,b.mp3,,,\r\n")));
    }

    void anEditedTableIsNotReplacedByAnotherDayWithoutAQuestion() {
        auto system = start();
        ui::MainWindow& form = system->mainWindow();
        gui::MainWindowView view(form);
        view.show();
        QVERIFY(form.manualOperation.click());
        QVERIFY(form.weekSettingTool.click());
        auto* grid = view.findChild<QTableWidget*>(QStringLiteral("grid"));
        auto* monday = view.findChild<QRadioButton*>();
        QVERIFY(monday != nullptr);

        // A click alone is no change.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 2)).center());
        grid->item(0, 2)->setText(QStringLiteral("改过"));
        m_host.answers = {platform::MessageAnswer::No};
        monday->click();
        QCOMPARE(m_host.messages.size(), std::size_t{1});
        QCOMPARE(m_host.messages[0].text, std::string("要保存当前数据吗？"));
        QCOMPARE(m_host.messages[0].caption, std::string("确认"));
        QCOMPARE(system->engine().session().tableFileName, std::string("zxsj1.log"));
        QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("周一"));
        QVERIFY(testing::readBytes(m_dir / "zxsj3.log").find("\xB8\xC4") == std::string::npos);
    }
};

QTEST_MAIN(TableEditingViewTest)
#include "table_editing_view_test.moc"
