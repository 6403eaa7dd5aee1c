#include <string>

#include "audit/car_difference.h"
#include "audit/entry_findings.h"
#include "audit/finding_list.h"

namespace hl::audit {
namespace {

constexpr size_t kOffsetsShown = 10;

record::Finding ModifiedCar(const NearestBlock& nearest) {
  nlohmann::ordered_json differences = nlohmann::ordered_json::array();
  std::vector<std::string> offsets;
  for (const ByteDifference& d : nearest.differences) {
    differences.push_back({{"offset", d.offset}, {"reference", d.reference}, {"entry", d.entry}});
    offsets.push_back(std::to_string(d.offset));
  }
  const size_t count = nearest.differences.size();
  const std::string message = CountText(count, "byte differs", "bytes differ") +
                              " from the reference at " + (count == 1 ? "offset " : "offsets ") +
                              ListText(offsets, kOffsetsShown);
  return MakeFinding("car-modified", message,
                     {{"nearest_offset", nearest.offset}, {"differences", std::move(differences)}});
}

}  // namespace

void AddCarFindings(const record::EntryRecord& entry, const std::optional<std::string>& car_file,
                    std::span<const uint8_t> reference_car,
                    std::vector<record::Finding>& findings) {
  if (!entry.track || entry.track->car_ok) return;
  if (!car_file) {
    findings.push_back(MakeFinding("car-not-checked", "no reference car file was read"));
    return;
  }
  const std::span<const uint8_t> block = entry.evidence.car_block.Items();
  if (reference_car.size() < block.size()) {
    findings.push_back(MakeFinding(
        "car-not-checked", "the reference car file " + *car_file + " holds no whole car block (" +
                               CountText(reference_car.size(), "byte", "bytes") + ")"));
    return;
  }
  // The car check found no equal block, so the nearest one differs somewhere.
  const auto nearest = NearestCarBlock(block, reference_car);
  if (nearest && !nearest->differences.empty()) findings.push_back(ModifiedCar(*nearest));
}

}  // namespace hl::audit
