// The page and the JSON say what the run plan's publication says of the
// results, and nothing when it says nothing (a batch export).

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "publish/results_json.h"
#include "publish/results_page.h"

namespace hl::testing {
namespace {

using publish::Standing;

TEST(Publication, StandingAndFolderReachPageAndJson) {
  struct Case {
    Standing standing;
    bool folder_by_name;
    const char* banner;  // what follows <body>; "" for no banner
    nlohmann::json provisional;
    const char* folder;
    const char* closing;  // and the upload link with it; "" for neither
  };
  const Case cases[] = {
      {Standing::kUnstated, false, "", nullptr, "/srv/clubs/winter cup/", ""},
      {Standing::kProvisional, true, "<div class=\"standing provisional\" role=\"status\">", true,
       "winter cup", "uploads close 2026-12-24 17:00 UTC (2026-12-24 18:00 +01:00)"},
      {Standing::kFinal, true, "<div class=\"standing final\" role=\"status\">", false,
       "winter cup", "uploads closed 2026-12-24 17:00 UTC (2026-12-24 18:00 +01:00)"},
  };
  record::CompetitionRecord competition{.folder = "/srv/clubs/winter cup/", .track = "eichwald"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.banner);
    const publish::Publication publication{.standing = c.standing,
                                           .folder_by_name = c.folder_by_name,
                                           .closing = c.closing,
                                           .upload_link = *c.closing ? "upload" : ""};
    publish::PageContent content;
    content.run_date = "2026-12-08";
    content.publication = publication;
    const std::string page = publish::ResultsPage(competition, content);
    if (*c.banner == '\0') {
      EXPECT_EQ(page.find("standing"), std::string::npos);
    } else {
      EXPECT_NE(page.find(std::string("<body>\n") + c.banner + "<strong>"), std::string::npos);
    }
    const std::string uploads = std::string("<p class=\"uploads\">") + c.closing +
                                " <a href=\"upload\">Upload a lap</a></p>";
    if (*c.closing != '\0') {
      EXPECT_NE(page.find(uploads), std::string::npos);
    } else {
      EXPECT_EQ(page.find("<p class=\"uploads\""), std::string::npos);
    }

    const std::string text = publish::ResultsJsonText(competition, publication);
    EXPECT_EQ(text, publish::JsonText(publish::ResultsJson(competition, publication)));
    const auto json = nlohmann::json::parse(text);
    EXPECT_EQ(json.contains("provisional") ? json["provisional"] : nullptr, c.provisional);
    EXPECT_EQ(json["competition"]["folder"], c.folder);
  }
}

}  // namespace
}  // namespace hl::testing
