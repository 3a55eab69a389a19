// Feeds arbitrary bytes as a point list to the CSV import with "," and with "." as the decimal
// mark. Asserts that a refused list gives no rows and a readable reason, that an accepted list
// fits the table and passes the list rules, and that exporting it and importing the export gives
// the same list.
#include "FuzzSupport.h"

#include "core/documents/VariablesCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    for (const QChar mark : { QChar(u','), QChar(u'.') }) {
        const sw::VariablesCsvImport imported = sw::importVariablesCsv(input, mark);
        if (imported.failure) {
            fuzz::require(imported.rows.isEmpty());
            fuzz::require(!sw::variablesCsvFailureText(*imported.failure, fuzz::catalogue()).isEmpty());
            continue;
        }
        fuzz::require(imported.rows.size() <= sw::VariableListCapacity);
        fuzz::require(!sw::firstFailingVariable(imported.rows, mark));

        const sw::VariablesCsvImport again = sw::importVariablesCsv(sw::exportVariablesCsv(imported.rows, mark), mark);
        fuzz::require(!again.failure && again.rows == sw::cutAtBlankName(imported.rows));
    }
    return 0;
}
