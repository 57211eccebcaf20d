// The PIN generator: the 16-bit value of one minute slot of a day for a site.
// Every step, the order of the message bytes included, is shared with the
// Ostrel product, which computes the same values to check a PIN.
#ifndef ZOLT_LIBRARY_SLOT_PIN_H_
#define ZOLT_LIBRARY_SLOT_PIN_H_

#include <cstddef>
#include <cstdint>

#include "platform/env/env.h"

namespace zolt {

// CRC-16/ARC (polynomial 0x8005 reflected, initial 0, no final XOR) of the
// low bytes of `values`, computed byte by byte in the parity form.
uint16_t Crc16Arc(const int32_t* values, size_t count);

// 1 when the low 8 bits of `value` hold an odd number of ones, else 0.
int OddParity(int32_t value);

// The slot's value for a given date: the checksum of Vendor, Location mod
// 256, Location / 256, Season, 1, PINcrypt, slot mod 256, slot / 256 and
// (year - 2000) + month + day.
int32_t SlotPinForDate(int32_t slot, int32_t Season, int32_t PINcrypt,
                       int32_t Vendor, int32_t Location, const LocalTime& date);

// The same for today: reads the clock itself at every computation, so a table
// build that runs across midnight takes the new date for the later slots.
int32_t SlotPin(Env& env, int32_t slot, int32_t Season, int32_t PINcrypt,
                int32_t Vendor, int32_t Location);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_SLOT_PIN_H_
