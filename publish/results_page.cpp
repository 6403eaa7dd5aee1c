#include "publish/results_page.h"

#include "publish/html_text.h"
#include "ranking/record_ranking.h"
#include "record/rules.h"
#include "toolkit/text/text.h"

namespace hl::publish {
namespace {

constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 2em auto; max-width: 1040px; color: #222; }
h1 { margin-bottom: 0.2em; }
.facts { color: #666; margin-top: 0; }
table { border-collapse: collapse; width: 100%; margin: 1em 0 2em; }
th, td { border-bottom: 1px solid #ddd; padding: 0.35em 0.6em; text-align: left; vertical-align: top; }
th { background: #f3f3f3; }
td.number { text-align: right; font-variant-numeric: tabular-nums; }
.bad { color: #b00; font-weight: bold; }
section.entry { border-top: 2px solid #ccc; padding-top: 0.5em; margin-top: 2em; }
.pictures img { margin: 0 1em 1em 0; vertical-align: top; border: 1px solid #ccc; }
code { background: #f3f3f3; padding: 0 0.2em; }
)";

std::string Element(const std::string& tag, const std::string& html,
                    const std::string& attributes = "") {
  return "<" + tag + (attributes.empty() ? "" : " " + attributes) + ">" + html + "</" + tag + ">";
}

std::string Image(const std::string& path, const std::string& alt) {
  return "<img src=\"" + HtmlText(path) + "\" alt=\"" + HtmlText(alt) + "\">";
}

std::string Seconds(int64_t time) {
  return time >= record::kNoTime ? "no time" : text::FormatHundredths(time);
}

std::string CarVerdict(const record::CompetitionRecord& competition,
                       const record::TrackFacts& track) {
  if (track.car_ok) return "ok";
  if (!competition.car_file) return "not checked";
  return Element("span", "modified", "class=\"bad\"");
}

std::string PenaltyText(const record::EntryRecord& entry) {
  if (!entry.penalty) return "";
  std::string html = HtmlText(Seconds(text::ParseInteger(entry.penalty->time)));
  if (!entry.penalty->reason.empty()) html += ": " + HtmlText(entry.penalty->reason);
  return html;
}

std::string FindingCodes(const record::EntryRecord& entry) {
  std::string html;
  for (const record::Finding& finding : entry.findings) {
    if (!html.empty()) html += ", ";
    html += Element("span", HtmlText(finding.code), "title=\"" + HtmlText(finding.message) + "\"");
  }
  return html;
}

std::string RankingTable(const record::CompetitionRecord& competition) {
  std::string rows;
  const auto places = ranking::RankRecord(competition);
  for (const ranking::RankedEntry& ranked : places) {
    const record::EntryRecord& entry = competition.entries[ranked.entry];
    const int64_t leader = places.front().time;
    const bool timed = ranked.time < record::kNoTime && leader < record::kNoTime;
    const std::string gap =
        ranked.place == 1 || !timed ? "" : "+" + text::FormatHundredths(ranked.time - leader);
    rows += "<tr>" + Element("td", text::FormatInteger(ranked.place), "class=\"number\"") +
            Element("td", HtmlText(entry.track->driver)) +
            Element("td", HtmlText(Seconds(ranked.time)), "class=\"number\"") +
            Element("td", gap, "class=\"number\"") +
            Element("td", CarVerdict(competition, *entry.track)) +
            Element("td", PenaltyText(entry)) + Element("td", FindingCodes(entry)) + "</tr>\n";
  }
  return "<table id=\"ranking\">\n<thead><tr><th>Place</th><th>Driver</th><th>Time (s)</th>"
         "<th>Gap</th><th>Car</th><th>Penalty</th><th>Findings</th></tr></thead>\n<tbody>\n" +
         rows + "</tbody>\n</table>\n";
}

std::string TrackProblem(const record::EntryRecord& entry) {
  switch (entry.track_verdict) {
    case record::TrackVerdict::Missing:
      return "no track file";
    case record::TrackVerdict::NotReadable:
      return "the track file cannot be read";
    case record::TrackVerdict::TooLarge:
      return "the track file is too large";
    case record::TrackVerdict::NotATrack:
      return "the track file is not a track file of the game";
    case record::TrackVerdict::Damaged:
      return "the track file is damaged";
    case record::TrackVerdict::CutOff:
    case record::TrackVerdict::Accepted:
      break;
  }
  return "";
}

std::string EntryFacts(const record::CompetitionRecord& competition,
                       const record::EntryRecord& entry) {
  std::vector<std::string> missing;
  if (!entry.game_file) missing.push_back("no game file");
  if (!entry.screen_file) missing.push_back("no screen picture");
  std::string html;
  if (entry.track) {
    html +=
        Element("p", "Driver " + Element("strong", HtmlText(entry.track->driver)) + ", time " +
                         HtmlText(Seconds(entry.track->time)) + ", car " +
                         HtmlText(entry.track->car) + ": " + CarVerdict(competition, *entry.track));
  } else {
    missing.insert(missing.begin(), TrackProblem(entry));
  }
  if (!missing.empty()) {
    std::string list;
    for (const std::string& item : missing) list += (list.empty() ? "" : "; ") + item;
    html += Element("p", HtmlText(list), "class=\"bad\"");
  }
  return html;
}

std::string FindingList(const record::EntryRecord& entry) {
  if (entry.findings.empty()) return "";
  std::string items;
  for (const record::Finding& finding : entry.findings) {
    items +=
        Element("li", Element("code", HtmlText(finding.code)) + " " + HtmlText(finding.message)) +
        "\n";
  }
  return Element("ul", "\n" + items, "class=\"findings\"");
}

std::string EntrySection(const record::CompetitionRecord& competition,
                         const record::EntryRecord& entry, const EntryPictures& pictures) {
  std::string images;
  if (pictures.track) images += Image(*pictures.track, "track of " + entry.folder);
  if (pictures.screen) images += Image(*pictures.screen, "screen of " + entry.folder);
  return "<section class=\"entry\">\n" + Element("h3", HtmlText(entry.folder)) + "\n" +
         EntryFacts(competition, entry) + "\n" + FindingList(entry) +
         (images.empty() ? "" : Element("div", images, "class=\"pictures\"")) + "\n</section>\n";
}

}  // namespace

std::string ResultsPage(const record::CompetitionRecord& competition, const PageContent& content) {
  const std::string title =
      (competition.track.empty() ? "Hot lap" : competition.track) + " results";
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>" +
      HtmlText(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  html += Element("h1", HtmlText(title)) + "\n";
  html += Element("p",
                  "Evaluated on " + HtmlText(content.run_date) + " &middot; " +
                      text::FormatInteger(static_cast<int64_t>(competition.entries.size())) +
                      " entries",
                  "class=\"facts\"") +
          "\n";
  html += Element("h2", "Ranking") + "\n" + RankingTable(competition);
  if (content.chart)
    html += Element("h2", "Chart") + "\n" +
            Element("p", Image(*content.chart, "chart of the ranked times")) + "\n";
  if (content.ghosts)
    html += Element("h2", "Ghosts") + "\n" +
            Element("p", Image(*content.ghosts, "every ranked ghost over the winner's track")) +
            "\n";
  html += Element("h2", "Entries") + "\n";
  for (size_t i = 0; i < competition.entries.size(); ++i) {
    html += EntrySection(competition, competition.entries[i],
                         i < content.pictures.size() ? content.pictures[i] : EntryPictures{});
  }
  return html + "</body>\n</html>\n";
}

}  // namespace hl::publish
