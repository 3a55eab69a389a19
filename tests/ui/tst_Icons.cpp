#include "ui/shell/Application.h"
#include "ui/shell/Icons.h"

#include <QGuiApplication>
#include <QtTest>
#include <iterator>

class tst_Icons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picturesAtTheirSizes_data();
    void picturesAtTheirSizes();
    void drawsAsAPixmapIcon_data();
    void drawsAsAPixmapIcon();
    void windowIconOffersSeveralSizes();
    void picturesAreDistinct();
    void loadsNoSvgSupport();
};

namespace {

// The sizes each picture is shown at, at device pixel ratios 1, 1.5 and 2: the header picture buttons draw at
// 40 px, the step buttons at 24 px, the About dialog its logo at 81 px; window managers show a window icon at the
// usual icon sizes.
const QList<int> PictureButtonSizes { 40, 60, 80 };
const QList<int> StepButtonSizes { 24, 36, 48 };
const QList<int> WindowIconSizes { 16, 32, 48, 64 };
// The logo as a pixmap: at the About dialog's sizes and the window icon's, and scaled to sizes between and beyond
// those.
const QList<int> LogoSizes = QList<int> { 81, 122, 162, 100, 300 } + WindowIconSizes;

struct Picture
{
    const char *name;
    QIcon (*icon)(); // null for the logo, which comes as a pixmap
    const QList<int> &sizes;
};

const Picture Pictures[] = {
    { "information", sw::icons::information, PictureButtonSizes },
    { "options", sw::icons::options, PictureButtonSizes },
    { "closeProgram", sw::icons::closeProgram, PictureButtonSizes },
    { "newConfiguration", sw::icons::newConfiguration, StepButtonSizes },
    { "openConfiguration", sw::icons::openConfiguration, StepButtonSizes },
    { "communication", sw::icons::communication, StepButtonSizes },
    { "variableList", sw::icons::variableList, StepButtonSizes },
    { "certificates", sw::icons::certificates, StepButtonSizes },
    { "updateDevice", sw::icons::updateDevice, StepButtonSizes },
    { "program", sw::icons::program, WindowIconSizes },
    { "logo", nullptr, LogoSizes },
};

QImage render(const Picture &picture, int size)
{
    const QPixmap pixmap = picture.icon ? picture.icon().pixmap(QSize(size, size), 1.0) : sw::icons::logo(size);
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

void tst_Icons::picturesAtTheirSizes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    for (int i = 0; i < int(std::size(Pictures)); ++i) {
        for (int size : Pictures[i].sizes)
            QTest::addRow("%s@%d", Pictures[i].name, size) << i << size;
    }
}

void tst_Icons::picturesAtTheirSizes()
{
    QFETCH(int, index);
    QFETCH(int, size);
    const Picture &picture = Pictures[index];
    if (picture.icon) {
        const QIcon icon = picture.icon();
        QVERIFY(!icon.isNull());
        // Made at this size, so that it is drawn as it is rather than scaled from a neighbour.
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
            qPrintable(QStringLiteral("sizes: %1").arg(QDebug::toString(icon.availableSizes()))));
    }

    const QImage image = render(picture, size);
    QCOMPARE(image.size(), QSize(size, size));

    // The drawing spreads over the square (a picture drawn at its design size into one corner of a large square would
    // cover a small share of it) and leaves the corners clear, so the button's own background shows around it.
    qsizetype opaque = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            opaque += qAlpha(image.pixel(x, y)) == 255;
    }
    QVERIFY2(opaque * 8 >= qsizetype(size) * size, qPrintable(QStringLiteral("%1 opaque pixels").arg(opaque)));
    for (const QPoint corner : { QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1) })
        QCOMPARE(qAlpha(image.pixel(corner)), 0);
}

