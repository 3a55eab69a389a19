#pragma once

#include <QKeySequence>
#include <QList>

class QAction;
class QKeyEvent;
class QUndoStack;
class QWidget;

namespace sw {

// The editors' undo and redo keys: Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, on every platform.
QList<QKeySequence> undoKeys();
QList<QKeySequence> redoKeys();

// Whether the key press is one of undoKeys() or redoKeys().
bool isUndoKey(const QKeyEvent *event);
bool isRedoKey(const QKeyEvent *event);

// An action of `window` on undoKeys() and one on redoKeys(), named "undo" and "redo", each
// enabled while `stack` has a step to undo or redo. The owner says what they do.
struct UndoActions
{
    QAction *undo;
    QAction *redo;
};
UndoActions addUndoActions(QWidget *window, QUndoStack *stack);

} // namespace sw
