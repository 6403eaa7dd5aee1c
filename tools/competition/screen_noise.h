#pragma once
// Pseudo-random numbers for the sample's textures, computed from integer
// coordinates: every pixel's grain is the same on every run and machine,
// whatever order the pixels are painted in.

#include <cmath>
#include <cstdint>

namespace hl::competition {

constexpr uint32_t NoiseHash(int32_t x, int32_t y, uint32_t salt) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
               salt * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

// In [0, 1).
inline float NoiseUnit(int32_t x, int32_t y, uint32_t salt) {
  return static_cast<float>(NoiseHash(x, y, salt) >> 8) * (1.0f / 16777216.0f);
}

// In [-1, 1).
inline float NoiseSigned(int32_t x, int32_t y, uint32_t salt) {
  return NoiseUnit(x, y, salt) * 2.0f - 1.0f;
}

// Smooth noise in [-1, 1] whose features lie about `cell` apart.
inline float ValueNoise(float x, float y, float cell, uint32_t salt) {
  const float fx = x / cell, fy = y / cell;
  const float floor_x = std::floor(fx), floor_y = std::floor(fy);
  const auto cx = static_cast<int32_t>(floor_x), cy = static_cast<int32_t>(floor_y);
  auto smooth = [](float t) { return t * t * (3.0f - 2.0f * t); };
  const float u = smooth(fx - floor_x), v = smooth(fy - floor_y);
  const float upper = std::lerp(NoiseSigned(cx, cy, salt), NoiseSigned(cx + 1, cy, salt), u);
  const float lower =
      std::lerp(NoiseSigned(cx, cy + 1, salt), NoiseSigned(cx + 1, cy + 1, salt), u);
  return std::lerp(upper, lower, v);
}

}  // namespace hl::competition
