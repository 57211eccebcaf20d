// The test program's window scenarios (scenarios/*.cases): each case starts
// the window over a scripted Dialogs and a library binding, and runs its
// lines. Besides the form's directives (ui/tests/form_scenario.h):
//
//   real-library [FILE]     the binding loads the real library (FILE: a
//                           library of that name, which is missing) from this
//                           program's station folder, whose settings file the
//                           case lays out (tests/station/README); without it
//                           a scripted binding answers
//   time YYYY-MM-DD HH:MM   the sale time of the simulated-clock library
//   time machine            its own clock
//   query N / issue N [EXPIRY]
//                           the scripted binding's next answers (a positive
//                           query and a PIN, " 11:55 PM \n", when none is left)
//   fail-call K             the K-th call of the binding fails with run-time
//                           error 453
//   start                   the window, as at start-up
//   getpin ANSWER           GET PIN, with this answer in "How many PINs?"
//   keyup C CODE            a key released over a control ("" for the form)
//   expect queries|issued|call:I|buffer:I|counter-seen|click-counter|
//          steps|titled:TITLE|titled:TITLE:I = VALUE
//
// call:I is "vendor location size" of the I-th call, buffer:I the first 10
// bytes ZoltResult got, counter-seen lblCounter at each call, steps the
// repaints, pumps and boxes in order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "testapp/dlltestapp.h"
#include "testapp/dlltestapp_form.h"
#include "testapp/modDeclareZOLTDLL.h"
#include "tests/station/station.h"
#include "ui/run_time_error.h"
#include "ui/tests/form_scenario.h"

namespace zolt::testapp {
namespace {

namespace fs = std::filesystem;

std::string g_cases;  // the case file

void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);  // empty: the library's own clock
#endif
}

// The scripted binding: answers from its queues and records every call.
class ScriptedDll final : public ZoltDll {
 public:
  int32_t check_SoldOut_Condition(int32_t v, int32_t l, int32_t s) override {
    Called(v, l, s, "");
    return Next(&queries, 1234);
  }
  int32_t ZoltResult(int32_t v, int32_t l, int32_t s, char* buffer) override {
    Called(v, l, s, std::string(buffer, 10));
    const int32_t r = Next(&issues, 412345);
    const std::string expiry = expiries.empty() ? " 11:55 PM \n" : expiries.front();
    if (!expiries.empty()) expiries.pop_front();
    // The library writes 12 bytes at most: exactly what it would.
    if (r > 0) std::memcpy(buffer, expiry.c_str(), expiry.size() + 1);
    return r;
  }
  std::deque<int32_t> queries, issues;
  std::deque<std::string> expiries;
  std::vector<std::string> calls, buffers;  // "q|i vendor location size"
  std::function<void()> before_call;
  int fail_at = 0;

 private:
  void Called(int32_t v, int32_t l, int32_t s, const std::string& buffer) {
    if (before_call) before_call();
    calls.push_back((buffer.empty() ? "q " : "i ") + std::to_string(v) + " " +
                    std::to_string(l) + " " + std::to_string(s));
    buffers.push_back(buffer);
    if (static_cast<int>(calls.size()) == fail_at) {
      throw ui::RunTimeError(ui::kErrorDllEntryPoint, "Can't find DLL entry point ZoltResult");
    }
  }
  static int32_t Next(std::deque<int32_t>* q, int32_t fallback) {
    const int32_t r = q->empty() ? fallback : q->front();
    if (!q->empty()) q->pop_front();
    return r;
  }
};

class Scenario {
 public:
  explicit Scenario(const std::string& station)
      : station_(station, station.empty() ? "" : (fs::path(station) / "data").string()),
        steps_(dialogs_, [this](const std::string& s) { return station_.Text(s); },
               [this](const std::string& w, std::string* v) { return Probe(w, v); }) {}
  ~Scenario() { SetEnv("ZOLT_SIMULATED_TIME", ""); }

