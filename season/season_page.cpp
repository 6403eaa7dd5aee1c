#include "publish/html_text.h"
#include "season/season_outputs.h"

namespace hl::season {
namespace {

using publish::HtmlText;

constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 2em auto; max-width: 1040px; color: #222; }
table { border-collapse: collapse; width: 100%; margin: 1em 0 2em; }
th, td { border-bottom: 1px solid #ddd; padding: 0.35em 0.6em; text-align: left; }
th { background: #f3f3f3; }
td.number { text-align: right; font-variant-numeric: tabular-nums; }
.bad { color: #b00; font-weight: bold; }
)";

std::string Element(const std::string& tag, const std::string& html,
                    const std::string& attributes = "") {
  return "<" + tag + (attributes.empty() ? "" : " " + attributes) + ">" + html + "</" + tag + ">";
}

std::string Number(const std::string& text) { return Element("td", text, "class=\"number\""); }

std::string CompetitionList(const Season& season, const std::vector<CompetitionOutcome>& outcomes,
                            const std::vector<std::string>& page_links) {
  std::string items;
  for (size_t i = 0; i < season.competitions.size(); ++i) {
    const std::string name = HtmlText(season.competitions[i].folder);
    std::string item = page_links[i].empty()
                           ? name
                           : Element("a", name, "href=\"" + HtmlText(page_links[i]) + "\"");
    if (outcomes[i].record) {
      item += " (" + HtmlText(outcomes[i].record->track) + ")";
    } else {
      item += " " + Element("span", "failed: " + HtmlText(outcomes[i].error), "class=\"bad\"");
    }
    items += Element("li", item) + "\n";
  }
  return Element("ol", "\n" + items);
}

std::string StandingsTable(const Season& season, const std::vector<DriverStanding>& standings) {
  std::string head = Element("th", "Place") + Element("th", "Driver") + Element("th", "Points");
  for (size_t i = 0; i < season.competitions.size(); ++i)
    head += Element("th", HtmlText(season.competitions[i].folder));
  std::string rows = Element("tr", head) + "\n";
  for (const DriverStanding& standing : standings) {
    std::string row = Number(std::to_string(standing.place)) +
                      Element("td", HtmlText(standing.driver)) +
                      Number(std::to_string(standing.points));
    for (const DriverResult& result : standing.results)
      row += Number(result.place ? std::to_string(*result.place) : "-");
    rows += Element("tr", row) + "\n";
  }
  return Element("table", "\n" + rows);
}

}  // namespace

std::string SeasonPage(const Season& season, const std::vector<CompetitionOutcome>& outcomes,
                       const std::vector<DriverStanding>& standings,
                       const std::vector<std::string>& page_links) {
  const std::string title = HtmlText(season.title.empty() ? "Season" : season.title);
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n" +
         Element("title", title) + "\n" + Element("style", kStyle) + "\n</head>\n<body>\n" +
         Element("h1", title) + "\n" + Element("h2", "Standings") + "\n" +
         StandingsTable(season, standings) + "\n" + Element("h2", "Competitions") + "\n" +
         CompetitionList(season, outcomes, page_links) + "\n</body>\n</html>\n";
}

}  // namespace hl::season
