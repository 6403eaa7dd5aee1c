#include "cli/server_checks.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "cli/given_paths.h"
#include "evaluation/closing_time.h"
#include "evaluation/evaluation_file.h"
#include "server/final_revision.h"
#include "server/server_commands.h"
#include "server/upload_names.h"
#include "server/webhook_address.h"

namespace hl::cli {
namespace {

namespace fs = std::filesystem;

// "HOST:PORT" or "[V6]:PORT".
bool TakeListen(const std::string& text, server::ServerOptions& options) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon + 1 >= text.size()) return false;
  std::string host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  const std::string port = text.substr(colon + 1);
  if (host.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const unsigned long number = std::stoul(port);
  if (number > 65535) return false;
  options.host = host;
  options.port = static_cast<uint16_t>(number);
  return true;
}

// --closes or --freeze taken into `moment`, unless the file sets it too.
std::optional<std::string> TakeMoment(const std::string& name, const std::string& given,
                                      const std::optional<evaluation::ClosingTime>& in_file,
                                      std::optional<evaluation::ClosingTime>& moment) {
  if (given.empty()) return std::nullopt;
  if (in_file) return name + " is given both in the evaluation file and by --" + name;
  const auto parsed = evaluation::ParseClosingTime(given);
  if (!parsed) return "--" + name + ": " + parsed.error().what;
  moment = *parsed;
  return std::nullopt;
}

// The evaluation file chosen as --batch chooses it, read once here so that
// a mistake in it stops the start; the server reads it again as it changes.
// Its closing time and --closes are not both given, nor its freeze and
// --freeze; the freeze comes before the close.
std::optional<std::string> TakeEvaluation(const GivenServe& given, server::ServerOptions& options) {
  if (!given.evaluation.empty() && given.no_evaluation)
    return "--evaluation and --no-evaluation cannot be combined";
  const bool named = !given.evaluation.empty();
  options.evaluation_file =
      ChosenEvaluationFile(options.base_dir, named ? std::optional(given.evaluation) : std::nullopt,
                           given.no_evaluation);
  evaluation::Closing in_file;
  if (!options.evaluation_file.empty()) {
    const auto saved =
        evaluation::ReadEvaluationFile(options.evaluation_file, options.base_dir, !named);
    if (!saved) return saved.error().Describe();
    in_file = saved->closing;
  }
  if (auto problem = TakeMoment("closes", given.closes, in_file.closes, options.closes))
    return problem;
  if (auto problem = TakeMoment("freeze", given.freeze, in_file.freeze, options.freeze))
    return problem;
  evaluation::Closing effective = in_file;
  if (options.closes) effective.closes = options.closes;
  if (options.freeze) effective.freeze = options.freeze;
  return evaluation::FreezeProblem(effective);
}

bool IsExistingEntry(const std::string& base, const std::string& entry) {
  std::error_code ec;
  const bool plain =
      !entry.empty() && entry != "." && entry != ".." && entry.find('/') == std::string::npos;
  return plain && fs::is_directory(base + entry, ec);
}

}  // namespace

ParsedCommandLine CheckServe(const GivenServe& given) {
  const auto usage = [](std::string message) { return UsageError{std::move(message), "serve"}; };
  server::ServerOptions options = given.options;
  const fs::path base = AbsolutePath(given.base);
  if (auto problem = CheckBaseFolder(given.base, base)) return usage(*problem);
  options.base_dir = AsFolderText(base);
  options.state_dir = AsFolderText(AbsolutePath(given.state));
  if (!given.listen.empty() && !TakeListen(given.listen, options))
    return usage("--listen wants HOST:PORT, got '" + given.listen + "'");
  if (auto problem = TakeEvaluation(given, options)) return usage(*problem);
  for (const std::string& url : options.webhooks.urls) {
    if (auto problem = server::WebhookUrlProblem(url, options.webhooks.allow_private))
      return usage("--webhook: " + *problem);
  }
  return options;
}

// An existing entry folder may have any name; a new one is created later.
ParsedCommandLine CheckToken(const GivenToken& given) {
  const fs::path base = AbsolutePath(given.base);
  if (auto problem = CheckBaseFolder(given.base, base)) return UsageError{*problem, "token"};
  server::TokenOptions options;
  options.base_dir = AsFolderText(base);
  options.state_dir = AsFolderText(AbsolutePath(given.state));
  for (const std::string& entry : given.entries) {
    if (!IsExistingEntry(options.base_dir, entry) && !server::IsNewEntryName(entry)) {
      return UsageError{"'" + entry +
                            "' is no entry folder, and a new one must be named with 1 to 40 of "
                            "A-Z a-z 0-9 _ -",
                        "token"};
    }
  }
  for (const std::string& name : given.organisers) {
    if (!server::IsNewEntryName(name))
      return UsageError{"'" + name + "' is no organiser name: 1 to 40 of A-Z a-z 0-9 _ -", "token"};
  }
  if (given.entries.empty() && given.organisers.empty())
    return UsageError{"token needs ENTRY or --organiser NAME", "token"};
  options.entries = given.entries;
  options.organisers = given.organisers;
  return options;
}

ParsedCommandLine CheckLedger(const GivenLedger& given) {
  const fs::path base = AbsolutePath(given.base);
  if (auto problem = CheckBaseFolder(given.base, base)) return UsageError{*problem, "ledger"};
  return server::LedgerOptions{.base_dir = AsFolderText(base),
                               .state_dir = AsFolderText(AbsolutePath(given.state))};
}

ParsedCommandLine CheckFinalize(const GivenFinalize& given) {
  const fs::path base = AbsolutePath(given.base);
  if (auto problem = CheckBaseFolder(given.base, base)) return UsageError{*problem, "finalize"};
  if (auto problem = server::FinalReasonProblem(given.reason))
    return UsageError{"--reason: " + *problem, "finalize"};
  server::FinalizeOptions options;
  options.base_dir = AsFolderText(base);
  options.state_dir = AsFolderText(AbsolutePath(given.state));
  options.evaluation_file = ChosenEvaluationFile(options.base_dir, std::nullopt, false);
  options.reason = given.reason;
  return options;
}

ParsedCommandLine CheckVerifyFinal(const GivenVerifyFinal& given) {
  const fs::path base = AbsolutePath(given.base);
  if (auto problem = CheckBaseFolder(given.base, base)) return UsageError{*problem, "verify-final"};
  return server::VerifyFinalOptions{.base_dir = AsFolderText(base),
                                    .state_dir = AsFolderText(AbsolutePath(given.state)),
                                    .revision = given.revision};
}

}  // namespace hl::cli
