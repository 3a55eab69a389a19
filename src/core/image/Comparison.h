#pragma once

#include "core/image/Decoder.h"

#include <QStringList>

// The differences between two configurations, in the terms of the editors.
namespace sw::image {

// One line per difference, in English, from `a` to `b`: "Modbus baud rate: 9600 -> 19200",
// "variable 3 (Pressure_2) Position: 10 -> 12", "known certificate 2 added". Passwords and the
// key password are shown as set or not set, the key and certificates as changed, never their
// text; other texts are quoted as excerpts. Empty when the two are equal.
QStringList compareContent(const ProjectContent &a, const ProjectContent &b);

} // namespace sw::image
