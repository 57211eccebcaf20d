// Why a call refused: the result code it returned and, for a code with more
// than one cause (above all -1, the undetermined failure), the step of the
// call, the file and what the operating system answered. Only the code
// crosses the export boundary; zolt names the rest to the people at a site.
#ifndef ZOLT_LIBRARY_REFUSAL_H_
#define ZOLT_LIBRARY_REFUSAL_H_

#include <string>

#include "library/result_code.h"
#include "platform/env/env.h"

namespace zolt {

struct Refusal {
  Code code = Code::kOk;
  // What the library was doing, in words: "reading the PIN table",
  // "locking the data folder", "writing the taken mark"; "" when the code
  // says all there is to say (a setting out of range, sold out).
  std::string step;
  std::string path;  // the file or folder concerned, "" when none
  FileError error = FileError::kNone;  // the platform's answer
  int os_error = 0;                    // errno or GetLastError(); 0: none
  std::string os_text;                 // the system's wording of os_error
};

// One line for people: the step, the file and the system's answer, e.g.
// "reading the PIN table /srv/pins/PINTable.dat: Input/output error (errno
// 5)". "" when the refusal has no step.
std::string DescribeRefusal(const Refusal& r);

// Records a refusal into *why (when not null): the code, the step, the file
// and, when `error` is a failure of the Env, the OS error behind this
// thread's last failed operation of `env`. Returns `code`.
Code RefuseWith(Env& env, Refusal* why, Code code, std::string step,
                const std::string& path = "",
                FileError error = FileError::kNone);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_REFUSAL_H_
