// The profile (INI) engine: one private-profile file held in memory with the
// rules of the platform's GetPrivateProfileStringA / WritePrivateProfileStringA.
// Both builds use this engine; a differential test (profile/tests/diff) checks
// it against the real functions under Wine, and docs/profile-engine.md lists
// where it deliberately differs.
//
// Rules (each backed by rows of the differential test):
//  - The file is a list of lines. A line whose first non-blank character is
//    '[' and which holds a ']' opens a section; its name is the trimmed text
//    up to the last ']' (the rest is dropped). Every other non-blank line is
//    an entry of the current section: name and value split at the first '=',
//    each trimmed; a line without '=' is an entry without a value (comments
//    too: ';' has no meaning of its own). Lines before the first header form
//    the nameless section "", which stays at the top.
//  - Blanks are space, TAB, VT, FF, CR, LF and ^Z (0x1A). A NUL ends the
//    name or value it stands in, which is then trimmed; a line with nothing
//    before its NUL is dropped.
//  - Section and key names match without regard to ASCII case (only A-Z),
//    after blanks are trimmed at both ends. The first matching section and
//    the first matching entry in it win, with or without a value; duplicates
//    are never merged. Section "" always means the top section.
//  - A value is returned as stored (trimmed); when it is at least two
//    characters long and starts and ends with the same quote (" or '), that
//    outer pair is removed. An entry without a value, or a missing file,
//    section or key, yields the default: trailing spaces removed (one
//    character always stays), outer quotes stripped the same way. The text is
//    cut to size - 1 characters (the caller's buffer).
//  - CRLF, LF and CR line ends are read. Serialize() lays the whole file out
//    anew with CRLF: "[name]", "name=value" or "name", blank lines dropped.
//    A write that changes nothing (same value, missing key) leaves the
//    profile unchanged. Written-out text reads back the same: text without
//    a BOM that would start like one gets a blank line in front. A new key goes at the end of its section, a new
//    section at the end of the file.
//  - Without a byte-order mark the file is Windows-1252 bytes, kept as they
//    are. A UTF-8 BOM file is read as UTF-8 (bad sequences become U+FFFD)
//    and a UTF-16LE/BE BOM file as UTF-16; both are written back in their
//    encoding with the BOM. Texts cross the API as Windows-1252 bytes;
//    characters outside it read as '?' (one per UTF-16 unit).
//  - Arguments are C strings: anything after a NUL is ignored. Names and
//    values are written as given (trimmed); a CR or LF inside splits the line
//    when the file is read again, as the platform's does.
#ifndef ZOLT_PROFILE_PROFILE_H_
#define ZOLT_PROFILE_PROFILE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/env/env.h"

namespace zolt {

class ProfileFile {
 public:
  ProfileFile();
  ~ProfileFile();
  ProfileFile(ProfileFile&&) noexcept;
  ProfileFile& operator=(ProfileFile&&) noexcept;

  // Parses the bytes of a file. Never fails: any bytes give some profile.
  static ProfileFile Parse(std::string_view bytes);

  // Reads and parses a file through env. A file that cannot be read gives an
  // empty profile; load_error() tells why.
  static ProfileFile Load(Env& env, const std::string& path);

  FileError load_error() const { return load_error_; }

  // GetPrivateProfileStringA(section, key, def, buffer, size, file): the text
  // the call copies into a buffer of `size` characters (at most size - 1).
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view def, std::size_t size = 256) const;

  // WritePrivateProfileStringA(section, key, value, file), in memory.
  void SetString(std::string_view section, std::string_view key,
                 std::string_view value);
  // WritePrivateProfileStringA(section, key, NULL, file): removes the first
  // matching entry, which makes the next one of that name visible.
  void RemoveKey(std::string_view section, std::string_view key);
  // WritePrivateProfileStringA(section, NULL, NULL, file): removes the first
  // matching section with all its lines ("" empties the top section).
  void RemoveSection(std::string_view section);

  // True when a call above changed the profile since it was loaded or saved.
  bool changed() const { return changed_; }

  // The file's bytes as the platform's writer lays them out.
  std::string Serialize() const;

  // Writes the profile back through env (atomically) when it changed; kNone
  // when nothing needed writing. After a failed write the profile stays
  // changed. `expect` is WriteFileAtomic's; `written`, when not null,
  // receives the bytes written (left as it was when nothing was).
  FileError Save(Env& env, const std::string& path,
                 Expect expect = Expect::kAny, std::string* written = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  FileError load_error_ = FileError::kNone;
  bool changed_ = false;
};

}  // namespace zolt

#endif  // ZOLT_PROFILE_PROFILE_H_
