// Feeds arbitrary bytes as IEC61850_Variables.xml to the reader the variables dialog uses, checks
// the rows against the list rules with both decimal marks and writes them back. Asserts that a
// refused row is an enabled row of the list with its attribute's column, that rows after the
// list's end change nothing, and that what is read, written and read again is equal.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "core/documents/VariablesDocument.h"
#include "core/documents/VariablesRules.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<sw::VariableRow> rows;
    try {
        rows
            = sw::readVariablesFile(fuzz::writeFile(QStringLiteral("IEC61850_Variables.xml"), fuzz::bytes(data, size)));
    } catch (const sw::Error &) {
        return 0;
    }
    fuzz::require(rows.size() <= sw::VariableListCapacity);

    const QList<sw::VariableRow> list = sw::cutAtBlankName(rows);
    for (const QChar mark : { QChar(u','), QChar(u'.') }) {
        const std::optional<sw::VariablesFailure> failure = sw::firstFailingVariable(rows, mark);
        fuzz::require(sw::firstFailingVariable(list, mark) == failure);
        if (!failure)
            continue;
        fuzz::require(failure->row >= 1 && failure->row <= list.size());
        fuzz::require(list[failure->row - 1].Enable.trimmed() == QLatin1String("Y"));
        fuzz::require(failure->column >= 1 && failure->column <= int(sw::VariableAttributes.size()));
        fuzz::require(failure->attribute
            && std::strcmp(failure->attribute, sw::VariableAttributes[size_t(failure->column - 1)].name) == 0);
        fuzz::require(!sw::variablesFailureText(*failure, fuzz::catalogue()).isEmpty());
    }

    // Whatever the reader accepts the writer writes: the dialog saves what it loaded.
    const QByteArray written = sw::variablesDocument(rows);
    fuzz::require(sw::readVariablesFile(fuzz::writeFile(QStringLiteral("written.xml"), written)) == rows);
    return 0;
}
