#pragma once

#include <QString>
#include <array>
#include <optional>

namespace sw {

// The four parts of a dotted IPv4 address, as the four address boxes hold them.
using IpAddressParts = std::array<QString, 4>;

// Splits a dotted address into its four parts, each trimmed of surrounding blanks. Fails (nullopt)
// when the text has fewer than three points, or when a part is not a decimal integer in 0..255; with
// more than three points the fourth part holds the rest and so is no integer.
std::optional<IpAddressParts> Split_IP_Address(const QString &text);

// The four box texts joined with "." exactly as typed: nothing trimmed, nothing checked.
QString joinIpAddress(const IpAddressParts &parts);

} // namespace sw
