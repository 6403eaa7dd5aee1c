// Names from the files and the file system reach the results as text that
// still parses: escaped in JSON, quoted in CSV, never a broken document, and
// never a formula to a spreadsheet.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "publish/html_text.h"
#include "publish/results_csv.h"
#include "publish/results_json.h"
#include "publish/results_page.h"
#include "tests/support/results_check.h"

namespace hl::testing {
namespace {

struct Name {
  const char* given;
  const char* in_json;  // after parsing
  const char* in_csv;   // after parsing
};

const Name kNames[] = {
    {"Plain", "Plain", "Plain"},
    {"He said \"hi\", twice", "He said \"hi\", twice", "He said \"hi\", twice"},
    {"two\r\nlines\nhere", "two\r\nlines\nhere", "two\r\nlines\nhere"},
    {"tab\tbell\x07", "tab\tbell\x07",
     "tab\xEF\xBF\xBD"
     "bell\xEF\xBF\xBD"},
    {"bad-\xFF\xFE-bytes", "bad-\xEF\xBF\xBD\xEF\xBF\xBD-bytes",
     "bad-\xEF\xBF\xBD\xEF\xBF\xBD-bytes"},
    {" padded ", " padded ", " padded "},
    {"Zo\xC3\xAB, M\xC3\xBCller", "Zo\xC3\xAB, M\xC3\xBCller", "Zo\xC3\xAB, M\xC3\xBCller"},
    {"<img src=x>", "<img src=x>", "<img src=x>"},
    {"{{title}} {{{icon}}}", "{{title}} {{{icon}}}", "{{title}} {{{icon}}}"},
    {"=2+5", "=2+5", "'=2+5"},
    {"+49 170", "+49 170", "'+49 170"},
    {"-cmd|' /C calc'!A0", "-cmd|' /C calc'!A0", "'-cmd|' /C calc'!A0"},
    {"@SUM(A1:A9)", "@SUM(A1:A9)", "'@SUM(A1:A9)"},
    {"\r=1", "\r=1", "'\r=1"},
    {"\t=1", "\t=1", "\xEF\xBF\xBD=1"},
    {"a=1", "a=1", "a=1"},
};

record::CompetitionRecord TrickyCompetition() {
  record::CompetitionRecord competition{.folder = "/base/", .track = "eichwald"};
  int16_t time = 5000;
  for (const Name& name : kNames) {
    record::EntryRecord entry;
    entry.folder = name.given;
    entry.track_file = name.given;
    entry.track = record::TrackFacts{};
    entry.track->time = time;
    entry.track->driver = name.given;
    entry.track->car = name.given;
    entry.track->result = std::to_string(time++) + " x";
    competition.entries.push_back(entry);
  }
  return competition;
}

TEST(TrickyNames, SurviveJsonAndCsv) {
  record::CompetitionRecord competition = TrickyCompetition();
  competition.entries[1].findings.push_back(
      {"duplicate-ghost", "m", {{"entries", {"a", "b"}}, {"group", "a"}, {"group_size", 3}}});
  competition.entries[2].penalty = record::Penalty{"-5", "=cut"};
  const std::string text = publish::JsonText(publish::ResultsJson(competition));
  // Made entry by entry, the text is that of the whole document.
  EXPECT_EQ(publish::ResultsJsonText(competition), text);
  const nlohmann::json json = nlohmann::json::parse(text);
  const auto rows = ParseCsv(publish::ResultsCsv(competition));
  ASSERT_EQ(rows.size(), std::size(kNames) + 1);

  for (size_t i = 0; i < std::size(kNames); ++i) {
    SCOPED_TRACE(kNames[i].in_json);
    const nlohmann::json& entry = json["entries"][i];
    EXPECT_EQ(entry["entry"], kNames[i].in_json);
    EXPECT_EQ(entry["driver"], kNames[i].in_json);
    EXPECT_EQ(json["ranking"][i]["driver"], kNames[i].in_json);
    const std::vector<std::string>& row = rows[i + 1];
    ASSERT_EQ(row.size(), 9u);
    EXPECT_EQ(row[1], kNames[i].in_csv);  // entry
    EXPECT_EQ(row[4], kNames[i].in_csv);  // driver
    EXPECT_EQ(row[5], kNames[i].in_csv);  // car
  }
  // A number the program formatted stays a number, even a negative one.
  EXPECT_EQ(rows[3][7], "-5");
  EXPECT_EQ(rows[3][8], "'=cut");
  EXPECT_EQ(rows[1][0], "1");
  EXPECT_EQ(rows[1][2], "5000");
  EXPECT_EQ(rows[1][3], "50.00");
}

TEST(TrickyNames, PagesReplaceWhatTheCsvReplaces) {
  for (const Name& name : kNames) {
    SCOPED_TRACE(name.in_csv);
    const std::string html = publish::HtmlText(name.given);
    if (std::string(name.in_csv).find_first_of("<>&\"'") == std::string::npos) {
      EXPECT_EQ(html, name.in_csv);
    } else {
      EXPECT_EQ(html.find_first_of("<>\"'"), std::string::npos) << html;
    }
  }
}

// On the page every name is text: no element, no attribute, no template tag
// of its own.
TEST(TrickyNames, StayTextOnThePage) {
  record::CompetitionRecord competition = TrickyCompetition();
  competition.entries[0].findings.push_back({"ghost-jump", "a \"jump\" <b>", {}});
  publish::PageContent content;
  content.run_date = "2026-12-08";
  content.pictures.resize(1);
  content.pictures[0].screen = publish::PagePicture{"s\"x.jpg", 480, 360};
  const std::string page = publish::ResultsPage(competition, content);
  EXPECT_EQ(page.find("<img src=x>"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_NE(page.find("title=\"a &quot;jump&quot; &lt;b&gt;\""), std::string::npos);
  EXPECT_NE(page.find("src=\"s&quot;x.jpg\""), std::string::npos);
  EXPECT_NE(page.find("<td data-label=\"Driver\">&lt;img src=x&gt;</td>"), std::string::npos);
  EXPECT_NE(page.find("<td data-label=\"Driver\">{{title}} {{{icon}}}</td>"), std::string::npos);
  EXPECT_NE(page.find("<td data-label=\"Driver\">bad-\xEF\xBF\xBD\xEF\xBF\xBD-bytes</td>"),
            std::string::npos);
}

}  // namespace
}  // namespace hl::testing
