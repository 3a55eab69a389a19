#include "ui/shell/Icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <functional>

namespace sw::icons {

namespace {

using Drawing = std::function<void(QPainter &)>;

// Every picture is drawn on a 64 x 64 design grid and rendered at the sizes buttons ask for.
constexpr qreal kGrid = 64.0;

QPixmap render(const Drawing &draw, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    draw(p);
    return pixmap;
}

QIcon makeIcon(const Drawing &draw)
{
    QIcon icon;
    for (int size : { 16, 24, 32, 40, 48, 64 })
        icon.addPixmap(render(draw, size));
    return icon;
}

QPen outline(const QColor &color, qreal width = 2.5)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QBrush vertical(const QColor &top, const QColor &bottom, qreal y0 = 0, qreal y1 = kGrid)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// A sheet of paper with a folded corner.
void drawSheet(QPainter &p, const QRectF &r)
{
    const qreal fold = r.width() * 0.3;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(outline(QColor(0x5a, 0x6b, 0x7d), 2));
    p.setBrush(vertical(Qt::white, QColor(0xe4, 0xea, 0xf1), r.top(), r.bottom()));
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xc9, 0xd3, 0xdf));
    p.drawPath(corner);
}

// A round badge with a plus sign, for "new".
void drawPlusBadge(QPainter &p, const QPointF &c, qreal radius)
{
    p.setPen(outline(QColor(0x1e, 0x7d, 0x32), 2));
    p.setBrush(vertical(QColor(0x66, 0xc9, 0x6a), QColor(0x2e, 0x9b, 0x3a), c.y() - radius, c.y() + radius));
    p.drawEllipse(c, radius, radius);
    p.setPen(outline(Qt::white, 4));
    const qreal arm = radius * 0.55;
    p.drawLine(QPointF(c.x() - arm, c.y()), QPointF(c.x() + arm, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - arm), QPointF(c.x(), c.y() + arm));
}

void drawInformation(QPainter &p)
{
    p.setPen(outline(QColor(0x0d, 0x47, 0xa1), 2.5));
    p.setBrush(vertical(QColor(0x64, 0xb5, 0xf6), QColor(0x15, 0x65, 0xc0), 4, 60));
    p.drawEllipse(QPointF(32, 32), 27, 27);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32, 18), 4.5, 4.5);
    p.drawRoundedRect(QRectF(27.5, 26, 9, 23), 2.5, 2.5);
}

void drawOptions(QPainter &p)
{
    // A gear: eight teeth around a ring with a hole.
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal radius = (i % 2 == 0) ? 28 : 21;
        const qreal a0 = (i - 0.5) * M_PI / teeth;
        const qreal a1 = (i + 0.5) * M_PI / teeth;
        const QPointF p0(32 + radius * std::cos(a0), 32 + radius * std::sin(a0));
        const QPointF p1(32 + radius * std::cos(a1), 32 + radius * std::sin(a1));
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(QPointF(32, 32), 9, 9);
    p.setPen(outline(QColor(0x42, 0x4b, 0x55), 2));
    p.setBrush(vertical(QColor(0xb0, 0xbe, 0xc5), QColor(0x60, 0x70, 0x7d), 4, 60));
    p.drawPath(gear.subtracted(hole));
}

