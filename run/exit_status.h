#pragma once
// How a run (or a season of them) ended, as the process reports it. Parts of
// a run end on their own; the whole ends as its worst part.

#include <algorithm>

namespace hl::run {

enum class ExitStatus : int {
  kDone = 0,        // everything was written
  kNotWritten = 1,  // something could not be written
  kBadUsage = 2,    // a bad command line or input file
};

[[nodiscard]] constexpr ExitStatus Worse(ExitStatus a, ExitStatus b) { return std::max(a, b); }

// kDone when `written`, else kNotWritten.
[[nodiscard]] constexpr ExitStatus WrittenOrNot(bool written) {
  return written ? ExitStatus::kDone : ExitStatus::kNotWritten;
}

[[nodiscard]] constexpr int ProcessStatus(ExitStatus status) { return static_cast<int>(status); }

}  // namespace hl::run
