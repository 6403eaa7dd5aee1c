// The command line's spellings: each way of writing a run reads as the same
// arguments, and every mistake is named in one line, before anything looks
// at the file system (none of these paths exists).

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "cli/arguments.h"

namespace hl::cli {
namespace {

struct Spelling {
  std::vector<std::string> args;
  GivenArguments expected;
};

GivenArguments Batch(std::string base) {
  GivenArguments given;
  given.batch = std::move(base);
  return given;
}

TEST(ReadArguments, EverySpellingOfARunReadsAlike) {
  GivenArguments full = Batch("comp");
  full.penalties = {"anna=6000", "bert=5000"};
  full.json = "-";
  full.export_dir = "page";
  full.google = true;
  GivenArguments season;
  season.season = "s.toml";
  season.csv = "out.csv";
  const std::vector<Spelling> spellings = {
      {{"--batch", "comp"}, Batch("comp")},
      {{"--batch=comp"}, Batch("comp")},
      {{"batch", "comp"}, Batch("comp")},
      {{"--batch", "comp", "--penalty", "anna=6000", "--penalty=bert=5000", "--json", "-",
        "--export=page", "--google"},
       full},
      {{"batch", "comp", "--google", "--penalty=anna=6000", "--json=-", "--penalty", "bert=5000",
        "--export", "page"},
       full},
      {{"--season", "s.toml", "--csv", "out.csv"}, season},
      {{"season", "s.toml", "--csv=out.csv"}, season},
  };
  for (const Spelling& s : spellings) {
    SCOPED_TRACE(::testing::PrintToString(s.args));
    const Arguments read = ReadArguments(s.args);
    const auto* given = std::get_if<GivenArguments>(&read);
    ASSERT_NE(given, nullptr);
    EXPECT_EQ(given->batch, s.expected.batch);
    EXPECT_EQ(given->season, s.expected.season);
    EXPECT_EQ(given->penalties, s.expected.penalties);
    EXPECT_EQ(given->json, s.expected.json);
    EXPECT_EQ(given->csv, s.expected.csv);
    EXPECT_EQ(given->export_dir, s.expected.export_dir);
    EXPECT_EQ(given->google, s.expected.google);
  }
}

TEST(ReadArguments, MistakesAreNamedWithoutLookingAtFiles) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--batch"}, "--batch needs a value"},
      {{"--batch="}, "--batch needs a value"},
      {{"--batch", "a", "--json"}, "--json needs a value"},
      {{"--batch", "a", "--penalty"}, "--penalty needs a value"},
      {{"--batch", "a", "--batch", "b"}, "--batch given twice"},
      {{"--json", "x", "batch", "a", "--json", "y"}, "--json given twice"},
      {{"--batch", "a", "--fast"}, "unknown option '--fast'"},
      {{"--batch", "a", "--fast=1"}, "unknown option '--fast'"},
      {{"--batch", "a", "--google=yes"}, "unknown option '--google'"},
      {{"--batch", "a", "anna"}, "unexpected argument 'anna'"},
      {{"batch", "a", "b"}, "unexpected argument 'b'"},
      {{"batch"}, "batch needs BASEDIR"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    const Arguments read = ReadArguments(args);
    const auto* error = std::get_if<UsageError>(&read);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->message, message);
  }
}

TEST(ReadArguments, HelpAndVersionWinWhereverTheyStand) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> helps = {
      {{"batch", "x", "--help"}, "Usage: hotlap-eval\n"},
      {{"serve", "--fast", "--help"}, "Usage: hotlap-eval serve [OPTIONS] BASEDIR"},
      {{"token", "--help"}, "Usage: hotlap-eval token [OPTIONS] BASEDIR [ENTRY...]"},
      {{"ledger", "--help"}, "Usage: hotlap-eval ledger [OPTIONS] BASEDIR"},
  };
  for (const auto& [args, usage] : helps) {
    const Arguments read = ReadArguments(args);
    const auto* help = std::get_if<ShowHelp>(&read);
    ASSERT_NE(help, nullptr) << args.front();
    EXPECT_NE(help->text.find(usage), std::string::npos) << help->text;
  }
  EXPECT_TRUE(std::holds_alternative<ShowVersion>(ReadArguments({"--fast", "--version"})));
}

// serve and token read into the server's options; a subcommand's name is
// an entry's name after token.
TEST(ReadArguments, ServeAndTokenTakeTheirOwnOptions) {
  const Arguments serve =
      ReadArguments({"serve", "cup", "--state", "st", "--listen", "[::1]:0", "--signup",
                     "--rate-limit", "5", "--idle-timeout=9", "--closes", "2026-12-24T18:00:00Z"});
  const auto* given = std::get_if<GivenServe>(&serve);
  ASSERT_NE(given, nullptr);
  EXPECT_EQ(given->base, "cup");
  EXPECT_EQ(given->state, "st");
  EXPECT_EQ(given->listen, "[::1]:0");
  EXPECT_EQ(given->closes, "2026-12-24T18:00:00Z");
  EXPECT_EQ(given->evaluation, "");
  EXPECT_TRUE(given->options.signup);
  EXPECT_EQ(given->options.rate_limit, 5);
  EXPECT_EQ(given->options.idle_timeout, 9);

  const Arguments token = ReadArguments({"token", "cup", "anna", "--state", "st", "serve"});
  const auto* tokens = std::get_if<GivenToken>(&token);
  ASSERT_NE(tokens, nullptr);
  EXPECT_EQ(tokens->base, "cup");
  EXPECT_EQ(tokens->entries, (std::vector<std::string>{"anna", "serve"}));

  const Arguments organisers =
      ReadArguments({"token", "cup", "--organiser", "jo", "--state", "st", "--organiser", "kim"});
  ASSERT_TRUE(std::holds_alternative<GivenToken>(organisers));
  EXPECT_EQ(std::get<GivenToken>(organisers).organisers, (std::vector<std::string>{"jo", "kim"}));
  EXPECT_TRUE(std::get<GivenToken>(organisers).entries.empty());
}

}  // namespace
}  // namespace hl::cli
