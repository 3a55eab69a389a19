#include "ui/shell/Icons.h"

#include <QPainter>
#include <QSvgRenderer>

// The pictures live in a resource of this static library; registering it here keeps the linker from dropping it.
static void registerIconResource()
{
    Q_INIT_RESOURCE(icons);
}

namespace sw::icons {

namespace {

QString resourcePath(const char *name)
{
    static const bool registered = (registerIconResource(), true);
    Q_UNUSED(registered);
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
}

// The SVG icon engine renders the drawing afresh at each requested size, so icons stay sharp at any scale.
QIcon load(const char *name)
{
    return QIcon(resourcePath(name));
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
    return load("logo");
}

QPixmap logo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath("logo"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace sw::icons
