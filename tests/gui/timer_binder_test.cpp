#include "gui/timer_binder.h"

#include <QTest>

#include "core/model/timer.h"

using namespace orvessa;

class TimerBinderTest : public QObject {
    Q_OBJECT

private slots:
    // The key chords must go out four seconds after a launch: the key timer's ticks run from
    // its own start. The clock's ticks fall on the second boundaries instead.
    void onlyClockTimersAreAlignedToTheSecond() {
        model::Timer keys("Timer1", 1000, false);
        gui::TimerBinder keyBinder(keys, gui::TimerBinder::Ticks::FromStart, nullptr);
        QCOMPARE(keyBinder.armedDelay(), -1);
        keys.start(1000);
        QCOMPARE(keyBinder.armedDelay(), 1000);

        model::Timer clock("Timer1", 1000, false);
        gui::TimerBinder clockBinder(clock, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        clock.start(1000);
        QVERIFY(clockBinder.armedDelay() > 0);
        QVERIFY(clockBinder.armedDelay() <= 1015);

        // Other intervals (the recorder's 500 ms) are never aligned.
        model::Timer recorder("Timer1", 500, false);
        gui::TimerBinder recorderBinder(recorder, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
        recorder.start(500);
        QCOMPARE(recorderBinder.armedDelay(), 500);
        recorder.stop();
        QCOMPARE(recorderBinder.armedDelay(), -1);
    }

    void aFromStartTimerKeepsFiringAtItsInterval() {
        model::Timer timer("Timer1", 20, false);
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
