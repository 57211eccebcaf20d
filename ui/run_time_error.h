// A run-time failure inside a program's handler: an error number and a
// description, as the programs' error boxes show them. Handlers that report
// failures catch it; handlers without a report of their own let it pass to
// their caller. (The library never throws; this is the programs' layer.)
#ifndef ZOLT_UI_RUN_TIME_ERROR_H_
#define ZOLT_UI_RUN_TIME_ERROR_H_

#include <stdexcept>
#include <string>

namespace zolt::ui {

// Error numbers the programs' texts name.
inline constexpr int kErrorOverflow = 6;
inline constexpr int kErrorTypeMismatch = 13;
inline constexpr int kErrorDllLoad = 48;
inline constexpr int kErrorDllEntryPoint = 453;
inline constexpr int kErrorDialogCancelled = 32755;

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}

  int number() const { return number_; }
  std::string description() const { return what(); }

  // The standard errors, with their usual descriptions.
  static RunTimeError Overflow() { return {kErrorOverflow, "Overflow"}; }
  static RunTimeError TypeMismatch() {
    return {kErrorTypeMismatch, "Type mismatch"};
  }
  static RunTimeError DialogCancelled() {
    return {kErrorDialogCancelled, "Cancel was selected."};
  }

 private:
  int number_;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_RUN_TIME_ERROR_H_
