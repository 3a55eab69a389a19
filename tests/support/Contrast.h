#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace sw::test {

// WCAG relative luminance of a colour.
inline double luminance(QRgb rgb)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

inline double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How far the text of `widget` stands out from its background as rendered in `shot`, a grab of
// `window`: the commonest colour of the widget's contents is the background and the colour
// furthest from it the text, which the inside of every glyph reaches. Readable text has 4.5 or more.
inline double renderedContrast(const QWidget *widget, const QWidget *window, const QImage &shot)
{
    const qreal ratio = shot.devicePixelRatio();
    const QRect area(widget->mapTo(window, widget->contentsRect().topLeft()), widget->contentsRect().size());
    const QRect pixels = QRect(area.topLeft() * ratio, area.size() * ratio).intersected(shot.rect());
    QHash<QRgb, int> counts;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            ++counts[shot.pixel(x, y) | 0xff000000];
    }
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrast(background, it.key()));
    return best;
}

// A dark palette as desktop themes set it: light text on dark windows, buttons and boxes.
inline QPalette darkPalette()
{
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2b), text(0xe6, 0xe6, 0xe6), base(0x1e, 0x1e, 0x1e), button(0x3c, 0x3f, 0x41);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x65, 0xca));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, button.lighter(150));
    p.setColor(QPalette::Midlight, button.lighter(125));
    p.setColor(QPalette::Mid, button.darker(120));
    p.setColor(QPalette::Dark, button.darker(150));
    p.setColor(QPalette::Shadow, Qt::black);
    for (auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

} // namespace sw::test
