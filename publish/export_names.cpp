#include "publish/export_names.h"

namespace hl::publish {
namespace {

constexpr size_t kMaxNameBytes = 40;

bool Kept(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

}  // namespace

std::string EntryPictureFolder(size_t index, size_t count, std::string_view folder) {
  std::string number = std::to_string(index + 1);
  const size_t width = std::to_string(count).size();
  if (number.size() < width) number.insert(0, width - number.size(), '0');
  std::string name;
  for (const char c : folder.substr(0, kMaxNameBytes)) name += Kept(c) ? c : '_';
  return "entries/" + number + "-" + name;
}

}  // namespace hl::publish
