#include "ui/UndoKeys.h"

#include <QAction>
#include <QKeyEvent>
#include <QUndoStack>
#include <QWidget>

namespace sw {

namespace {

bool matchesOne(const QKeyEvent *event, const QList<QKeySequence> &keys)
{
    const QKeyCombination pressed = event->keyCombination();
    for (const QKeySequence &key : keys) {
        if (key.count() == 1 && key[0] == pressed)
            return true;
    }
    return false;
}

QAction *addAction(QWidget *window, const char *name, const QList<QKeySequence> &keys)
{
    auto *action = new QAction(window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    window->addAction(action);
    return action;
}

} // namespace

QList<QKeySequence> undoKeys()
{
    return { QKeySequence(Qt::CTRL | Qt::Key_Z) };
}

QList<QKeySequence> redoKeys()
{
    return { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) };
}

bool isUndoKey(const QKeyEvent *event)
{
    return matchesOne(event, undoKeys());
}

bool isRedoKey(const QKeyEvent *event)
{
    return matchesOne(event, redoKeys());
}

UndoActions addUndoActions(QWidget *window, QUndoStack *stack)
{
    QAction *undo = addAction(window, "undo", undoKeys());
    QAction *redo = addAction(window, "redo", redoKeys());
    QObject::connect(stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    QObject::connect(stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    return { undo, redo };
}

} // namespace sw
