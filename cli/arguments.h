#pragma once
// The command line taken apart, as typed: nothing here looks at the file
// system, so parsing has no effect and cannot fail half way.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "server/server_options.h"

namespace hl::cli {

// The options as given, each value option at most once.
struct GivenArguments {
  std::optional<std::string> batch;   // --batch BASEDIR or "batch BASEDIR"
  std::optional<std::string> season;  // --season FILE or "season FILE"
  std::optional<std::string> pictures, json, csv, export_dir, period, evaluation;
  std::vector<std::string> penalties;  // ENTRY=TIME, in the order given
  bool google = false;
  bool record = false;
  bool audit = false;
  bool no_evaluation = false;
};

// serve BASEDIR --state DIR [...]: the values checked against the file
// system or read further are kept as typed, the others taken as they are.
struct GivenServe {
  std::string base, state;
  std::string listen, evaluation, closes, freeze;  // "" when not given
  bool no_evaluation = false;
  server::ServerOptions options;
};

// token BASEDIR --state DIR [ENTRY...] [--organiser NAME...]
struct GivenToken {
  std::string base, state;
  std::vector<std::string> entries;
  std::vector<std::string> organisers;
};

// ledger BASEDIR --state DIR
struct GivenLedger {
  std::string base, state;
};

struct ShowHelp {
  std::string text;  // the program's usage, or a subcommand's own
};
struct ShowVersion {};
struct UsageError {
  std::string message;       // one line, no line break
  std::string command = {};  // the subcommand whose --help explains; "" for the program's
};

// finalize BASEDIR --state DIR --reason TEXT
struct GivenFinalize {
  std::string base, state, reason;
};

// verify-final BASEDIR --state DIR [N]
struct GivenVerifyFinal {
  std::string base, state;
  std::optional<int64_t> revision;
};

using Arguments = std::variant<GivenArguments, GivenServe, GivenToken, GivenLedger, GivenFinalize,
                               GivenVerifyFinal, ShowHelp, ShowVersion, UsageError>;

// The arguments after the program name. --help and --version win wherever
// they stand; --help after serve or token explains that subcommand.
Arguments ReadArguments(const std::vector<std::string>& args);

}  // namespace hl::cli
