#include "tools/competition/corruption.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace hl::competition {
namespace {

namespace fs = std::filesystem;

// splitmix64: the same numbers on every platform and standard library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int64_t Below(int64_t bound) {
    return bound <= 0 ? 0 : static_cast<int64_t>(Next() % static_cast<uint64_t>(bound));
  }

 private:
  uint64_t state_;
};

constexpr int64_t kHugeFile = 3'000'000;
constexpr int64_t kFileRegion = 1'900'000;  // what fits before the car area
constexpr int kManyEntries = 150;

// ---- planning ----

SampleOptions Standard() { return SampleOptions{}; }

SampleOptions ManyEntries() {
  SampleOptions options;
  options.entrants = kManyEntries;
  options.screen_width = 160;
  options.screen_height = 120;
  return options;
}

Corruption On(Damage damage, DamagedFile file, int entry = 0, int64_t amount = 0) {
  Corruption c;
  c.damage = damage;
  c.file = file;
  c.entry = entry;
  c.amount = amount;
  return c;
}

Corruption SetFieldOn(int entry, Field field, FieldValue value) {
  Corruption c = On(Damage::SetField,
                    field == Field::TrackIndex ? DamagedFile::Game : DamagedFile::Track, entry);
  c.field = field;
  c.value = value;
  return c;
}

Corruption Rename(int entry, std::string name) {
  Corruption c = On(Damage::RenameEntry, DamagedFile::Track, entry);
  c.new_name = std::move(name);
  return c;
}

constexpr std::array<DamagedFile, 4> kAllFiles = {DamagedFile::Track, DamagedFile::Game,
                                                  DamagedFile::Screen, DamagedFile::Car};
constexpr std::array<Field, 5> kAllFields = {Field::FixedSize, Field::PairCount, Field::ObjectCount,
                                             Field::GhostWord, Field::TrackIndex};
constexpr std::array<FieldValue, 5> kAllValues = {FieldValue::Zero, FieldValue::MinusOne,
                                                  FieldValue::Largest16, FieldValue::Smallest16,
                                                  FieldValue::BeyondFile};

std::vector<Variant> FixedVariants() {
  std::vector<Variant> v;
  auto add = [&v](std::string kind, std::vector<Corruption> corruptions,
                  SampleOptions sample = Standard()) {
    v.push_back({"", std::move(kind), sample, std::move(corruptions)});
  };
  add("intact", {});
  for (DamagedFile file : kAllFiles) {
    add("zero-length", {On(Damage::ZeroLength, file, 1)});
    add("directory", {On(Damage::DirectoryInstead, file, 2)});
    add("fifo", {On(Damage::FifoInstead, file, 3)});
    add("huge", {On(Damage::Inflate, file, 0, kHugeFile)});
  }
  add("zero-length",
      {On(Damage::ZeroLength, DamagedFile::Track, 0), On(Damage::ZeroLength, DamagedFile::Game, 0),
       On(Damage::ZeroLength, DamagedFile::Screen, 0), On(Damage::ZeroLength, DamagedFile::Car)});
  // Just inside and just beyond the room a track file has in the data buffer.
  add("huge", {On(Damage::Inflate, DamagedFile::Track, 1, kFileRegion)});
  add("huge", {On(Damage::Inflate, DamagedFile::Track, 1, kFileRegion + 1)});
  add("names", {Rename(0, "entry with spaces")});
  add("names", {Rename(1, "Zo\xC3\xAB M\xC3\xBCller")});
  add("names", {Rename(2, "bad-\xFF\xFE-bytes")});
  add("names", {Rename(0, " padded "), Rename(3, "Zo\xEB Latin1"), Rename(6, "tab\there"),
                Rename(7, "-starts-with-dash")});
  add("many-entries", {}, ManyEntries());
  add("many-entries",
      {On(Damage::Truncate, DamagedFile::Track, 17, 100),
       On(Damage::FifoInstead, DamagedFile::Track, 40),
       On(Damage::ZeroLength, DamagedFile::Game, 99), Rename(149, "last one")},
      ManyEntries());
  for (Field field : kAllFields) {
    for (FieldValue value : kAllValues) add("field", {SetFieldOn(0, field, value)});
  }
  return v;
}

