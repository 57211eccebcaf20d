#include "library/zolt.h"

#include <cstring>
#include <string>

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

// Refresh and search, shared by both operations; run under the table lock.
Code FindSlot(Env& env, Caller caller, const LibrarySettings& settings,
              PinTables* tables, FreeSlot* slot) {
  Code c = RefreshPinTables(env, settings, caller, tables);
  if (c != Code::kOk) return c;
  return FindFreeSlot(env, settings, *tables, slot);
}

}  // namespace

int32_t FormPin(int32_t basket_size, int32_t pin_crypt, int32_t value) {
  const int32_t size_digit = 2 * basket_size + 2;
  const int32_t core = pin_crypt * basket_size + value;
  return size_digit * 100000 + core;
}

int32_t IssuePin(Env& env, int32_t basket_size, char* expiry_text) {
  LibrarySettings settings;
  Code c = LoadSettings(env, Caller::kZoltResult, basket_size, &settings);
  if (c != Code::kOk) return ToInt(c);

  TableLock lock(env, settings.Pathtopintable);
  PinTables tables;
  FreeSlot slot;
  c = FindSlot(env, Caller::kZoltResult, settings, &tables, &slot);
  if (c == Code::kOk) c = CheckDate(slot.sale_time);
  if (c != Code::kOk) return ToInt(c);

  const std::string text = ExpiryText(slot.sale_time, settings.PINExpiry);
  const int32_t pin = FormPin(basket_size, settings.PINcrypt, slot.value);
  MarkSlotTaken(env, slot.slot, &tables);
  if (expiry_text != nullptr) {
    const size_t n = text.size() < kExpiryBufferSize - 1
                         ? text.size()
                         : static_cast<size_t>(kExpiryBufferSize - 1);
    std::memcpy(expiry_text, text.data(), n);
    expiry_text[n] = '\0';
  }
  return pin;
}

int32_t QuerySoldOut(Env& env, int32_t basket_size) {
  LibrarySettings settings;
  Code c = LoadSettings(env, Caller::kSoldOutQuery, basket_size, &settings);
  if (c != Code::kOk) return ToInt(c);

  // The query takes the lock too, so that it never reads a table that
  // another station is halfway through rebuilding.
  TableLock lock(env, settings.Pathtopintable);
  PinTables tables;
  FreeSlot slot;
  c = FindSlot(env, Caller::kSoldOutQuery, settings, &tables, &slot);
  if (c != Code::kOk) return ToInt(c);
  return settings.PINcrypt * basket_size + slot.value;
}

}  // namespace zolt
