#pragma once

/** Bounds of one I2C transfer, the same for every bus kind. */
namespace i2climits {

constexpr int kMaxAddress = 127;
constexpr int kMaxTransfer = 4096;

} // namespace i2climits
