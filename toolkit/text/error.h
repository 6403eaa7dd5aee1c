#pragma once
// The one result type for operations that can fail with a reason a person can
// act on. Where nobody needs the reason, a plain bool stays.
//
//   hl::Result<Picture> LoadPicture(const std::string& path);
//   if (!picture) log(picture.error().Describe());

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <tl/expected.hpp>

namespace hl {

struct Error {
  std::string what;                 // what went wrong, in words for the user
  std::string file{};               // the file concerned, empty if none
  std::optional<int64_t> offset{};  // byte offset in that file, when known

  // "what", "file: what", "file, offset N: what" or "offset N: what".
  std::string Describe() const;
};

// [[nodiscard]]: a failure nobody looks at is a failure reported as success.
template <class T>
class [[nodiscard]] Result : public tl::expected<T, Error> {
 public:
  using tl::expected<T, Error>::expected;
};

// Shorthand for the failing side: `return hl::Fail({"truncated", path, 12});`
inline tl::unexpected<Error> Fail(Error error) { return tl::unexpected<Error>(std::move(error)); }

}  // namespace hl
