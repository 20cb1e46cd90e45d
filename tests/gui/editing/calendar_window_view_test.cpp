#include "gui/editing/calendar_window_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTest>

#include "core/text/gbk.h"
#include "fakes/scripted_host.h"
#include "fakes/settable_clock.h"
#include "support/temp_dir.h"

using namespace orvessa;
using namespace std::chrono;

class CalendarWindowViewTest : public QObject {
    Q_OBJECT

private slots:
    void theOperatorPicksDatesWithTheMouseAndSeesTheirPlans() {
        testing::TempDir dir;
        testing::writeBytes(dir / "calendar.txt",
                            text::utf8ToGbk("1,2027-02-06,2027-02-12,0,春节\r\n"
                                            "2,2027-02-20,,5,调休：按星期五上课\r\n"));
        fakes::ScriptedHost host;
        fakes::SettableClock clock({2027, 1, 15, 9, 0, 0});
        store::WeekRules rules;
        rules.stopOnWeekday[5] = rules.stopOnWeekday[6] = true;
        store::DayPlanner planner(
            dir.path(), [&] { return rules; }, nullptr);
        planner.reload();
        editing::CalendarWindow model({host, clock, planner, dir.path(), nullptr});
        gui::CalendarWindowView view(model);
        model.open();  // the scripted host shows nothing: the view shows the model as left
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        // Each date is drawn in the colour of its plan, and is where a click finds it.
        gui::YearCalendarWidget* year = view.year();
        const QImage picture = year->grab().toImage();
        const QRect holiday = year->dayRect(2027y / 2 / 8);
        const QRect makeUp = year->dayRect(2027y / 2 / 20);
        const QRect weekend = year->dayRect(2027y / 2 / 27);
        const QRect plain = year->dayRect(2027y / 2 / 24);
        auto colourNear = [](const QRect& r, const QImage& image) {
            return image.pixelColor(r.topLeft() + QPoint(3, r.height() - 3));
        };
        QCOMPARE(colourNear(holiday, picture), QColor(198, 40, 40));
        QCOMPARE(colourNear(makeUp, picture), QColor(35, 110, 205));
        QCOMPARE(colourNear(weekend, picture), QColor(246, 205, 205));
        QCOMPARE(colourNear(plain, picture), year->palette().base().color());
        QCOMPARE(year->dateAt(makeUp.center()), std::optional(2027y / 2 / 20));

        // A click and a shift-click select the dates between; the choice shows the entry.
        QTest::mouseClick(year, Qt::LeftButton, {}, holiday.center());
        QCOMPARE(view.choice()->currentText(), QStringLiteral("停播"));
        QCOMPARE(view.remark()->text(), QStringLiteral("春节"));
        QTest::mouseClick(year, Qt::LeftButton, Qt::ShiftModifier, plain.center());
        QCOMPARE(model.selectionFirst(), 2027y / 2 / 8);
        QCOMPARE(model.selectionLast(), 2027y / 2 / 24);
        QCOMPARE(view.choice()->currentIndex(), editing::CalendarWindow::kRegular);

        // A choice and a remark typed, Enter applies them and the dates change colour.
        QTest::mouseClick(year, Qt::LeftButton, {}, plain.center());
        view.choice()->setCurrentIndex(10);  // 模板二
        emit view.choice()->activated(10);
        QTest::keyClicks(view.remark(), QStringLiteral("Sports day"));
        QTest::keyClick(view.remark(), Qt::Key_Return);
        QVERIFY(view.isVisible());
        QCOMPARE(model.entries().back(),
                 (store::CalendarEntry{2027y / 2 / 24, 2027y / 2 / 24, 9, "Sports day"}));
        QTest::mouseClick(year, Qt::LeftButton, {}, weekend.center());
        QCOMPARE(colourNear(plain, year->grab().toImage()), QColor(35, 110, 205));
    }

    void aLongRemarkKeepsTheWindowsSizeAndEachListLiesUnderItsHeader() {
        testing::TempDir dir;
        QString remark;
        for (int i = 0; i < 40; ++i) {
            remark += QStringLiteral("春节假期");
        }
        testing::writeBytes(dir / "calendar.txt",
                            text::utf8ToGbk("1,2027-02-06,2027-02-12,0," + remark.toStdString() +
                                            "\r\n2,2027-02-30,,0,坏日期\r\n"
                                            "3,2027-03-10,2027-03-01,0,寒假\r\n"
                                            "4,2027-04-05,,x,清明\r\n"));
        fakes::ScriptedHost host;
        fakes::SettableClock clock({2027, 2, 8, 9, 0, 0});
        store::DayPlanner planner(
            dir.path(), [] { return store::WeekRules{}; }, nullptr);
        planner.reload();
        editing::CalendarWindow model({host, clock, planner, dir.path(), nullptr});
        gui::CalendarWindowView view(model);
        model.open();  // today, inside the long remark's holiday, is selected
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.size(), QSize(880, 690));
        QVERIFY(view.minimumSizeHint().width() <= 880);
        QVERIFY(view.minimumSizeHint().height() <= 690);
        QVERIFY(view.remark()->text() == remark);

