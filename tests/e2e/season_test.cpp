// A season of three rounds and a missing fourth, run end to end: standings
// with countback, a driver spelled in another letter case, a driver with two
// entries in one round, a penalty from a round's evaluation file, counting
// only the best results, and the same bytes whether the rounds run side by
// side or one after the other.

#include <gtest/gtest.h>
#include <tbb/global_control.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/e2e/batch_runner.h"
#include "tests/support/temp_dir.h"
#include "tools/competition/sample_competition.h"

namespace hl::testing {
namespace {

struct Entrant {
  const char* folder;
  const char* driver;
  int16_t time;
};

void WriteRound(const std::string& folder, const std::vector<Entrant>& entrants) {
  competition::SampleOptions options;
  options.screen_width = 160;
  options.screen_height = 120;
  options.objects = 8;
  options.rects = 2;
  for (const Entrant& entrant : entrants) {
    competition::SampleEntry entry;
    entry.folder = entrant.folder;
    entry.driver = entrant.driver;
    entry.time = entrant.time;
    options.plan.push_back(entry);
  }
  if (auto problem = competition::WriteSampleCompetition(folder, options))
    ADD_FAILURE() << "round not written: " << *problem;
}

std::string SeasonFile(const std::string& best) {
  std::string text = "title = \"Test Cup\"\npoints = [10, 5, 5, 1]\n" + best;
  for (const char* round : {"round1", "round2", "round3", "round4", "notes"})
    text += "[[competition]]\nfolder = \"" + std::string(round) + "\"\n";
  // The penalty comes from the round's own evaluation file.
  text.insert(text.find("folder = \"round3\"\n") + 18, "evaluation = \"round3.toml\"\n");
  return text;
}

class Season : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    WriteRound(dir_->MakeDir("round1"),
               {{"anna", "Anna", 5000}, {"bert", "Bert", 5100}, {"cleo", "Cleo", 5200}});
    // One driver in capitals, another with a second, slower entry.
    WriteRound(dir_->MakeDir("round2"), {{"anna", "ANNA", 5100},
                                         {"bert", "BERT", 5000},
                                         {"bert2", "bert", 5300},
                                         {"cleo", "Cleo", 5200}});
    // Cleo's fastest lap is penalised to no time: last place, and no point
    // although the place is worth one.
    WriteRound(dir_->MakeDir("round3"), {{"anna", "Anna", 5100},
                                         {"bert", "Bert", 5050},
                                         {"cleo", "Cleo", 4900},
                                         {"dora", "Dora", 5000}});
    dir_->WriteFile("round3.toml",
                    "[[penalty]]\nentry = \"cleo\"\ntime = 6000\nreason = \"late\"\n");
    dir_->MakeDir("notes");  // a folder that holds no competition
    std::filesystem::create_directory_symlink("round1", Path("round1-link"));
    dir_->WriteFile("season.toml", SeasonFile(""));
    dir_->WriteFile("best2.toml", SeasonFile("best = 2\n"));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  static std::string Path(const std::string& relative) { return dir_->Path() + relative; }
  static BatchResult Run(const std::vector<std::string>& args) {
    return RunBatch(dir_->Path(), args);
  }
  static std::vector<std::string> AllOutputs(const std::string& season) {
    return {"--season", Path(season),           "--json",   Path("out/season.json"),
            "--csv",    Path("out/season.csv"), "--export", Path("out/pages")};
  }

