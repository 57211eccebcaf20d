// How the tests lay out a point-of-sale station: a station folder with the
// library's settings file and a data folder, described by the directives of
// a case file (tests/station/README):
//
//   case NAME                       starts a case
//   set KEY=VALUE / unset KEY       a setting of OstrelZOLTDLL.dta
//   no-settings                     no settings file
//   file PATH <<  ...  >>           a file of these lines, CRLF ended
//   file PATH text|hex|random|utf16le|utf16le-bom|utf16be-bom ARG
//   folder PATH / remove PATH / readonly PATH / link PATH TARGET
//   grow PATH BYTES                 makes the file this long
//
// The settings are written once the case needs them (Station::Write).
#ifndef ZOLT_TESTS_STATION_STATION_H_
#define ZOLT_TESTS_STATION_STATION_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zolt::test {

struct Case {
  std::string name;
  std::vector<std::string> lines;  // its directives, in order
};
// The cases of a case file, or of every *.cases file of a folder in name
// order (each name then led by its file's).
std::vector<Case> ReadCases(const std::string& path);

// Splits at blanks, keeping "quoted text" together.
std::vector<std::string> Words(const std::string& text);
std::string Replace(std::string s, const std::string& from, const std::string& to);
// The path as this program sees it: under Wine the Linux root is drive Z.
std::string Native(std::string path);
// The main of a test program that takes one data file or folder: runs every
// test with *argument set to it.
int RunAllTests(int argc, char** argv, std::string* argument);

class Station {
 public:
  // Both folders exist; the data folder is usually inside the station.
  Station(std::string folder, std::string data);

  void Set(const std::string& key, const std::string& value);
  void Unset(const std::string& key);
  std::string Setting(const std::string& key) const;  // expanded; "" unset
  // The settings file's bytes: [Preferences] and each setting, CRLF ended.
  std::string SettingsText() const;
  // Writes the settings file, unless the case said no-settings (or called
  // NoSettings) or laid it out itself.
  void Write();
  void NoSettings() { write_settings_ = false; }

  // {station}, {data} and what Define gave; {N*TEXT} for TEXT N times.
  // Text first reads the escapes \r \n \t \\ \xHH, and adds {settings}.
  void Define(const std::string& placeholder, const std::string& value);
  std::string Expand(const std::string& s) const;
  std::string Text(const std::string& s) const;
  std::string Path(const std::string& relative) const;  // absolute kept
  void Put(const std::string& relative, const std::string& bytes);

  // Carries out the layout directive at lines[*i] (advancing *i past a
  // block); false when the line is not one.
  bool Lay(const std::vector<std::string>& lines, size_t* i);

  const std::string& folder() const { return folder_; }
  const std::string& data() const { return data_; }

 private:
  std::string folder_, data_;
  std::vector<std::pair<std::string, std::string>> settings_, defined_;
  bool write_settings_ = true;
};

}  // namespace zolt::test

#endif  // ZOLT_TESTS_STATION_STATION_H_