        auto* title = view.findChild<QLabel*>(QStringLiteral("problemTitle"));
        auto* entries = view.findChild<QListWidget*>(QStringLiteral("entryList"));
        auto* problems = view.findChild<QListWidget*>(QStringLiteral("problemList"));
        QVERIFY(title && entries && problems);
        QVERIFY(title->isVisible() && problems->isVisible());
        const auto box = [&view](QWidget* w) {
            return QRect(w->mapTo(&view, QPoint()), w->size());
        };
        QVERIFY2(box(title).top() > box(entries).bottom(), "the header lies under the entries");
        QVERIFY(box(title).height() >= title->heightForWidth(title->width()));
        QVERIFY2(box(problems).top() > box(title).bottom(), "the list lies under its header");
        const int line = problems->fontMetrics().lineSpacing();
        QVERIFY2(problems->viewport()->height() >= 3 * line, "three lines at least");
        QVERIFY2(entries->viewport()->height() >= 5 * line, "five lines at least");
        QVERIFY(box(view.year()).bottom() < box(entries).top());
        QVERIFY(box(problems).bottom() < view.height());
    }

    void theImportListLetsEachEventBeTakenAsTheOperatorSays() {
        editing::CalendarImportDialog model;
        platform::CalendarEvents events;
        events.events = {{"春节休", 2027y / 2 / 6, 2027y / 2 / 12},
                         {"补班", 2027y / 2 / 20, 2027y / 2 / 20},
                         {"运动会", 2027y / 4 / 20, 2027y / 4 / 20}};
        events.unplaced = {{"升旗", "重复事件"}};
        model.prepare("holidays.ics", events, {});
        gui::CalendarImportView view(model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTableView* items = view.items();
        QAbstractItemModel* rows = items->model();
        const auto cell = [&](int row, int column) {
            return rows->index(row, column).data().toString();
        };
        QCOMPARE(rows->rowCount(), 3);
        QCOMPARE(cell(0, 0), QStringLiteral("2027-02-06 至 2027-02-12"));
        QCOMPARE(cell(1, 3), QStringLiteral("星期一"));
        QCOMPARE(cell(1, 4), QStringLiteral("按“补班”判断为调休上课"));
        QCOMPARE(cell(0, 3), QString());
        QVERIFY2(!(rows->flags(rows->index(0, 3)) & Qt::ItemIsEditable),
                 "a day off plays no table");
        QCOMPARE(cell(2, 2), QStringLiteral("不导入"));
        QCOMPARE(cell(2, 4), QStringLiteral("无法判断是放假还是上班，请选择"));

        // A click on a cell opens its list; a pick is taken at once.
        const auto pick = [&](int row, int column, int choice) {
            const QModelIndex index = rows->index(row, column);
            QTest::mouseClick(items->viewport(), Qt::LeftButton, {},
                              items->visualRect(index).center());
            QComboBox* box = nullptr;
            for (QComboBox* open : items->viewport()->findChildren<QComboBox*>()) {
                box = open->isVisible() ? open : box;
            }
            QVERIFY(box != nullptr);
            box->setCurrentIndex(choice);
            emit box->activated(choice);
            QVERIFY(!box->isVisible());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        pick(1, 3, 4);
        QCOMPARE(cell(1, 3), QStringLiteral("星期五"));
        pick(2, 2, 2);
        QVERIFY2(rows->flags(rows->index(2, 3)) & Qt::ItemIsEditable,
                 "a working day gets its table");
        QCOMPARE(cell(2, 3), QStringLiteral("星期二"));
        pick(2, 2, 1);
        QCOMPARE(cell(2, 3), QString());
        const std::vector<store::CalendarEntry> adds = model.entriesToAdd();
        QCOMPARE(adds.size(), std::size_t{3});
        QCOMPARE(adds[1].plan, 5);
        QCOMPARE(adds[2].plan, store::kCalendarStop);

        // Twenty thousand rows are a model's rows, not widgets; let go, the list is empty.
        platform::CalendarEvents many;
        for (int i = 0; i < 20000; ++i) {
            const year_month_day d{sys_days{2027y / 1 / 1} + days{i % 3000}};
            many.events.push_back({i % 2 == 0 ? "春节 假期" : "补班", d, d});
        }
        model.prepare("many.ics", many, {});
        QCOMPARE(rows->rowCount(), 20000);
        QVERIFY(items->findChildren<QComboBox*>().size() <= 1);
        model.clear();
        QCOMPARE(rows->rowCount(), 0);
    }
};

QTEST_MAIN(CalendarWindowViewTest)
#include "calendar_window_view_test.moc"
