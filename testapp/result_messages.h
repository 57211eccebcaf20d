// The plain-language message the test program shows for a result code.
#ifndef ZOLT_TESTAPP_RESULT_MESSAGES_H_
#define ZOLT_TESTAPP_RESULT_MESSAGES_H_

#include <string>

namespace zolt::testapp {

// The text of lblMsgBox for the first result of a run, v (the number read
// from the start of lblPIN). Codes without a row of their own fall to the
// "Case Else" text; any other positive value is a good PIN.
std::string ResultCodeMessage(double v);

}  // namespace zolt::testapp

#endif  // ZOLT_TESTAPP_RESULT_MESSAGES_H_
