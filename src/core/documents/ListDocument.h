#pragma once

#include <QList>
#include <pugixml.hpp>

// What the two list documents share: which nodes of the root are rows.
namespace sw::xml {

// The rows under `root`: every child element in order, whatever its name, so that an element
// without the attributes still takes its table row with the defaults. Comments, text and other
// nodes between the elements are not rows: counted as rows with a blank name they would end the
// list there, and the next save would drop every row after them, although the image compiler
// still takes those rows. At most `capacity` rows, the table's size.
inline QList<pugi::xml_node> listRows(pugi::xml_node root, int capacity)
{
    QList<pugi::xml_node> rows;
    for (pugi::xml_node child = root.first_child(); child && rows.size() < capacity; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            rows.append(child);
    }
    return rows;
}

} // namespace sw::xml
