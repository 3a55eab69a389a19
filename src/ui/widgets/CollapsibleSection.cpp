#include "ui/widgets/CollapsibleSection.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

namespace sw {

namespace {
constexpr int Padding = 6;
constexpr int ChevronWidth = 10; // width of the chevron; its height is half of it
} // namespace

SectionHeader::SectionHeader(QWidget *parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setChecked(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setBold(true);
    setFont(f);
}

QSize SectionHeader::sizeHint() const
{
    const QFontMetrics fm(font());
    return { fm.horizontalAdvance(text()) + 3 * Padding + ChevronWidth, fm.height() + 2 * Padding };
}

QSize SectionHeader::minimumSizeHint() const
{
    const QFontMetrics fm(font());
    return { 3 * Padding + ChevronWidth, fm.height() + 2 * Padding };
}

void SectionHeader::enterEvent(QEnterEvent *event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SectionHeader::leaveEvent(QEvent *event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void SectionHeader::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette &pal = palette();
    QColor band = pal.color(QPalette::Button);
    band = m_hover || isDown() ? band.darker(112) : band.darker(104);
    p.fillRect(rect(), band);
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(rect().bottomLeft(), rect().bottomRight());

    const QRect textRect = rect().adjusted(Padding, 0, -(2 * Padding + ChevronWidth), 0);
    p.setPen(pal.color(QPalette::ButtonText));
    p.drawText(
        textRect, Qt::AlignVCenter | Qt::AlignLeft, fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width()));

    // Chevron: up while expanded (a click folds the section), down while collapsed.
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(pal.color(QPalette::ButtonText), 2);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    const qreal right = width() - Padding;
    const qreal left = right - ChevronWidth;
    const qreal mid = height() / 2.0;
    const qreal half = ChevronWidth / 4.0;
    QPainterPath chevron;
    if (isChecked()) {
        chevron.moveTo(left, mid + half);
        chevron.lineTo((left + right) / 2, mid - half);
        chevron.lineTo(right, mid + half);
    } else {
        chevron.moveTo(left, mid - half);
        chevron.lineTo((left + right) / 2, mid + half);
        chevron.lineTo(right, mid - half);
    }
    p.drawPath(chevron);

    if (hasFocus()) {
        QStyleOptionFocusRect opt;
        opt.initFrom(this);
        opt.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
    }
}

CollapsibleSection::CollapsibleSection(QWidget *parent)
    : QWidget(parent)
{
    m_header = new SectionHeader(this);
    m_header->setObjectName(QStringLiteral("Header"));
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("Body"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_body);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(m_header, &QAbstractButton::toggled, this, [this](bool expanded) {
        m_body->setVisible(expanded);
        Q_EMIT expandedChanged(expanded);
    });
}

void CollapsibleSection::setCaption(const QString &caption)
{
    m_header->setText(caption);
    m_header->setAccessibleName(caption);
}

QString CollapsibleSection::caption() const
{
    return m_header->text();
}

int CollapsibleSection::headerHeight() const
{
    return m_header->sizeHint().height();
}

bool CollapsibleSection::isExpanded() const
{
    return m_header->isChecked();
}

void CollapsibleSection::setExpanded(bool expanded)
{
    m_header->setChecked(expanded);
}

} // namespace sw