void tst_Icons::drawsAsAPixmapIcon_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qreal>("ratio");
    const std::pair<const char *, QIcon::Mode> modes[]
        = { { "normal", QIcon::Normal }, { "disabled", QIcon::Disabled }, { "active", QIcon::Active } };
    for (const auto &[name, mode] : modes) {
        QTest::addRow("%s 24", name) << int(mode) << QSize(24, 24) << 1.0;
        QTest::addRow("%s 24 at 1.5", name) << int(mode) << QSize(24, 24) << 1.5;
        QTest::addRow("%s 24 at 2", name) << int(mode) << QSize(24, 24) << 2.0;
    }
    // Sizes no picture was made at: between two, below the smallest, above the largest, and not square.
    QTest::newRow("30") << int(QIcon::Normal) << QSize(30, 30) << 1.0;
    QTest::newRow("disabled 30") << int(QIcon::Disabled) << QSize(30, 30) << 1.0;
    QTest::newRow("12") << int(QIcon::Normal) << QSize(12, 12) << 1.0;
    QTest::newRow("200") << int(QIcon::Normal) << QSize(200, 200) << 1.0;
    QTest::newRow("40x30") << int(QIcon::Normal) << QSize(40, 30) << 1.0;
}

void tst_Icons::drawsAsAPixmapIcon()
{
    // An icon reads its pictures only when drawn; it must choose, scale and shade them as an icon holding all the
    // pictures does, so that buttons look the same at any screen resolution and when disabled.
    QFETCH(int, mode);
    QFETCH(QSize, size);
    QFETCH(qreal, ratio);
    // The reference holds the logo's pictures, read through logo(), which hands out a rendered picture as it is.
    const QIcon icon = sw::icons::program();
    QIcon reference;
    for (int available : WindowIconSizes)
        reference.addPixmap(sw::icons::logo(available));

    const QPixmap shown = icon.pixmap(size, ratio, QIcon::Mode(mode));
    const QPixmap expected = reference.pixmap(size, ratio, QIcon::Mode(mode));
    QCOMPARE(shown.size(), expected.size());
    QCOMPARE(shown.devicePixelRatio(), expected.devicePixelRatio());
    QCOMPARE(icon.actualSize(size, QIcon::Mode(mode)), reference.actualSize(size, QIcon::Mode(mode)));
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32),
        expected.toImage().convertToFormat(QImage::Format_ARGB32));
}

void tst_Icons::windowIconOffersSeveralSizes()
{
    // The window system takes a pixmap of every size the application's window icon has, so that the window manager
    // picks the one it shows rather than scaling a single picture.
    sw::setUpApplication();
    QList<QSize> sizes = QGuiApplication::windowIcon().availableSizes();
    std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
    QList<QSize> expected;
    for (int size : WindowIconSizes)
        expected.append(QSize(size, size));
    QCOMPARE(sizes, expected);
}

void tst_Icons::picturesAreDistinct()
{
    // Each function shows its own picture, not a neighbour's. The program's icon is the logo.
    QList<const Picture *> pictures;
    QList<QImage> images;
    for (const Picture &picture : Pictures) {
        if (qstrcmp(picture.name, "program") != 0) {
            pictures.append(&picture);
            images.append(render(picture, 32));
        }
    }
    for (int i = 0; i < images.size(); ++i) {
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j],
                (QByteArray(pictures[i]->name) + " looks like " + pictures[j]->name).constData());
    }
}

void tst_Icons::loadsNoSvgSupport()
{
    // Run last, after every picture was made: the pictures come as PNG files, so neither Qt's SVG library nor an
    // icon engine or image format plugin (reading a PNG with format detection loads them all) is loaded for them.
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        QSKIP("no /proc/self/maps to read the loaded libraries from");
    const QByteArray loaded = maps.readAll();
    for (const char *library : { "libQt6Svg", "/iconengines/", "/imageformats/" })
        QVERIFY2(!loaded.contains(library), library);
}

QTEST_MAIN(tst_Icons)
#include "tst_Icons.moc"
