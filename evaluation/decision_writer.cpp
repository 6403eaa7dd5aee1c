#include "evaluation/decision_writer.h"

#include <algorithm>
#include <span>
#include <sstream>
#include <vector>

#include "evaluation/evaluation_file.h"
#include "evaluation/toml_document.h"
#include "toolkit/files/file_slots.h"

namespace hl::evaluation {
namespace {

constexpr std::string_view kPenalties = "penalty";
constexpr std::string_view kEarlier = "earlier";

// A text as a TOML value, quoted and escaped as toml++ writes it.
std::string Quoted(const std::string& text) {
  std::ostringstream formatted;
  formatted << toml::toml_formatter(toml::table{{"v", text}});
  std::string line = formatted.str();
  line.erase(0, line.find('=') + 2);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

toml::date_time AsDateTime(const std::string& rfc3339) {
  return *toml::parse("d = " + rfc3339)["d"].value<toml::date_time>();
}

// The edits of the file, line by line: lines dropped, a line replaced, text
// added after a line.
class LineEdits {
 public:
  LineEdits(std::string_view text, std::string line_end)
      : lines_(SplitLines(text)), line_end_(std::move(line_end)) {
    replaced_.resize(lines_.size());
    added_after_.resize(lines_.size() + 1);
  }

  size_t Count() const { return lines_.size(); }
  const std::string& LineEnd() const { return line_end_; }

  // Lines `first` to `last` (1-based) become `line`.
  void Replace(int64_t first, int64_t last, const std::string& line) {
    for (int64_t i = first; i <= last && i <= static_cast<int64_t>(lines_.size()); ++i) {
      replaced_[static_cast<size_t>(i - 1)] = i == first ? line + line_end_ : "";
    }
  }

  // Lines `first` to `last` (1-based) go.
  void Remove(int64_t first, int64_t last) {
    for (int64_t i = first; i <= last && i <= static_cast<int64_t>(lines_.size()); ++i)
      replaced_[static_cast<size_t>(i - 1)] = "";
  }

  // The comment that follows column `column` (1-based) of line `line`, with
  // the spaces before it; "" when none does.
  std::string CommentAfter(int64_t line, int64_t column) const {
    if (line < 1 || line > static_cast<int64_t>(lines_.size()) || column < 1) return "";
    std::string_view rest = lines_[static_cast<size_t>(line - 1)];
    rest.remove_suffix(rest.size() - rest.find_last_not_of("\r\n") - 1);
    if (static_cast<size_t>(column) > rest.size()) return "";
    rest.remove_prefix(static_cast<size_t>(column - 1));
    const size_t hash = rest.find_first_not_of(" \t");
    return hash != std::string_view::npos && rest[hash] == '#' ? std::string(rest) : "";
  }

  // After line `line` (1-based; 0 before the first).
  void AddAfter(int64_t line, const std::string& text) {
    added_after_[static_cast<size_t>(std::clamp<int64_t>(line, 0, Count()))] += text;
  }

  std::string Text() const {
    std::string text = added_after_[0];
    for (size_t i = 0; i < lines_.size(); ++i) {
      text += replaced_[i] ? *replaced_[i] : std::string(lines_[i]);
      if (!added_after_[i + 1].empty()) {
        if (!text.empty() && text.back() != '\n') text += line_end_;
        text += added_after_[i + 1];
      }
    }
    return text;
  }

 private:
  std::vector<std::string_view> lines_;
  std::string line_end_;
  std::vector<std::optional<std::string>> replaced_;
  std::vector<std::string> added_after_;
};

std::string KeyLine(std::string_view key, const std::string& value) {
  return std::string(key) + " = " + value;
}

std::string Lines(const std::vector<std::string>& lines, const std::string& line_end) {
  std::string text;
  for (const std::string& line : lines) text += line + line_end;
  return text;
}

// The last line of the table's own keys, and the last line of anything in
// it (its [[penalty.earlier]] tables included).
struct TableLines {
  int64_t own_keys_end = 0;
  int64_t end = 0;
};

void Extend(const toml::node& node, int64_t& end) {
  end = std::max<int64_t>(end, node.source().end.line);
  if (const toml::table* table = node.as_table()) {
    for (auto&& [key, value] : *table) Extend(value, end);
  } else if (const toml::array* array = node.as_array()) {
    for (const toml::node& element : *array) Extend(element, end);
  }
}

TableLines LinesOf(const toml::table& table) {
  TableLines lines;
  for (auto&& [key, value] : table) {
    if (key.str() != kEarlier)
      lines.own_keys_end = std::max<int64_t>(lines.own_keys_end, value.source().end.line);
    Extend(value, lines.end);
  }
  return lines;
}

toml::table* PenaltyOf(toml::table& root, const std::string& entry) {
  toml::array* penalties = root[kPenalties].as_array();
  if (penalties == nullptr) return nullptr;
  for (toml::node& element : *penalties) {
    toml::table* table = element.as_table();
    if (table != nullptr && (*table)["entry"].value<std::string>() == entry) return table;
  }
  return nullptr;
}

Decision DecisionIn(const toml::table& penalty) {
  Decision decision;
  if (auto time = penalty["time"].value<int64_t>()) decision.time = std::to_string(*time);
  decision.reason = penalty["reason"].value_or(std::string());
  if (const auto when = penalty["decided"].value<toml::date_time>()) {
    std::ostringstream text;
    text << *when;
    decision.decided = text.str();
  }
  decision.by = penalty["by"].value<std::string>();
  decision.withdrawn = penalty["withdrawn"].value_or(false);
  return decision;
}

// The decision's keys as a table, each only when present.
toml::table DecisionTable(const Decision& decision) {
  toml::table table;
  if (!decision.time.empty()) table.insert("time", std::stoll(decision.time));
  if (decision.withdrawn) table.insert("withdrawn", true);
  if (!decision.reason.empty()) table.insert("reason", decision.reason);
  if (decision.decided) table.insert("decided", AsDateTime(*decision.decided));
  if (decision.by) table.insert("by", *decision.by);
  return table;
}

std::vector<std::string> DecisionLines(const Decision& decision) {
  std::vector<std::string> lines;
  if (!decision.time.empty()) lines.push_back(KeyLine("time", decision.time));
  if (decision.withdrawn) lines.push_back(KeyLine("withdrawn", "true"));
  if (!decision.reason.empty()) lines.push_back(KeyLine("reason", Quoted(decision.reason)));
  if (decision.decided) lines.push_back(KeyLine("decided", *decision.decided));
  if (decision.by) lines.push_back(KeyLine("by", Quoted(*decision.by)));
  return lines;
}

// Sets one key of the entry's table: on its own lines when it has them,
// after the table's own keys otherwise.
void SetKey(LineEdits& edits, const toml::table& penalty, std::string_view key,
            const std::string& line, int64_t own_keys_end) {
  for (auto&& [name, value] : penalty) {
    if (name.str() == key) {
      const toml::source_position end = value.source().end;
      edits.Replace(name.source().begin.line, end.line,
                    line + edits.CommentAfter(end.line, end.column));
      return;
    }
  }
  edits.AddAfter(own_keys_end, line + edits.LineEnd());
}

void RemoveKey(LineEdits& edits, const toml::table& penalty, std::string_view key) {
  for (auto&& [name, value] : penalty) {
    if (name.str() == key) edits.Remove(name.source().begin.line, value.source().end.line);
  }
}

// The line of a key the decision has is set, that of one it lacks goes.
void SetOrRemoveKey(LineEdits& edits, const toml::table& penalty, std::string_view key,
                    const std::optional<std::string>& value, int64_t own_keys_end) {
  if (value) {
    SetKey(edits, penalty, key, KeyLine(key, *value), own_keys_end);
  } else {
    RemoveKey(edits, penalty, key);
  }
}

// The entry's table then holds the new decision alone; the reason is
// written even when empty, so none is left from the decision before.
void ChangePenalty(LineEdits& edits, toml::table& expected, const toml::table& penalty,
                   const Decision& old, const Decision& decision) {
  const TableLines lines = LinesOf(penalty);
  const int64_t own_end = lines.own_keys_end;
  const auto time = decision.withdrawn ? std::nullopt : std::optional(decision.time);
  const auto withdrawn = decision.withdrawn ? std::optional<std::string>("true") : std::nullopt;
  const auto by = decision.by ? std::optional(Quoted(*decision.by)) : std::nullopt;
  SetOrRemoveKey(edits, penalty, "time", time, own_end);
  SetOrRemoveKey(edits, penalty, "withdrawn", withdrawn, own_end);
  SetKey(edits, penalty, "reason", KeyLine("reason", Quoted(decision.reason)), own_end);
  SetKey(edits, penalty, "decided", KeyLine("decided", *decision.decided), own_end);
  SetOrRemoveKey(edits, penalty, "by", by, own_end);
  const std::string& end = edits.LineEnd();
  edits.AddAfter(lines.end, end + "[[penalty.earlier]]" + end + Lines(DecisionLines(old), end));

  for (std::string_view key : {"time", "withdrawn", "by"}) expected.erase(key);
  for (auto&& [key, value] : DecisionTable(decision)) expected.insert_or_assign(key.str(), value);
  expected.insert_or_assign("reason", decision.reason);
  if (!expected.contains(kEarlier)) expected.insert(kEarlier, toml::array{});
  expected[kEarlier].as_array()->push_back(DecisionTable(old));
}

void AddPenalty(LineEdits& edits, toml::table& expected, const toml::table& root,
                const std::string& entry, const Decision& decision) {
  int64_t after = static_cast<int64_t>(edits.Count());
  const toml::array* penalties = root[kPenalties].as_array();
  if (penalties != nullptr && !penalties->empty() && penalties->back().is_table())
    after = LinesOf(*penalties->back().as_table()).end;
  const std::string& end = edits.LineEnd();
  std::vector<std::string> lines = {"[[penalty]]", KeyLine("entry", Quoted(entry)),
                                    KeyLine("time", decision.time),
                                    KeyLine("reason", Quoted(decision.reason))};
  if (decision.decided) lines.push_back(KeyLine("decided", *decision.decided));
  if (decision.by) lines.push_back(KeyLine("by", Quoted(*decision.by)));
  edits.AddAfter(after, (after > 0 ? end : "") + Lines(lines, end));

  toml::table added = DecisionTable(decision);
  added.insert("entry", entry);
  added.insert_or_assign("reason", decision.reason);
  if (!expected.contains(kPenalties)) expected.insert(kPenalties, toml::array{});
  expected[kPenalties].as_array()->push_back(std::move(added));
}

}  // namespace

Result<std::string> WithDecision(std::string_view text, const std::string& path,
                                 const std::string& entry, const Decision& decision) {
  auto root = ParseToml(text, path);
  if (!root) return Fail(root.error());
  toml::table expected = *root;
  LineEdits edits(text, text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n");
  if (toml::table* penalty = PenaltyOf(*root, entry)) {
    const Decision old = DecisionIn(*penalty);
    // Changed by hand since the file was read: nothing to keep it as.
    if (old.time.empty() && !old.withdrawn)
      return Fail(
          {"the penalty of '" + entry + "' has no time of whole hundredths", path, std::nullopt});
    if (old.SamePenalty(decision)) return std::string(text);
    ChangePenalty(edits, *PenaltyOf(expected, entry), *penalty, old, decision);
  } else if (decision.withdrawn) {
    return Fail({"'" + entry + "' has no penalty to withdraw", path, std::nullopt});
  } else {
    AddPenalty(edits, expected, *root, entry, decision);
  }
  std::string updated = edits.Text();
  const auto written = ParseToml(updated, path);
  if (!written || *written != expected)
    return Fail(
        {"the penalty of '" + entry + "' cannot be written without changing the rest of the file",
         path, std::nullopt});
  return updated;
}

Result<bool> RecordDecision(const std::string& path, const std::string& entry,
                            const Decision& decision) {
  const auto text = ReadEvaluationText(path);
  if (!text) return Fail(text.error());
  const std::string before = text->value_or("");
  const auto updated = WithDecision(before, path, entry, decision);
  if (!updated) return Fail(updated.error());
  if (*updated == before && *text) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(updated->data());
  if (!files::ReplaceFileAtomically(path, std::span<const uint8_t>(bytes, updated->size())))
    return Fail({"cannot be written", path, std::nullopt});
  return true;
}

}  // namespace hl::evaluation
