#pragma once
// The names of fingerprinted files as keys of the evaluation file. A TOML key
// is UTF-8, but an entry folder may be named with any bytes, so a byte that
// is not part of UTF-8 is written as the four characters \xHH (two upper-case
// hex digits). A backslash that would otherwise start such an escape, or a
// doubled backslash, is doubled itself; every other backslash stays as it is,
// so names recorded before keep their keys. Control characters are kept and
// written as TOML's own escapes ("\n", "\u0001").

#include <string>
#include <string_view>

namespace hl::evaluation {

// The key of the file `name` (below the base folder, "anna/lap.trk").
std::string FingerprintKey(std::string_view name);
// The file name a key stands for; FileNameOfKey(FingerprintKey(n)) == n.
std::string FileNameOfKey(std::string_view key);

bool HoldsControlCharacter(std::string_view key);
// The key as a TOML basic string: "..." with backslash, quote and control
// characters escaped.
std::string BasicStringKey(std::string_view key);

}  // namespace hl::evaluation