DamagedFile RandomFile(Random& random) {
  // Track files carry the most structure, so they get half of the damage.
  const int64_t pick = random.Below(6);
  return pick < 3 ? DamagedFile::Track : kAllFiles[static_cast<size_t>(pick - 2)];
}

Corruption RandomCorruption(Random& random, int kind) {
  const int entry = static_cast<int>(random.Below(8));
  switch (kind) {
    case 0:
      return On(Damage::Truncate, RandomFile(random), entry, -1 - random.Below(1'000'000));
    case 1: {
      Corruption c = On(Damage::FlipBytes, RandomFile(random), entry, 1 + random.Below(64));
      c.seed = static_cast<uint32_t>(random.Next());
      return c;
    }
    default:
      return SetFieldOn(entry, kAllFields[static_cast<size_t>(random.Below(5))],
                        kAllValues[static_cast<size_t>(random.Below(5))]);
  }
}

Variant RandomVariant(Random& random, int index) {
  static const std::array<const char*, 4> kKinds = {"truncate", "flip", "field", "mixed"};
  const int kind = index % 4;
  Variant variant{"", kKinds[static_cast<size_t>(kind)], Standard(), {}};
  if (kind < 3) {
    variant.corruptions.push_back(RandomCorruption(random, kind));
  } else {
    const int64_t count = 2 + random.Below(3);
    for (int64_t i = 0; i < count; ++i) {
      variant.corruptions.push_back(RandomCorruption(random, static_cast<int>(random.Below(3))));
    }
  }
  return variant;
}

// ---- files of a competition ----

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Removes whatever is at path first, so a hard link to the intact file is
// never written through.
std::optional<std::string> WriteFresh(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  fs::remove(path, ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return "cannot write " + path.string();
  return std::nullopt;
}

std::string LowerTail(const std::string& name, size_t count) {
  std::string tail = name.substr(name.size() - std::min(count, name.size()));
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail;
}

bool IsKind(const std::string& name, DamagedFile file) {
  const std::string tail = LowerTail(name, 3);
  switch (file) {
    case DamagedFile::Track:
      return tail == "trk";
    case DamagedFile::Game:
      return tail == "gam";
    case DamagedFile::Screen:
      return tail == "jpg" || tail == "bmp";
    case DamagedFile::Car:
      return LowerTail(name, 4) == ".car";
  }
  return false;
}

const char* DefaultName(DamagedFile file) {
  static const std::array<const char*, 4> kNames = {"damaged.trk", "damaged.gam", "damaged.jpg",
                                                    "damaged.car"};
  return kNames[static_cast<size_t>(file)];
}

std::vector<std::string> SortedNames(const fs::path& folder, bool directories) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    if (item.is_directory(ec) == directories) names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The file the tool would pick (the last of its kind by name), or nullopt.
std::optional<fs::path> FindFile(const fs::path& folder, DamagedFile file) {
  const std::vector<std::string> names = SortedNames(folder, false);
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    if (IsKind(*name, file)) return folder / *name;
  }
  return std::nullopt;
}

std::optional<std::string> CopyTree(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::create_directory(to, ec)) return "cannot create " + to.string();
  for (const auto& item : fs::directory_iterator(from, ec)) {
    const fs::path target = to / item.path().filename();
    if (item.is_directory(ec)) {
      if (auto problem = CopyTree(item.path(), target)) return problem;
    } else if (item.is_regular_file(ec)) {
      fs::create_hard_link(item.path(), target, ec);
      if (ec && !fs::copy_file(item.path(), target, ec))
        return "cannot copy " + item.path().string();
    }
  }
  return std::nullopt;
}

