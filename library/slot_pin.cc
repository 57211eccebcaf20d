#include "library/slot_pin.h"

namespace zolt {

int OddParity(int32_t value) {
  unsigned sum = 0;
  for (int bit = 0; bit < 8; ++bit) sum += (static_cast<uint32_t>(value) >> bit) & 1u;
  return static_cast<int>(sum & 1u);
}

uint16_t Crc16Arc(const int32_t* values, size_t count) {
  uint32_t reg = 0;
  for (size_t i = 0; i < count; ++i) {
    uint32_t d = (static_cast<uint32_t>(values[i]) ^ reg) & 0xFFu;
    reg >>= 8;
    if (OddParity(static_cast<int32_t>(d))) reg ^= 0xC001u;
    d = (d << 6) & 0xFFFFu;
    reg ^= d;
    d = (d << 1) & 0xFFFFu;
    reg ^= d;
  }
  return static_cast<uint16_t>(reg);
}

int32_t SlotPinForDate(int32_t slot, int32_t Season, int32_t PINcrypt,
                       int32_t Vendor, int32_t Location, const LocalTime& date) {
  // Integer division and remainder truncate toward zero, as the generator
  // always has; only the low byte of each value counts.
  const int32_t message[9] = {
      Vendor,
      Location % 256,
      Location / 256,
      Season,
      1,
      PINcrypt,
      slot % 256,
      slot / 256,
      (date.year - 2000) + date.month + date.day,
  };
  return Crc16Arc(message, 9);
}

int32_t SlotPin(Env& env, int32_t slot, int32_t Season, int32_t PINcrypt,
                int32_t Vendor, int32_t Location) {
  return SlotPinForDate(slot, Season, PINcrypt, Vendor, Location, env.Now());
}

}  // namespace zolt
