#include "core/documents/VariablesDocument.h"

#include "core/documents/ListDocument.h"
#include "core/files/AtomicFile.h"
#include "core/files/ProjectLock.h"
#include "core/xml/Xml.h"

#include <QFileInfo>

namespace sw {

namespace {

constexpr char RootName[] = "IEC61850_Variables";
constexpr char RowName[] = "row";

} // namespace

QList<VariableRow> cutAtBlankName(const QList<VariableRow> &rows)
{
    QList<VariableRow> list;
    for (const VariableRow &row : rows) {
        if (row.Name.trimmed().isEmpty())
            break;
        list.append(row);
    }
    return list;
}

QList<VariableRow> readVariablesFile(const QString &path)
{
    QList<VariableRow> rows;
    if (!QFileInfo::exists(path))
        return rows;
    pugi::xml_document doc;
    xml::loadFile(doc, path);
    for (const pugi::xml_node node : xml::listRows(xml::rootElement(doc), VariableListCapacity)) {
        VariableRow row;
        for (const VariableAttribute &a : VariableAttributes)
            row.*a.member = xml::attribute(node, a.name).value_or(QString::fromLatin1(a.missing));
        rows.append(row);
    }
    return rows;
}

QByteArray variablesDocument(const QList<VariableRow> &rows)
{
    pugi::xml_document doc;
    pugi::xml_node root = xml::resetWithRoot(doc, RootName, true);
    for (const VariableRow &row : rows) {
        pugi::xml_node element = root.append_child(RowName);
        for (const VariableAttribute &a : VariableAttributes)
            xml::setAttribute(element, a.name, row.*a.member);
    }
    return xml::toBytes(doc);
}

void writeVariablesFile(const QString &path, const QList<VariableRow> &rows)
{
    const files::ProjectLock lock(QFileInfo(path).absolutePath(), path);
    files::saveBuilt(path, [&] { return variablesDocument(rows); });
}

} // namespace sw
