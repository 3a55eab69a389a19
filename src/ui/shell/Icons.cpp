#include "ui/shell/Icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

// The pictures live in a resource of this static library; registering it here keeps the linker from dropping it.
static void registerIconResource()
{
    Q_INIT_RESOURCE(icons);
}

static void ensureIconResource()
{
    static const bool registered = (registerIconResource(), true);
    Q_UNUSED(registered);
}

namespace sw::icons {

namespace {

// The sizes the build renders each picture at (src/ui/CMakeLists.txt), smallest first.
const QList<int> PictureButtonSizes { SW_PICTURE_BUTTON_SIZES };
const QList<int> StepButtonSizes { SW_STEP_BUTTON_SIZES };
const QList<int> WindowIconSizes { SW_WINDOW_ICON_SIZES };
const QList<int> LogoSizes { SW_LOGO_SIZES };

// The build renders each drawing as ":/icons/<name>-<size>.png".
QString picturePath(const QString &name, int size)
{
    ensureIconResource();
    return QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size);
}

// Read with the built-in PNG reader alone: a reader left to detect the format loads every image format plugin
// (the SVG one among them) to ask each whether it reads PNG. Kept in the pixmap cache, so that icons made
// again (the window icon is set on the application and on the main window) share the pixels.
QPixmap readPicture(const QString &name, int size)
{
    const QString path = picturePath(name, size);
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    pixmap = QPixmap::fromImage(reader.read());
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

// The picture to draw at `area` square pixels: the smallest rendered one that covers it, else the largest.
int bestSize(const QList<int> &sizes, qint64 area)
{
    const auto covering
        = std::find_if(sizes.cbegin(), sizes.cend(), [area](int size) { return qint64(size) * size >= area; });
    return covering != sizes.cend() ? *covering : sizes.last();
}

// An icon over the rendered pictures of one drawing that reads a picture only when it is first drawn: a button
// shows one of its sizes, and the others need not be decoded at start. It chooses, scales and shades a picture as
// Qt's own pixmap icon does.
class PictureEngine final : public QIconEngine
{
public:
    PictureEngine(QString name, const QList<int> &sizes)
        : m_name(std::move(name))
        , m_sizes(sizes)
    {
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side
            = std::min({ bestSize(m_sizes, qint64(size.width()) * size.height()), size.width(), size.height() });
        return { side, side };
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        if (size.isEmpty())
            return {};
        const QSize actual = actualSize(size, mode, state);
        const int rendered = bestSize(m_sizes, qint64(size.width()) * size.height());
        const QString key = QStringLiteral("sw_icon_%1_%2_%3_%4_%5")
                                .arg(m_name)
                                .arg(rendered)
                                .arg(actual.width())
                                .arg(int(mode))
                                .arg(QGuiApplication::palette().cacheKey());
        QPixmap pixmap;
        if (QPixmapCache::find(key, &pixmap))
            return pixmap;
        pixmap = readPicture(m_name, rendered);
        if (pixmap.size() != actual)
            pixmap = pixmap.scaled(actual, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // Disabled, hovered and selected looks come from the style, as for any pixmap icon.
        if (mode != QIcon::Normal && qobject_cast<QApplication *>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            const QPixmap generated = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
            if (!generated.isNull())
                pixmap = generated;
        }
        QPixmapCache::insert(key, pixmap);
        return pixmap;
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal) override
    {
        return pixmap(size, mode, state);
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : qApp->devicePixelRatio();
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, picture);
    }

    // Only the normal look is a picture of its own; the window system takes one pixmap of each size listed here.
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State) override
    {
        QList<QSize> sizes;
        if (mode == QIcon::Normal) {
            for (int size : m_sizes)
                sizes.append(QSize(size, size));
        }
        return sizes;
    }

    bool isNull() override { return m_sizes.isEmpty(); }
    QString key() const override { return QStringLiteral("sw_picture"); }
    QIconEngine *clone() const override { return new PictureEngine(*this); }

private:
    QString m_name;
    QList<int> m_sizes;
};

QIcon load(const char *name, const QList<int> &sizes)
{
    return QIcon(new PictureEngine(QLatin1String(name), sizes));
}

} // namespace

QIcon information()
{
    return load("information", PictureButtonSizes);
}
QIcon options()
{
    return load("options", PictureButtonSizes);
}
QIcon closeProgram()
{
    return load("closeProgram", PictureButtonSizes);
}
QIcon newConfiguration()
{
    return load("newConfiguration", StepButtonSizes);
}
QIcon openConfiguration()
{
    return load("openConfiguration", StepButtonSizes);
}
QIcon communication()
{
    return load("communication", StepButtonSizes);
}
QIcon variableList()
{
    return load("variableList", StepButtonSizes);
}
QIcon certificates()
{
    return load("certificates", StepButtonSizes);
}
QIcon updateDevice()
{
    return load("updateDevice", StepButtonSizes);
}

QIcon program()
{
    // The window system gets every size of a window icon, so the About dialog's sizes stay out of it.
    return load("logo", WindowIconSizes);
}

QPixmap logo(int size)
{
    if (size <= 0)
        return {};
    // The picture of that size; for a size not rendered, the nearest larger one (else the largest) scaled to it.
    const int rendered = bestSize(LogoSizes, qint64(size) * size);
    const QPixmap pixmap = readPicture(QStringLiteral("logo"), rendered);
    if (rendered == size)
        return pixmap;
    return pixmap.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace sw::icons
