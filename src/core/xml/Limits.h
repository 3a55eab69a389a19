#pragma once

#include <climits>
#include <cstddef>

// What either reader takes of a document at the most; both readers hold to the same limits, so
// that which of them reads a document never changes whether it is refused.
namespace sw::xml {

// The most attributes one element may carry; a document with more is refused where the element
// starts.
inline constexpr int MaxAttributes = 256;

// The longest document, in bytes: what the conforming parser takes in one call. A longer one is
// refused as too large.
inline constexpr std::size_t MaxDocumentBytes = INT_MAX;

} // namespace sw::xml
