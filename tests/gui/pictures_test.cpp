#include "gui/pictures.h"

#include <QImage>
#include <QTest>
#include <algorithm>

using namespace orvessa;

namespace {

// True when some pixel of the image can be seen: a picture that failed to draw is all clear.
bool hasVisiblePixels(const QImage& image) {
    const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
    return std::any_of(alpha.constBits(), alpha.constBits() + alpha.sizeInBytes(),
                       [](uchar a) { return a > 0; });
}

}  // namespace

class PicturesTest : public QObject {
    Q_OBJECT

private slots:
    // Each toolbar button has a coloured picture in both sizes, greyed when disabled; others none.
    void everyToolbarButtonHasItsPicture() {
        for (const char* name :
             {"weekSettingTool", "importTableTool", "exportTableTool", "optionsTool", "findTool",
              "playTool", "stopTool", "recordTool", "skinTool", "helpTool", "emergencyTool"}) {
            const QIcon icon = gui::toolbarIcon(QString::fromLatin1(name));
            QVERIFY2(icon.availableSizes().contains(QSize(24, 24)), name);
            QVERIFY2(icon.availableSizes().contains(QSize(48, 48)), name);
            const QImage normal = icon.pixmap(QSize(24, 24)).toImage();
            QVERIFY2(hasVisiblePixels(normal), name);
            QVERIFY2(icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage() != normal, name);
        }
        QVERIFY(gui::toolbarIcon(QStringLiteral("ToolButton99")).isNull());
        QVERIFY(gui::toolbarIcon(QString()).isNull());
    }

    // The application icon comes in every size; the column picture is a decoded JPEG.
    void theApplicationIconAndTheColumnPicture() {
        const QIcon icon = gui::applicationIcon();
        for (int size : {16, 32, 48, 64, 128, 256}) {
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                     qPrintable(QString::number(size)));
            QVERIFY(hasVisiblePixels(icon.pixmap(QSize(size, size)).toImage()));
        }
        QCOMPARE(gui::columnPicture().size(), QSize(268, 314));
    }
};

QTEST_MAIN(PicturesTest)
#include "pictures_test.moc"
