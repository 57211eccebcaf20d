#include "tests/profile_diff/cases.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/profile_diff/script_format.h"

namespace zolt::profile_diff {
namespace {

// Fields separated by '|', escaped as in the script.
constexpr std::string_view kFixedCases =
#include "tests/profile_diff/fixed_cases.inc"
    ;

void AddFixedCases(std::vector<std::string>* script) {
  std::size_t pos = 0;
  while (pos < kFixedCases.size()) {
    std::size_t end = kFixedCases.find('\n', pos);
    if (end == std::string_view::npos) end = kFixedCases.size();
    std::string line(kFixedCases.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == '#') continue;
    for (char& c : line) {
      if (c == '|') c = '\t';
    }
    script->push_back(line);
  }
}

// A long line well past the 255 characters a caller usually sees and the
// 1024 of old readers.
void AddLongLineCase(std::vector<std::string>* script) {
  std::string digits;
  for (int i = 0; i < 4000; ++i) digits += static_cast<char>('0' + i % 10);
  script->push_back("case\tlong-line");
  script->push_back(JoinFields({"file", "[S]\r\nk=" + digits + "\r\nj=1\r\n"}));
  script->push_back("read\tS\tk\tD\t256");
  script->push_back("read\tS\tk\tD\t5000");
  script->push_back("read\tS\tj\tD\t256");
  script->push_back("write\tS\tj\t2");
  script->push_back("end");
}

// splitmix64: the same numbers on every platform and library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<unsigned>(n)); }
  bool Percent(int p) { return Below(100) < p; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(static_cast<int>(N))];
  }

 private:
  std::uint64_t state_;
};

const char* const kSections[] = {"S", "s", "Sec", "sEC", "T", "t", "A b",
                                 "a B", "\xC9t\xE9", "[x", "x]y", ";S"};
const char* const kKeys[] = {"k", "K", "key", "KEY", "j", "a b", "A B",
                             ";k", "#k", "", "x1", "\xE9", "[k"};
const char* const kValues[] = {
    "v", "", "1", "\"q\"", "'q'", "\"", "'", "\"a\" b \"c\"", "a=b", "v ;c",
    "\xE9\xC9\x80", "x\ty", "\" sp \"", "270E", "[v]"};
const char* const kPads[] = {"", "", " ", "\t", "  ", " \t"};
const char* const kDefaults[] = {"D", "", "d  ", "\"q\"", "'x", " z ", "x"};
const unsigned kSizes[] = {256, 256, 256, 256, 1, 2, 3, 4, 5, 8, 300, 2000};
const char* const kWords[] = {"noeq", ";comment", "# hash", "; c = 1", "[S",
                              "x"};

std::string LongValue(Random& rng) {
  std::string v;
  int n = 250 + rng.Below(60);
  for (int i = 0; i < n; ++i) v += static_cast<char>('a' + (i * 7) % 26);
  return rng.Percent(30) ? "\"" + v + "\"" : v;
}

std::string Value(Random& rng) {
  return rng.Percent(5) ? LongValue(rng) : std::string(rng.Pick(kValues));
}

// One line of a generated file, in Windows-1252.
std::string Line(Random& rng) {
  std::string pad1 = rng.Pick(kPads), pad2 = rng.Pick(kPads);
  int kind = rng.Below(100);
  if (kind < 15) {
    std::string junk = rng.Percent(10) ? " junk" : "";
    return pad1 + "[" + pad2 + rng.Pick(kSections) + rng.Pick(kPads) + "]" +
           junk;
  }
  if (kind < 75) {
    return pad1 + rng.Pick(kKeys) + pad2 + "=" + rng.Pick(kPads) + Value(rng) +
           rng.Pick(kPads);
  }
  if (kind < 90) return pad1 + rng.Pick(kWords) + pad2;
  return pad1;  // a blank line
}

std::string ToUtf8(std::string_view ansi) {
  // Windows-1252 bytes of the generated texts: ASCII, 0x80 (euro) and
  // Latin-1 letters.
  std::string out;
  for (char ch : ansi) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else if (c == 0x80) {
      out += "\xE2\x82\xAC";
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string ToUtf16Le(std::string_view ansi) {
  std::string utf16 = "\xFF\xFE";
  for (char ch : ansi) {
    unsigned char c = static_cast<unsigned char>(ch);
    unsigned u = c == 0x80 ? 0x20AC : c;
    utf16 += static_cast<char>(u & 0xFF);
    utf16 += static_cast<char>(u >> 8);
  }
  return utf16;
}

std::string File(Random& rng) {
  const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\n", "\n", "\r"};
  std::string end = rng.Pick(kEnds);
  std::string text;
  int lines = rng.Below(12);
  for (int i = 0; i < lines; ++i) {
    text += Line(rng);
    if (i + 1 < lines || rng.Percent(80)) text += end;
  }
  int encoding = rng.Below(100);
  if (encoding < 10) return "\xEF\xBB\xBF" + ToUtf8(text);
  if (encoding < 16) return ToUtf16Le(text);
  return text;
}

// Names of writes carry no trailing blanks: the platform keeps those in
// new names and values, which the engine deliberately does not.
std::string WriteName(Random& rng, const char* const* pool, int n) {
  return std::string(rng.Percent(15) ? " " : "") + pool[rng.Below(n)];
}

std::vector<std::string> Operation(Random& rng) {
  constexpr int kSectionCount = sizeof kSections / sizeof kSections[0];
  constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];
  int kind = rng.Below(100);
  if (kind < 55) {
    return {"read", rng.Pick(kPads) + std::string(rng.Pick(kSections)),
            std::string(rng.Pick(kKeys)) + rng.Pick(kPads), rng.Pick(kDefaults),
            std::to_string(rng.Pick(kSizes))};
  }
  if (kind < 83) {
    std::string value = Value(rng);
    if (rng.Percent(10)) value = " " + value;
    return {"write", WriteName(rng, kSections, kSectionCount),
            WriteName(rng, kKeys, kKeyCount), value};
  }
  if (kind < 92) {
    return {"delkey", rng.Pick(kSections), rng.Pick(kKeys)};
  }
  if (kind < 97) return {"delsec", rng.Pick(kSections)};
  return {"flush"};
}

void AddGeneratedCase(int number, Random& rng, std::vector<std::string>* script) {
  script->push_back("case\tgen-" + std::to_string(number));
  int start = rng.Below(100);
  if (start < 6) {
    script->push_back("missing");
  } else if (start < 8) {
    script->push_back("nofolder");
  } else {
    script->push_back(JoinFields({"file", File(rng)}));
  }
  int ops = 2 + rng.Below(7);
  for (int i = 0; i < ops; ++i) script->push_back(JoinFields(Operation(rng)));
  script->push_back("end");
}

}  // namespace

std::vector<std::string> BuildScript(int generated) {
  std::vector<std::string> script;
  AddFixedCases(&script);
  AddLongLineCase(&script);
  Random rng(20260101);
  for (int i = 1; i <= generated; ++i) AddGeneratedCase(i, rng, &script);
  return script;
}

}  // namespace zolt::profile_diff
