#include "cli/arguments.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>

#include "cli/messages.h"
#include "cli/option_suggestion.h"
#include "cli/server_arguments.h"
#include "cli/usage_text.h"

namespace hl::cli {
namespace {

using Field = std::optional<std::string> GivenArguments::*;
using Flag = bool GivenArguments::*;

struct ValueOption {
  const char* name;
  Field field;
};

// The options every run takes; --batch and --season name the run itself.
constexpr std::array<ValueOption, 6> kValueOptions = {{
    {"--pictures", &GivenArguments::pictures},
    {"--json", &GivenArguments::json},
    {"--csv", &GivenArguments::csv},
    {"--export", &GivenArguments::export_dir},
    {"--period", &GivenArguments::period},
    {"--evaluation", &GivenArguments::evaluation},
}};

struct FlagOption {
  const char* name;
  Flag field;
};

constexpr std::array<FlagOption, 4> kFlags = {{
    {"--google", &GivenArguments::google},
    {"--record", &GivenArguments::record},
    {"--audit", &GivenArguments::audit},
    {"--no-evaluation", &GivenArguments::no_evaluation},
}};

constexpr const char* kPenalty = "--penalty";

// A value option may stand without its value and more than once; both are
// reported in our words once parsing is done.
CLI::Option* AddValueOption(CLI::App& app, const std::string& name) {
  return app.add_option(name)->expected(0, 1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

// The options of one command (the program itself or a subcommand), read
// back after parsing.
class CommandOptions {
 public:
  CommandOptions(CLI::App& app, bool names_the_run) : app_(app) {
    if (names_the_run) {
      values_.push_back({AddValueOption(app, "--batch"), &GivenArguments::batch});
      values_.push_back({AddValueOption(app, "--season"), &GivenArguments::season});
    }
    for (const ValueOption& option : kValueOptions)
      values_.push_back({AddValueOption(app, option.name), option.field});
    for (const FlagOption& flag : kFlags) flags_.push_back({app.add_flag(flag.name), flag.field});
    penalty_ = AddValueOption(app, kPenalty);
  }

  // Names the run by its subcommand's operand: "batch BASEDIR".
  void AddOperand(const std::string& name, Field field) {
    operand_ = {app_.add_option(name), field};
  }

  std::optional<UsageError> TakeInto(GivenArguments& given) const {
    if (auto extra = FirstExtra()) return extra;
    for (const auto& [option, field] : values_) {
      if (option->count() > 1) return UsageError{option->get_name() + " given twice"};
      if (option->count() == 0) continue;
      if (option->results().front().empty())
        return UsageError{option->get_name() + " needs a value"};
      if (given.*field) return UsageError{option->get_name() + " given twice"};
      given.*field = option->results().front();
    }
    for (const auto& [flag, field] : flags_) {
      if (flag->count() == 0) continue;
      // "--google=x" is no flag of ours.
      if (flag->results() != std::vector<std::string>{"true"})
        return UsageError{UnknownOption(app_, flag->get_name())};
      given.*field = true;
    }
    for (const std::string& penalty : penalty_->results()) {
      if (penalty.empty()) return UsageError{std::string(kPenalty) + " needs a value"};
      given.penalties.push_back(penalty);
    }
    if (operand_.option != nullptr && operand_.option->count() > 0) {
      if (given.*operand_.field) return UsageError{app_.get_name() + " is given a second time"};
      given.*operand_.field = operand_.option->results().front();
    }
    return std::nullopt;
  }

 private:
  struct Bound {
    CLI::Option* option = nullptr;
    Field field = nullptr;
  };

  std::optional<UsageError> FirstExtra() const {
    const std::vector<std::string> extras = app_.remaining();
    if (extras.empty()) return std::nullopt;
    const std::string& extra = extras.front();
    if (extra.starts_with("-") && extra != "-") return UsageError{UnknownOption(app_, extra)};
    return UsageError{"unexpected argument '" + extra + "'"};
  }

  CLI::App& app_;
  std::vector<Bound> values_;
  std::vector<std::pair<CLI::Option*, Flag>> flags_;
  CLI::Option* penalty_ = nullptr;
  Bound operand_;
};

// serve and token take none of the program's own options.
std::optional<std::string> ProgramOptionGiven(const CLI::App& app) {
  for (const CLI::Option* option : app.get_options()) {
    if (option->count() > 0) return option->get_name();
  }
  const std::vector<std::string> extras = app.remaining();
  if (!extras.empty()) return extras.front();
  return std::nullopt;
}

// A mistake on a subcommand's command line: an option it does not know
// first, since a typo there also leaves a required option missing; CLI11's
// words otherwise.
std::string ServerCommandProblem(const CLI::ParseError& error, const CLI::App& command,
                                 const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg.starts_with("--") && arg != "--" &&
        command.get_option_no_throw(arg.substr(0, arg.find('='))) == nullptr)
      return UnknownOption(command, arg);
  }
  return error.what();
}

template <typename Given>
Arguments ServerCommandArguments(const CLI::App& app, const CLI::App& command, Given given) {
  if (const auto other = ProgramOptionGiven(app))
    return UsageError{command.get_name() + " cannot be combined with " + *other,
                      command.get_name()};
  return given;
}

}  // namespace

Arguments ReadArguments(const std::vector<std::string>& args) {
  const std::string name(kProgram);
  CLI::App app(name, name);
  app.set_help_flag();
  app.allow_extras();
  app.require_subcommand(0, 1);
  CommandOptions program(app, /*names_the_run=*/true);
  CLI::App* batch = app.add_subcommand("batch")->allow_extras();
  CommandOptions batch_options(*batch, /*names_the_run=*/false);
  batch_options.AddOperand("BASEDIR", &GivenArguments::batch);
  CLI::App* season = app.add_subcommand("season")->allow_extras();
  CommandOptions season_options(*season, /*names_the_run=*/false);
  season_options.AddOperand("FILE", &GivenArguments::season);
  GivenServe serve_given;
  CLI::App* serve = AddServeCommand(app, serve_given);
  GivenToken token_given;
  CLI::App* token = AddTokenCommand(app, token_given);
  GivenLedger ledger_given;
  CLI::App* ledger = AddLedgerCommand(app, ledger_given);
  GivenFinalize finalize_given;
  CLI::App* finalize = AddFinalizeCommand(app, finalize_given);
  GivenVerifyFinal verify_given;
  CLI::App* verify = AddVerifyFinalCommand(app, verify_given);

  CLI::App* server_command = nullptr;
  for (CLI::App* command : {serve, token, ledger, finalize, verify}) {
    if (!args.empty() && args.front() == command->get_name()) server_command = command;
  }
  if (std::find(args.begin(), args.end(), "--help") != args.end())
    return ShowHelp{server_command ? server_command->help(name) : UsageText()};
  if (std::find(args.begin(), args.end(), "--version") != args.end()) return ShowVersion{};

  // CLI11 parses the last argument first when handed a vector backwards.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    if (server_command == nullptr) return UsageError{error.what()};
    return UsageError{ServerCommandProblem(error, *server_command, args),
                      server_command->get_name()};
  }
  if (serve->parsed()) return ServerCommandArguments(app, *serve, serve_given);
  if (token->parsed()) return ServerCommandArguments(app, *token, token_given);
  if (ledger->parsed()) return ServerCommandArguments(app, *ledger, ledger_given);
  if (finalize->parsed()) return ServerCommandArguments(app, *finalize, finalize_given);
  if (verify->parsed()) return ServerCommandArguments(app, *verify, verify_given);
  GivenArguments given;
  for (const CommandOptions* options : {&program, &batch_options, &season_options}) {
    if (auto problem = options->TakeInto(given)) return *problem;
  }
  if (batch->parsed() && !given.batch) return UsageError{"batch needs BASEDIR"};
  if (season->parsed() && !given.season) return UsageError{"season needs FILE"};
  return given;
}

}  // namespace hl::cli
