#include "gui/binders.h"

#include <QEvent>
#include <QLabel>
#include <QTest>

#include "core/model/control.h"

using namespace orvessa;

class BindersTest : public QObject {
    Q_OBJECT

private slots:
    // A label whose text changes every second keeps its style: only a new colour restyles it.
    void aNewTextLeavesTheLabelsStyleAlone() {
        model::TextControl line("statusLine", "", model::kGreen);
        QWidget window;
        auto* label = new QLabel(&window);
        gui::bindText(line, label);
        StyleChanges changes;
        label->installEventFilter(&changes);

        for (const char* hint : {"一", "二", "三"}) {
            line.setText(hint);
        }
        QCOMPARE(label->text(), QStringLiteral("三"));
        QCOMPARE(changes.count, 0);

        line.setColor(model::kRed);
        QVERIFY(changes.count > 0);
        QVERIFY(label->styleSheet().contains(QStringLiteral("color")));
    }

private:
    struct StyleChanges : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::StyleChange;
            return false;
        }
        int count = 0;
    };
};

QTEST_MAIN(BindersTest)
#include "binders_test.moc"
