#pragma once

#include <QObject>

namespace sw {

// While shut, drops the user's input to every window of the program: mouse buttons and wheel,
// keys, shortcuts, context menus, input methods, drops, touch and tablet. Painting and every other
// event go on. Nothing given while shut is kept for later: opening first delivers, and so drops,
// whatever input the window system queued meanwhile.
class InputGate final : public QObject
{
public:
    explicit InputGate(QObject *parent = nullptr);
    // Removes the filter without delivering anything.
    ~InputGate() override;

    void shut();
    void open();
    bool isShut() const { return m_shut; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_shut = false;
};

} // namespace sw
