#pragma once
// The names the server accepts: entry folders it creates, and the names of
// uploaded files, which are kept since the track file's name names the
// report. No name from a request reaches a path without passing here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/text/error.h"

namespace hl::server {

// The three files of an entry, as the upload form names its fields.
enum class FileField { kTrack, kGame, kScreen };

inline constexpr FileField kFileFields[] = {FileField::kTrack, FileField::kGame,
                                            FileField::kScreen};

std::string_view FieldName(FileField field);
std::optional<FileField> FieldOfName(std::string_view name);

// Largest upload per field, and of a whole request.
uint64_t FieldLimit(FileField field);
inline constexpr uint64_t kRequestLimit = 12 * 1024 * 1024;

// 1 to 40 of A-Z a-z 0-9 _ -: a folder the server may create.
bool IsNewEntryName(std::string_view name);

// Why `name` cannot be stored for `field`; nullopt when it can.
std::optional<std::string> StoredNameProblem(FileField field, std::string_view name);

// The name a received file is stored under: `received` itself when it keeps
// the rules, else a safe name made from it ("eichwald (1).trk" ->
// "eichwald_1_.trk"): the part after the last / or \, each run of other
// characters as "_", leading dots dropped, the stem cut to fit. Fails,
// quoting `received`, when that name breaks the rules (a wrong ending) or has
// no letter or digit before its ending.
Result<std::string> StoredName(FileField field, std::string_view received);

// A folder name made from a driver's name: its letters and digits (ASCII,
// accents dropped), others as "-", at most 40; "entry" when nothing is left.
std::string EntryNameFromDriver(std::string_view driver);

}  // namespace hl::server
