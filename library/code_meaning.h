// What a result code of the library means, in one line: the one wording that
// the demo and zolt share (the test program keeps its own message texts).
// Not exported from the library.
#ifndef ZOLT_LIBRARY_CODE_MEANING_H_
#define ZOLT_LIBRARY_CODE_MEANING_H_

#include <cstdint>
#include <string>

namespace zolt {

std::string CodeMeaning(int32_t code);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_CODE_MEANING_H_
