#include "ui/conversions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/run_time_error.h"

namespace zolt::ui {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Scans numeric text; on success leaves the canonical form ("-1234.5E+3",
// commas dropped, blanks trimmed) in *canonical.
bool ScanNumeric(std::string_view text, std::string* canonical) {
  size_t i = 0;
  size_t end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  std::string out;
  if (i < end && (text[i] == '+' || text[i] == '-')) out += text[i++];
  int digits = 0;
  bool point = false;
  for (; i < end; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      out += c;
      ++digits;
    } else if (c == ',' && !point && digits > 0 && i + 1 < end &&
               IsDigit(text[i + 1])) {
      // thousands separator
    } else if (c == '.' && !point) {
      out += c;
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < end && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' ||
                  text[i] == 'D')) {
    out += 'E';
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) out += text[i++];
    int exp_digits = 0;
    for (; i < end && IsDigit(text[i]); ++i, ++exp_digits) out += text[i];
    if (exp_digits == 0) return false;
  }
  if (i != end) return false;
  if (canonical != nullptr) *canonical = std::move(out);
  return true;
}

double RoundedInRange(std::string_view text, double low, double high) {
  const double v = RoundHalfEven(NumericValue(text));
  if (!(v >= low && v <= high)) throw RunTimeError::Overflow();
  return v;
}

}  // namespace

bool IsNumeric(std::string_view text) { return ScanNumeric(text, nullptr); }

double NumericValue(std::string_view text) {
  std::string canonical;
  if (!ScanNumeric(text, &canonical)) throw RunTimeError::TypeMismatch();
  return std::strtod(canonical.c_str(), nullptr);
}

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

int32_t ToLong(std::string_view text) {
  return static_cast<int32_t>(RoundedInRange(text, -2147483648.0, 2147483647.0));
}

int16_t ToInteger(std::string_view text) {
  return static_cast<int16_t>(RoundedInRange(text, -32768.0, 32767.0));
}

double LeadingNumber(std::string_view text) {
  std::string number;
  size_t i = 0;
  auto skip = [&] {
    while (i < text.size() &&
           (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) {
      ++i;
    }
  };
  skip();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    number += text[i++];
  }
  int digits = 0;
  bool point = false;
  for (;; ++i) {
    skip();
    if (i >= text.size()) break;
    const char c = text[i];
    if (IsDigit(c)) {
      number += c;
      ++digits;
    } else if (c == '.' && !point) {
      number += c;
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' ||
                          text[i] == 'D')) {
    std::string exponent = "E";
    size_t j = i + 1;
    while (j < text.size() && (text[j] == ' ' || text[j] == '\t' || text[j] == '\n')) ++j;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    int exp_digits = 0;
    for (; j < text.size(); ++j) {
      if (text[j] == ' ' || text[j] == '\t' || text[j] == '\n') continue;
      if (!IsDigit(text[j])) break;
      exponent += text[j];
      ++exp_digits;
    }
    if (exp_digits > 0) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

std::string NumberText(int64_t value) { return std::to_string(value); }

std::string NumberText(double value) {
  if (std::isfinite(value) && value == std::floor(value) &&
      std::fabs(value) < 1e15) {
    return NumberText(static_cast<int64_t>(value));
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  return buffer;
}

}  // namespace zolt::ui
