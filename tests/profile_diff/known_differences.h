// Where the engine deliberately differs from the platform's functions (see
// docs/profile-engine.md). The driver of the differential test accepts a
// difference only when one of these explains it.
#ifndef ZOLT_TESTS_PROFILE_DIFF_KNOWN_DIFFERENCES_H_
#define ZOLT_TESTS_PROFILE_DIFF_KNOWN_DIFFERENCES_H_

#include <string>
#include <string_view>
#include <vector>

namespace zolt::profile_diff {

// A file whose layout makes the platform behave in a way the engine does not
// copy: a header with an empty name, consecutive nameless "=value" lines,
// NUL bytes, invalid UTF-8 after a UTF-8 BOM, or an odd number of UTF-16
// bytes. Returns the reason, or nullptr.
const char* FileQuirk(std::string_view bytes);

// An operation (script fields) whose arguments the platform treats in a way
// the engine does not copy, given the texts the engine and the platform
// returned (reads only). Returns the reason, or nullptr.
const char* OperationQuirk(const std::vector<std::string>& op,
                           bool unicode_file, std::string_view engine,
                           std::string_view platform);

// A read in a folder that does not exist: the platform then returns a quoted
// default with its quotes. Returns the reason, or nullptr.
const char* MissingFolderQuirk(const std::vector<std::string>& op);

// A write-out of a file without a BOM that the platform made start like one
// (the engine puts a blank line in front). Returns the reason, or nullptr.
const char* RewriteQuirk(std::string_view before, std::string_view after);

// True when the file's text is held by the platform as Unicode (a BOM).
bool IsUnicodeFile(std::string_view bytes);

}  // namespace zolt::profile_diff

#endif  // ZOLT_TESTS_PROFILE_DIFF_KNOWN_DIFFERENCES_H_
