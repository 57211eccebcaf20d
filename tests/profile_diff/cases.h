// The cases of the profile differential test: fixed tricky ones and a
// fixed-seed generator of small files and operation sequences.
#ifndef ZOLT_TESTS_PROFILE_DIFF_CASES_H_
#define ZOLT_TESTS_PROFILE_DIFF_CASES_H_

#include <string>
#include <vector>

namespace zolt::profile_diff {

// The whole script (see script_format.h), one line per element: the fixed
// cases first, then `generated` generated ones. The same arguments always
// give the same script.
std::vector<std::string> BuildScript(int generated);

inline constexpr int kGeneratedCases = 400;

}  // namespace zolt::profile_diff

#endif  // ZOLT_TESTS_PROFILE_DIFF_CASES_H_
