#pragma once

#include "core/checks/CertificateInspection.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

class QAbstractItemModel;
class QModelIndex;

namespace sw {

// How the editors mark a value that a check found fault with: red for an error, amber for a
// warning. Boxes get a frame in the mark's colour; table cells a tinted background with a darker
// text, which the selection colours replace, so a selected cell stays readable.
enum class FindingMark { None, Warning, Error };

// The worst severity among `findings`; None for none.
FindingMark markOf(const QList<Finding> &findings);

QColor markFrameColour(FindingMark mark);
QColor markBackground(FindingMark mark);
QColor markForeground(FindingMark mark);
// The sign shown beside the text of a marked cell, which stays in view when the selection colours
// replace the cell's: a disc for an error, a triangle for a warning, each with an exclamation mark.
// A null icon for None.
QIcon findingIcon(FindingMark mark);

// Shows `mark` on a cell of a table's model (tint, darker text and sign; `plainBackground`, or none
// when it is invalid, for None) and `tip` as its plain-text tooltip and accessible description
// (none when `tip` is empty).
void markCell(QAbstractItemModel *model, const QModelIndex &cell, FindingMark mark, const QString &tip,
    const QColor &plainBackground = QColor());

// The tooltip of a certificate text: `hint` (when not empty), then the certificate's subject,
// issuer and validity (UTC) or why it cannot be read, then the texts of `findings` that the
// summary does not already say. Only `hint` for a blank text (no summary).
QString certificateTip(const QString &hint, const std::optional<CertificateSummary> &summary,
    const QList<Finding> &findings, const QStringList &catalogue);

// The same for a private key: whether it can be read, then the findings.
QString keyTip(const QString &hint, const std::optional<KeySummary> &summary, const QList<Finding> &findings,
    const QStringList &catalogue);

} // namespace sw
