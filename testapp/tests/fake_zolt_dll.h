// A scripted stand-in for the library binding: answers each function from
// its own queue and records every call, for the results the real library
// cannot produce on demand (0, -1, -104, old codes, a -106 followed by PINs).
#ifndef ZOLT_TESTAPP_TESTS_FAKE_ZOLT_DLL_H_
#define ZOLT_TESTAPP_TESTS_FAKE_ZOLT_DLL_H_

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "testapp/modDeclareZOLTDLL.h"

namespace zolt::testapp {

class FakeZoltDll final : public ZoltDll {
 public:
  struct Issue {
    int32_t result;
    // Bytes written into the buffer on a positive result (with their zero).
    std::string expiry = " 11:55 PM \n";
  };
  struct Call {
    bool is_query;
    int32_t vendor, location, size;
    std::string buffer_in;  // ZoltResult: the first 10 bytes passed
  };

  // Answers when a queue runs dry: the query is positive, a PIN is issued.
  int32_t default_query = 1234;
  int32_t default_pin = 412345;
  // Runs before every call (may throw, like a failing load).
  std::function<void()> before_call;

  void Query(int32_t result) { queries_.push_back(result); }
  void Issues(Issue issue) { issues_.push_back(issue); }

  int32_t check_SoldOut_Condition(int32_t v, int32_t l, int32_t s) override {
    if (before_call) before_call();
    calls.push_back({true, v, l, s, ""});
    return Next(queries_, default_query);
  }

  int32_t ZoltResult(int32_t v, int32_t l, int32_t s, char* buffer) override {
    if (before_call) before_call();
    calls.push_back({false, v, l, s, std::string(buffer, 10)});
    Issue issue{default_pin};
    if (!issues_.empty()) {
      issue = issues_.front();
      issues_.pop_front();
    }
    // The library promises 12 bytes at most; write exactly what it would.
    if (issue.result > 0) {
      std::memcpy(buffer, issue.expiry.c_str(), issue.expiry.size() + 1);
    }
    return issue.result;
  }

  int queries() const { return Count(true); }
  int issued() const { return Count(false); }
  std::vector<Call> calls;

 private:
  static int32_t Next(std::deque<int32_t>& q, int32_t fallback) {
    if (q.empty()) return fallback;
    const int32_t r = q.front();
    q.pop_front();
    return r;
  }
  int Count(bool query) const {
    int n = 0;
    for (const Call& c : calls) n += c.is_query == query;
    return n;
  }

  std::deque<int32_t> queries_;
  std::deque<Issue> issues_;
};

}  // namespace zolt::testapp

#endif  // ZOLT_TESTAPP_TESTS_FAKE_ZOLT_DLL_H_
