// The text format shared by the Win32 probe and the Linux driver of the
// profile differential test.
//
// A script is a list of lines, one operation each, fields separated by a TAB
// and escaped with Escape():
//   case <name>            starts a case on a fresh file
//   file <bytes>           the file exists with these bytes
//   readonly <bytes>       ... and is read-only
//   missing                the file does not exist (its folder does)
//   nofolder               the file's folder does not exist
//   read <sec> <key> <def> <size>
//   write <sec> <key> <value>
//   delkey <sec> <key>     a write with no value
//   delsec <sec>           a write with no key and no value
//   flush                  a write with no section, key or value
//   end
// The probe echoes every line prefixed by "> " and answers each operation
// with one line prefixed by "= ":
//   read   -> "= <count> <text>"            (text: the first count bytes)
//   others -> "= <ret> <file bytes>"        ("<missing>" when there is none)
#ifndef ZOLT_PROFILE_TESTS_DIFF_SCRIPT_FORMAT_H_
#define ZOLT_PROFILE_TESTS_DIFF_SCRIPT_FORMAT_H_

#include <string>
#include <string_view>
#include <vector>

namespace zolt::profile_diff {

// Printable ASCII stays as it is (except '\'); \t \r \n \0 \\ and \xHH
// stand for the rest, so that a field never holds a TAB or a line end.
std::string Escape(std::string_view bytes);
// The inverse of Escape(); a malformed escape is taken literally.
std::string Unescape(std::string_view text);

// Splits a line at TABs and unescapes each field.
std::vector<std::string> SplitFields(std::string_view line);
// Escapes each field and joins them with TABs.
std::string JoinFields(const std::vector<std::string>& fields);

inline constexpr std::string_view kMissingFile = "<missing>";

}  // namespace zolt::profile_diff

#endif  // ZOLT_PROFILE_TESTS_DIFF_SCRIPT_FORMAT_H_
