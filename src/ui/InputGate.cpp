#include "ui/InputGate.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>

namespace sw {

namespace {

// The longest time that opening spends on events queued while shut.
constexpr int DrainMs = 100;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
        return true;
    default:
        return false;
    }
}

} // namespace

InputGate::InputGate(QObject *parent)
    : QObject(parent)
{
}

InputGate::~InputGate()
{
    if (m_shut && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void InputGate::shut()
{
    if (m_shut)
        return;
    QCoreApplication::instance()->installEventFilter(this);
    m_shut = true;
}

void InputGate::open()
{
    if (!m_shut)
        return;
    // Input that a wait left queued (the updater's wait takes none) arrives now, while the filter
    // still drops it; removed first, the filter would let it act after the wait. Such input does
    // not wake the event dispatcher by itself, so it is woken here; then passes run until one
    // finds nothing more, for a bounded time.
    if (QAbstractEventDispatcher *dispatcher = QCoreApplication::eventDispatcher())
        dispatcher->wakeUp();
    QCoreApplication::processEvents(QEventLoop::AllEvents, DrainMs);
    QCoreApplication::instance()->removeEventFilter(this);
    m_shut = false;
}

bool InputGate::eventFilter(QObject *, QEvent *event)
{
    // Dropped, with its acceptance left as it is: a drag stays refused, a key or click ends here.
    return isUserInput(event->type());
}

} // namespace sw
