#pragma once

#include <cstddef>
#include <pugixml.hpp>

// Private to core/xml: the program reads every document through xml::loadBytes (Xml.h), which
// tries this reader first. Only the tests that hold it against the conforming reader include it.
namespace sw::xml {

// Reads `size` bytes at `data` into `doc` when they form a document of the plain subset described
// in PlainReader.cpp, building the same tree as loadBytesConforming. Returns false, with `doc`
// empty, for anything else, well-formed or not; it never judges a document itself.
bool readPlainDocument(pugi::xml_document &doc, const char *data, size_t size);

} // namespace sw::xml
