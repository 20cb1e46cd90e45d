#include "gui/pictures.h"

#include <QImage>
#include <QImageReader>
#include <QTest>

using namespace orvessa;

namespace {

// True when some pixel of the image can be seen: a picture that failed to draw is all clear.
bool hasVisiblePixels(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

class PicturesTest : public QObject {
    Q_OBJECT

private slots:
    void everyToolbarButtonHasItsPicture_data() {
        QTest::addColumn<QString>("button");
        for (const char* name :
             {"ToolButton9", "ToolButton10", "ToolButton15", "toolbutton13", "ToolButton24",
              "ToolButton17", "ToolButton18", "rec3", "SpeedButton9", "SpeedButton1"}) {
            QTest::newRow(name) << QString::fromLatin1(name);
        }
    }

    void everyToolbarButtonHasItsPicture() {
        QFETCH(QString, button);
        const QIcon icon = gui::toolbarIcon(button);
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        QVERIFY(sizes.contains(QSize(24, 24)));
        QVERIFY(sizes.contains(QSize(48, 48)));
        const QImage normal = icon.pixmap(QSize(24, 24)).toImage();
        QCOMPARE(normal.size(), QSize(24, 24));
        QVERIFY(hasVisiblePixels(normal));
        // The greyed look of a disabled button is derived from the coloured picture.
        const QImage disabled = icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage();
        QCOMPARE(disabled.size(), QSize(24, 24));
        QVERIFY(disabled != normal);
    }

    void aButtonWithoutAPictureGetsNone() {
        QVERIFY(gui::toolbarIcon(QStringLiteral("ToolButton99")).isNull());
        QVERIFY(gui::toolbarIcon(QString()).isNull());
    }

    void theApplicationIconHasEverySize() {
        const QIcon icon = gui::applicationIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        for (int size : {16, 32, 48, 64, 128, 256}) {
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
            const QImage image = icon.pixmap(QSize(size, size)).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(hasVisiblePixels(image));
        }
    }

    void theColumnPictureIsReadAsJpeg() {
        QVERIFY(QImageReader::supportedImageFormats().contains("jpeg"));
        const QPixmap picture = gui::columnPicture();
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), QSize(268, 314));
    }
};

QTEST_MAIN(PicturesTest)
#include "pictures_test.moc"
