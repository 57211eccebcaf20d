#include "library/zolt.h"

#include <cstring>
#include <string>
#include <vector>

#include "library/expiry_text.h"
#include "library/pin_tables.h"
#include "library/result_code.h"
#include "library/settings.h"
#include "library/table_lock.h"

namespace zolt {
namespace {

Code CheckDate(const LocalTime& t) {
  if (t.year < 2001 || t.year > 2015) return Code::kYear;
  if (t.month < 1 || t.month > 12) return Code::kMonth;
  if (t.day < 1 || t.day > 31) return Code::kDay;
  return Code::kOk;
}

// What one call holds from its settings to its answer. The table lock is
// held until the call is done with the tables: through the mark for a sale,
// and for the query too, so that it never reads a table that another station
// is halfway through rebuilding.
struct Call {
  Call(Env& env, Caller caller, Refusal* why)
      : why(why != nullptr ? why : &own), tables(env, settings, caller, this->why) {
    *this->why = Refusal{};
  }
  Refusal own;
  Refusal* why;
  LibrarySettings settings;
  TableLock lock;
  TableCall tables;
  FreeSlot slot;
};

// Settings, data folder, lock, refresh and search, shared by both
// operations. The data folder is checked before the lock file is made in it.
Code FindSlot(Env& env, Caller caller, int32_t basket_size, Call* call) {
  Code c = LoadSettings(env, caller, basket_size, &call->settings, call->why);
  if (c != Code::kOk) return c;
  std::vector<std::string> leftovers;
  c = CheckDataFolder(env, call->settings, &leftovers, call->why);
  if (c != Code::kOk) return c;
  c = call->lock.Acquire(env, call->settings.Pathtopintable, call->why);
  if (c != Code::kOk) return c;
  call->tables.may_write = call->lock.mode() != TableLock::Mode::kReadOnly;
  if (call->lock.held()) RemoveLeftovers(env, call->settings, leftovers);
  c = RefreshPinTables(call->tables);
  if (c != Code::kOk) return c;
  return FindFreeSlot(call->tables, &call->slot);
}

// The code of a refusal, recorded when no step of the call recorded a cause.
int32_t Refused(Call& call, Code c) {
  if (call.why->code == Code::kOk) call.why->code = c;
  return ToInt(c);
}

}  // namespace

int32_t FormPin(int32_t basket_size, int32_t pin_crypt, int32_t value) {
  const int32_t size_digit = 2 * basket_size + 2;
  const int32_t core = pin_crypt * basket_size + value;
  return size_digit * 100000 + core;
}

int32_t IssuePin(Env& env, int32_t basket_size, char* expiry_text,
                 Refusal* why) {
  Call call(env, Caller::kZoltResult, why);
  Code c = FindSlot(env, Caller::kZoltResult, basket_size, &call);
  if (c == Code::kOk) c = CheckDate(call.slot.sale_time);
  if (c != Code::kOk) return Refused(call, c);

  const std::string text =
      ExpiryText(call.slot.sale_time, call.settings.PINExpiry);
  const int32_t pin =
      FormPin(basket_size, call.settings.PINcrypt, call.slot.value);
  // No PIN leaves the library before its taken mark is on disk in both
  // files.
  c = MarkSlotTaken(call.tables, call.slot.slot);
  if (c != Code::kOk) return Refused(call, c);
  if (expiry_text != nullptr) {
    const size_t n = text.size() < kExpiryBufferSize - 1
                         ? text.size()
                         : static_cast<size_t>(kExpiryBufferSize - 1);
    std::memcpy(expiry_text, text.data(), n);
    expiry_text[n] = '\0';
  }
  return pin;
}

int32_t QuerySoldOut(Env& env, int32_t basket_size, Refusal* why) {
  Call call(env, Caller::kSoldOutQuery, why);
  Code c = FindSlot(env, Caller::kSoldOutQuery, basket_size, &call);
  if (c != Code::kOk) return Refused(call, c);
  return call.settings.PINcrypt * basket_size + call.slot.value;
}

}  // namespace zolt
