#include "gui/skins/qt_skin_look.h"

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include "core/skins/skin.h"
#include "core/skins/skin_package.h"
#include "core/skins/skin_store.h"
#include "gui/skins/built_in_skins.h"
#include "gui/tools/subtitle_strip.h"

using namespace orvessa;

namespace {

std::vector<std::uint8_t> bmp(const QColor& color, int width = 24, int height = 24) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {bytes.begin(), bytes.end()};
}

// A skin as a package would bring it, made by hand: a window colour, a menu colour and the
// menu's pictures, plus whatever else the case needs.
skins::Skin skin(const char* window, const char* menu, std::string extra = {}) {
    skins::Skin s;
    s.descriptionName = "skin.ini";
    s.description =
        store::IniDocument(std::string("[Personality]\r\nWindow=") + window +
                           "\r\nWindowText=#101010\r\n[MenuBackground]\r\nColor=" + menu +
                           "\r\nImage=gutter.bmp\r\n[MenuItem]\r\nImage=" +
                           "item.bmp\r\n[Buttons]\r\nNormal=face.bmp\r\n" + extra);
    s.entries["gutter.bmp"] = bmp(QColor(menu), 28, 8);
    s.entries["item.bmp"] = bmp(Qt::darkBlue);
    s.entries["face.bmp"] = bmp(Qt::lightGray, 32, 24);
    return s;
}

QColor pixel(QWidget& widget, QPoint at) {
    return widget.grab().toImage().pixelColor(at);
}

// The pictures the style sheet in force names.
QStringList pictureFiles() {
    static const QRegularExpression url(QStringLiteral("url\\(\"([^\"]+)\"\\)"));
    QStringList files;
    for (auto it = url.globalMatch(qApp->styleSheet()); it.hasNext();) {
        files << it.next().captured(1);
    }
    files.removeDuplicates();
    return files;
}

}  // namespace

class QtSkinLookTest : public QObject {
    Q_OBJECT

private slots:
    // In automatic operation 表操作 and 字幕 are closed to the operator, and must look it.
    void aDisabledMenuTitleLooksDisabledInEverySkin() {
        const auto store = skins::SkinStore::parse(gui::builtInSkinStore());
        QVERIFY2(store.ok(), store.error().c_str());
        QCOMPARE(store.value().size(), std::size_t{10});
        for (std::size_t n = 0; n < store.value().size(); ++n) {
            const auto loaded = skins::loadSkin(store.value().items()[n].package);
            QVERIFY2(loaded.ok(), loaded.error().c_str());
            gui::QtSkinLook look;
            look.apply(loaded.value());
            QMenuBar bar;
            bar.addMenu(QStringLiteral("系统(&S)"));
            QMenu* table = bar.addMenu(QStringLiteral("表操作(&B)"));
            QMenu* subtitle = bar.addMenu(QStringLiteral("字幕(&Z)"));
            bar.resize(bar.sizeHint().width() + 20, bar.sizeHint().height());
            bar.show();
            QVERIFY(QTest::qWaitForWindowExposed(&bar));
            const QRect title = bar.actionGeometry(table->menuAction());
            const QImage enabled = bar.grab(title).toImage();
            table->setEnabled(false);
            subtitle->setEnabled(false);
            const QImage disabled = bar.grab(title).toImage();
            QCOMPARE(disabled.size(), enabled.size());
            int changed = 0;
            for (int y = 0; y < enabled.height(); ++y) {
                for (int x = 0; x < enabled.width(); ++x) {
                    const QColor a = enabled.pixelColor(x, y);
                    const QColor b = disabled.pixelColor(x, y);
                    const int difference = std::abs(a.red() - b.red()) +
                                           std::abs(a.green() - b.green()) +
                                           std::abs(a.blue() - b.blue());
                    changed += difference >= 60 ? 1 : 0;
                }
            }
            // The strokes of the caption, not a stray pixel.
            QVERIFY2(changed >= 20,
                     qPrintable(QStringLiteral("skin %1: %2 pixels differ").arg(n).arg(changed)));
        }
    }

