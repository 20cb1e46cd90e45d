#include "gui/timer_binder.h"

#include <QTest>
#include <chrono>
#include <memory>

#include "core/model/timer.h"

using namespace orvessa;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

class TimerBinderTest : public QObject {
    Q_OBJECT

private slots:
    // The key chords must go out four seconds after a launch: the key timer's ticks run from
    // its own start. The clock's ticks fall on the second boundaries instead.
    void onlyClockTimersAreAlignedToTheSecond() {
        model::Timer keys("keyTimer", 1000, false);
        gui::TimerBinder keyBinder(keys, gui::TimerBinder::Ticks::FromStart, nullptr);
        QCOMPARE(keyBinder.armedDelay(), -1);
        keys.start(1000);
        QCOMPARE(keyBinder.armedDelay(), 1000);

        model::Timer clock("broadcastTimer", 1000, false);
        gui::TimerBinder clockBinder(clock, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        clock.start(1000);
        QVERIFY(clockBinder.armedDelay() > 0);
        // Whole milliseconds up to the boundary and its margin, rounded up.
        QVERIFY(clockBinder.armedDelay() <= 1001);

        // Other intervals (the recorder's 500 ms) are never aligned.
        model::Timer recorder("tickTimer", 500, false);
        gui::TimerBinder recorderBinder(recorder, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        recorder.start(500);
        QCOMPARE(recorderBinder.armedDelay(), 500);
        recorder.stop();
        QCOMPARE(recorderBinder.armedDelay(), -1);
    }

    // The clock's tick aims a millisecond past the wall clock's next boundary, counted on the
    // monotonic clock; a QTimer takes whole milliseconds, so the wait rounds up, never down.
    void theClocksTickIsArmedJustPastTheNextBoundary() {
        using gui::TimerBinder;
        const nanoseconds monotonic = 5000s;

        // 234.5 ms into a second: 765.5 ms to the boundary, 1 ms past it.
        nanoseconds deadline = TimerBinder::nextTickDeadline(234500us, monotonic);
        QCOMPARE(deadline, monotonic + 766500us);
        QCOMPARE(TimerBinder::millisecondsUntil(deadline, monotonic), 767);
        // Read again a little later: the same deadline, less to wait.
        QCOMPARE(TimerBinder::millisecondsUntil(deadline, monotonic + 500us), 766);
        QCOMPARE(TimerBinder::millisecondsUntil(deadline, monotonic + 766500us), 0);
        QCOMPARE(TimerBinder::millisecondsUntil(deadline, monotonic + 800ms), 0);

        // Armed on a boundary (a tick that came in its own second's first millisecond): the
        // next boundary, so that second is never ticked twice.
        deadline = TimerBinder::nextTickDeadline(0ns, monotonic);
        QCOMPARE(TimerBinder::millisecondsUntil(deadline, monotonic), 1001);
        // A hair before a boundary: that boundary, not the next one.
        deadline = TimerBinder::nextTickDeadline(999900us, monotonic);
        QCOMPARE(TimerBinder::millisecondsUntil(deadline, monotonic), 2);
    }

    // The clock, the now-playing display and the LCD clock tick in one wake-up; a handler may
    // still stop, restart or take away another of them in that very wake-up.
    void alignedTimersShareOneSecondAndMayChangeEachOther() {
        model::Timer first("first", 1000, false);
        model::Timer second("second", 1000, false);
        model::Timer third("third", 1000, false);
        gui::TimerBinder firstBinder(first, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        gui::TimerBinder secondBinder(second, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        auto thirdBinder = std::make_unique<gui::TimerBinder>(
            third, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        QList<QString> fired;
        first.setHandler([&] {
            fired.append(QStringLiteral("first"));
            // Taken away before its turn in the same second: never fired, nothing dangles.
            thirdBinder.reset();
            second.stop();
        });
        second.setHandler([&] { fired.append(QStringLiteral("second")); });
        third.setHandler([&] { fired.append(QStringLiteral("third")); });
        first.start(1000);
        second.start(1000);
        third.start(1000);
        QCOMPARE(firstBinder.armedDelay(), secondBinder.armedDelay());

        QTRY_VERIFY_WITH_TIMEOUT(fired.size() >= 2, 5000);
        QCOMPARE(fired, (QList<QString>{QStringLiteral("first"), QStringLiteral("first")}));
        QCOMPARE(secondBinder.armedDelay(), -1);

        // A timer leaving the second for another interval keeps that interval.
        first.setHandler({});
        first.setInterval(500);
        QCOMPARE(firstBinder.armedDelay(), 500);
        second.start(1000);
        QVERIFY(secondBinder.armedDelay() > 0 && secondBinder.armedDelay() <= 1001);
    }

    // A tick that opens a modal loop (a message, the end-of-day countdown) keeps the seconds
    // going: the other clocks tick inside it, and it is not entered again while it runs.
    void aModalLoopInOneHandlerKeepsTheOthersTicking() {
        model::Timer modal("modal", 1000, false);
        model::Timer other("other", 1000, false);
        gui::TimerBinder modalBinder(modal, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        gui::TimerBinder otherBinder(other, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        int others = 0;
        int othersInside = -1;
        bool inside = false;
        modal.setHandler([&] {
            if (inside || othersInside >= 0) {
                return;
            }
            inside = true;
            const int before = others;
            QTest::qWait(2500);
            othersInside = others - before;
            inside = false;
        });
        other.setHandler([&] { ++others; });
        modal.start(1000);
        other.start(1000);
        QTRY_VERIFY_WITH_TIMEOUT(othersInside >= 0, 10000);
        QVERIFY2(othersInside >= 1, "the other clock stopped while the modal loop ran");
    }

    void aFromStartTimerKeepsFiringAtItsInterval() {
        model::Timer timer("keyTimer", 20, false);
        int fired = 0;
        timer.setHandler([&] { ++fired; });
        gui::TimerBinder binder(timer, gui::TimerBinder::Ticks::FromStart, nullptr);
        timer.start(20);
        QTRY_VERIFY_WITH_TIMEOUT(fired >= 3, 10000);
        QCOMPARE(binder.armedDelay(), 20);
    }
};

QTEST_MAIN(TimerBinderTest)
#include "timer_binder_test.moc"