void drawCloseProgram(QPainter &p)
{
    // The power symbol on a red disc.
    p.setPen(outline(QColor(0x8e, 0x1b, 0x1b), 2.5));
    p.setBrush(vertical(QColor(0xef, 0x6c, 0x6c), QColor(0xc6, 0x28, 0x28), 4, 60));
    p.drawEllipse(QPointF(32, 32), 27, 27);
    p.setPen(outline(Qt::white, 5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(18, 19, 28, 28), 120 * 16, 300 * 16);
    p.drawLine(QPointF(32, 13), QPointF(32, 32));
}

void drawNewConfiguration(QPainter &p)
{
    drawSheet(p, QRectF(10, 4, 38, 52));
    p.setPen(outline(QColor(0x90, 0xa4, 0xae), 2));
    for (qreal y : { 24.0, 31.0, 38.0 })
        p.drawLine(QPointF(17, y), QPointF(36, y));
    drawPlusBadge(p, QPointF(46, 46), 14);
}

void drawOpenConfiguration(QPainter &p)
{
    // A folder with its front flap tilted open.
    QPainterPath back;
    back.moveTo(4, 14);
    back.lineTo(22, 14);
    back.lineTo(27, 20);
    back.lineTo(54, 20);
    back.lineTo(54, 54);
    back.lineTo(4, 54);
    back.closeSubpath();
    p.setPen(outline(QColor(0x9a, 0x6b, 0x00), 2));
    p.setBrush(vertical(QColor(0xff, 0xd5, 0x4f), QColor(0xf9, 0xa8, 0x25), 14, 54));
    p.drawPath(back);
    p.setBrush(Qt::white);
    p.setPen(outline(QColor(0x90, 0xa4, 0xae), 1.5));
    p.drawRect(QRectF(12, 10, 34, 26));
    QPainterPath front;
    front.moveTo(4, 54);
    front.lineTo(13, 30);
    front.lineTo(61, 30);
    front.lineTo(54, 54);
    front.closeSubpath();
    p.setPen(outline(QColor(0x9a, 0x6b, 0x00), 2));
    p.setBrush(vertical(QColor(0xff, 0xe0, 0x82), QColor(0xff, 0xb3, 0x00), 30, 54));
    p.drawPath(front);
}

void drawCommunication(QPainter &p)
{
    // Three sliders: the parameters of the two protocols.
    p.setPen(outline(QColor(0x37, 0x47, 0x4f), 2));
    p.setBrush(vertical(QColor(0xec, 0xef, 0xf1), QColor(0xcf, 0xd8, 0xdc), 6, 58));
    p.drawRoundedRect(QRectF(6, 6, 52, 52), 8, 8);
    const qreal rows[] = { 19, 32, 45 };
    const qreal knobs[] = { 40, 22, 34 };
    const QColor colours[] = { QColor(0x1e, 0x88, 0xe5), QColor(0x43, 0xa0, 0x47), QColor(0xfb, 0x8c, 0x00) };
    for (int i = 0; i < 3; ++i) {
        p.setPen(outline(QColor(0x54, 0x6e, 0x7a), 3));
        p.drawLine(QPointF(14, rows[i]), QPointF(50, rows[i]));
        p.setPen(outline(colours[i].darker(140), 1.5));
        p.setBrush(colours[i]);
        p.drawEllipse(QPointF(knobs[i], rows[i]), 5.5, 5.5);
    }
}

void drawVariableList(QPainter &p)
{
    // A table of data points: a header bar and rows with a coloured type marker.
    p.setPen(outline(QColor(0x37, 0x47, 0x4f), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(6, 8, 52, 48), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3f, 0x51, 0xb5));
    p.drawRoundedRect(QRectF(7, 9, 50, 10), 3, 3);
    const QColor markers[] = { QColor(0x43, 0xa0, 0x47), QColor(0xfb, 0x8c, 0x00), QColor(0x1e, 0x88, 0xe5) };
    for (int i = 0; i < 3; ++i) {
        const qreal y = 26 + i * 10;
        p.setBrush(markers[i]);
        p.drawRect(QRectF(12, y - 3, 6, 6));
        p.setPen(outline(QColor(0x90, 0xa4, 0xae), 2.5));
        p.drawLine(QPointF(23, y), QPointF(51, y));
        p.setPen(Qt::NoPen);
    }
}

void drawCertificates(QPainter &p)
{
    // A certificate sheet with a padlock.
    drawSheet(p, QRectF(6, 4, 40, 50));
    p.setPen(outline(QColor(0x90, 0xa4, 0xae), 2));
    for (qreal y : { 18.0, 25.0 })
        p.drawLine(QPointF(13, y), QPointF(34, y));
    p.setBrush(Qt::NoBrush);
    p.setPen(outline(QColor(0x60, 0x60, 0x60), 4));
    p.drawArc(QRectF(35, 28, 18, 20), 0, 180 * 16);
    p.drawLine(QPointF(35, 38), QPointF(35, 42));
    p.drawLine(QPointF(53, 38), QPointF(53, 42));
    p.setPen(outline(QColor(0x8d, 0x6e, 0x00), 2));
    p.setBrush(vertical(QColor(0xff, 0xd5, 0x4f), QColor(0xff, 0xa0, 0x00), 40, 60));
    p.drawRoundedRect(QRectF(29, 40, 30, 20), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5d, 0x40, 0x37));
    p.drawEllipse(QPointF(44, 48), 3, 3);
    p.drawRect(QRectF(42.8, 49, 2.4, 6));
}