    void aSkinReachesOpenWindowsAndLaterMenusAndClearGivesTheDesktopBack() {
        const QPalette desktopPalette = QApplication::palette();
        QStyle* const desktopStyle = QApplication::style();
        const bool paletteWasSet = QCoreApplication::testAttribute(Qt::AA_SetPalette);

        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("节假日")));
        layout->addWidget(new QPushButton(QStringLiteral("确 定(O)")));
        dialog.resize(200, 120);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        gui::QtSkinLook look;
        look.apply(skin("#204060", "#f0e0c0"));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor("#204060"));
        QCOMPARE(pixel(dialog, {2, 2}), QColor("#204060"));

        QMenu menu;
        menu.addAction(QStringLiteral("换    肤(&G)"));
        menu.addAction(QStringLiteral("退出系统(&Q)"));
        menu.popup({0, 0});
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QCOMPARE(pixel(menu, {menu.width() - 6, menu.height() / 2}), QColor("#f0e0c0"));
        menu.hide();

        // Another skin replaces the first everywhere, and leaves no pictures of the first behind.
        const QStringList first = pictureFiles();
        look.apply(skin("#305030", "#e0f0e0"));
        QCOMPARE(pixel(dialog, {2, 2}), QColor("#305030"));
        for (const QString& file : first) {
            QVERIFY2(!QFile::exists(file), qPrintable(file));
        }
        const QStringList second = pictureFiles();
        QVERIFY(!second.isEmpty());
        for (const QString& file : second) {
            QVERIFY2(QFile::exists(file), qPrintable(file));
        }

        look.clear();
        QCOMPARE(QApplication::style(), desktopStyle);
        QCOMPARE(qApp->styleSheet(), QString());
        QCOMPARE(QApplication::palette(), desktopPalette);
        QCOMPARE(QCoreApplication::testAttribute(Qt::AA_SetPalette), paletteWasSet);
        QTRY_COMPARE(dialog.palette().color(QPalette::Window),
                     desktopPalette.color(QPalette::Window));
        for (const QString& file : second) {
            QVERIFY2(!QFile::exists(file), qPrintable(file));
        }

        // The look can come again after it was cleared.
        look.apply(skin("#204060", "#f0e0c0"));
        QCOMPARE(pixel(dialog, {2, 2}), QColor("#204060"));
        look.clear();
        QCOMPARE(QApplication::style(), desktopStyle);
    }

    void aDesktopStyleSheetAndPaletteOfItsOwnComeBack() {
        QPalette own = QApplication::palette();
        own.setColor(QPalette::Window, QColor("#123456"));
        QApplication::setPalette(own);
        const QString sheet = QStringLiteral("QLabel { color: #654321; }");
        qApp->setStyleSheet(sheet);
        {
            gui::QtSkinLook look;
            look.apply(skin("#204060", "#f0e0c0"));
            QVERIFY(qApp->styleSheet() != sheet);
            // Leaving the look's life restores the desktop too.
        }
        QCOMPARE(qApp->styleSheet(), sheet);
        QCOMPARE(QApplication::palette().color(QPalette::Window), QColor("#123456"));
        QVERIFY(QCoreApplication::testAttribute(Qt::AA_SetPalette));
        qApp->setStyleSheet(QString());
        QApplication::setPalette(QPalette());
    }

    void whatAPackageSaysNeverReachesTheStyleSheetOrTheDiskAsItIs() {
        // A colour that tries to close its rule, an image named like a path out of the folder,
        // an image that does not decode, and a scroll bar size out of all measure.
        skins::Skin s = skin("#204060", "#f0e0c0",
                             "[TitlebarSkin]\r\nImage=../../escape.bmp\r\n"
                             "[Toolbars]\r\nImage=broken.bmp\r\n"
                             "TextColor=#fff; } QWidget { background: url(/etc/passwd)\r\n"
                             "[Scrollbar]\r\nSize=100000\r\n[HorzScroll]\r\nImage=face.bmp\r\n");
        s.entries["../../escape.bmp"] = bmp(Qt::red);
        s.entries["broken.bmp"] = {'B', 'M', 0, 1, 2};
        gui::QtSkinLook look;
        look.apply(s);
        const QString applied = qApp->styleSheet();
        QVERIFY(!applied.contains(QStringLiteral("passwd")));
        QVERIFY(applied.contains(QStringLiteral("height: 30px")));
        static const QRegularExpression ownName(QStringLiteral("^[0-9]+-[A-Za-z]+\\.png$"));
        const QStringList files = pictureFiles();
        QVERIFY(!files.isEmpty());
        for (const QString& file : files) {
            const QFileInfo info(file);
            QVERIFY2(ownName.match(info.fileName()).hasMatch(), qPrintable(file));
            QCOMPARE(info.dir(), QFileInfo(files.first()).dir());
        }
        QVERIFY(!QFile::exists(
            QFileInfo(files.first()).dir().filePath(QStringLiteral("../../escape.bmp"))));
    }

    void theSubtitleStripKeepsItsOwnColours() {
        gui::SubtitleStripWidget strip;
        strip.resize(300, 40);
        platform::FontDescription font;
        font.face = "宋体";
        font.size = 20;
        font.color = model::rgb(255, 255, 0);
        strip.setLook(font, model::rgb(0, 0, 128));
        strip.setText(QStringLiteral("校园之声"));
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        const QColor text = strip.textColor();
        const QColor inside = pixel(strip, {5, 20});

        gui::QtSkinLook look;
        look.apply(skin("#f0f0f0", "#ffffff"));
        QCOMPARE(strip.textColor(), text);
        QCOMPARE(strip.background(), QColor(0, 0, 128));
        QCOMPARE(pixel(strip, {5, 20}), inside);
    }
};

QTEST_MAIN(QtSkinLookTest)
#include "qt_skin_look_test.moc"