  static TempDir* dir_;
};

TempDir* Season::dir_ = nullptr;

TEST_F(Season, StandingsCountbackAndBestResults) {
  struct Case {
    const char* season;
    const char* table;
  };
  const Case cases[] = {
      // Bert and Anna tie on points; Bert has as many wins but more second
      // places. Dora and Cleo tie; Dora's win beats Cleo's thirds.
      {"season.toml",
       "Test Cup\n\n"
       "Place  Driver  Points  round1  round2  round3  round4  notes\n"
       "    1  Bert        20       2       1       2       -      -\n"
       "    2  Anna        20       1       2       3       -      -\n"
       "    3  Dora        10       -       -       1       -      -\n"
       "    4  Cleo        10       3       3       4       -      -\n"},
      {"best2.toml",
       "Test Cup\n\n"
       "Place  Driver  Points  round1  round2  round3  round4  notes\n"
       "    1  Bert        15       2       1       2       -      -\n"
       "    2  Anna        15       1       2       3       -      -\n"
       "    3  Dora        10       -       -       1       -      -\n"
       "    4  Cleo        10       3       3       4       -      -\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.season);
    const BatchResult result = Run({"--season", Path(c.season)});
    EXPECT_EQ(result.status, 1) << "a missing round fails the season";
    EXPECT_EQ(result.out, c.table);
    EXPECT_NE(
        result.err.find("hotlap-eval: competition round4 failed: the folder does not exist\n"),
        std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("competition notes failed: not a competition"), std::string::npos);
  }
}

TEST_F(Season, ParallelAndSequentialRunsWriteTheSameBytes) {
  const BatchResult parallel = Run(AllOutputs("season.toml"));
  const std::vector<std::string> files = {"out/season.json", "out/season.csv",
                                          "out/pages/season.html", "round1/eichwald.txt",
                                          "round3/eichwald.png"};
  std::vector<std::string> first;
  for (const std::string& file : files) first.push_back(ReadText(Path(file)));

  BatchResult sequential;
  {
    tbb::global_control one_thread(tbb::global_control::max_allowed_parallelism, 1);
    sequential = Run(AllOutputs("season.toml"));
  }
  EXPECT_EQ(parallel.status, sequential.status);
  EXPECT_EQ(parallel.out, sequential.out);
  EXPECT_EQ(parallel.err, sequential.err);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_FALSE(first[i].empty()) << files[i];
    EXPECT_EQ(first[i], ReadText(Path(files[i]))) << files[i];
  }
}

TEST_F(Season, ResultsFilesAndPages) {
  const BatchResult result = Run(AllOutputs("season.toml"));
  ASSERT_EQ(result.status, 1) << result.err;

  const auto json = nlohmann::json::parse(ReadText(Path("out/season.json")));
  EXPECT_EQ(json["format"], "hotlap-eval season");
  EXPECT_EQ(json["title"], "Test Cup");
  ASSERT_EQ(json["competitions"].size(), 5u);
  EXPECT_EQ(json["competitions"][1]["folder"], "round2");
  EXPECT_EQ(json["competitions"][1]["entries"], 4);
  EXPECT_EQ(json["competitions"][3]["error"], "the folder does not exist");
  EXPECT_TRUE(json["competitions"][3]["track"].is_null());
  EXPECT_EQ(json["standings"][3],
            nlohmann::json::parse(R"({"place": 4, "driver": "Cleo", "points": 10,
      "results": [{"competition": 0, "place": 3, "points": 5}, {"competition": 1, "place": 3, "points": 5},
                  {"competition": 2, "place": 4, "points": 0}, {"competition": 3, "place": null, "points": 0},
                  {"competition": 4, "place": null, "points": 0}]})"));

  EXPECT_EQ(ReadText(Path("out/season.csv")),
            "place,driver,points,round1,round2,round3,round4,notes\r\n"
            "1,Bert,20,2,1,2,,\r\n2,Anna,20,1,2,3,,\r\n3,Dora,10,,,1,,\r\n4,Cleo,10,3,3,4,,\r\n");

  const std::string page = ReadText(Path("out/pages/season.html"));
  for (const char* link : {"round-1/index.html", "round-2/index.html", "round-3/index.html"}) {
    EXPECT_NE(page.find(std::string("href=\"") + link + "\""), std::string::npos) << link;
    EXPECT_TRUE(std::filesystem::is_regular_file(Path("out/pages/") + link)) << link;
  }
  EXPECT_EQ(page.find("round-4/"), std::string::npos) << "a failed round has no link";
  EXPECT_FALSE(std::filesystem::exists(Path("out/pages/round-5"))) << "nor pictures";
  EXPECT_TRUE(std::filesystem::is_empty(Path("notes"))) << "a failed round writes nothing";
}

TEST_F(Season, EachRoundIsEvaluatedAsItsBatchRunWouldBe) {
  ASSERT_EQ(Run({"--season", Path("season.toml")}).status, 1);
  const std::string report = ReadText(Path("round3/eichwald.txt"));
  const std::string chart = ReadText(Path("round3/eichwald.png"));
  const BatchResult batch = Run({"--batch", Path("round3"), "--evaluation", Path("round3.toml")});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(report, ReadText(Path("round3/eichwald.txt")));
  EXPECT_EQ(chart, ReadText(Path("round3/eichwald.png")));
}

TEST_F(Season, MistakesStopTheSeasonNamingFileAndLine) {
  struct Case {
    const char* name;
    const char* text;  // the season file
    std::vector<std::string> extra;
    const char* message;
  };
  const Case cases[] = {
      {"bad TOML", "title = \"x\"\npoints = [1,\n", {}, "bad.toml: line 2: not valid TOML"},
      {"negative points",
       "points = [3,\n  -1]\n[[competition]]\nfolder = \"round1\"\n",
       {},
       "bad.toml: line 2: points must be whole numbers, 0 or more"},
      {"best below 0",
       "best = -1\n[[competition]]\nfolder = \"round1\"\n",
       {},
       "bad.toml: line 1: best must be a whole number, 0 or more"},
      {"a folder twice",
       "[[competition]]\nfolder = \"round1\"\n[[competition]]\nfolder = \"./round1/\"\n",
       {},
       "bad.toml: line 3: the folder './round1/' is named twice"},
      {"points no total can hold",
       "points = [4611686018427387904, 1]\n[[competition]]\nfolder = \"round1\"\n"
       "[[competition]]\nfolder = \"round2\"\n",
       {},
       "bad.toml: line 1: points are too large"},
      {"a folder again through a link",
       "[[competition]]\nfolder = \"round1\"\n[[competition]]\nfolder = \"round1-link\"\n",
       {},
       "bad.toml: line 3: the folder 'round1-link' is the folder 'round1' again"},
      {"the standings over the season file",
       "[[competition]]\nfolder = \"round1\"\n",
       {"--csv", "bad.toml"},
       "would overwrite --season"},
      {"pages inside a round",
       "[[competition]]\nfolder = \"round1\"\n",
       {"--export", "round1/pages"},
       "is inside the competition folder"},
      {"with --batch",
       "[[competition]]\nfolder = \"round1\"\n",
       {"--batch", "round1"},
       "--season and --batch cannot be combined"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir_->WriteFile("bad.toml", std::string(c.text));
    std::vector<std::string> args = {"--season", Path("bad.toml")};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const BatchResult result = Run(args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace hl::testing