void drawUpdateDevice(QPainter &p)
{
    // The gateway with a download arrow above it.
    p.setPen(outline(QColor(0x26, 0x32, 0x38), 2));
    p.setBrush(vertical(QColor(0x78, 0x90, 0x9c), QColor(0x45, 0x5a, 0x64), 36, 60));
    p.drawRoundedRect(QRectF(6, 36, 52, 22), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x76, 0xff, 0x03));
    p.drawEllipse(QPointF(14, 47), 3, 3);
    p.setBrush(QColor(0xff, 0xc4, 0x00));
    p.drawEllipse(QPointF(23, 47), 3, 3);
    p.setBrush(QColor(0x26, 0x32, 0x38));
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(33 + i * 6, 43, 3.5, 8));
    QPainterPath arrow;
    arrow.moveTo(26, 4);
    arrow.lineTo(38, 4);
    arrow.lineTo(38, 18);
    arrow.lineTo(46, 18);
    arrow.lineTo(32, 32);
    arrow.lineTo(18, 18);
    arrow.lineTo(26, 18);
    arrow.closeSubpath();
    p.setPen(outline(QColor(0x1b, 0x5e, 0x20), 2));
    p.setBrush(vertical(QColor(0x81, 0xc7, 0x84), QColor(0x2e, 0x7d, 0x32), 4, 32));
    p.drawPath(arrow);
}

void drawLogo(QPainter &p)
{
    // A blue disc holding a white "Q" ring whose tail is an arrow: two protocols meeting.
    QRadialGradient disc(QPointF(24, 20), 56);
    disc.setColorAt(0, QColor(0x42, 0xa5, 0xf5));
    disc.setColorAt(1, QColor(0x0d, 0x2b, 0x6b));
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(QPointF(32, 32), 31, 31);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(15, 14, 32, 32), 60 * 16, 300 * 16);
    p.setPen(QPen(QColor(0xff, 0xb3, 0x00), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(36, 36), QPointF(48, 48));
    QPainterPath head;
    head.moveTo(52, 52);
    head.lineTo(41, 51);
    head.lineTo(51, 41);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xb3, 0x00));
    p.drawPath(head);
}

} // namespace

QIcon information()
{
    return makeIcon(drawInformation);
}
QIcon options()
{
    return makeIcon(drawOptions);
}
QIcon closeProgram()
{
    return makeIcon(drawCloseProgram);
}
QIcon newConfiguration()
{
    return makeIcon(drawNewConfiguration);
}
QIcon openConfiguration()
{
    return makeIcon(drawOpenConfiguration);
}
QIcon communication()
{
    return makeIcon(drawCommunication);
}
QIcon variableList()
{
    return makeIcon(drawVariableList);
}
QIcon certificates()
{
    return makeIcon(drawCertificates);
}
QIcon updateDevice()
{
    return makeIcon(drawUpdateDevice);
}

QPixmap logo(int size)
{
    return render(drawLogo, size);
}

} // namespace sw::icons
