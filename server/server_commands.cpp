#include "server/server_commands.h"

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "server/access_token.h"
#include "server/entry_commit.h"
#include "server/evaluation_edits.h"
#include "server/http_server.h"
#include "server/live_results.h"
#include "server/public_results.h"
#include "server/reevaluation.h"
#include "server/review_console.h"
#include "server/review_desk.h"
#include "server/state_lock.h"
#include "server/version_store.h"
#include "server/webhook_notifier.h"

namespace hl::server {
namespace {

using run::ExitStatus;

int WaitForStopSignal() {
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  int signal_number = 0;
  sigwait(&stop, &signal_number);
  return signal_number;
}

using KeepHash = std::function<Result<void>(const std::string& holder, const std::string& hash)>;

// A new token for each of `holders`, its hash kept by `keep`, printed as
// "HOLDER TOKEN".
ExitStatus IssueTo(const std::vector<std::string>& holders, const KeepHash& keep, std::ostream& out,
                   run::Diagnostics& messages) {
  for (const std::string& holder : holders) {
    const auto token = NewToken();
    if (!token) {
      messages.Problem("the system gave no random bytes");
      return ExitStatus::kNotWritten;
    }
    if (auto kept = keep(holder, TokenHash(*token)); !kept) {
      messages.Problem(kept.error().Describe());
      return ExitStatus::kNotWritten;
    }
    out << holder << ' ' << *token << '\n';
  }
  return ExitStatus::kDone;
}

}  // namespace

ExitStatus Serve(const ServerOptions& options, run::Diagnostics& messages, std::ostream& log) {
  // Whatever the server writes under the state is its own; what it puts
  // into the base folder gets its mode explicitly.
  umask(077);
  StateFolders folders(options.base_dir, options.state_dir);
  if (auto prepared = folders.Prepare(); !prepared) {
    messages.Problem(prepared.error().Describe());
    return ExitStatus::kBadUsage;
  }
  auto lock = StateLock::Take(options.base_dir, options.state_dir);
  if (!lock) {
    messages.Problem(lock.error().Describe());
    return ExitStatus::kBadUsage;
  }
  auto store = VersionStore::Open(folders.Database());
  if (!store) {
    messages.Problem(store.error().Describe());
    return ExitStatus::kNotWritten;
  }
  if (auto recovered = folders.Recover(**store); !recovered) {
    messages.Problem("cannot complete an earlier upload: " + recovered.error().Describe());
    return ExitStatus::kNotWritten;
  }
  // Every thread started from here on leaves the stop signals to sigwait.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  auto notifier = WebhookNotifier::Start(folders.Database(), options.webhooks, log);
  if (!notifier) {
    messages.Problem(notifier.error().Describe());
    return ExitStatus::kNotWritten;
  }
  ClosingRules rules(options.evaluation_file, options.base_dir, options.closes, log,
                     options.freeze);
  EvaluationEdits edits(options.evaluation_file, **store, log);
  rules.OnChange([&edits] { edits.Look(); });
  LiveResults live(folders, rules, log, notifier->get());
  live.Start();
  PublicResults public_results(folders, rules, live, **store, notifier->get(), log);
  public_results.Start();
  ReviewDesk desk(options.base_dir, options.evaluation_file, **store, live,
                  std::chrono::system_clock::now, notifier->get(), &edits);
  Reevaluations reevaluations(folders, options.evaluation_file, **store, live, edits);
  ReviewConsole console(options, folders, desk, **store, live, reevaluations, public_results,
                        notifier->get());
  HttpServer http(options, folders, **store, live, public_results, **notifier, console, log);
  const auto port = http.Start();
  if (!port) {
    messages.Problem(port.error().Describe());
    return ExitStatus::kNotWritten;
  }
  const bool v6 = options.host.find(':') != std::string::npos;
  const std::string url = "http://" + (v6 ? "[" + options.host + "]" : options.host) + ':' +
                          std::to_string(*port) + "/";
  lock->Describe("process " + std::to_string(getpid()) + ", listening on " + url);
  messages.Note("listening on " + url);
  WaitForStopSignal();
  http.Shutdown();
  public_results.Stop();
  live.Stop();
  return ExitStatus::kDone;
}

ExitStatus IssueTokens(const TokenOptions& options, std::ostream& out, run::Diagnostics& messages) {
  StateFolders folders(options.base_dir, options.state_dir);
  if (auto prepared = folders.Prepare(); !prepared) {
    messages.Problem(prepared.error().Describe());
    return ExitStatus::kBadUsage;
  }
  auto store = VersionStore::Open(folders.Database());
  if (!store) {
    messages.Problem(store.error().Describe());
    return ExitStatus::kNotWritten;
  }
  VersionStore& kept = **store;
  ExitStatus issued = IssueTo(
      options.entries,
      [&](const std::string& entry, const std::string& hash) { return kept.SetToken(entry, hash); },
      out, messages);
  if (issued != ExitStatus::kDone) return issued;
  return IssueTo(
      options.organisers,
      [&](const std::string& name, const std::string& hash) {
        return kept.SetOrganiserToken(name, hash);
      },
      out, messages);
}

ExitStatus PrintLedger(const LedgerOptions& options, std::ostream& out,
                       run::Diagnostics& messages) {
  const StateFolders folders(options.base_dir, options.state_dir);
  std::error_code ec;
  if (!std::filesystem::exists(folders.Database(), ec)) {
    messages.Problem("no server has kept anything in " + options.state_dir);
    return ExitStatus::kBadUsage;
  }
  auto store = VersionStore::Open(folders.Database());
  if (!store) {
    messages.Problem(store.error().Describe());
    return ExitStatus::kNotWritten;
  }
  const auto records = (*store)->LedgerSince(0);
  if (!records) {
    messages.Problem(records.error().Describe());
    return ExitStatus::kNotWritten;
  }
  for (const LedgerRecord& record : *records) out << LedgerLine(record) << '\n';
  return ExitStatus::kDone;
}

}  // namespace hl::server
