#include "server/upload_names.h"

#include <algorithm>
#include <cctype>

#include "server/request_checks.h"
#include "toolkit/files/data_buffer.h"

namespace hl::server {
namespace {

constexpr size_t kMaxEntryName = 40;
constexpr size_t kMaxFileName = 64;

bool IsAsciiAlnum(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsNameCharacter(char c) { return IsAsciiAlnum(c) || c == '.' || c == '_' || c == '-'; }

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  const std::string_view tail = name.substr(name.size() - ending.size());
  return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

}  // namespace

std::string_view FieldName(FileField field) {
  switch (field) {
    case FileField::kTrack:
      return "track";
    case FileField::kGame:
      return "game";
    case FileField::kScreen:
      return "screen";
  }
  return "";
}

std::optional<FileField> FieldOfName(std::string_view name) {
  for (FileField field : kFileFields) {
    if (FieldName(field) == name) return field;
  }
  return std::nullopt;
}

uint64_t FieldLimit(FileField field) {
  switch (field) {
    case FileField::kTrack:
      return files::DataBuffer::kFileRegionSize;  // what the evaluation reads of a track file
    case FileField::kGame:
      return 100'000;
    case FileField::kScreen:
      return 8 * 1024 * 1024;
  }
  return 0;
}

bool IsNewEntryName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxEntryName &&
         std::all_of(name.begin(), name.end(),
                     [](char c) { return IsAsciiAlnum(c) || c == '_' || c == '-'; });
}

std::optional<std::string> StoredNameProblem(FileField field, std::string_view name) {
  const std::string rule = "the " + std::string(FieldName(field)) +
                           " file's name must be 1 to 64 of A-Z a-z 0-9 . _ -, must not start "
                           "with a dot and must end in ";
  std::string endings;
  bool ending_ok = false;
  switch (field) {
    case FileField::kTrack:
      endings = "\"trk\"";
      ending_ok = EndsWithIgnoringCase(name, "trk");
      break;
    case FileField::kGame:
      endings = "\"gam\"";
      ending_ok = EndsWithIgnoringCase(name, "gam");
      break;
    case FileField::kScreen:
      endings = "\"jpg\" or \"bmp\"";
      ending_ok = EndsWithIgnoringCase(name, "jpg") || EndsWithIgnoringCase(name, "bmp");
      break;
  }
  const bool characters_ok = !name.empty() && name.size() <= kMaxFileName && name.front() != '.' &&
                             std::all_of(name.begin(), name.end(), IsNameCharacter);
  if (characters_ok && ending_ok) return std::nullopt;
  return rule + endings;
}

Result<std::string> StoredName(FileField field, std::string_view received) {
  if (!StoredNameProblem(field, received)) return std::string(received);
  std::string_view base = received;
  if (const size_t slash = base.find_last_of("/\\"); slash != std::string_view::npos)
    base.remove_prefix(slash + 1);
  std::string name;
  for (char c : base) {
    if (IsNameCharacter(c)) {
      if (c != '.' || !name.empty()) name += c;
    } else if (name.empty() || name.back() != '_') {
      name += '_';
    }
  }
  if (name.size() > kMaxFileName) {
    const size_t dot = name.rfind('.');
    const size_t ending = dot == std::string::npos ? 0 : name.size() - dot;
    if (ending < kMaxFileName) name.erase(kMaxFileName - ending, name.size() - kMaxFileName);
  }
  // Every ending is three letters; a name must have something before it.
  const std::string_view stem =
      std::string_view(name).substr(0, std::max<size_t>(name.size(), 3) - 3);
  const bool has_stem = std::any_of(stem.begin(), stem.end(), IsAsciiAlnum);
  if (has_stem && !StoredNameProblem(field, name)) return name;
  const std::string rule = *StoredNameProblem(field, "");
  std::string quoted(received.substr(0, 2 * kMaxFileName));
  if (quoted.size() < received.size()) quoted += "...";
  return Fail({"the name \"" + LogSafe(quoted) + "\" cannot be stored: " + rule});
}

std::string EntryNameFromDriver(std::string_view driver) {
  std::string name;
  bool gap = false;
  for (char c : driver) {
    if (IsAsciiAlnum(c)) {
      if (gap && !name.empty()) name += '-';
      name += c;
      gap = false;
    } else {
      gap = true;
    }
    if (name.size() >= kMaxEntryName) break;
  }
  name.resize(std::min(name.size(), kMaxEntryName));
  return name.empty() ? "entry" : name;
}

}  // namespace hl::server
