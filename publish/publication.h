#pragma once
// What a results page and its JSON say of a run beside its results: the
// results' standing, how the base folder is named, and where and until when
// entrants upload. A batch export says nothing of these and names the
// folder by its absolute path; the server's public page states them and
// keeps the server's paths to itself.

#include <string>

namespace hl::publish {

// Whether the results may still change. A standing that carries a time of
// its own (frozen since a moment) comes as a member of Publication.
enum class Standing { kUnstated, kProvisional, kFinal };

struct Publication {
  Standing standing = Standing::kUnstated;
  bool folder_by_name = false;  // the base folder's own name, not its absolute path
  // When uploads close or closed, with the offset ("" says nothing).
  std::string closing{};
  // The entrants' upload page, relative to the results page ("" for none).
  std::string upload_link{};
};

// `folder` (absolute, ending with "/") as a publication names it.
std::string PublishedFolder(const std::string& folder, const Publication& publication);

}  // namespace hl::publish
