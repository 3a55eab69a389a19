#pragma once

#include "core/documents/ParGenDocument.h"

#include <optional>

namespace sw {

// A refused value: the catalogue entry of the error message and the element whose value it is.
struct ParGenFailure
{
    int message = 0;
    const char *element = nullptr;
};

// The checks that the communication parameters must pass before they are written, in their fixed
// order: the IEC 61850 port (0 to 65535, not 10000), the IP bytes, the mask bytes, the gateway
// bytes (only while the gateway is in use), two stop bits only without parity, the Modbus device
// address (1 to 247). A numeric field is its text read as a decimal integer; text that is not an
// integer counts as -1. Returns the first failure, or nullopt when every check passes.
std::optional<ParGenFailure> firstFailingRule(const ParGenValues &values);

} // namespace sw
