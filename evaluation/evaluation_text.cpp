#include <unistd.h>

#include <array>
#include <filesystem>
#include <system_error>

#include "evaluation/evaluation_file.h"
#include "toolkit/files/posix_io.h"

namespace hl::evaluation {
namespace {

// Far more than any competition's penalties and fingerprints need; a file
// this large was named by mistake.
constexpr size_t kMaxFileSize = 4 << 20;

}  // namespace

Result<std::optional<std::string>> ReadEvaluationText(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
    return std::optional<std::string>();
  }
  const int fd = files::OpenRegularFileForReading(path);
  if (fd < 0) return Fail({"cannot be read: not a readable file", path, std::nullopt});
  std::string text;
  std::array<uint8_t, 1 << 14> block;
  int64_t got = 0;
  while (text.size() <= kMaxFileSize && (got = files::ReadSome(fd, block)) > 0) {
    text.append(reinterpret_cast<const char*>(block.data()), static_cast<size_t>(got));
  }
  ::close(fd);
  if (got < 0) return Fail({"cannot be read", path, std::nullopt});
  if (text.size() > kMaxFileSize)
    return Fail({"too large for an evaluation file", path, std::nullopt});
  return std::optional<std::string>(std::move(text));
}

}  // namespace hl::evaluation
