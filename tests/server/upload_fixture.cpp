#include "tests/server/upload_fixture.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "toolkit/files/sha256.h"
#include "tools/competition/sample_competition.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;

std::string FieldOf(const std::string& name) {
  const std::string ending = name.size() >= 3 ? name.substr(name.size() - 3) : "";
  std::string lower;
  for (char c : ending) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "trk") return "track";
  if (lower == "gam") return "game";
  return "screen";
}

}  // namespace

OnlineCompetition::OnlineCompetition(int entrants)
    : source(dir.MakeDir("source")), base(dir.MakeDir("online")), state(dir.Path() + "state/") {
  competition::SampleOptions options;
  options.entrants = entrants;
  if (auto problem = competition::WriteSampleCompetition(source, options))
    ADD_FAILURE() << *problem;
  fs::copy_file(source + "reference.car", base + "reference.car");
  for (const auto& entry : competition::PlanSampleEntries(entrants)) {
    samples.push_back(entry.folder);
  }
}

std::vector<std::string> OnlineCompetition::UploadArgs(const std::string& sample,
                                                       const std::string& token) const {
  std::vector<std::string> args = {"-H", "Authorization: Bearer " + token};
  for (const auto& item : fs::directory_iterator(source + sample)) {
    const std::string name = item.path().filename().string();
    args.push_back("-F");
    args.push_back(FieldOf(name) + "=@" + item.path().string());
  }
  return args;
}

std::pair<int, nlohmann::json> OnlineCompetition::Upload(const std::string& url,
                                                         const std::string& sample,
                                                         const std::string& token) const {
  const HttpAnswer answer = Curl(UploadArgs(sample, token), url + "/api/upload");
  return {answer.status, nlohmann::json::parse(answer.body, nullptr, false)};
}

nlohmann::json BatchJson(const std::string& base) {
  FILE* pipe = popen((HotlapProgram() + " --batch " + base + " --json - 2>/dev/null").c_str(), "r");
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  pclose(pipe);
  return nlohmann::json::parse(text, nullptr, false);
}

std::vector<nlohmann::json> LedgerLines(const std::string& base, const std::string& state) {
  FILE* pipe = popen((HotlapProgram() + " ledger " + base + " --state " + state).c_str(), "r");
  std::vector<nlohmann::json> lines;
  char line[8192];
  while (fgets(line, sizeof line, pipe) != nullptr) lines.push_back(nlohmann::json::parse(line));
  EXPECT_EQ(pclose(pipe), 0);
  return lines;
}

nlohmann::json WaitForPage(const std::string& url, size_t tracks) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    const HttpAnswer page = Curl({}, url + "/results.json");
    const auto json = nlohmann::json::parse(page.body, nullptr, false);
    if (page.status == 200 && json.is_object()) {
      size_t listed = 0;
      for (const auto& entry : json["entries"]) listed += entry["track_file"].is_string();
      if (listed == tracks) return json;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ADD_FAILURE() << "the page did not show " << tracks << " track files";
  return nullptr;
}

bool FolderHoldsVersion(const std::string& folder, const nlohmann::json& version) {
  size_t files = 0;
  for (const auto& item : fs::directory_iterator(folder)) {
    ++files;
    const std::string name = item.path().filename().string();
    bool listed = false;
    for (const auto& file : version["files"]) {
      if (file["name"] != name) continue;
      const auto digest = files::Sha256OfFile(item.path().string());
      listed =
          digest && files::Sha256Text(*digest) == "sha256:" + file["sha256"].get<std::string>();
    }
    if (!listed) return false;
  }
  return files == version["files"].size();
}

}  // namespace hl::testing
