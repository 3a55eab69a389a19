#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <pugixml.hpp>

namespace sw::xml {

// Reads `bytes` into `doc` with the conforming parser (expat) alone, building the tree node for
// node as xml::loadBytes does: the judge of every document and the source of every problem
// reported, with its line and column. Returns the problem on failure, with `doc` left empty.
std::optional<QString> loadBytesConforming(pugi::xml_document &doc, const QByteArray &bytes);

} // namespace sw::xml