int64_t FieldNumber(FieldValue value, int64_t file_length, int width) {
  switch (value) {
    case FieldValue::Zero:
      return 0;
    case FieldValue::MinusOne:
      return -1;
    case FieldValue::Largest16:
      return width == 1 ? 127 : 32767;
    case FieldValue::Smallest16:
      return width == 1 ? -128 : -32768;
    case FieldValue::BeyondFile:
      return width == 4 ? file_length + 1 : width == 2 ? 32767 : 127;
  }
  return 0;
}

int64_t GetLe(const std::vector<uint8_t>& bytes, int64_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[static_cast<size_t>(at + i)];
  if (width == 4) return static_cast<int32_t>(value);
  if (width == 2) return static_cast<int16_t>(value);
  return value;
}

void PutLe(std::vector<uint8_t>& bytes, int64_t at, int width, int64_t value) {
  for (int i = 0; i < width; ++i)
    bytes[static_cast<size_t>(at + i)] = static_cast<uint8_t>(value >> (8 * i));
}

bool Holds(const std::vector<uint8_t>& bytes, int64_t at, int width) {
  return at >= 0 && at + width <= static_cast<int64_t>(bytes.size());
}

// Where the field lies, as the decoding computes it from the other numbers.
std::optional<std::pair<int64_t, int>> FieldPlace(const std::vector<uint8_t>& bytes, Field field) {
  switch (field) {
    case Field::FixedSize:
      return std::pair<int64_t, int>{4, 4};
    case Field::PairCount:
      return std::pair<int64_t, int>{16, 4};
    case Field::TrackIndex:
      return std::pair<int64_t, int>{78, 1};
    case Field::ObjectCount:
      if (!Holds(bytes, 16, 4)) return std::nullopt;
      return std::pair<int64_t, int>{4118 + 2 * GetLe(bytes, 16, 4), 2};
    case Field::GhostWord:
      if (!Holds(bytes, 4, 4)) return std::nullopt;
      return std::pair<int64_t, int>{GetLe(bytes, 4, 4) + 9625, 2};
  }
  return std::nullopt;
}

void DamageBytes(std::vector<uint8_t>& bytes, const Corruption& c) {
  const auto size = static_cast<int64_t>(bytes.size());
  switch (c.damage) {
    case Damage::Truncate: {
      // A negative amount picks the length from the intact file's own.
      const int64_t keep = c.amount >= 0 ? c.amount : size * (-1 - c.amount) / 1'000'000;
      if (keep < size) bytes.resize(static_cast<size_t>(keep));
      break;
    }
    case Damage::FlipBytes: {
      Random random(c.seed);
      for (int64_t i = 0; i < c.amount && size > 0; ++i) {
        bytes[static_cast<size_t>(random.Below(size))] ^=
            static_cast<uint8_t>(1 + random.Below(255));
      }
      break;
    }
    case Damage::SetField: {
      const auto place = FieldPlace(bytes, c.field);
      if (place && Holds(bytes, place->first, place->second)) {
        PutLe(bytes, place->first, place->second, FieldNumber(c.value, size, place->second));
      }
      break;
    }
    case Damage::Inflate:
      if (c.amount > size) bytes.resize(static_cast<size_t>(c.amount), 0);
      break;
    default:
      break;
  }
}

std::optional<std::string> ReplaceKind(const fs::path& path, bool directory) {
  std::error_code ec;
  fs::remove_all(path, ec);
  if (directory) {
    if (!fs::create_directory(path, ec)) return "cannot create the folder " + path.string();
  } else if (mkfifo(path.c_str(), 0644) != 0) {
    return "cannot create the pipe " + path.string();
  }
  return std::nullopt;
}

