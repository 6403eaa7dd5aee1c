#include "toolkit/files/sha256.h"

#include <nettle/sha2.h>

namespace hl::files {

Sha256Digest Sha256(std::span<const uint8_t> bytes) {
  sha256_ctx context;
  sha256_init(&context);
  sha256_update(&context, bytes.size(), bytes.data());
  Sha256Digest digest{};
  sha256_digest(&context, digest.size(), digest.data());
  return digest;
}

std::string Sha256Text(const Sha256Digest& digest) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string text = "sha256:";
  for (const uint8_t byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 0xF];
  }
  return text;
}

}  // namespace hl::files
