#include "server/public_results.h"

#include <ctime>

#include "server/request_checks.h"
#include "server/webhook_notifier.h"

namespace hl::server {

PublicResults::PublicResults(const StateFolders& folders, ClosingRules& rules, LiveResults& live,
                             VersionStore& store, WebhookNotifier* notifier, std::ostream& log)
    : folders_(folders),
      rules_(rules),
      live_(live),
      store_(store),
      notifier_(notifier),
      log_(log),
      frozen_(folders, rules, store, log) {}

void PublicResults::Start() {
  const auto numbers = RevisionNumbers(folders_);
  std::vector<std::string> problems;
  for (const int64_t number : numbers) {
    const std::string revision = "final revision " + std::to_string(number);
    const auto differences = RevisionDifferences(folders_, number, false);
    if (!differences)
      problems.push_back(revision + " cannot be checked: " + differences.error().Describe());
    for (const std::string& difference : differences.value_or(std::vector<std::string>{}))
      problems.push_back(revision + " differs from its manifest, served as it is: " + difference);
  }
  for (const std::string& problem : problems)
    log_ << ("hotlap-eval: " + LogSafe(problem) + "\n") << std::flush;
  {
    std::lock_guard lock(mutex_);
    latest_revision_ = numbers.empty() ? 0 : numbers.back();
  }
  frozen_.Start();
}

void PublicResults::Stop() { frozen_.Stop(); }

PublicView PublicResults::View() const {
  const int64_t latest = [this] {
    std::lock_guard lock(mutex_);
    return latest_revision_;
  }();
  return PublicViewAt(
      static_cast<int64_t>(std::time(nullptr)), rules_.Now(),
      {live_.PageFolder(), frozen_.Folder(), latest == 0 ? "" : RevisionFolder(folders_, latest)});
}

std::string PublicResults::Revision(int64_t number) const {
  std::lock_guard lock(mutex_);
  return number >= 1 && number <= latest_revision_ ? RevisionFolder(folders_, number) : "";
}

FinalOutcome PublicResults::PublishFinal(const std::string& actor, const std::string& reason) {
  if (auto problem = FinalReasonProblem(reason)) return {400, *problem, 0};
  const auto closes = rules_.Now().closes;
  if (!closes || std::time(nullptr) < closes->utc_seconds)
    return {409, "final results are published once uploads are closed", 0};
  std::lock_guard publishing(publishing_);
  const auto published = PublishRevision(folders_, rules_.FileForRuns(), store_, actor, reason);
  if (!published) {
    log_ << ("hotlap-eval: no final revision: " + LogSafe(published.error().Describe()) + "\n")
         << std::flush;
    return {500, "the final revision could not be written; the server's log says why", 0};
  }
  {
    std::lock_guard lock(mutex_);
    latest_revision_ = published->number;
  }
  if (notifier_ != nullptr) notifier_->Notify(FinalEvent(published->at, published->number, reason));
  return {200, "", published->number};
}

}  // namespace hl::server
