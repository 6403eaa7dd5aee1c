#include "server/staged_track.h"

#include <unistd.h>

#include <cstdint>
#include <vector>

#include "toolkit/files/byte_view.h"
#include "toolkit/files/data_buffer.h"
#include "toolkit/files/posix_io.h"
#include "trackfile/header.h"

namespace hl::server {
namespace {

// Why a track file with `verdict` holds no lap that may replace the
// current one; nullopt when it holds one.
std::optional<std::string> Reason(record::TrackVerdict verdict, const std::string& name) {
  using record::TrackVerdict;
  if (verdict == TrackVerdict::NotATrack)
    return "the file " + name +
           " is not a track file of the game; upload the .trk file the game saved after your lap";
  if (verdict == TrackVerdict::Damaged || verdict == TrackVerdict::CutOff)
    return "the track file " + name +
           " is damaged: parts of it are missing, as when a file is cut short; upload it again "
           "as the game saved it";
  return std::nullopt;
}

}  // namespace

Result<std::optional<std::string>> TrackFileRefusal(const std::string& staging,
                                                    const std::vector<StoredFile>& files) {
  for (const StoredFile& file : files) {
    if (file.field != FileField::kTrack) continue;
    const std::string path = staging + "/" + file.name;
    // Larger files are refused while they arrive; this guards the allocation.
    if (file.size > static_cast<uint64_t>(files::DataBuffer::kFileRegionSize))
      return Fail({"larger than the evaluation reads", path});
    const int fd = files::OpenRegularFileForReading(path);
    if (fd < 0) return Fail({"cannot open the staged track file", path});
    std::vector<uint8_t> bytes(file.size);
    const int64_t read = files::ReadFully(fd, bytes);
    close(fd);
    if (read != static_cast<int64_t>(bytes.size()))
      return Fail({"cannot read the staged track file", path});
    if (auto reason = Reason(trackfile::HeaderVerdict(files::ByteView(bytes)), file.name))
      return reason;
  }
  return std::optional<std::string>();
}

}  // namespace hl::server
