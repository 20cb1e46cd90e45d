#include "gui/static_text_label.h"

#include <QTest>

#include "gui/fonts.h"

using namespace orvessa;

class StaticTextLabelTest : public QObject {
    Q_OBJECT

private slots:
    // The status line must look as a label would: same place, colour and clipping, for each
    // alignment, and the same again when a text comes round a second time.
    void drawsAsALabelDoes() {
        const QStringList texts = {
            QStringLiteral("  ☆ 系统时钟未与网络时间同步，铃声时间可能不准！"),
            QStringLiteral("  正在播放：课间操.mp3   00:01:05"),
            QStringLiteral("a text far too long for the narrow label it has been put into"),
            QString(),
        };
        const QList<Qt::Alignment> alignments = {Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignCenter,
                                                 Qt::AlignRight | Qt::AlignTop};
        QWidget window;
        window.resize(560, 60);
        QLabel plain(&window);
        gui::StaticTextLabel cached(&window);
        for (QLabel* label : {&plain, static_cast<QLabel*>(&cached)}) {
            label->setGeometry(0, 0, 497, 17);
            label->setFont(gui::systemFont(QStringLiteral("宋体"), 13));
            label->setStyleSheet(QStringLiteral("color: #008000"));
        }
        window.show();
        for (int round = 0; round < 2; ++round) {
            for (const Qt::Alignment alignment : alignments) {
                for (const QString& text : texts) {
                    plain.setText(text);
                    cached.setText(text);
                    plain.setAlignment(alignment);
                    cached.setAlignment(alignment);
                    QCOMPARE(cached.grab().toImage(), plain.grab().toImage());
                }
            }
            plain.setEnabled(false);
            cached.setEnabled(false);
        }
    }
};

QTEST_MAIN(StaticTextLabelTest)
#include "static_text_label_test.moc"
