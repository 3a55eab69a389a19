#pragma once

#include <QAbstractButton>
#include <QWidget>

namespace sw {

// The header line of a CollapsibleSection: its caption at the left and a chevron at the right
// that points up while the section is open. A checkable button (checked = expanded), so it takes
// the keyboard focus and Space toggles it.
class SectionHeader final : public QAbstractButton
{
    Q_OBJECT
public:
    explicit SectionHeader(QWidget *parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_hover = false;
};

// A panel with a header line and a body that the user can collapse and expand. The body holds the
// section's controls (give it a layout); the section is as tall as its header plus its body, so
// hiding controls in the body shortens it and what stands below in the parent layout moves up.
class CollapsibleSection final : public QWidget
{
    Q_OBJECT
public:
    explicit CollapsibleSection(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const;

    QWidget *body() const { return m_body; }
    SectionHeader *header() const { return m_header; }
    int headerHeight() const;

    bool isExpanded() const;
    void setExpanded(bool expanded);

Q_SIGNALS:
    void expandedChanged(bool expanded);

private:
    SectionHeader *m_header = nullptr;
    QWidget *m_body = nullptr;
};

} // namespace sw
