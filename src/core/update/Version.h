#pragma once

#include <QString>

namespace sw {

// The number of a version text such as "1.002" (1002): the text after the first blank (all of
// it without one), trimmed, gives its characters 1, 3, 4 and 5 as a decimal integer; the second
// character is skipped whatever it is. -1 when there are fewer than five characters or the four
// do not form an integer.
int Conv_Version(const QString &text);

// Whether the version service's reply names a version newer than ownVersion. An empty reply,
// "VER. 0.000" (in any letter case, with surrounding blanks) and texts without a version number
// all answer false.
bool isNewerVersion(const QString &reply, const QString &ownVersion);

} // namespace sw
