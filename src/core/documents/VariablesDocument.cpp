#include "core/documents/VariablesDocument.h"

#include "core/documents/ListDocument.h"

namespace sw {

namespace {

struct VariablesFormat
{
    using Row = VariableRow;
    static constexpr char RootName[] = "IEC61850_Variables";
    static constexpr int Capacity = VariableListCapacity;
    static constexpr QString VariableRow::*Key = &VariableRow::Name;

    template <class R, class Visit> static void forEachAttribute(R &row, Visit &&visit)
    {
        for (const VariableAttribute &a : VariableAttributes)
            visit.text(a.name, row.*a.member, a.missing);
    }
};

} // namespace

QList<VariableRow> cutAtBlankName(const QList<VariableRow> &rows)
{
    return list::cutAtBlankKey<VariablesFormat>(rows);
}

QList<VariableRow> readVariablesFile(const QString &path)
{
    return list::readFile<VariablesFormat>(path);
}

QByteArray variablesDocument(const QList<VariableRow> &rows)
{
    return list::document<VariablesFormat>(rows);
}

void writeVariablesFile(const QString &path, const QList<VariableRow> &rows)
{
    list::writeFile<VariablesFormat>(path, rows);
}

} // namespace sw
