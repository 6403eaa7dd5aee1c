#pragma once
// The competition's rules every part of the tool applies the same way.

#include <cstdint>
#include <string_view>

namespace hl::record {

// Lap times of 6000 hundredths or more are no time: the game stores them
// for a lap not driven.
inline constexpr int kNoTime = 6000;

// A penalty time: a whole number of 1 to 5 digits. Five digits hold every
// lap time the game can store; an empty or lettered text would count as 0
// in the ranking and win.
inline constexpr int64_t kMaxPenaltyTime = 99999;
[[nodiscard]] bool IsPenaltyTime(std::string_view text);

// The name of an entry folder inside the base folder: a plain name that
// cannot lead out of it (not empty, ".", ".." or holding a "/").
[[nodiscard]] bool IsEntryFolderName(std::string_view name);

}  // namespace hl::record
