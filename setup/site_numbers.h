// The site's vendor and location numbers in the product configuration file.
// The product keeps them in their own section:
//
//   [Site]
//   Vendor=190
//   Location=42
//
// A value shows as its decimal number, or as the missing-value marker "x"
// when the key, the section or the file is missing or the value is not a
// whole number (docs/setup.md).
#ifndef ZOLT_SETUP_SITE_NUMBERS_H_
#define ZOLT_SETUP_SITE_NUMBERS_H_

#include <string>
#include <string_view>

namespace zolt::setup {

inline constexpr char kSiteSection[] = "Site";
inline constexpr char kSiteVendorKey[] = "Vendor";
inline constexpr char kSiteLocationKey[] = "Location";

// The text a value box shows for a value read from [Site]: an optional sign
// and decimal digits that fit a 32-bit signed integer give that number in
// plain decimal ("0190" and "+190" give "190"); anything else, the empty
// text and "x" included, gives "x".
std::string SiteNumberText(std::string_view value);

}  // namespace zolt::setup

#endif  // ZOLT_SETUP_SITE_NUMBERS_H_
