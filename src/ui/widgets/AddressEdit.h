#pragma once

#include <QWidget>

#include <array>

class QKeyEvent;
class QLineEdit;

namespace sw {

// A dotted IPv4 address as four byte boxes `name`1 .. `name`4 between "." labels `dotName`1 .. 3,
// left-aligned. Typing "." goes to the next box (and from the last box to the first box of the
// address set with setNext), selecting its text so that the next byte replaces it; "." is never
// inserted. The boxes keep their texts exactly as typed: validation is the dialog's.
class AddressEdit final : public QWidget
{
    Q_OBJECT
public:
    AddressEdit(QWidget *parent, const QString &name, const QString &dotName, int byteWidth);

    const std::array<QLineEdit *, 4> &boxes() const { return m_boxes; }
    // The address whose first box follows this one's last.
    void setNext(AddressEdit *next) { m_next = next; }

Q_SIGNALS:
    // "." took the focus to `box`.
    void jumped(QLineEdit *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // "." moves on from `box`; every other key reaches it.
    bool KeyPress(QLineEdit *box, QKeyEvent *event);

    std::array<QLineEdit *, 4> m_boxes {};
    AddressEdit *m_next = nullptr;
};

} // namespace sw
