#pragma once

#include <QString>

namespace sw::tools {

// A device address as the tools print it: "0x" and at least five upper-case hex digits, the
// width of the device's one-megabyte address space ("0x07000", "0x80000").
inline QString hex(quint32 address)
{
    return QStringLiteral("0x") + QString::number(address, 16).toUpper().rightJustified(5, u'0');
}

} // namespace sw::tools
