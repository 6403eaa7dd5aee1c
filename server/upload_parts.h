#pragma once
// The parts of an upload form as the form parser hands them over, piece by
// piece: files go straight to a staging folder, each checked against its
// name rule and size limit as its bytes arrive; the few text fields are
// kept, bounded. The first problem refuses the upload; what follows it is
// only counted.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/entry_commit.h"
#include "server/upload_names.h"
#include "server/version_store.h"

namespace hl::server {

struct Refusal {
  unsigned status = 400;
  std::string message;  // a sentence the sender can act on
};

class UploadParts {
 public:
  // Files are refused until a staging folder is set; it is opened only once
  // the sender is known, so nothing of a stranger's is ever stored.
  UploadParts() = default;
  // `staging` is an empty folder.
  void SetStaging(std::string staging) { staging_ = std::move(staging); }
  bool HasStaging() const { return !staging_.empty(); }

  // One piece of a part: `filename` is null for a text field; `offset` is
  // where the piece lies in its part. False once the upload is refused.
  bool Take(std::string_view key, const char* filename, const char* data, uint64_t offset,
            size_t size);

  const std::optional<Refusal>& Refused() const { return refusal_; }
  void Refuse(unsigned status, std::string message);
  // A text field's value ("" when it was not sent).
  std::string Value(std::string_view key) const;

  // The files, flushed to disk; refuses an upload without a track file.
  std::optional<std::vector<StoredFile>> Finish();

 private:
  bool TakeFile(FileField field, std::string_view filename, const char* data, uint64_t offset,
                size_t size);
  bool TakeValue(std::string_view key, const char* data, size_t size);

  std::string staging_;
  std::optional<Refusal> refusal_;
  std::map<FileField, std::unique_ptr<StagedFile>> files_;
  std::map<FileField, std::string> names_;
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace hl::server
