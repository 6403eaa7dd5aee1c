#pragma once
// The public's results as of now: the live page, the frozen one, or the
// latest final revision (public_view.h chooses), and the publication of
// final revisions while the server runs. Every revision is checked against
// its manifest at start; a changed one is reported and served as it is.

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "server/final_revision.h"
#include "server/frozen_page.h"
#include "server/live_results.h"
#include "server/public_view.h"

namespace hl::server {

struct FinalOutcome {
  unsigned status = 200;  // 409 before uploads close, 500 when it could not be written
  std::string message;
  int64_t revision = 0;
};

class PublicResults {
 public:
  PublicResults(const StateFolders& folders, ClosingRules& rules, LiveResults& live,
                VersionStore& store, WebhookNotifier* notifier, std::ostream& log);

  // Tells the log how each revision differs from its manifest, and starts
  // the frozen page.
  void Start();
  void Stop();

  PublicView View() const;
  // Revision `number`'s folder, ending with "/"; "" when there is none.
  std::string Revision(int64_t number) const;
  // Publishes the next final revision for `actor` with `reason`.
  FinalOutcome PublishFinal(const std::string& actor, const std::string& reason);

 private:
  const StateFolders& folders_;
  ClosingRules& rules_;
  LiveResults& live_;
  VersionStore& store_;
  WebhookNotifier* const notifier_;
  std::ostream& log_;
  FrozenPage frozen_;
  std::mutex publishing_;  // one revision at a time
  mutable std::mutex mutex_;
  int64_t latest_revision_ = 0;  // under `mutex_`; 0 before the first
};

}  // namespace hl::server
