// The rules the server applies before anything reaches a path: uploaded
// file names, routes of the page and the API, closing times.

#include <gtest/gtest.h>

#include "evaluation/closing_time.h"
#include "evaluation/evaluation_file.h"
#include "server/routes.h"
#include "server/upload_names.h"
#include "tests/support/temp_dir.h"

namespace hl::server {
namespace {

TEST(ServerRules, StoredFileNames) {
  struct Case {
    FileField field;
    std::string name;
    bool accepted;
  };
  const Case cases[] = {
      {FileField::kTrack, "eichwald.trk", true},
      {FileField::kTrack, "LAP_2.TRK", true},
      {FileField::kScreen, "Screen.BMP", true},
      {FileField::kScreen, "shot.jpg", true},
      {FileField::kGame, "anna.gam", true},
      {FileField::kTrack, std::string(60, 'a') + ".trk", true},
      {FileField::kTrack, std::string(62, 'a') + ".trk", false},  // 66 characters
      {FileField::kTrack, "../eichwald.trk", false},
      {FileField::kTrack, "sub/eichwald.trk", false},
      {FileField::kTrack, ".trk", false},
      {FileField::kTrack, "lap trk", false},
      {FileField::kTrack, "eichwald.gam", false},
      {FileField::kScreen, "shot.png", false},
      {FileField::kGame, "", false},
      {FileField::kGame, "g\xc3\xa4me.gam", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(!StoredNameProblem(c.field, c.name).has_value(), c.accepted) << c.name;
  }
  EXPECT_EQ(EntryNameFromDriver("Dora M."), "Dora-M");
  EXPECT_EQ(EntryNameFromDriver("G\xc3\xb6sta"), "G-sta");
  EXPECT_EQ(EntryNameFromDriver("!!!"), "entry");
  EXPECT_TRUE(IsNewEntryName(EntryNameFromDriver(std::string(80, 'x'))));
}

TEST(ServerRules, Routes) {
  struct Case {
    std::string method, path;
    unsigned status;
    std::string file;
  };
  const Case cases[] = {
      {"GET", "/", 200, "index.html"},
      {"HEAD", "/results.csv", 200, "results.csv"},
      {"GET", "/entries/003-cleo/screen.png", 200, "entries/003-cleo/screen.png"},
      {"GET", "/entries/../../hotlap-eval.sqlite", 404, ""},
      {"GET", "/entries/003-cleo/", 404, ""},
      {"GET", "/entries/.x/track.png", 404, ""},
      {"GET", "/versions/anna/1/eichwald.trk", 404, ""},
      {"POST", "/", 405, ""},
      {"GET", "/api/upload", 405, ""},
      {"POST", "/api/signup", 404, ""},  // not offered
      {"GET", "results.json", 400, ""},
  };
  for (const Case& c : cases) {
    const Routed routed = RouteRequest(c.method, c.path, false);
    EXPECT_EQ(routed.status, c.status) << c.method << ' ' << c.path;
    EXPECT_EQ(routed.file, c.file) << c.path;
  }
  EXPECT_EQ(RouteRequest("POST", "/api/signup", true).route, Route::kApiSignup);
}

TEST(ServerRules, ClosingTimes) {
  struct Case {
    std::string text;
    std::optional<std::string> utc;
  };
  const Case cases[] = {
      {"2026-12-24T18:00:00+01:00", "2026-12-24T17:00:00Z"},
      {"2026-12-24 18:00:00.25-05:30", "2026-12-24T23:30:00Z"},
      {"2028-02-29T00:00:00Z", "2028-02-29T00:00:00Z"},
      {"2026-02-29T00:00:00Z", std::nullopt},
      {"2026-12-24T18:00:00", std::nullopt},  // no offset
      {"2026-12-24T24:00:00Z", std::nullopt},
      {"2026-12-24T18:00:00+01:00 ", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto time = evaluation::ParseClosingTime(c.text);
    ASSERT_EQ(time.has_value(), c.utc.has_value()) << c.text;
    if (time) {
      EXPECT_EQ(evaluation::Rfc3339Utc(time->utc_seconds), *c.utc);
    }
  }
  const auto local = evaluation::ParseClosingTime("2026-12-24T18:00:00+01:00");
  EXPECT_EQ(evaluation::CompetitionText(*local), "2026-12-24 18:00 +01:00");
}

TEST(ServerRules, EvaluationFileKeepsClosesAndFinal) {
  testing::TempDir dir;
  const std::string good =
      dir.WriteFile("good.toml", "closes = 2026-12-24T18:00:00+01:00\nfinal = true\n");
  const auto file = evaluation::ReadEvaluationFile(good, dir.Path(), false);
  ASSERT_TRUE(file) << file.error().Describe();
  EXPECT_TRUE(file->closing.final);
  EXPECT_EQ(evaluation::Rfc3339Utc(file->closing.closes->utc_seconds), "2026-12-24T17:00:00Z");
  for (const char* bad :
       {"closes = 2026-12-24T18:00:00\n", "closes = \"tomorrow\"\n", "final = \"yes\"\n"}) {
    const std::string path = dir.WriteFile("bad.toml", bad);
    const auto refused = evaluation::ReadEvaluationFile(path, dir.Path(), false);
    ASSERT_FALSE(refused) << bad;
    EXPECT_NE(refused.error().what.find("line 1: "), std::string::npos) << refused.error().what;
  }
}

}  // namespace
}  // namespace hl::server
