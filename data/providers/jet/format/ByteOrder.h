// Fixed-width numbers to and from raw bytes, in both byte orders: the one home of byte
// order for the Jet engine and its tests. Jet stores its numbers little-endian; index
// keys and a few index-page fields are big-endian (most significant byte first), so that
// comparing their bytes compares the numbers.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace tiermend::data::jet {

// Little-endian: any width from 1 to 8 bytes.
inline std::uint64_t loadLittle(const std::uint8_t* at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = value << 8 | at[i];
  return value;
}
inline void storeLittle(std::uint8_t* at, std::size_t width, std::uint64_t value) {
  for (std::size_t i = 0; i < width; ++i, value >>= 8) at[i] = static_cast<std::uint8_t>(value);
}

// Big-endian: any width from 1 to 8 bytes.
inline std::uint64_t loadBig(const std::uint8_t* at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = value << 8 | at[i];
  return value;
}
inline void storeBig(std::uint8_t* at, std::size_t width, std::uint64_t value) {
  for (std::size_t i = width; i-- > 0; value >>= 8) at[i] = static_cast<std::uint8_t>(value);
}

// Little-endian numbers of the usual widths.
inline std::uint16_t loadU16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(loadLittle(at, 2));
}
inline std::uint32_t loadU24(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(loadLittle(at, 3));
}
inline std::uint32_t loadU32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(loadLittle(at, 4));
}
inline std::uint64_t loadU64(const std::uint8_t* at) {
  return loadLittle(at, 8);
}
inline std::int16_t loadI16(const std::uint8_t* at) {
  return static_cast<std::int16_t>(loadU16(at));
}
inline std::int32_t loadI32(const std::uint8_t* at) {
  return static_cast<std::int32_t>(loadU32(at));
}
inline std::int64_t loadI64(const std::uint8_t* at) {
  return static_cast<std::int64_t>(loadU64(at));
}
inline float loadF32(const std::uint8_t* at) {
  return std::bit_cast<float>(loadU32(at));
}
inline double loadF64(const std::uint8_t* at) {
  return std::bit_cast<double>(loadU64(at));
}

inline void storeU16(std::uint8_t* at, std::uint16_t value) {
  storeLittle(at, 2, value);
}
inline void storeU24(std::uint8_t* at, std::uint32_t value) {
  storeLittle(at, 3, value);
}
inline void storeU32(std::uint8_t* at, std::uint32_t value) {
  storeLittle(at, 4, value);
}
inline void storeU64(std::uint8_t* at, std::uint64_t value) {
  storeLittle(at, 8, value);
}
inline void storeI16(std::uint8_t* at, std::int16_t value) {
  storeU16(at, static_cast<std::uint16_t>(value));
}
inline void storeI32(std::uint8_t* at, std::int32_t value) {
  storeU32(at, static_cast<std::uint32_t>(value));
}
inline void storeI64(std::uint8_t* at, std::int64_t value) {
  storeU64(at, static_cast<std::uint64_t>(value));
}
inline void storeF32(std::uint8_t* at, float value) {
  storeU32(at, std::bit_cast<std::uint32_t>(value));
}
inline void storeF64(std::uint8_t* at, double value) {
  storeU64(at, std::bit_cast<std::uint64_t>(value));
}

}  // namespace tiermend::data::jet
