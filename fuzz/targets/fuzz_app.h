#pragma once
// The started tool every target runs in: initialised once per process
// (fonts and the data buffer are costly), its per-run state put back to the
// start values before each input, so one input never sees another's data.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "state/state.h"
#include "toolkit/ui/headless_ui.h"

namespace hl::fuzzing {

class FuzzApp {
 public:
  // The process's instance, reset for a new input.
  static FuzzApp& Fresh();

  state::AppState& State() { return s_; }
  ui::HeadlessUi& Ui() { return *ui_; }
  // A private folder of this process, ending with "/"; emptied at exit.
  const std::string& Folder() const { return folder_; }

  // Writes the bytes to Folder() + relative (parent folders are made) and
  // returns the full path; aborts when the file cannot be written.
  std::string WriteFile(const std::string& relative, std::span<const uint8_t> bytes) const;
  // Copies bytes to offset 0 of DataBuffer (cut to the file region) and
  // returns how many were copied.
  int32_t LoadIntoFileRegion(std::span<const uint8_t> bytes);
  int32_t LoadIntoCarArea(std::span<const uint8_t> bytes);

  FuzzApp(const FuzzApp&) = delete;
  FuzzApp& operator=(const FuzzApp&) = delete;
  ~FuzzApp();

 private:
  FuzzApp();
  void Reset();
  void ResetDecodedValues();

  state::AppState s_;
  std::optional<ui::HeadlessUi> ui_;
  std::string folder_;
  // How far earlier inputs wrote into each region, so a reset clears only that.
  int64_t file_region_used_ = 0;
  int64_t car_area_used_ = 0;
};

// Ends the process with a message when a condition the tool guarantees
// does not hold, so the fuzzer records the input like a crash.
void Require(bool condition, const char* what);

}  // namespace hl::fuzzing
