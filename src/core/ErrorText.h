#pragma once

#include <QString>
#include <exception>

namespace sw {

// The text that the general error box shows for `e`: the message of an sw::Error, otherwise what()
// read as UTF-8 (the encoding sw::Error itself gives to what()).
QString errorText(const std::exception &e);

} // namespace sw
