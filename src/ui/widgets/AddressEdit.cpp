#include "ui/widgets/AddressEdit.h"

#include "ui/Controls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace sw {

AddressEdit::AddressEdit(QWidget *parent, const QString &name, const QString &dotName, int byteWidth)
    : QWidget(parent)
{
    setObjectName(name);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    for (int k = 0; k < 4; ++k) {
        if (k > 0)
            row->addWidget(makeLabel(this, dotName + QString::number(k), QStringLiteral(".")));
        QLineEdit *box = makeLineEdit(this, name + QString::number(k + 1));
        box->setFixedWidth(byteWidth);
        box->setAlignment(Qt::AlignCenter);
        box->installEventFilter(this);
        row->addWidget(box);
        m_boxes[size_t(k)] = box;
    }
    row->addStretch();
}

bool AddressEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        if (auto *box = qobject_cast<QLineEdit *>(watched); box && std::ranges::find(m_boxes, box) != m_boxes.end())
            return KeyPress(box, static_cast<QKeyEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}

bool AddressEdit::KeyPress(QLineEdit *box, QKeyEvent *event)
{
    if (event->text() != QStringLiteral("."))
        return false;
    const auto it = std::ranges::find(m_boxes, box);
    QLineEdit *next = it + 1 != m_boxes.end() ? *(it + 1) : m_next ? m_next->m_boxes[0] : nullptr;
    if (next && next->isVisible() && next->isEnabled()) {
        next->setFocus(Qt::TabFocusReason); // selects its text, so the next byte replaces it
        Q_EMIT jumped(next);
    }
    return true; // "." is never inserted
}

} // namespace sw
