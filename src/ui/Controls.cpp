#include "ui/Controls.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QToolButton>

#include <QColor>
#include <QEvent>
#include <algorithm>
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

// Installed on one widget, owned by it: derives the widget's palette from its parent's at every
// change of palette.
class PaletteFollower final : public QObject
{
public:
    PaletteFollower(QWidget *widget, std::function<void(QPalette &)> adjust)
        : QObject(widget)
        , m_adjust(std::move(adjust))
    {
        widget->installEventFilter(this);
        apply(widget);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) && !m_busy) {
            auto *widget = static_cast<QWidget *>(watched);
            apply(widget);
            // A theme reaches the widgets in no set order: once it has reached them all, the
            // parent's palette is the new one for certain.
            QMetaObject::invokeMethod(
                this, [this, widget] { apply(widget); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void apply(QWidget *widget)
    {
        QPalette wanted = widget->parentWidget() ? widget->parentWidget()->palette() : QPalette();
        m_adjust(wanted);
        // Setting the palette sends another change; an unchanged palette ends the round.
        if (!m_busy && wanted != widget->palette()) {
            m_busy = true;
            widget->setPalette(wanted);
            m_busy = false;
        }
    }

    std::function<void(QPalette &)> m_adjust;
    bool m_busy = false;
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
        const QRect free = screen->availableGeometry();
        QPoint topLeft = free.center() - QPoint(frame.width() / 2, frame.height() / 2);
        // A window larger than the free area overhangs at the right and bottom, never at the top
        // or left where its title bar and buttons are.
        topLeft.setX(std::max(topLeft.x(), free.left()));
        topLeft.setY(std::max(topLeft.y(), free.top()));
        window->move(topLeft);
    }
}

QColor subduedColour(const QColor &text, const QColor &background)
{
    // Six parts text to four parts background: #666666 on white, #9b9b9b on #2b2b2b.
    const auto mix = [](int t, int b) { return (6 * t + 4 * b) / 10; };
    return QColor(
        mix(text.red(), background.red()), mix(text.green(), background.green()), mix(text.blue(), background.blue()));
}

void followParentPalette(QWidget *widget, std::function<void(QPalette &)> adjust)
{
    new PaletteFollower(widget, std::move(adjust));
}

void subdueText(QWidget *label)
{
    followParentPalette(label, [label](QPalette &palette) {
        for (auto group : { QPalette::Active, QPalette::Inactive }) {
            palette.setColor(group, label->foregroundRole(),
                subduedColour(
                    palette.color(group, label->foregroundRole()), palette.color(group, label->backgroundRole())));
        }
    });
}

FixedLayoutFit::FixedLayoutFit(QWidget *window, const QList<QWidget *> &labels)
    : m_window(window)
    , m_labels(labels)
    , m_size(window->size())
{
    int right = 0;
    for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        m_designed.insert(child, child->geometry());
        right = std::max(right, child->geometry().right() + 1);
    }
    m_rightMargin = std::max(0, m_size.width() - right);
}

namespace {

// The width a label needs to show its text whole. A rich text's own width, without the margin
// that QLabel's size hint adds around the document.
int neededWidth(QWidget *widget)
{
    auto *label = qobject_cast<QLabel *>(widget);
    if (!label || label->textFormat() != Qt::RichText)
        return widget->sizeHint().width();
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(label->font());
    document.setHtml(label->text());
    const QMargins margins = label->contentsMargins();
    // Less than half a pixel over the edge cuts nothing off.
    return qRound(document.idealWidth()) + margins.left() + margins.right() + 2 * label->margin();
}

} // namespace

void FixedLayoutFit::fit()
{
    for (auto it = m_designed.cbegin(); it != m_designed.cend(); ++it)
        it.key()->setGeometry(it.value());
    // Labels of one column (same designed left and width) grow together, so the column stays aligned.
    QMap<std::pair<int, int>, QList<QWidget *>> columns;
    for (QWidget *label : std::as_const(m_labels)) {
        const QRect g = m_designed.value(label, label->geometry());
        columns[{ g.left(), g.width() }].append(label);
    }
    for (auto column = columns.cbegin(); column != columns.cend(); ++column) {
        const QList<QWidget *> &labels = column.value();
        int grow = 0;
        for (QWidget *label : labels)
            grow = std::max(grow, neededWidth(label) - label->width());
        if (grow <= 0)
            continue;
        // Controls to the right of the column on its rows move along as far as they must to keep
        // a small gap (at most their designed one) to the column and to the controls moved before
        // them, taken from left to right.
        QList<QWidget *> right;
        for (auto it = m_designed.cbegin(); it != m_designed.cend(); ++it) {
            if (!labels.contains(it.key()))
                right.append(it.key());
        }
        std::sort(right.begin(), right.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
        QList<QRect> before;
        for (QWidget *label : labels) {
            before.append(label->geometry());
            label->resize(label->width() + grow, label->height());
        }
        const auto sharesRow
            = [](const QRect &a, const QRect &b) { return a.top() <= b.bottom() && a.bottom() >= b.top(); };
        // Each moved control with its old and new place.
        QList<std::pair<QRect, QRect>> moved;
        for (const QRect &old : std::as_const(before))
            moved.append({ old, old.adjusted(0, 0, grow, 0) });
        QHash<QWidget *, int> push;
        for (QWidget *other : std::as_const(right)) {
            const QRect g = other->geometry();
            int need = 0;
            for (const auto &[old, now] : std::as_const(moved)) {
                if (old.contains(g)) { // a control inside a frame moves with the frame
                    need = std::max(need, now.left() - old.left());
                    continue;
                }
                if (g.left() <= old.right() || !sharesRow(g, old))
                    continue;
                const int gap = std::min(g.left() - old.right() - 1, 8);
                need = std::max(need, now.right() + 1 + gap - g.left());
            }
            if (need > 0) {
                push[other] = need;
                moved.append({ g, g.translated(need, 0) });
            }
        }
        for (auto it = push.cbegin(); it != push.cend(); ++it)
            it.key()->move(it.key()->x() + it.value(), it.key()->y());
    }
    int right = 0;
    for (auto it = m_designed.cbegin(); it != m_designed.cend(); ++it) {
        if (it.value().width() < m_size.width() * 9 / 10) // a full-width line follows the window
            right = std::max(right, it.key()->geometry().right() + 1);
    }
    const int width = std::max(m_size.width(), right + m_rightMargin);
    for (auto it = m_designed.cbegin(); it != m_designed.cend(); ++it) {
        if (it.value().width() >= m_size.width() * 9 / 10)
            it.key()->resize(it.value().width() + width - m_size.width(), it.value().height());
    }
    m_window->setFixedSize(width, m_size.height());
}

} // namespace sw
