#pragma once
// A competition served online: the sample's files to upload, a base folder
// that holds only the reference car, a state folder beside it, tokens.

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/server/server_process.h"

namespace hl::testing {

struct OnlineCompetition {
  explicit OnlineCompetition(int entrants = 8);

  // curl arguments that send entrant `sample`'s files with `token`.
  std::vector<std::string> UploadArgs(const std::string& sample, const std::string& token) const;
  // POST /api/upload; the answer's JSON (null on a refusal) and status.
  std::pair<int, nlohmann::json> Upload(const std::string& url, const std::string& sample,
                                        const std::string& token) const;

  TempDir dir;
  std::string source;                // the sample competition, ends with "/"
  std::string base;                  // served; ends with "/"
  std::string state;                 // ends with "/"
  std::vector<std::string> samples;  // the sample's entry folders
};

// `--batch BASE --json -`: its JSON.
nlohmann::json BatchJson(const std::string& base);

// `ledger BASE --state STATE`: its lines, each parsed.
std::vector<nlohmann::json> LedgerLines(const std::string& base, const std::string& state);

// Waits until the live results.json lists `tracks` entries with a track
// file, the page of the folder as the uploads left it; its JSON.
nlohmann::json WaitForPage(const std::string& url, size_t tracks);

// True when the entry folder holds exactly the files of `version` (as
// GET /api/entry lists them), by name and SHA-256.
bool FolderHoldsVersion(const std::string& folder, const nlohmann::json& version);

}  // namespace hl::testing
