#pragma once
// What a results page and its JSON say of a run beside its results: the
// results' standing, how the base folder is named, and where and until when
// entrants upload. A batch export says nothing of these and names the
// folder by its absolute path; the server's public page states them and
// keeps the server's paths to itself.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hl::publish {

// Whether the results may still change. A standing that carries a time of
// its own (frozen since a moment) comes as a member of Publication.
enum class Standing { kUnstated, kProvisional, kFrozen, kFinal };

// A published revision of the final results, which never changes once
// written; a correction is the next one.
struct FinalRevision {
  int64_t number = 0;
  std::string published;  // "2026-12-24 17:00 UTC"
  std::string reason;
  // The earlier revisions' pages, oldest first, relative to this page.
  std::vector<std::string> earlier_links{};
};

struct Publication {
  Standing standing = Standing::kUnstated;
  // With kFrozen: since when the public sees the standings as they were
  // then ("2026-12-24 16:00 +01:00").
  std::string frozen_since{};
  // With kFinal, when the results are a published revision.
  std::optional<FinalRevision> revision{};
  bool folder_by_name = false;  // the base folder's own name, not its absolute path
  // When uploads close or closed, with the offset ("" says nothing).
  std::string closing{};
  // The entrants' upload page, relative to the results page ("" for none).
  std::string upload_link{};
};

// `folder` (absolute, ending with "/") as a publication names it.
std::string PublishedFolder(const std::string& folder, const Publication& publication);

}  // namespace hl::publish
