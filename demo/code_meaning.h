// What a result code of the library means, in a line for the demo's output.
#ifndef ZOLT_DEMO_CODE_MEANING_H_
#define ZOLT_DEMO_CODE_MEANING_H_

#include <cstdint>
#include <string>

namespace zolt {

std::string CodeMeaning(int32_t code);

}  // namespace zolt

#endif  // ZOLT_DEMO_CODE_MEANING_H_
