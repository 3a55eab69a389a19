#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <optional>
#include <pugixml.hpp>

// The two readers behind xml::loadBytes, for the tests that hold one against the other.
namespace sw::xml {

// Reads `size` bytes at `data` into `doc` when they form a document of the plain subset described
// in PlainXml.cpp, building the same tree as loadBytesConforming. Returns false, with `doc` empty,
// for anything else, well-formed or not; it never judges a document itself.
bool readPlainDocument(pugi::xml_document &doc, const char *data, size_t size);

// loadBytes with the conforming parser alone: the judge of every document and the source of every
// problem reported.
std::optional<QString> loadBytesConforming(pugi::xml_document &doc, const QByteArray &bytes);

} // namespace sw::xml
