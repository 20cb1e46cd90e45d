#include "gui/editing/preflight_view.h"

#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <algorithm>

#include "fakes/fake_day_checker.h"
#include "fakes/scripted_host.h"
#include "fakes/settable_clock.h"

using namespace orvessa;
using namespace std::chrono;

class PreflightViewTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheProblemsAndDrawsTheDay() {
        fakes::FakeDayChecker checker;
        editing::DayCheckResult collision;
        collision.tableFileName = "zxsj4.log";
        collision.problems = {{2, "still-playing", 1, "bell.wav", 29401}};
        collision.bars = {{1, 28800, 29400, false}, {2, 29100, 29100, true}};
        checker.results[2026y / 12 / 10] = collision;
        fakes::ScriptedHost host;
        fakes::SettableClock clock({2026, 12, 9, 8, 0, 0});
        model::Grid grid("Grid");
        grid.table().setRowCount(3);
        const std::string table = "zxsj4.log";
        model::TextControl status("hintLine");
        int selected = 0;
        editing::PreflightCheck model(
            {host, clock, checker, grid, table, status, [&](int row) { selected = row; }});
        gui::PreflightView view(model);
        model.open();  // the scripted host shows nothing: the view shows the model as left
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QCOMPARE(view.dateEdit()->date(), QDate(2026, 12, 10));
        QCOMPARE(view.problems()->count(), 1);
        QCOMPARE(view.problems()->item(0)->text(),
                 QStringLiteral("第2行  08:05:00  上一行仍在播放 (第1行)"));

        // A clock that may be wrong is said under the summary, in red, while it is so.
        auto* clockLine = view.findChild<QLabel*>(QStringLiteral("clockLine"));
        QVERIFY(clockLine != nullptr);
        QVERIFY(!clockLine->isVisible());
        model.showClockWarning("  ☆ 系统时钟未与网络时间同步，铃声时间可能不准！");
        QVERIFY(clockLine->isVisible());
        QCOMPARE(clockLine->text(),
                 QStringLiteral("☆ 系统时钟未与网络时间同步，铃声时间可能不准！"));
        QVERIFY(clockLine->styleSheet().contains(QStringLiteral("color")));
        model.showClockWarning("");
        QVERIFY(!clockLine->isVisible());

        // Two bars, the held-off row red under the file that held it.
        gui::TimelineWidget* timeline = view.timeline();
        QVERIFY(timeline->isVisible());
        const std::vector<editing::TimelineSpan> spans = timeline->spans();
        QCOMPARE(spans.size(), std::size_t{2});
        const QImage picture = timeline->grab().toImage();
        const QRect red = timeline->barRect(spans[1]);
        QVERIFY(red.top() > timeline->barRect(spans[0]).bottom());
        QCOMPARE(picture.pixelColor(red.center()).red(), 220);

        // A date picked in the field checks that date.
        view.dateEdit()->setDate(QDate(2026, 12, 11));
        QCOMPARE(checker.checkedDates.back(), 2026y / 12 / 11);
        QCOMPARE(view.problems()->item(0)->text(),
                 QStringLiteral("没有发现问题，该日所有行都能按时播出。"));
        QVERIFY(timeline->spans().empty());

        // A double click on a bar goes to its row.
        view.dateEdit()->setDate(QDate(2026, 12, 10));
        QTest::mouseDClick(timeline, Qt::LeftButton, {},
                           timeline->barRect(timeline->spans()[0]).center());
        QCOMPARE(selected, 1);
    }

    void drawsARowWithNoTimeApartAndEveryNumberLegible() {
        fakes::FakeDayChecker checker;
        editing::DayCheckResult day;
        day.tableFileName = "zxsj4.log";
        // Row 2 starts at 7:30, which no clock text equals; rows 3 to 12 were left at 08:00.
        day.problems = {{2, "bad-time", 0, "a.wav", 86399}};
        day.bars = {{1, 28800, 29400, false}, {2, 86399, 86399, true, true}};
        for (int row = 3; row <= 12; ++row) {
            day.bars.push_back({row, 28800 + (row % 3), 28800 + (row % 3), true});
        }
        checker.results[2026y / 12 / 10] = day;
        fakes::ScriptedHost host;
        fakes::SettableClock clock({2026, 12, 9, 8, 0, 0});
        model::Grid grid("Grid");
        grid.table().setRowCount(13);
        const std::string table = "zxsj4.log";
        model::TextControl status("hintLine");
        editing::PreflightCheck model({host, clock, checker, grid, table, status, [](int) {}});
        gui::PreflightView view(model);
        model.open();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        gui::TimelineWidget* timeline = view.timeline();
        const std::vector<editing::TimelineSpan> spans = timeline->spans();
        QCOMPARE(spans.size(), std::size_t{12});
        for (const editing::TimelineSpan& s : spans) {
            const QRect bar = timeline->barRect(s);
            QVERIFY(timeline->rect().contains(bar));
            // Not at the second the check gave up on it, near midnight: apart, left of hour 0.
            QCOMPARE(s.row == 2, bar.right() < timeline->dayLeft());
            const QRect label = timeline->labelRect(s);
            QVERIFY2(!label.isEmpty(), qPrintable(QStringLiteral("row %1").arg(s.row)));
            QVERIFY(timeline->rect().contains(label));
            for (const editing::TimelineSpan& other : spans) {
                if (other.row != s.row) {
                    QVERIFY2(
                        !label.intersects(timeline->labelRect(other)) &&
                            !label.intersects(timeline->barRect(other)),
                        qPrintable(QStringLiteral("rows %1 and %2").arg(s.row).arg(other.row)));
                }
            }
        }
        const QImage picture = timeline->grab().toImage();
        const editing::TimelineSpan apart =
            *std::find_if(spans.begin(), spans.end(), [](const auto& s) { return s.apart; });
        QCOMPARE(picture.pixelColor(timeline->barRect(apart).center()).red(), 220);
    }
};

QTEST_MAIN(PreflightViewTest)
#include "preflight_view_test.moc"
