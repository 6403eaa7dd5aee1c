#include "season/season_file.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <utility>

#include "evaluation/evaluation_file.h"
#include "evaluation/toml_document.h"
#include "toolkit/files/file_identity.h"

namespace hl::season {
namespace {

namespace fs = std::filesystem;

// Absolute and normal, resolved against the season file's folder.
fs::path Beside(const fs::path& season_dir, const std::string& given) {
  return (season_dir / fs::path(given)).lexically_normal();
}

std::string AsFolderText(fs::path folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

// Checks the document against the shape a season file may have; the first
// problem ends the check.
class SeasonChecker {
 public:
  SeasonChecker(std::string path, fs::path dir) : path_(std::move(path)), dir_(std::move(dir)) {}

  Result<Season> Check(const toml::table& root) {
    for (auto&& [key, node] : root) {
      if (auto taken = TakeKey(key, node); !taken) return Fail(taken.error());
    }
    if (season_.competitions.empty())
      return Fail(evaluation::AtLine(path_, 1, "no [[competition]] is named"));
    if (auto fits = CheckPointsFit(); !fits) return Fail(fits.error());
    return std::move(season_);
  }

 private:
  Error At(const toml::node& node, const std::string& what) const {
    return evaluation::AtLine(path_, node.source().begin.line, what);
  }

  Result<void> TakeKey(const toml::key& key, const toml::node& node) {
    if (key.str() == "title") {
      if (!node.is_string()) return Fail(At(node, "title must be a text"));
      season_.title = *node.value<std::string>();
      return {};
    }
    if (key.str() == "points") return TakePoints(node);
    if (key.str() == "best") {
      const std::optional<int64_t> best = node.is_integer() ? node.value<int64_t>() : std::nullopt;
      if (!best || *best < 0) return Fail(At(node, "best must be a whole number, 0 or more"));
      season_.best = *best;
      return {};
    }
    if (key.str() == "competition") return TakeCompetitions(node);
    return Fail(evaluation::AtLine(path_, key.source().begin.line,
                                   "unknown key '" + std::string(key.str()) +
                                       "' (title, points, best and competition are known)"));
  }

  Result<void> TakePoints(const toml::node& node) {
    const toml::array* points = node.as_array();
    if (points == nullptr) return Fail(At(node, "points must be a list of whole numbers"));
    points_line_ = node.source().begin.line;
    season_.points.clear();
    for (const toml::node& element : *points) {
      const std::optional<int64_t> value =
          element.is_integer() ? element.value<int64_t>() : std::nullopt;
      if (!value || *value < 0) return Fail(At(element, "points must be whole numbers, 0 or more"));
      season_.points.push_back(*value);
    }
    return {};
  }

  Result<void> TakeCompetitions(const toml::node& node) {
    const toml::array* competitions = node.as_array();
    if (competitions == nullptr || !competitions->is_array_of_tables())
      return Fail(At(node, "competition must be given as [[competition]] tables"));
    for (const toml::node& element : *competitions) {
      if (auto taken = TakeCompetition(*element.as_table()); !taken) return taken;
    }
    return {};
  }

  Result<void> TakeCompetition(const toml::table& table) {
    SeasonCompetition competition;
    for (auto&& [key, node] : table) {
      const bool known = key.str() == "folder" || key.str() == "evaluation";
      if (!known) {
        return Fail(
            evaluation::AtLine(path_, key.source().begin.line,
                               "unknown key '" + std::string(key.str()) +
                                   "' in [[competition]] (folder and evaluation are known)"));
      }
      if (!node.is_string() || node.value<std::string>()->empty())
        return Fail(At(node, std::string(key.str()) + " must be a file name"));
      const std::string given = *node.value<std::string>();
      if (key.str() == "folder") {
        competition.folder = given;
        competition.base_dir = AsFolderText(Beside(dir_, given));
      } else {
        competition.evaluation = Beside(dir_, given).string();
      }
    }
    if (competition.folder.empty()) return Fail(At(table, "[[competition]] needs a folder"));
    // Two runs of one folder at once would write the same report and chart,
    // and count every driver twice; a link or a bind mount is the same folder.
    const auto identity = files::IdentityOf(competition.base_dir);
    for (size_t i = 0; i < season_.competitions.size(); ++i) {
      const SeasonCompetition& earlier = season_.competitions[i];
      if (earlier.base_dir == competition.base_dir)
        return Fail(At(table, "the folder '" + competition.folder + "' is named twice"));
      if (identity && identities_[i] == *identity)
        return Fail(At(table, "the folder '" + competition.folder + "' is the folder '" +
                                  earlier.folder + "' again"));
    }
    identities_.push_back(identity ? std::optional(*identity) : std::nullopt);
    season_.competitions.push_back(std::move(competition));
    return {};
  }

  // Each round scores at most one result per driver, so a driver's total is
  // at most the largest points value times the rounds that count.
  Result<void> CheckPointsFit() const {
    if (season_.points.empty()) return {};
    const int64_t most = *std::max_element(season_.points.begin(), season_.points.end());
    int64_t counted = static_cast<int64_t>(season_.competitions.size());
    if (season_.best > 0) counted = std::min(counted, season_.best);
    if (counted == 0 || most <= std::numeric_limits<int64_t>::max() / counted) return {};
    return Fail(evaluation::AtLine(path_, points_line_,
                                   "points are too large: " + std::to_string(counted) +
                                       " results of " + std::to_string(most) +
                                       " add up to more than a season total can hold"));
  }

  std::string path_;
  fs::path dir_;
  Season season_;
  std::vector<std::optional<files::FileIdentity>> identities_;  // by competition
  int64_t points_line_ = 1;
};

}  // namespace

Result<Season> ReadSeasonFile(const std::string& path) {
  const auto text = evaluation::ReadEvaluationText(path);
  if (!text) return Fail(text.error());
  if (!*text) return Fail({"does not exist", path, std::nullopt});
  const auto root = evaluation::ParseToml(**text, path);
  if (!root) return Fail(root.error());
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(path), ec);
  if (ec) absolute = fs::path(path);
  return SeasonChecker(path, absolute.lexically_normal().parent_path()).Check(*root);
}

}  // namespace hl::season
