#include "ui/Controls.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <limits>

namespace sw {

namespace {

// Installed on one button, owned by it: turns Enter and Return into a click.
class EnterPresses final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return QObject::eventFilter(watched, event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return QObject::eventFilter(watched, event);
        // A held key presses once, not once per repeat.
        if (!key->isAutoRepeat())
            static_cast<QAbstractButton *>(watched)->click();
        return true;
    }
};

} // namespace

QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &text)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QString plainTip(const QString &text)
{
    if (text.isEmpty())
        return QString();
    // A CR LF is one break, not two.
    const QString lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(lines.toHtmlEscaped());
}

void setPlainToolTip(QWidget *widget, const QString &text)
{
    widget->setToolTip(plainTip(text));
    widget->setAccessibleDescription(text);
}

QLineEdit *makeLineEdit(QWidget *parent, const QString &objectName)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

void enterPressesButton(QAbstractButton *button)
{
    if (auto *push = qobject_cast<QPushButton *>(button))
        push->setAutoDefault(false);
    button->installEventFilter(new EnterPresses(button));
}

void enterPressesButtons(QWidget *root)
{
    for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
        if (qobject_cast<QPushButton *>(button) || qobject_cast<QToolButton *>(button))
            enterPressesButton(button);
    }
}

void centreOnScreen(QWidget *window)
{
    if (const QScreen *screen = window->screen()) {
        const QRect frame = window->frameGeometry();
        window->move(screen->availableGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
}

} // namespace sw
