#pragma once

#include <QString>

// The vendor's web site and the pages the configurator links to. All links use https.
namespace sw::Vendor {

inline constexpr char WebSite[] = "https://www.quorvex.com";
inline constexpr char WebAddressText[] = "www.quorvex.com";

inline QString homePageUrl()
{
    return QString::fromLatin1(WebSite) + QStringLiteral("/HOME/default.asp?frompg=SW61942");
}
inline QString downloadPageUrl()
{
    return QString::fromLatin1(WebSite) + QStringLiteral("/Home/download/download.asp#HD61942");
}
inline QString versionServiceUrl()
{
    return QString::fromLatin1(WebSite) + QStringLiteral("/home/download/GetversionSW.asp");
}

} // namespace sw::Vendor
