#include "evaluation/fingerprint_writer.h"

#include <algorithm>
#include <span>
#include <sstream>
#include <vector>

#include "evaluation/fingerprint_names.h"
#include "evaluation/toml_document.h"
#include "toolkit/files/link_target.h"

namespace hl::evaluation {
namespace {

constexpr std::string_view kTableName = "fingerprints";

toml::table AsTable(const Fingerprints& fingerprints) {
  toml::table table;
  for (const auto& [file, fingerprint] : fingerprints)
    table.insert(FingerprintKey(file), fingerprint);
  return table;
}

// One key/value line as toml++ writes it (it quotes the key), without its end.
// toml++ would put control characters raw into a quoted key, which no reader
// accepts, so such a key is written with TOML's escapes instead.
std::string EntryLine(const std::string& key, const std::string& fingerprint) {
  if (HoldsControlCharacter(key)) return BasicStringKey(key) + " = '" + fingerprint + "'";
  toml::table single;
  single.insert(key, fingerprint);
  std::ostringstream formatted;
  formatted << toml::toml_formatter(single);
  std::string line = formatted.str();
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

// The table's key/value lines, in key order, each ending with `line_end`.
std::string EntryLines(const Fingerprints& fingerprints, const std::string& line_end) {
  std::string lines;
  for (auto&& [key, fingerprint] : AsTable(fingerprints)) {
    lines += EntryLine(std::string(key.str()), *fingerprint.value<std::string>()) + line_end;
  }
  return lines;
}

// Where the old table is: the lines that hold its entries (which go), and
// the index of its header line when it has one (the new entries go below).
struct OldTable {
  std::vector<bool> drop;
  std::optional<size_t> header;
};

void DropLines(OldTable& old, const toml::source_region& from, const toml::source_region& to) {
  for (auto line = from.begin.line; line <= to.end.line && line <= old.drop.size(); ++line) {
    old.drop[line - 1] = true;
  }
}

Result<OldTable> FindOldTable(const toml::table& root, const std::vector<std::string_view>& lines,
                              const std::string& path) {
  OldTable old;
  old.drop.assign(lines.size(), false);
  const auto found = root.find(kTableName);
  if (found == root.end()) return old;
  const toml::table* table = found->second.as_table();
  if (table == nullptr)
    return Fail(AtLine(path, found->first.source().begin.line, "fingerprints must be a table"));
  if (table->is_inline()) {
    DropLines(old, found->first.source(), table->source());
    return old;
  }
  for (auto&& [key, value] : *table) {
    if (!value.is_string())
      return Fail(AtLine(path, value.source().begin.line, "fingerprints must hold only texts"));
    DropLines(old, key.source(), value.source());
  }
  // Dotted keys ("fingerprints.x = ...") make a table without a header.
  const size_t first = table->source().begin.line - 1;
  if (first < lines.size()) {
    const std::string_view line = lines[first];
    const size_t start = line.find_first_not_of(" \t");
    if (start != std::string_view::npos && line[start] == '[') old.header = first;
  }
  return old;
}

std::string Splice(const std::vector<std::string_view>& lines, const OldTable& old,
                   const std::string& entries, const std::string& line_end) {
  std::string text;
  const auto keep = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      if (!old.drop[i]) text += lines[i];
    }
  };
  const auto end_line = [&] {
    if (!text.empty() && text.back() != '\n') text += line_end;
  };
  if (old.header) {
    keep(0, *old.header + 1);
    end_line();
    text += entries;
    keep(*old.header + 1, lines.size());
    return text;
  }
  keep(0, lines.size());
  end_line();
  if (!text.empty()) text += line_end;
  return text + "[" + std::string(kTableName) + "]" + line_end + entries;
}

// The spliced text must read back as the old document with exactly the new
// fingerprints; anything else would silently change the organiser's file.
bool ReadsBackAs(const std::string& text, const std::string& path, toml::table rest,
                 const Fingerprints& fingerprints) {
  auto written = ParseToml(text, path);
  if (!written) return false;
  const toml::table* table = (*written)[kTableName].as_table();
  if (table == nullptr || *table != AsTable(fingerprints)) return false;
  written->erase(kTableName);
  rest.erase(kTableName);
  return *written == rest;
}

}  // namespace

Result<std::string> WithFingerprints(std::string_view text, const std::string& path,
                                     const Fingerprints& fingerprints) {
  auto root = ParseToml(text, path);
  if (!root) return Fail(root.error());
  const std::vector<std::string_view> lines = SplitLines(text);
  const auto old = FindOldTable(*root, lines, path);
  if (!old) return Fail(old.error());
  const std::string line_end = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  std::string updated = Splice(lines, *old, EntryLines(fingerprints, line_end), line_end);
  if (!ReadsBackAs(updated, path, std::move(*root), fingerprints))
    return Fail({"the fingerprints cannot be written without changing the rest of the file", path,
                 std::nullopt});
  return updated;
}

Result<void> RecordFingerprints(const std::string& path, const Fingerprints& fingerprints) {
  const auto text = ReadEvaluationText(path);
  if (!text) return Fail(text.error());
  const auto updated = WithFingerprints(text->value_or(""), path, fingerprints);
  if (!updated) return Fail(updated.error());
  const auto* bytes = reinterpret_cast<const uint8_t*>(updated->data());
  // The organiser may keep the file behind a link: the link stays, its target gets the update.
  return files::ReplaceLinkTargetAtomically(path, std::span<const uint8_t>(bytes, updated->size()));
}

}  // namespace hl::evaluation
