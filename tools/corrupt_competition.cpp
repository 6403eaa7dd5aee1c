// corrupt-competition OUTDIR [COUNT] [SEED]
// Writes the sample competition and COUNT (default 520, at least 500)
// damaged copies of it into OUTDIR, which must not exist yet, and an index
// OUTDIR/variants.tsv: one line per copy with its folder name, its class and
// what was damaged. The intact samples lie in OUTDIR/_intact/.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <string_view>

#include "tools/competition/corruption.h"
#include "tools/competition/sample_competition.h"

namespace {

namespace fs = std::filesystem;
using hl::competition::Variant;

constexpr int kDefaultCount = 520;
constexpr int kLeastCount = 500;

std::string SampleKey(const hl::competition::SampleOptions& o) {
  return std::to_string(o.entrants) + "-entrants-" + std::to_string(o.screen_width) + "x" +
         std::to_string(o.screen_height);
}

std::string Description(const Variant& variant) {
  if (variant.corruptions.empty()) return "no damage";
  std::string text;
  for (const auto& corruption : variant.corruptions) {
    if (!text.empty()) text += "; ";
    text += hl::competition::Describe(corruption);
  }
  return text;
}

int Fail(const std::string& problem) {
  std::cerr << "corrupt-competition: " << problem << '\n';
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4 || std::string_view(argv[1]).starts_with("-")) {
    std::cerr << "usage: corrupt-competition OUTDIR [COUNT] [SEED]\n";
    return 2;
  }
  const fs::path out = argv[1];
  const int count = argc > 2 ? std::atoi(argv[2]) : kDefaultCount;
  const auto seed = static_cast<uint32_t>(argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1);
  if (count < kLeastCount) return Fail("COUNT must be at least " + std::to_string(kLeastCount));
  if (fs::exists(out)) return Fail(out.string() + " exists already");

  const std::vector<Variant> variants = hl::competition::PlanVariants(count, seed);
  std::map<std::string, fs::path> intact;
  std::ofstream index;
  for (const Variant& variant : variants) {
    const std::string key = SampleKey(variant.sample);
    if (!intact.contains(key)) {
      const fs::path folder = out / "_intact" / key;
      if (auto problem = hl::competition::WriteSampleCompetition(folder.string(), variant.sample))
        return Fail(*problem);
      intact[key] = folder;
    }
    if (!index.is_open()) index.open(out / "variants.tsv");
    if (auto problem = hl::competition::WriteVariant(
            intact[key].string(), (out / variant.name).string(), variant.corruptions)) {
      return Fail(*problem);
    }
    index << variant.name << '\t' << variant.kind << '\t' << Description(variant) << '\n';
  }
  index.close();
  if (!index) return Fail("cannot write the index " + (out / "variants.tsv").string());
  std::cout << variants.size() << " damaged competitions in " << out.string() << '\n';
  return 0;
}
