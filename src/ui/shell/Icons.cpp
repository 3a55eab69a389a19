#include "ui/shell/Icons.h"

#include <QDir>
#include <QImageReader>
#include <QPixmapCache>

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

// The build renders each drawing as ":/icons/<name>-<size>.png" at every size the program shows it.
QString picturePath(const char *name, int size)
{
    ensureIconResource();
    return QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(name)).arg(size);
}

// The sizes a picture was rendered at, smallest first.
QList<int> renderedSizes(const char *name)
{
    ensureIconResource();
    const QString prefix = QLatin1String(name) + u'-';
    const QString suffix = QStringLiteral(".png");
    QList<int> sizes;
    const QStringList files = QDir(QStringLiteral(":/icons")).entryList({ prefix + u'*' + suffix }, QDir::Files);
    for (const QString &file : files) {
        bool ok = false;
        const int size
            = QStringView(file).sliced(prefix.size(), file.size() - prefix.size() - suffix.size()).toInt(&ok);
        if (ok && size > 0)
            sizes.append(size);
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

// Read with the built-in PNG reader alone: a reader left to detect the format loads every image format plugin
// (the SVG one among them) to ask each whether it reads PNG. Kept in the pixmap cache, so that icons made
// again (the window icon is set on the application and on the main window) share the pixels.
QPixmap readPicture(const char *name, int size)
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

// One pixmap per size: Qt picks the one that matches the size and device pixel ratio it draws at.
QIcon load(const char *name, const QList<int> &sizes)
{
    QIcon icon;
    for (int size : sizes) {
        const QPixmap pixmap = readPicture(name, size);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon load(const char *name)
{
    return load(name, renderedSizes(name));
}

} // namespace

QIcon information()
{
    return load("information");
}
QIcon options()
{
    return load("options");
}
QIcon closeProgram()
{
    return load("closeProgram");
}
QIcon newConfiguration()
{
    return load("newConfiguration");
}
QIcon openConfiguration()
{
    return load("openConfiguration");
}
QIcon communication()
{
    return load("communication");
}
QIcon variableList()
{
    return load("variableList");
}
QIcon certificates()
{
    return load("certificates");
}
QIcon updateDevice()
{
    return load("updateDevice");
}

QIcon program()
{
    // The window system gets every size of a window icon, so the About dialog's sizes stay out of it.
    return load("logo", { SW_WINDOW_ICON_SIZES });
}

QPixmap logo(int size)
{
    const QList<int> sizes = renderedSizes("logo");
    if (size <= 0 || sizes.isEmpty())
        return {};
    // The picture of that size; for a size not rendered, the nearest larger one (else the largest) scaled to it.
    const auto larger = std::lower_bound(sizes.cbegin(), sizes.cend(), size);
    const int rendered = larger != sizes.cend() ? *larger : sizes.last();
    const QPixmap pixmap = readPicture("logo", rendered);
    if (rendered == size)
        return pixmap;
    return pixmap.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace sw::icons