std::optional<std::string> Apply(const fs::path& root, std::vector<std::string>& entries,
                                 const Corruption& c) {
  if (c.file != DamagedFile::Car && (c.entry < 0 || c.entry >= static_cast<int>(entries.size()))) {
    return std::nullopt;  // the competition has no such entry
  }
  const fs::path folder =
      c.file == DamagedFile::Car ? root : root / entries[static_cast<size_t>(c.entry)];
  if (c.damage == Damage::RenameEntry) {
    std::error_code ec;
    if (fs::exists(root / c.new_name, ec)) return std::nullopt;
    fs::rename(folder, root / c.new_name, ec);
    if (ec) return "cannot rename " + folder.string();
    entries[static_cast<size_t>(c.entry)] = c.new_name;
    return std::nullopt;
  }
  const std::optional<fs::path> found = FindFile(folder, c.file);
  const fs::path path = found.value_or(folder / DefaultName(c.file));
  switch (c.damage) {
    case Damage::ZeroLength:
      return WriteFresh(path, {});
    case Damage::DirectoryInstead:
      return ReplaceKind(path, true);
    case Damage::FifoInstead:
      return ReplaceKind(path, false);
    default:
      break;
  }
  if (!found) return std::nullopt;
  std::vector<uint8_t> bytes = ReadBytes(path);
  DamageBytes(bytes, c);
  return WriteFresh(path, bytes);
}

const char* FileName(DamagedFile file) {
  static const std::array<const char*, 4> kNames = {"track", "game", "screen", "car"};
  return kNames[static_cast<size_t>(file)];
}

}  // namespace

std::vector<Variant> PlanVariants(int count, uint32_t seed) {
  std::vector<Variant> variants = FixedVariants();
  Random random(seed);
  for (int i = 0; static_cast<int>(variants.size()) < count; ++i) {
    variants.push_back(RandomVariant(random, i));
  }
  for (size_t i = 0; i < variants.size(); ++i) {
    std::string number = std::to_string(i + 1);
    number.insert(0, 4 - std::min<size_t>(4, number.size()), '0');
    variants[i].name = "v" + number + "-" + variants[i].kind;
  }
  return variants;
}

std::string Describe(const Corruption& c) {
  static const std::array<const char*, 5> kFields = {"F", "N", "ObjectCount", "W", "track index"};
  static const std::array<const char*, 5> kValues = {"0", "-1", "32767", "-32768",
                                                     "beyond the file"};
  // A byte holds no 16-bit extreme; the nearest values are stored instead.
  static const std::array<const char*, 5> kByteValues = {"0", "-1", "127", "-128", "127"};
  const std::string where =
      std::string(FileName(c.file)) +
      (c.file == DamagedFile::Car ? "" : " of entry " + std::to_string(c.entry));
  switch (c.damage) {
    case Damage::Truncate:
      return where + " cut to " +
             (c.amount >= 0 ? std::to_string(c.amount) + " bytes"
                            : std::to_string((-1 - c.amount) / 10'000) + "% of its length");
    case Damage::FlipBytes:
      return where + ": " + std::to_string(c.amount) + " bytes flipped (seed " +
             std::to_string(c.seed) + ")";
    case Damage::SetField:
      return where + ": " + kFields[static_cast<size_t>(c.field)] + " = " +
             (c.field == Field::TrackIndex ? kByteValues : kValues)[static_cast<size_t>(c.value)];
    case Damage::ZeroLength:
      return where + " empty";
    case Damage::DirectoryInstead:
      return where + " is a folder";
    case Damage::FifoInstead:
      return where + " is a named pipe";
    case Damage::Inflate:
      return where + " padded to " + std::to_string(c.amount) + " bytes";
    case Damage::RenameEntry:
      return "entry " + std::to_string(c.entry) + " renamed to '" + c.new_name + "'";
  }
  return where;
}

std::optional<std::string> WriteVariant(const std::string& intact, const std::string& target,
                                        const std::vector<Corruption>& corruptions) {
  const fs::path root(target);
  if (fs::exists(root)) return target + " exists already";
  if (auto problem = CopyTree(intact, root)) return problem;
  std::vector<std::string> entries = SortedNames(root, true);
  for (const Corruption& c : corruptions) {
    if (auto problem = Apply(root, entries, c)) return problem;
  }
  return std::nullopt;
}

}  // namespace hl::competition
