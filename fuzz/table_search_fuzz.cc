// Fuzz target for the search of a free slot over arbitrary table files, as a
// damaged or foreign PINTable.dat / DLLPINTable.dat would present them. The
// input is:
//   bytes 0-1  the minute of the sale (little-endian, modulo 1440)
//   bytes 2-3  PINExpiry: 0 when the number modulo 1431 is 0, else 9 + it
//   bytes 4-7  the length of the PINTable.dat part (modulo what is left)
//   then the bytes of PINTable.dat, then those of DLLPINTable.dat.
// Both files lie in a data folder of their own. The search may rebuild a
// library table it cannot trust; whatever it answers must hold for the
// files as they are on disk afterwards: a slot of the window that
// PINTable.dat leaves free and DLLPINTable.dat holds with the value the
// build gives it today, every newer slot being taken, or sold out when there
// is none. It refuses (-1) only for tables dated later than the sale, and
// then changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "library/number_text.h"
#include "library/pin_tables.h"
#include "library/slot_pin.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"

namespace {

uint32_t Little(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

[[noreturn]] void Fail(const char* what, int slot) {
  std::fprintf(stderr, "table_search_fuzz: %s (slot %d)\n", what, slot);
  std::abort();
}

// Whether the files leave a slot free with the value the build gives it.
bool Usable(const zolt::ProfileFile& pin, const zolt::ProfileFile& dll,
            const int32_t* built, int slot) {
  const std::string key = std::to_string(slot);
  if (zolt::ParseHex(pin.GetString("PINTable", key, "0")) != 0) return false;
  const std::string text = dll.GetString("PINTable", key, "");
  return !text.empty() && zolt::ParseHex(text) == built[slot] &&
         built[slot] != zolt::kTakenMark && built[slot] != zolt::kVoidMark;
}

}  // namespace

// Whether a table's date key names a calendar date later than `today`.
bool DatedLater(std::string_view bytes, int32_t today) {
  const std::string date =
      zolt::ProfileFile::Parse(bytes).GetString("Other", "LastPINRunDate", "");
  if (date.size() != 8 || date.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  const int32_t d = std::stoi(date);
  const int month = d / 100 % 100, day = d % 100;
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 && d > today;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const int minute = static_cast<int>(Little(data, 2) % 1440);
  const uint32_t expiry_choice = Little(data + 2, 2) % 1431;
  const int expiry = expiry_choice == 0 ? 0 : static_cast<int>(9 + expiry_choice);
  const size_t rest = size - 8;
  const size_t pin_size = Little(data + 4, 4) % (rest + 1);
  const std::string_view pin_bytes(reinterpret_cast<const char*>(data + 8),
                                   pin_size);
  const std::string_view dll_bytes(
      reinterpret_cast<const char*>(data + 8 + pin_size), rest - pin_size);

  static zolt::TempDir dir;  // one folder for the whole run
  const std::string pin_path = dir.WriteFile("PINTable.dat", std::string(pin_bytes));
  const std::string dll_path = dir.WriteFile("DLLPINTable.dat", std::string(dll_bytes));
  zolt::TestEnv env;
  zolt::LibrarySettings settings;
  settings.Vendor = 190;
  settings.Location = 800;
  settings.Season = 7;
  settings.PINcrypt = 255;
  settings.PINExpiry = expiry;
  settings.Pathtopintable = dir.path();
  const zolt::LocalTime now = zolt::At(2014, 6, 15, minute / 60, minute % 60);
  env.SetTime(now);

  zolt::Refusal why;
  zolt::TableCall call(env, settings, zolt::Caller::kZoltResult, &why);
  call.tables.pin.Load(env, pin_path);
  call.tables.dll.Load(env, dll_path);
  zolt::FreeSlot found;
  const zolt::Code code = zolt::FindFreeSlot(call, &found);
  if (code == zolt::Code::kUndetermined) {
    // Only tables dated later than the sale may refuse: they are never
    // rebuilt backwards, and are left as they were.
    if (!DatedLater(pin_bytes, 20140615) && !DatedLater(dll_bytes, 20140615)) {
      Fail("refused without a table dated later", -1);
    }
    if (zolt::ProfileFile::Load(env, dll_path).Serialize() !=
        zolt::ProfileFile::Parse(dll_bytes).Serialize()) {
      Fail("a refusal changed the library table", -1);
    }
    return 0;
  }
  static int32_t built[zolt::kSlotCount];
  for (int slot = 0; slot < zolt::kSlotCount; ++slot) {
    const int32_t v = zolt::SlotPinForDate(slot, settings.Season, settings.PINcrypt,
                                           settings.Vendor, settings.Location, now);
    built[slot] = v > zolt::kLargestPinValue ? zolt::kVoidMark : v;
  }
  const zolt::ProfileFile pin_on_disk = zolt::ProfileFile::Load(env, pin_path);
  const zolt::ProfileFile dll_on_disk = zolt::ProfileFile::Load(env, dll_path);
  const int first = expiry == 0 ? 0 : (minute - expiry < 0 ? 0 : minute - expiry);
  int newest_free = -1;
  for (int slot = minute; slot >= first; --slot) {
    if (Usable(pin_on_disk, dll_on_disk, built, slot)) {
      newest_free = slot;
      break;
    }
  }
  const int32_t newest_value = newest_free >= 0 ? built[newest_free] : 0;
  if (code == zolt::Code::kSoldOut) {
    if (newest_free >= 0) Fail("sold out with a usable slot", newest_free);
    return 0;
  }
  if (code != zolt::Code::kOk) Fail("neither a slot nor sold out", -1);
  if (found.slot < first || found.slot > minute) {
    Fail("slot outside the window", found.slot);
  }
  if (found.value < 0 || found.value > zolt::kLargestPinValue) {
    Fail("value that forms no PIN", found.slot);
  }
  // The largest PINcrypt term still fits the five digits of a PIN.
  if (found.value + 3 * settings.PINcrypt > 65535) {
    Fail("PIN core beyond 65535", found.slot);
  }
  if (found.slot != newest_free || found.value != newest_value) {
    Fail("not the newest usable slot", found.slot);
  }
  return 0;
}
