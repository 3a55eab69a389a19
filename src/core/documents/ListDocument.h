#pragma once

#include "core/files/AtomicFile.h"
#include "core/files/ProjectLock.h"
#include "core/xml/Xml.h"

#include <QByteArray>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <pugixml.hpp>

// What the two list documents share: a root holding one empty `row` element per table row, whose
// attributes are the row's fields, then the version comment. Each document names its root, its
// capacity, the field whose blank value ends the list, and walks its attributes in document order
// with forEachAttribute(row, visit), calling visit.text or visit.flag once per attribute: reader
// and writer walk that one list.
//
//   struct Format {
//       using Row = ...;
//       static constexpr char RootName[] = "...";
//       static constexpr int Capacity = ...;
//       static constexpr QString Row::*Key = ...;
//       template <class R, class Visit> static void forEachAttribute(R &row, Visit &&visit);
//   };
namespace sw::list {

inline constexpr char RowName[] = "row";

// The rows under `root`: every child element in order, whatever its name, so that an element
// without the attributes still takes its table row with the defaults. Comments, text and other
// nodes between the elements are not rows: counted as rows with a blank name they would end the
// list there, and the next save would drop every row after them, although the image compiler
// still takes those rows. At most `capacity` rows, the table's size.
inline QList<pugi::xml_node> rowElements(pugi::xml_node root, int capacity)
{
    QList<pugi::xml_node> rows;
    for (pugi::xml_node child = root.first_child(); child && rows.size() < capacity; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            rows.append(child);
    }
    return rows;
}

// Reads the attributes of one row element. A missing text gives `missing`; a flag is off only for
// the exact text "N", so that a stored "n" or "no", or no attribute at all, still reads as on.
struct AttributeReader
{
    pugi::xml_node element;

    void text(const char *name, QString &value, const char *missing = "") const
    {
        value = xml::attribute(element, name).value_or(QString::fromLatin1(missing));
    }
    void flag(const char *name, bool &value) const { value = xml::attribute(element, name) != QStringLiteral("N"); }
};

// Writes the attributes of one row element, in call order; a flag as "Y" or "N".
struct AttributeWriter
{
    pugi::xml_node element;

    void text(const char *name, const QString &value, const char * = "") const
    {
        xml::setAttribute(element, name, value);
    }
    void flag(const char *name, bool value) const
    {
        xml::setAttribute(element, name, value ? QStringLiteral("Y") : QStringLiteral("N"));
    }
};

// The rows that make up the list: those before the first row whose key field is blank (empty
// after trimming).
template <class Format> QList<typename Format::Row> cutAtBlankKey(const QList<typename Format::Row> &rows)
{
    QList<typename Format::Row> list;
    for (const auto &row : rows) {
        if ((row.*Format::Key).trimmed().isEmpty())
            break;
        list.append(row);
    }
    return list;
}

// The rows of the document at `path`, at most Format::Capacity; a missing file gives none. Throws
// sw::Error naming the file when it is not well-formed.
template <class Format> QList<typename Format::Row> readFile(const QString &path)
{
    QList<typename Format::Row> rows;
    if (!QFileInfo::exists(path))
        return rows;
    pugi::xml_document doc;
    xml::loadFile(doc, path);
    for (const pugi::xml_node element : rowElements(xml::rootElement(doc), Format::Capacity)) {
        typename Format::Row row;
        Format::forEachAttribute(row, AttributeReader { element });
        rows.append(row);
    }
    return rows;
}

// The document as written to disk, every row given included.
template <class Format> QByteArray document(const QList<typename Format::Row> &rows)
{
    pugi::xml_document doc;
    pugi::xml_node root = xml::resetWithRoot(doc, Format::RootName, true);
    for (const auto &row : rows)
        Format::forEachAttribute(row, AttributeWriter { root.append_child(RowName) });
    return xml::toBytes(doc);
}

// Replaces the file at `path` atomically with the document of `rows`, holding the project's lock.
template <class Format> void writeFile(const QString &path, const QList<typename Format::Row> &rows)
{
    const files::ProjectLock lock(QFileInfo(path).absolutePath(), path);
    files::saveBuilt(path, [&] { return document<Format>(rows); });
}

} // namespace sw::list
