#include "server/upload_parts.h"

namespace hl::server {
namespace {

constexpr size_t kMaxValue = 200;  // a token or a driver's name, with room to spare
constexpr std::string_view kTextFields[] = {"token", "name"};

std::string MegabyteText(uint64_t bytes) {
  if (bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

void UploadParts::Refuse(unsigned status, std::string message) {
  if (!refusal_) refusal_ = Refusal{status, std::move(message)};
}

bool UploadParts::Take(std::string_view key, const char* filename, const char* data,
                       uint64_t offset, size_t size) {
  if (refusal_) return false;
  const auto field = FieldOfName(key);
  if (field) {
    if (filename == nullptr) {
      Refuse(400, "the field " + std::string(key) + " must be sent as a file");
      return false;
    }
    return TakeFile(*field, filename, data, offset, size);
  }
  for (std::string_view known : kTextFields) {
    if (key == known) return TakeValue(key, data, size);
  }
  return true;  // other fields are not ours; they are counted, never kept
}

bool UploadParts::TakeFile(FileField field, std::string_view filename, const char* data,
                           uint64_t offset, size_t size) {
  // A browser sends a file field left empty as a part without a name.
  if (filename.empty() && size == 0) return true;
  auto& file = files_[field];
  if (!file) {
    if (offset != 0 || names_.contains(field) || staging_.empty()) {
      Refuse(400, "the field " + std::string(FieldName(field)) + " was sent more than once");
      return false;
    }
    auto name = StoredName(field, filename);
    if (!name) {
      Refuse(400, name.error().what);
      return false;
    }
    names_[field] = *name;
    file = std::make_unique<StagedFile>();
    if (!file->Open(staging_ + "/" + *name)) {
      Refuse(500, "the server could not store the upload; please try again later");
      return false;
    }
  } else if (offset == 0) {
    Refuse(400, "the field " + std::string(FieldName(field)) + " was sent more than once");
    return false;
  }
  if (file->Size() + size > FieldLimit(field)) {
    Refuse(413, "the " + std::string(FieldName(field)) + " file is larger than " +
                    MegabyteText(FieldLimit(field)) + " allowed");
    return false;
  }
  if (!file->Append(data, size)) {
    Refuse(500, "the server could not store the upload; please try again later");
    return false;
  }
  return true;
}

bool UploadParts::TakeValue(std::string_view key, const char* data, size_t size) {
  std::string& value = values_[std::string(key)];
  if (value.size() + size > kMaxValue) {
    Refuse(400, "the field " + std::string(key) + " is too long");
    return false;
  }
  value.append(data, size);
  return true;
}

std::string UploadParts::Value(std::string_view key) const {
  const auto found = values_.find(key);
  return found == values_.end() ? "" : found->second;
}

std::optional<std::vector<StoredFile>> UploadParts::Finish() {
  if (refusal_) return std::nullopt;
  if (!files_.contains(FileField::kTrack)) {
    Refuse(400, "the track file is missing: send it in the field track");
    return std::nullopt;
  }
  std::vector<StoredFile> stored;
  for (auto& [field, file] : files_) {
    if (!file->Finish()) {
      Refuse(500, "the server could not store the upload; please try again later");
      return std::nullopt;
    }
    stored.push_back({field, names_[field], file->Size(), file->Sha256Hex()});
  }
  return stored;
}

}  // namespace hl::server
