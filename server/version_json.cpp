#include "server/version_json.h"

namespace hl::server {

using Json = nlohmann::ordered_json;

Json VersionsJson(const std::vector<VersionRow>& rows) {
  Json versions = Json::array();
  for (const VersionRow& row : rows) {
    Json files = Json::array();
    for (const StoredFile& file : row.files) {
      files.push_back({{"field", FieldName(file.field)},
                       {"name", file.name},
                       {"size", file.size},
                       {"sha256", file.sha256}});
    }
    versions.push_back({{"version", row.version},
                        {"received", row.received},
                        {"files", std::move(files)},
                        {"time", row.time ? Json(*row.time) : Json()},
                        {"car_ok", row.car_ok ? Json(*row.car_ok) : Json()}});
  }
  return versions;
}

}  // namespace hl::server
