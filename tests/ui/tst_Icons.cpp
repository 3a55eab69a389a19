#include "ui/shell/Icons.h"

#include <QtTest>
#include <iterator>

class tst_Icons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rendersAtRequestedSize_data();
    void rendersAtRequestedSize();
    void picturesAreDistinct();
};

namespace {

struct Picture
{
    const char *name;
    QIcon (*icon)(); // null for the logo, which comes as a pixmap
};

const Picture Pictures[] = {
    { "information", sw::icons::information },
    { "options", sw::icons::options },
    { "closeProgram", sw::icons::closeProgram },
    { "newConfiguration", sw::icons::newConfiguration },
    { "openConfiguration", sw::icons::openConfiguration },
    { "communication", sw::icons::communication },
    { "variableList", sw::icons::variableList },
    { "certificates", sw::icons::certificates },
    { "updateDevice", sw::icons::updateDevice },
    { "logo", nullptr },
};

QImage render(const Picture &picture, int size)
{
    const QPixmap pixmap = picture.icon ? picture.icon().pixmap(size, size) : sw::icons::logo(size);
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

void tst_Icons::rendersAtRequestedSize_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    // 256 lies well above any size a button asks for: a picture kept only as fixed bitmaps would come back smaller.
    for (int i = 0; i < int(std::size(Pictures)); ++i) {
        for (int size : { 16, 81, 256 })
            QTest::addRow("%s@%d", Pictures[i].name, size) << i << size;
    }
}

void tst_Icons::rendersAtRequestedSize()
{
    QFETCH(int, index);
    QFETCH(int, size);
    const Picture &picture = Pictures[index];
    if (picture.icon)
        QVERIFY(!picture.icon().isNull());

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

void tst_Icons::picturesAreDistinct()
{
    // Each function shows its own picture, not a neighbour's.
    QList<QImage> images;
    for (const Picture &picture : Pictures)
        images.append(render(picture, 32));
    for (int i = 0; i < images.size(); ++i) {
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(
                images[i] != images[j], (QByteArray(Pictures[i].name) + " looks like " + Pictures[j].name).constData());
    }
}

QTEST_MAIN(tst_Icons)
#include "tst_Icons.moc"
