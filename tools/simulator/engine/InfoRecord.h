// The device-information record the bootloader sends in answer to the query command: a length
// byte and tagged values, each 16- or 32-bit value aligned within the record as the family's
// bootloader lays it out.
#pragma once

#include <cstdint>
#include <vector>

#include "DeviceProfile.h"

namespace sim {

constexpr uint8_t kTagFamily = 1;
constexpr uint8_t kTagEraseBlockSize = 3;
constexpr uint8_t kTagWriteBlockSize = 4;
constexpr uint8_t kTagBootRevision = 5;
constexpr uint8_t kTagBootStart = 6;
constexpr uint8_t kTagName = 7;
constexpr uint8_t kTagFlashSize = 8;
constexpr uint8_t kTagAppStart = 9;

constexpr size_t kReportPayload = 64;

// The record as the device sends it (at most one report's payload; a long name is shortened).
std::vector<uint8_t> EncodeInfoRecord(const DeviceProfile& profile);

} // namespace sim
