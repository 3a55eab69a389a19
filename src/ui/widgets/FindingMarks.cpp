#include "ui/widgets/FindingMarks.h"

#include "ui/Controls.h"

#include "core/text/MessageIds.h"

#include <QAbstractItemModel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace sw {

namespace {

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
}

// The hint, the summary lines, then each finding text not yet among the lines, one per line.
QString tipOf(const QString &hint, QStringList lines, const QList<Finding> &findings)
{
    for (const Finding &finding : findings) {
        if (!lines.contains(finding.text))
            lines << finding.text;
    }
    if (!hint.isEmpty())
        lines.prepend(hint);
    return lines.join(u'\n');
}

} // namespace

FindingMark markOf(const QList<Finding> &findings)
{
    FindingMark mark = FindingMark::None;
    for (const Finding &finding : findings) {
        if (finding.severity == FindingSeverity::Error)
            return FindingMark::Error;
        mark = FindingMark::Warning;
    }
    return mark;
}

QColor markFrameColour(FindingMark mark)
{
    switch (mark) {
    case FindingMark::Error:
        return QColor(211, 47, 47);
    case FindingMark::Warning:
        return QColor(230, 149, 0);
    case FindingMark::None:
        break;
    }
    return QColor();
}

QColor markBackground(FindingMark mark)
{
    switch (mark) {
    case FindingMark::Error:
        return QColor(255, 205, 210);
    case FindingMark::Warning:
        return QColor(255, 232, 170);
    case FindingMark::None:
        break;
    }
    return QColor();
}

QColor markForeground(FindingMark mark)
{
    switch (mark) {
    case FindingMark::Error:
        return QColor(140, 0, 0);
    case FindingMark::Warning:
        return QColor(110, 70, 0);
    case FindingMark::None:
        break;
    }
    return QColor();
}

namespace {

QIcon drawFindingIcon(FindingMark mark)
{
    constexpr int Side = 16;
    constexpr qreal Scale = 2.0; // drawn at twice the size, sharp on high-density screens too
    QPixmap picture(int(Side * Scale), int(Side * Scale));
    picture.setDevicePixelRatio(Scale);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(markFrameColour(mark));
    if (mark == FindingMark::Error) {
        painter.drawEllipse(QRectF(1, 1, Side - 2, Side - 2));
    } else {
        QPainterPath triangle;
        triangle.moveTo(Side / 2.0, 1);
        triangle.lineTo(Side - 1, Side - 2);
        triangle.lineTo(1, Side - 2);
        triangle.closeSubpath();
        painter.drawPath(triangle);
    }
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(Side / 2.0 - 1, 4.5, 2, 5.5));
    painter.drawRect(QRectF(Side / 2.0 - 1, 11, 2, 2));
    painter.end();
    QIcon icon;
    // The same picture when selected: the style's tint would dull it.
    icon.addPixmap(picture, QIcon::Normal);
    icon.addPixmap(picture, QIcon::Selected);
    return icon;
}

} // namespace

QIcon findingIcon(FindingMark mark)
{
    // Drawn once: every marked cell of every table shares the two pictures.
    static const QIcon error = drawFindingIcon(FindingMark::Error);
    static const QIcon warning = drawFindingIcon(FindingMark::Warning);
    switch (mark) {
    case FindingMark::Error:
        return error;
    case FindingMark::Warning:
        return warning;
    case FindingMark::None:
        break;
    }
    return QIcon();
}

void markCell(QAbstractItemModel *model, const QModelIndex &cell, FindingMark mark, const QString &tip,
    const QColor &plainBackground)
{
    const bool marked = mark != FindingMark::None;
    const QColor background = marked ? markBackground(mark) : plainBackground;
    // As plain text, line breaks kept: names and certificate texts may hold markup characters.
    model->setItemData(cell,
        {
            { Qt::ToolTipRole, tip.isEmpty() ? QVariant() : QVariant(plainTip(tip)) },
            { Qt::AccessibleDescriptionRole, tip.isEmpty() ? QVariant() : QVariant(tip) },
            { Qt::BackgroundRole, background.isValid() ? QVariant(QBrush(background)) : QVariant() },
            { Qt::ForegroundRole, marked ? QVariant(QBrush(markForeground(mark))) : QVariant() },
            { Qt::DecorationRole, marked ? QVariant(findingIcon(mark)) : QVariant() },
        });
}

QString certificateTip(const QString &hint, const std::optional<CertificateSummary> &inspected,
    const QList<Finding> &findings, const QStringList &catalogue)
{
    if (!inspected)
        return hint;
    const CertificateSummary &summary = *inspected;
    QStringList lines;
    if (summary.readable) {
        lines << catalogue.value(MsgId::CertSubject).arg(summary.subject)
              << catalogue.value(MsgId::CertIssuer).arg(summary.issuer)
              << catalogue.value(MsgId::CertValidFrom).arg(timeText(summary.validFrom))
              << catalogue.value(MsgId::CertValidUntil).arg(timeText(summary.validUntil));
    } else {
        lines << catalogue.value(MsgId::CertUnreadable).arg(summary.reason);
    }
    return tipOf(hint, lines, findings);
}

QString keyTip(const QString &hint, const std::optional<KeySummary> &inspected, const QList<Finding> &findings,
    const QStringList &catalogue)
{
    if (!inspected)
        return hint;
    const KeySummary &summary = *inspected;
    const QString line = summary.readable ? catalogue.value(MsgId::KeyReadable)
                                          : catalogue.value(MsgId::CertUnreadable).arg(summary.reason);
    return tipOf(hint, { line }, findings);
}

} // namespace sw
