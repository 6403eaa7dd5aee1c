#include "toolkit/files/sha256.h"

#include <unistd.h>

#include <nettle/sha2.h>

#include <vector>

#include "toolkit/files/posix_io.h"

namespace hl::files {

Sha256Digest Sha256(std::span<const uint8_t> bytes) {
  sha256_ctx context;
  sha256_init(&context);
  sha256_update(&context, bytes.size(), bytes.data());
  Sha256Digest digest{};
  sha256_digest(&context, digest.size(), digest.data());
  return digest;
}

std::optional<Sha256Digest> Sha256OfFile(const std::string& path) {
  constexpr size_t kBlockSize = 1 << 16;
  const int fd = OpenRegularFileForReading(path);
  if (fd < 0) return std::nullopt;
  sha256_ctx context;
  sha256_init(&context);
  std::vector<uint8_t> block(kBlockSize);
  int64_t got = 0;
  while ((got = ReadSome(fd, block)) > 0) {
    sha256_update(&context, static_cast<size_t>(got), block.data());
  }
  ::close(fd);
  if (got < 0) return std::nullopt;
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
