// Holds the plain XML reader against the conforming parser: whatever bytes the plain reader
// accepts, the conforming parser must accept too and build the same tree from. What the plain
// reader declines it leaves as an empty tree.
#include "FuzzSupport.h"
#include "XmlTrees.h"

#include "core/xml/ConformingReader.h"
#include "core/xml/PlainReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pugi::xml_document plain;
    plain.append_child("stale");
    if (!sw::xml::readPlainDocument(plain, reinterpret_cast<const char *>(data), size)) {
        fuzz::require(!plain.first_child());
        return 0;
    }
    pugi::xml_document conforming;
    if (const auto problem = sw::xml::loadBytesConforming(conforming, fuzz::bytes(data, size))) {
        std::fprintf(stderr, "accepted, but the conforming parser says: %s\n", qPrintable(*problem));
        __builtin_trap();
    }
    const QString difference = sw::test::treeDifference(plain, conforming);
    if (!difference.isEmpty()) {
        std::fprintf(stderr, "trees differ: %s\n", qPrintable(difference));
        __builtin_trap();
    }
    return 0;
}
