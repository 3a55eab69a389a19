#pragma once

#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace sw::test {

// Input as the window system delivers it: queued for the window that holds the widget, and
// handled when the event loop next takes the window system's events (never while it excludes user
// input). The widget's window must be shown.
class PlatformInput
{
public:
    static void click(QWidget *widget)
    {
        const auto [window, local, global] = where(widget);
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, local, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, local, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
    }
    // One notch of the wheel towards the user.
    static void wheelDown(QWidget *widget)
    {
        const auto [window, local, global] = where(widget);
        QWindowSystemInterface::handleWheelEvent(window, local, global, QPoint(), QPoint(0, -120));
    }
    // A key typed into the focus widget of `widget`'s window.
    static void type(QWidget *widget, Qt::Key key, const QString &text)
    {
        QWindow *window = widget->window()->windowHandle();
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, QEvent::KeyPress, key, Qt::NoModifier, text);
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window, QEvent::KeyRelease, key, Qt::NoModifier, text);
    }

private:
    struct Place
    {
        QWindow *window;
        QPointF local;
        QPointF global;
    };
    static Place where(QWidget *widget)
    {
        QWidget *top = widget->window();
        const QPoint centre = widget->rect().center();
        return { top->windowHandle(), QPointF(widget->mapTo(top, centre)), QPointF(widget->mapToGlobal(centre)) };
    }
};

} // namespace sw::test
