#pragma once

#include <QString>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QWidget;

namespace sw {

// A label that shows its text exactly as given: configuration names and catalogue texts never
// render as markup. Link labels build their own markup (with the parts escaped) and stay rich text.
QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &text = QString());

// Tooltip markup that shows `text` exactly as given, line breaks kept and long lines wrapped:
// Qt takes any tooltip that looks like markup as rich text, which would load the pictures and
// style sheets a language file, document or certificate names. Empty for an empty text.
QString plainTip(const QString &text);
// Sets `text` as the widget's tooltip (through plainTip) and as its accessible description, so a
// screen reader reads the text and not the markup.
void setPlainToolTip(QWidget *widget, const QString &text);

// A one-line box without a length limit, so a loaded value that the user leaves alone is written
// back exactly (QLineEdit otherwise cuts its text at 32,767 characters).
QLineEdit *makeLineEdit(QWidget *parent, const QString &objectName);

// Enter or Return on the focused button presses that button, as Space does. A push button set up
// so takes no part in its dialog's default-button logic: Enter in any other control does only what
// the dialog itself decides.
void enterPressesButton(QAbstractButton *button);
// The same for every push button and tool button under `root`.
void enterPressesButtons(QWidget *root);

// Moves a top-level window so that its frame stands in the middle of its screen's free area.
void centreOnScreen(QWidget *window);

} // namespace sw
