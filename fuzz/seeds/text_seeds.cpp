#include <string>

#include "fuzz/seeds/seed_sets.h"

namespace hl::fuzzing {

namespace {

Seed Text(std::string name, const std::string& text) {
  return {std::move(name), std::vector<uint8_t>(text.begin(), text.end())};
}

// The log of one entry as the tool collects it, ending with the separator
// line and no line break.
std::string EntryLog(const std::string& result) {
  return " \r\neichwald.trk  (fest): 4662 Bytes\r\n# Objecte: 40\r\n \r\n" + result +
         "\r\n \r\nCar 1:Falcon 2.0 ok\r\n \r\nanna.gam\r\nTrackname in gam: Eichwald Ring\r\n"
         "T/C/F/D/S:  100 / 100 / 60 / 0 / 100\r\n \r\n"
         "---------------------------------------------------";
}

}  // namespace

std::vector<Seed> GoogleTemplateSeeds() {
  return {
      Text("plain", "cht=bhs\r\nchs=450x\r\nchco=0000FF\r\n"),
      Text("size_lines", "chs=450x100\nCHS=450x\nchs=450x\t\n  chs=300x  \n\nchs=x"),
      Text("mixed_breaks", std::string("a\rb\r\nc\n\rd\0e\r", 11)),
      Text("empty", ""),
  };
}

std::vector<Seed> RankingSeeds() {
  const std::string head =
      "\r\n\r\nCar: reference.car\r\n---------------------------------------------------\r\n";
  return {
      Text("three_entries", head + EntryLog("1.: 5987 Anna") + EntryLog("1.: 987 Bert") +
                                EntryLog("1.: 6012 Cleo ##")),
      Text("odd_results", head + EntryLog("1.: 10000 Dora") + EntryLog("1.: 987") +
                              EntryLog("1.: -250 G\xC3\xB6sta") + EntryLog("1.:    42   x  y") +
                              EntryLog("1.: 6000 anna") + "1.: 123 no line end"),
      Text("no_results", head + " \r\nTrack fehlt in:\r\nemil\r\nScreen fehlt\r\n"),
      Text("one_entry", head + EntryLog("1.: 4712 Hugo")),
  };
}

}  // namespace hl::fuzzing
