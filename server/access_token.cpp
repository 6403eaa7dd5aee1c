#include "server/access_token.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <span>

#include "toolkit/files/sha256.h"

namespace hl::server {
namespace {

constexpr size_t kTokenBytes = 16;

std::string Hex(std::span<const uint8_t> bytes) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

}  // namespace

std::optional<std::string> NewToken() {
  std::array<uint8_t, kTokenBytes> bytes{};
  size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    filled += static_cast<size_t>(got);
  }
  return Hex(bytes);
}

std::string TokenHash(std::string_view token) {
  const auto digest = files::Sha256(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(token.data()), token.size()));
  return Hex(digest);
}

bool SameHash(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

}  // namespace hl::server
