#pragma once

#include <QString>
#include <QtGlobal>
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

// The address that a dotted text names, as a number in host byte order (192.168.2.205 is
// 0xC0A802CD), for the echo and the updater. The text is exactly four parts of ASCII digits
// joined by ".", each 0..255. A part may carry leading zeros, which mean nothing: "010" is ten,
// never octal eight. Nothing else is taken: no blanks, signs, hexadecimal or names.
std::optional<quint32> parseIpv4Address(const QString &text);

// The address in its usual form, "192.168.2.205", without leading zeros.
QString ipv4AddressText(quint32 address);

} // namespace sw
