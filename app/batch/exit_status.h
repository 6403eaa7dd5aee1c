#pragma once
// The exit statuses of the command line, shared by a batch run and a season.

namespace hl::batch {

inline constexpr int kDone = 0;        // everything was written
inline constexpr int kNotWritten = 1;  // something could not be written
inline constexpr int kBadUsage = 2;    // a bad command line or input file

}  // namespace hl::batch
