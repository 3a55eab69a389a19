#pragma once

namespace sw {

// Asks the vendor's version service whether a newer version of the configurator exists.
class VersionChecker
{
public:
    virtual ~VersionChecker() = default;
    // True when a newer version is available; any failure answers false.
    virtual bool Check_Version() = 0;
};

} // namespace sw
