#include "publish/page_render.h"
#include "publish/page_templates.h"
#include "season/season_outputs.h"

namespace hl::season {
namespace {

using publish::PageData;
using publish::PageList;

PageList Competitions(const Season& season, const std::vector<CompetitionOutcome>& outcomes,
                      const std::vector<std::string>& page_links) {
  PageList competitions;
  for (size_t i = 0; i < season.competitions.size(); ++i) {
    PageData item;
    item.set("folder", season.competitions[i].folder);
    if (!page_links[i].empty()) item.set("link", page_links[i]);
    if (outcomes[i].record) {
      item.set("track", outcomes[i].record->track);
    } else {
      item.set("error", outcomes[i].error);
    }
    competitions.push_back(item);
  }
  return competitions;
}

PageList Standings(const std::vector<DriverStanding>& standings) {
  PageList rows;
  for (const DriverStanding& standing : standings) {
    PageData row;
    row.set("place", std::to_string(standing.place));
    row.set("driver", standing.driver);
    row.set("points", std::to_string(standing.points));
    PageList places;
    for (const DriverResult& result : standing.results)
      places.push_back(result.place ? std::to_string(*result.place) : "-");
    row.set("results", places);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

std::string SeasonPage(const Season& season, const std::vector<CompetitionOutcome>& outcomes,
                       const std::vector<DriverStanding>& standings,
                       const std::vector<std::string>& page_links) {
  const std::string title = season.title.empty() ? "Season" : season.title;
  PageData values;
  values.set("title", title);
  values.set("description", title + ": standings over " +
                                std::to_string(season.competitions.size()) +
                                " hot lap competitions.");
  values.set("competitions", Competitions(season, outcomes, page_links));
  values.set("standings", Standings(standings));
  return publish::RenderPage(publish::embedded::kSeasonPageTemplate, values);
}

}  // namespace hl::season
