// The profile (INI) engine: one private-profile file held in memory with the
// rules of the platform's GetPrivateProfileStringA / WritePrivateProfileStringA.
// Both builds use this engine; a differential test checks it against the real
// functions under Wine.
//
// Rules (each backed by a row of the differential test):
//  - Section and key names match without regard to ASCII case, after blanks
//    and tabs are trimmed at both ends; the first matching section and the
//    first matching key in it win. Duplicates are never merged.
//  - A value is returned trimmed at both ends; when the trimmed value is at
//    least two characters long and starts and ends with the same quote (" or
//    '), that outer pair is removed.
//  - A missing file, section or key yields the default (trailing blanks
//    removed, outer quotes stripped as for values). An empty value is "".
//  - The text returned is cut to size - 1 characters (the caller's buffer).
//  - A line "[name]" opens a section (the name ends at the last ']'); a line
//    without '=' is kept but is not a key; lines before the first section form
//    a nameless section "".
//  - CRLF, LF and CR line ends are read; writes lay the whole file out anew
//    with CRLF: "name=value" lines without the blanks around names and values,
//    blank lines dropped, comment lines and lines without '=' kept in place.
//    A new key goes at the end of its section, a new section at the end of the
//    file. A UTF-8 BOM file is read as UTF-8 and written back so; a UTF-16LE
//    BOM file likewise.
#ifndef ZOLT_PLATFORM_PROFILE_H_
#define ZOLT_PLATFORM_PROFILE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace zolt {

class ProfileFile {
 public:
  ProfileFile();
  ~ProfileFile();
  ProfileFile(ProfileFile&&) noexcept;
  ProfileFile& operator=(ProfileFile&&) noexcept;

  // Parses the bytes of a file.
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
  // WritePrivateProfileStringA(section, key, NULL, file).
  void RemoveKey(std::string_view section, std::string_view key);
  // WritePrivateProfileStringA(section, NULL, NULL, file): removes the first
  // matching section with all its lines.
  void RemoveSection(std::string_view section);

  // True when a call above changed the profile since it was loaded or saved.
  bool changed() const { return changed_; }

  // The file's bytes as the platform's writer lays them out.
  std::string Serialize() const;

  // Writes the profile back through env (atomically) when it changed; kNone
  // when nothing needed writing. After a failed write the profile stays
  // changed.
  FileError Save(Env& env, const std::string& path);

 private:
  struct Impl;
  Impl* impl_;
  FileError load_error_ = FileError::kNone;
  bool changed_ = false;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROFILE_H_
