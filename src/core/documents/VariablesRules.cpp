#include "core/documents/VariablesRules.h"

#include "core/text/Decimal.h"
#include "core/text/MessageIds.h"

#include <cstring>

namespace sw {

namespace {

// The failure of `attribute` in 0-based table row `index`.
VariablesFailure failure(qsizetype index, int message, const char *attribute, const QString &detail = QString())
{
    int column = 0;
    for (size_t k = 0; k < VariableAttributes.size(); ++k) {
        if (std::strcmp(VariableAttributes[k].name, attribute) == 0)
            column = int(k) + 1;
    }
    return VariablesFailure { int(index) + 1, message, detail, attribute, column };
}

} // namespace

std::optional<VariablesFailure> firstFailingVariable(
    const QList<VariableRow> &rows, QChar decimalSeparator, int nByteIn)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const VariableRow &row = rows[i];
        if (row.Name.trimmed().isEmpty())
            break;
        if (row.Enable.trimmed() != u"Y")
            continue;
        const qint64 length = numberIn(row.Length);
        if (length < 1 || length > 4)
            return failure(i, MsgId::VariablesErrLength, "Length");
        const qint64 position = numberIn(row.Position);
        if (position < 0 || position >= nByteIn)
            return failure(i, MsgId::VariablesErrPosition, "Position", QString::number(nByteIn - 1));
        // The type is compared exactly: only the drop-down's own text asks for a bit.
        if (row.Type == u"Digital (Bit)" && row.StartBit.trimmed().isEmpty())
            return failure(i, MsgId::VariablesErrStartBit, "StartBit");
        if (row.Conversion.trimmed().isEmpty())
            return failure(i, MsgId::VariablesErrConversion, "Conversion");
        float factor = 0.0f;
        if (row.MultiplicationFactor.trimmed().toUpper() != u"NONE"
            && !Text_To_Float(row.MultiplicationFactor, decimalSeparator, factor))
            return failure(i, MsgId::VariablesErrFactor, "MultiplicationFactor");
    }
    return std::nullopt;
}

QString variablesFailureText(const VariablesFailure &failure, const QStringList &catalogue)
{
    return catalogue.value(MsgId::VariablesErrRow) + QString::number(failure.row) + catalogue.value(failure.message)
        + failure.detail;
}

} // namespace sw
