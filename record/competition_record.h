#pragma once
// What an evaluation found, entry by entry, as plain data. The decoders fill
// it while the run goes on; the results files, the audit, the saved
// evaluation and the season standings read it, so none of them has to read
// facts back out of German log lines. It holds no log text and knows nothing
// of the window.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "record/shared_list.h"

namespace hl::record {

// As the track file stores it; nothing checks that it is a real date.
struct RecordDate {
  int16_t year = 0;
  int16_t month = 0;
  int16_t day = 0;
};

// The five race settings of the game file, as the bars show them.
struct RaceSettings {
  int tyres = 0;
  int consumption = 0;
  int fuel = 0;
  int damage = 0;
  int speed = 0;
};

struct Penalty {
  std::string time;    // as typed: 1 to 5 digits
  std::string reason;  // empty when none was given
};

// One piece of evidence the audit found; `fields` are the finding's own
// values, written into the results as they stand.
struct Finding {
  std::string code;     // stable, e.g. "car-modified"
  std::string message;  // one line for people
  nlohmann::ordered_json fields = nlohmann::ordered_json::object();
};

// Why an entry's track file gave no or only part of a result.
enum class TrackVerdict {
  Missing,      // no track file in the folder
  NotReadable,  // could not be read
  TooLarge,     // larger than the data buffer allows
  NotATrack,    // no track file of the game
  Damaged,      // its header points outside the data: no result
  CutOff,       // a result, but later blocks lie outside the data
  Accepted,
};

struct GhostPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const GhostPoint&, const GhostPoint&) = default;
};

using Digest = std::array<uint8_t, 32>;  // SHA-256

// The slot-1 facts of an accepted track file.
struct TrackFacts {
  int32_t fixed_size = 0;
  int16_t objects = 0;
  int16_t time = 0;  // hundredths; 6000 or more is no time
  std::string driver;
  std::string car;
  bool car_ok = false;
  int16_t ghost_samples = 0;              // as the file counts them
  std::optional<RecordDate> record_date;  // absent when the data ends before it
  // The result line after "1.: ", as the log holds it (a penalty rewrites it).
  std::string result;
};

// What the audit compares; captured while the entry's data is loaded.
struct Evidence {
  std::optional<Digest> track_file;     // the whole track file as read
  std::optional<Digest> track_picture;  // its track picture data: which track was driven
  SharedList<uint8_t> car_block;        // slot 1's car, as far as the data holds it
  std::optional<Digest> ghost;          // the ghost samples, when the file counts any
  SharedList<GhostPoint> ghost_points;  // picture positions, as the ghost step places them
  bool screen_unreadable = false;       // a screen file that did not decode
};

// Where the entries of one run share the evidence they hold alike.
struct EvidencePools {
  SharedListPool<uint8_t> car_blocks;
  SharedListPool<GhostPoint> ghosts;
};

struct EntryRecord {
  std::string folder;  // as the file system names it
  std::optional<std::string> track_file;
  std::optional<std::string> game_file;
  std::optional<std::string> screen_file;
  TrackVerdict track_verdict = TrackVerdict::Missing;
  std::optional<TrackFacts> track;        // present when the track file was accepted
  std::optional<std::string> track_name;  // selected in the game file
  std::optional<RaceSettings> settings;
  std::optional<Penalty> penalty;
  std::vector<Finding> findings;
  Evidence evidence;

  bool TrackAccepted() const { return track.has_value(); }
};

struct CompetitionRecord {
  std::string folder{};                   // the base folder, ends with "/"
  std::string track{};                    // the name the report and chart are named after
  std::vector<std::string> car_files{};   // every car file listed
  std::optional<std::string> car_file{};  // the one read as the reference
  std::vector<EntryRecord> entries{};     // in folder order

  // The entry being evaluated; nullptr before the first.
  EntryRecord* Current() { return entries.empty() ? nullptr : &entries.back(); }
};

}  // namespace hl::record
