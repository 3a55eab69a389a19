#pragma once

#include <QHash>
#include <QList>
#include <QPalette>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QWidget;
class QColor;

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

// Moves a top-level window so that its frame stands in the middle of its screen's free area. A
// window larger than that area keeps its title bar and top left corner inside it, so that it can
// still be moved and closed.
void centreOnScreen(QWidget *window);

// A colour between a palette's text and background colours that reads as grey and still stands
// out from the background by more than 4.5:1.
QColor subduedColour(const QColor &text, const QColor &background);

// Keeps a widget's own palette derived from its parent's, also after the theme changes: `adjust`
// receives the parent's palette and changes the roles the widget shows differently. The widget
// otherwise follows the palette as any other.
void followParentPalette(QWidget *widget, std::function<void(QPalette &)> adjust);
// Shows a label's text in subduedColour, following the palette.
void subdueText(QWidget *label);

// For a window whose controls stand at fixed positions: widens each of the given labels whose text
// does not fit, moves the controls to its right on the same rows along, and widens the window when
// they no longer fit it. Every fit starts from the positions and size recorded at construction, so
// with texts that fit the window keeps exactly its designed layout.
class FixedLayoutFit
{
public:
    // Records the current geometry of the window and its direct children as the designed one.
    FixedLayoutFit(QWidget *window, const QList<QWidget *> &labels);
    void fit();

private:
    QWidget *m_window;
    QList<QWidget *> m_labels;
    QSize m_size;
    QHash<QWidget *, QRect> m_designed;
    int m_rightMargin = 0;
};

} // namespace sw
