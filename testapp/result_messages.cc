#include "testapp/result_messages.h"

#include "ui/conversions.h"

namespace zolt::testapp {
namespace {

constexpr char kCrLf[] = "\r\n";
constexpr char kOldDllNote[] =
    "NOTE: this error is from an old dll. The Version 10 dll you should be "
    "using does not use ostrelpath.ini";

}  // namespace

std::string ResultCodeMessage(double v) {
  const std::string crlf = kCrLf;
  if (v == -1) return "undetermined error call support.";
  if (v == -99) return "Out of Bounds Calculation.";
  if (v == -100) return "Season Out of Bounds.";
  if (v == -101) return "Location out of bounds.";
  if (v == -102) return "Vendor number out of bounds.";
  if (v == -103) return "PINCrypt number out of bounds.";
  if (v == -104) return "2 use out of bounds.";
  if (v == -105) {
    return "Selection number out of bounds." + crlf + crlf +
           "NOTE: this may be an error produced by Version 8 dll" + crlf +
           "because you passed the vendor number to the" + crlf +
           "selection number in the version 8 dll.";
  }
  if (v == -106) {
    return "PIN Expiry number out of bounds." + crlf +
           "PIN Expiry must be 0 (zero) or it must be greater than 10 and less "
           "than 1439";
  }
  if (v == -111) {
    return "System Date Error." + crlf + "Year out of bounds. Must be 2001-2015";
  }
  if (v == -112) {
    return "System Date Error." + crlf + "Month out of bounds. Must be 1-12";
  }
  if (v == -113) {
    return "System Date Error." + crlf + "Day out of bounds. Must be 1-31";
  }
  if (v == -400) {
    return "File 'ostrel.ini' not found." + crlf + "ostrel.ini needs to be located.";
  }
  if (v == -425) return "ostrelpath.ini does not exist" + crlf + kOldDllNote;
  if (v == -450) {
    return "ostrelpath.ini does not contain a value for ostrelpath" + crlf +
           kOldDllNote;
  }
  if (v == -500) return "available PINs Sold Out.";
  if (v == -600) {
    return "Permission to delete the file PINTable.dat has been denied."
           "Your System administrator needs to check permissions on this "
           "computer.";
  }
  if (v > 0) {
    return "Write it down. It looks good." + crlf + crlf +
           "call 555 010-4477 when you have a few numbers to test.";
  }
  return "Error: " + ui::NumberText(v) + crlf + crlf +
         "Case Else triggered. This error is not listed in this application";
}

}  // namespace zolt::testapp
