#include "server/public_view.h"

namespace hl::server {

PublicView PublicViewAt(int64_t now_seconds, const evaluation::Closing& closing,
                        const PageFolders& pages) {
  if (!pages.latest_revision.empty()) return {PublicSource::kFinal, pages.latest_revision, true};
  if (closing.freeze && now_seconds >= closing.freeze->utc_seconds)
    return {PublicSource::kFrozen, pages.frozen, false};
  return {PublicSource::kLive, pages.live, true};
}

}  // namespace hl::server
