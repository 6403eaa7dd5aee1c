#include "publish/results_page.h"

#include "publish/lap_time_text.h"
#include "publish/page_render.h"
#include "publish/page_templates.h"
#include "ranking/record_ranking.h"
#include "record/rules.h"
#include "toolkit/text/text.h"

namespace hl::publish {
namespace {

// Sets "car_modified", or "car_verdict" to the verdict's text.
void AddCarVerdict(PageData& values, const record::CompetitionRecord& competition,
                   const record::TrackFacts& track) {
  if (track.car_ok) {
    values.set("car_verdict", "ok");
  } else if (!competition.car_file) {
    values.set("car_verdict", "not checked");
  } else {
    values.set("car_modified", true);
  }
}

std::string PenaltyText(const record::EntryRecord& entry) {
  if (!entry.penalty) return "";
  std::string text = LapTimeText(text::ParseInteger(entry.penalty->time));
  if (!entry.penalty->reason.empty()) text += ": " + entry.penalty->reason;
  return text;
}

PageList Findings(const record::EntryRecord& entry) {
  PageList findings;
  for (const record::Finding& finding : entry.findings) {
    PageData item;
    item.set("code", finding.code);
    item.set("message", finding.message);
    item.set("first", findings.empty());
    findings.push_back(item);
  }
  return findings;
}

// The ranking's row for `ranked`, `leader` the first place's time.
PageData RankingRow(const record::CompetitionRecord& competition,
                    const ranking::RankedEntry& ranked, int64_t leader) {
  const record::EntryRecord& entry = competition.entries[ranked.entry];
  const bool timed = ranked.time < record::kNoTime && leader < record::kNoTime;
  PageData row;
  row.set("place", text::FormatInteger(ranked.place));
  row.set("driver", entry.track->driver);
  row.set("time", LapTimeText(ranked.time));
  row.set("gap",
          ranked.place == 1 || !timed ? "" : "+" + text::FormatHundredths(ranked.time - leader));
  AddCarVerdict(row, competition, *entry.track);
  row.set("penalty", PenaltyText(entry));
  row.set("findings", Findings(entry));
  return row;
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

std::string Problems(const record::EntryRecord& entry) {
  std::vector<std::string> missing;
  if (!entry.track) missing.push_back(TrackProblem(entry));
  if (!entry.game_file) missing.push_back("no game file");
  if (!entry.screen_file) missing.push_back("no screen picture");
  std::string list;
  for (const std::string& item : missing) list += (list.empty() ? "" : "; ") + item;
  return list;
}

// Every picture but the first below the ranking waits until it is scrolled
// near: the ranking alone fills a phone's first screen.
PageData Picture(const PagePicture& picture, const std::string& alt, bool lazy) {
  PageData values;
  values.set("src", picture.path);
  values.set("width", std::to_string(picture.width));
  values.set("height", std::to_string(picture.height));
  values.set("alt", alt);
  values.set("lazy", lazy);
  return values;
}

PageData Entry(const record::CompetitionRecord& competition, const record::EntryRecord& entry,
               const EntryPictures& shown) {
  PageData values;
  values.set("folder", entry.folder);
  if (entry.track) {
    PageData track;
    track.set("driver", entry.track->driver);
    track.set("time", LapTimeText(entry.track->time));
    track.set("car", entry.track->car);
    AddCarVerdict(track, competition, *entry.track);
    values.set("track", track);
  }
  if (const std::string problems = Problems(entry); !problems.empty())
    values.set("problems", problems);
  values.set("has_findings", !entry.findings.empty());
  values.set("findings", Findings(entry));
  PageList pictures;
  if (shown.track) pictures.push_back(Picture(*shown.track, "track of " + entry.folder, true));
  if (shown.screen) pictures.push_back(Picture(*shown.screen, "screen of " + entry.folder, true));
  values.set("has_pictures", !pictures.empty());
  values.set("pictures", pictures);
  return values;
}

// What a published revision says of itself, with links to those before.
std::string RevisionMeaning(const FinalRevision& revision) {
  return "Revision " + text::FormatInteger(revision.number) + " of the final results, published " +
         revision.published + ": " + revision.reason;
}

PageList EarlierRevisions(const FinalRevision& revision) {
  PageList links;
  for (size_t i = 0; i < revision.earlier_links.size(); ++i) {
    PageData link;
    link.set("link", revision.earlier_links[i]);
    link.set("number", text::FormatInteger(static_cast<int64_t>(i) + 1));
    links.push_back(link);
  }
  return links;
}

// The banner of a stated standing: its class, its word and what it means.
// Without a default, a new standing does not build until it has its banner.
PageData StandingBanner(const Publication& publication) {
  PageData banner;
  switch (publication.standing) {
    case Standing::kProvisional:
      banner.set("name", "provisional");
      banner.set("label", "Provisional");
      banner.set("meaning",
                 "Uploads are open or the results are not yet declared final: places may still "
                 "change.");
      break;
    case Standing::kFrozen:
      banner.set("name", "frozen");
      banner.set("label", "Frozen");
      banner.set("meaning", "The standings are shown as they were at the freeze, since " +
                                publication.frozen_since +
                                ". Uploads go on until they close; the final results follow.");
      break;
    case Standing::kFinal:
      banner.set("name", "final");
      banner.set("label", "Final");
      if (const auto& revision = publication.revision) {
        banner.set("meaning", RevisionMeaning(*revision));
        if (!revision->earlier_links.empty()) banner.set("earlier", EarlierRevisions(*revision));
        break;
      }
      banner.set("meaning", "Uploads are closed and the results are declared final.");
      break;
    case Standing::kUnstated:
      break;
  }
  return banner;
}

// Where entrants upload and until when, on the server's page.
PageData UploadsLine(const Publication& publication) {
  PageData line;
  line.set("closing", publication.closing);
  line.set("link", publication.upload_link);
  line.set("has_link", !publication.upload_link.empty());
  return line;
}

// The chart's labels and the ghost legend are drawn 10 px high, too small
// to read once a phone shrinks the picture to its width: a narrow screen
// shows them a fifth larger, in a box that scrolls sideways.
PageData ReadablePicture(const PagePicture& picture, const std::string& alt, bool lazy) {
  PageData values = Picture(picture, alt, lazy);
  values.set("readable_width", std::to_string(picture.width * 6 / 5));
  return values;
}

}  // namespace

std::string ResultsPage(const record::CompetitionRecord& competition, const PageContent& content) {
  const std::string name = competition.track.empty() ? "Hot lap" : competition.track;
  const std::string entries = text::FormatInteger(static_cast<int64_t>(competition.entries.size()));
  PageData values;
  if (content.publication.standing != Standing::kUnstated)
    values.set("standing", StandingBanner(content.publication));
  if (!content.publication.closing.empty() || !content.publication.upload_link.empty())
    values.set("uploads", UploadsLine(content.publication));
  values.set("title", name + " results");
  values.set("description", "Results of the " + name + " hot lap competition: " + entries +
                                " entries ranked by lap time, evaluated on " + content.run_date +
                                ".");
  values.set("run_date", content.run_date);
  values.set("entry_count", entries);
  const auto places = ranking::RankRecord(competition);
  const MadeList ranking{.name = "ranking", .count = places.size(), .item = [&](size_t i) {
                           return RankingRow(competition, places[i], places.front().time);
                         }};
  if (content.chart)
    values.set("chart", ReadablePicture(*content.chart, "chart of the ranked times", false));
  if (content.ghosts) {
    values.set("ghosts", ReadablePicture(*content.ghosts,
                                         "every ranked ghost over the winner's track", true));
  }
  const MadeList sections{
      .name = "entries", .count = competition.entries.size(), .item = [&](size_t i) {
        return Entry(competition, competition.entries[i],
                     i < content.pictures.size() ? content.pictures[i] : EntryPictures{});
      }};
  return RenderPage(embedded::kResultsPageTemplate, values, {ranking, sections});
}

}  // namespace hl::publish