  void Run(const test::Case& c) {
    for (size_t i = 0; i < c.lines.size(); ++i) {
      const std::string& line = c.lines[i];
      const std::vector<std::string> w = test::Words(line);
      if (w[0] == "real-library") {
        ASSERT_FALSE(station_.folder().empty()) << "run through run_in_station.cmake";
        fs::remove_all(station_.data());
        fs::create_directories(station_.data());
        real_ = w.size() > 1 ? std::make_unique<modDeclareZOLTDLL>(w[1])
                             : std::make_unique<modDeclareZOLTDLL>();
      } else if (!station_.folder().empty() && station_.Lay(c.lines, &i)) {
      } else if (steps_.Step(line)) {
      } else if (w[0] == "time") {
        SetEnv("ZOLT_SIMULATED_TIME", w[1] == "machine" ? "" : w[1] + " " + w[2]);
      } else if (w[0] == "query") {
        dll_.queries.push_back(std::stoi(w[1]));
      } else if (w[0] == "issue") {
        dll_.issues.push_back(std::stoi(w[1]));
        if (w.size() > 2) dll_.expiries.push_back(station_.Text(line.substr(line.find(w[2]))));
      } else if (w[0] == "fail-call") {
        dll_.fail_at = std::stoi(w[1]);
      } else if (w[0] == "start") {
        if (real_) station_.Write();
        form_ = BuildDLLTestAPPForm();
        app_ = std::make_unique<DLLTestAPP>(*form_, dialogs_, real_ ? *real_ : static_cast<ZoltDll&>(dll_));
        steps_.SetForm(form_.get());
        dll_.before_call = [this] { seen_.push_back(form_->Get("lblCounter").text()); };
        form_->Load();
      } else if (w[0] == "getpin") {
        dialogs_.AnswerInputBox(w.size() > 1 ? w[1] : "");
        form_->Click("cmdGetPIN");
      } else if (w[0] == "keyup") {
        form_->KeyUp(ui::ControlKey(w[1]), std::stoi(w[2]), 0);
      } else {
        ADD_FAILURE() << "unknown directive: " << line;
      }
    }
  }

 private:
  bool Probe(const std::string& what, std::string* value) {
    const size_t colon = what.find(':');
    const std::string kind = what.substr(0, colon);
    const std::string arg = colon == std::string::npos ? "" : what.substr(colon + 1);
    auto join = [](const std::vector<std::string>& items) {
      std::string out;
      for (const std::string& item : items) out += (out.empty() ? "" : ",") + item;
      return out;
    };
    auto count = [&](char kind) {
      int n = 0;
      for (const std::string& c : dll_.calls) n += c[0] == kind;
      return std::to_string(n);
    };
    if (kind == "queries") *value = count('q');
    else if (kind == "issued") *value = count('i');
    else if (kind == "call") *value = dll_.calls.at(std::stoul(arg) - 1).substr(2);
    else if (kind == "buffer") *value = dll_.buffers.at(std::stoul(arg) - 1);
    else if (kind == "counter-seen") *value = join(seen_);
    else if (kind == "click-counter") *value = std::to_string(app_->click_counter());
    else if (kind == "steps" || kind == "titled") {
      using Kind = ui::ScriptedDialogs::Kind;
      const size_t cut = arg.rfind(':');  // titled:TITLE:I
      std::vector<std::string> items;
      for (const auto& c : dialogs_.calls()) {
        if (kind == "titled" && c.kind == Kind::kMsgBox && c.title == arg.substr(0, cut)) items.push_back(c.prompt);
        if (kind == "steps" && c.kind != Kind::kInputBox) {
          items.push_back(c.kind == Kind::kRepaint ? c.control.name : c.kind == Kind::kDoEvents ? "pump" : "box");
        }
      }
      const size_t index = cut == std::string::npos ? 0 : std::stoul(arg.substr(cut + 1));
      *value = kind == "steps" ? join(items)
               : index == 0    ? std::to_string(items.size())
                               : (index <= items.size() ? items[index - 1] : "<none>");
    } else {
      return false;
    }
    return true;
  }

  test::Station station_;
  ui::ScriptedDialogs dialogs_;
  ui::test::FormScenario steps_;
  ScriptedDll dll_;
  std::unique_ptr<modDeclareZOLTDLL> real_;
  std::unique_ptr<ui::Form> form_;
  std::unique_ptr<DLLTestAPP> app_;
  std::vector<std::string> seen_;
};

TEST(TestAppScenarios, EveryCase) {
  const std::vector<test::Case> cases = test::ReadCases(g_cases);
  ASSERT_FALSE(cases.empty()) << "no cases in " << g_cases;
  // A copy: setting ZOLT_SIMULATED_TIME may move the environment.
  const char* env = std::getenv("ZOLT_STATION");
  const std::string station = env == nullptr ? "" : env;
  for (const test::Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scenario(station).Run(c);
  }
}

}  // namespace
}  // namespace zolt::testapp

int main(int argc, char** argv) {
  return zolt::test::RunAllTests(argc, argv, &zolt::testapp::g_cases);
}
