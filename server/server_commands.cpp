#include "server/server_commands.h"

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "evaluation/evaluation_file.h"
#include "server/access_token.h"
#include "server/entry_commit.h"
#include "server/http_server.h"
#include "server/live_results.h"
#include "server/server_options.h"
#include "server/state_lock.h"
#include "server/upload_names.h"
#include "server/version_store.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;
constexpr const char* kProgram = "hotlap-eval";

std::string FolderText(const std::string& given) {
  std::error_code ec;
  std::string text = fs::absolute(given, ec).lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

// Parses with CLI11; false when the command line was handled (help or a
// mistake), with `status` set.
bool Parse(CLI::App& app, int argc, char** argv, std::ostream& out, std::ostream& err,
           int& status) {
  try {
    app.parse(argc, argv);
    return true;
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    status = kDone;
  } catch (const CLI::ParseError& e) {
    err << app.get_name() << ": " << e.what() << " (see " << app.get_name() << " --help)\n";
    status = kBadUsage;
  }
  return false;
}

bool BaseFolderProblem(const std::string& base, std::ostream& err, const char* command) {
  std::error_code ec;
  if (fs::is_directory(base, ec)) return false;
  err << kProgram << " " << command << ": base folder '" << base << "' is not a folder\n";
  return true;
}

// "HOST:PORT" or "[V6]:PORT".
bool TakeListen(const std::string& text, ServerOptions& options) {
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

int WaitForStopSignal() {
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  int signal_number = 0;
  sigwait(&stop, &signal_number);
  return signal_number;
}

int Serve(const ServerOptions& options, std::ostream& err) {
  // Whatever the server writes under the state is its own; what it puts
  // into the base folder gets its mode explicitly.
  umask(077);
  StateFolders folders(options.base_dir, options.state_dir);
  if (auto prepared = folders.Prepare(); !prepared) {
    err << kProgram << " serve: " << prepared.error().Describe() << '\n';
    return kBadUsage;
  }
  auto lock = StateLock::Take(options.base_dir, options.state_dir);
  if (!lock) {
    err << kProgram << " serve: " << lock.error().Describe() << '\n';
    return kBadUsage;
  }
  auto store = VersionStore::Open(folders.Database());
  if (!store) {
    err << kProgram << " serve: " << store.error().Describe() << '\n';
    return kFailed;
  }
  if (auto recovered = folders.Recover(**store); !recovered) {
    err << kProgram << " serve: cannot complete an earlier upload: " << recovered.error().Describe()
        << '\n';
    return kFailed;
  }
  // Every thread started from here on leaves the stop signals to sigwait.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  LiveResults live(folders, options.evaluation_file, [&options] {
    const bool open = !options.closes || std::time(nullptr) < options.closes->utc_seconds;
    return open || !options.final;
  });
  live.Start();
  HttpServer http(options, folders, **store, live, err);
  const auto port = http.Start();
  if (!port) {
    err << kProgram << " serve: " << port.error().Describe() << '\n';
    return kFailed;
  }
  const bool v6 = options.host.find(':') != std::string::npos;
  const std::string url = "http://" + (v6 ? "[" + options.host + "]" : options.host) + ':' +
                          std::to_string(*port) + "/";
  lock->Describe("process " + std::to_string(getpid()) + ", listening on " + url);
  err << "listening on " << url << std::endl;
  WaitForStopSignal();
  http.Shutdown();
  live.Stop();
  return kDone;
}

int RunServe(int argc, char** argv, std::ostream& out, std::ostream& err) {
  CLI::App app("Runs the competition online: entrants upload, the results page is live.",
               "hotlap-eval serve");
  std::string base, state, listen = "127.0.0.1:8080", evaluation_file, closes;
  ServerOptions options;
  app.add_option("BASEDIR", base, "the competition folder")->required();
  app.add_option("--state", state, "the server's own data; not inside BASEDIR")->required();
  app.add_option("--listen", listen, "HOST:PORT to listen on (port 0 picks a free one)");
  app.add_option("--evaluation", evaluation_file, "the saved evaluation, as for --batch");
  app.add_option("--closes", closes, "when uploads close (RFC 3339 with offset)");
  app.add_flag("--signup", options.signup, "entrants may sign up themselves");
  app.add_option("--rate-limit", options.rate_limit, "requests a minute from one address")
      ->check(CLI::PositiveNumber);
  app.add_option("--idle-timeout", options.idle_timeout, "seconds a connection may stay silent")
      ->check(CLI::PositiveNumber);
  app.add_option("--keep-versions", options.keep_versions,
                 "an entrant's newest versions whose files are kept (0: all)")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--entrant-quota", options.entrant_quota,
                 "bytes an entrant's kept versions may take, e.g. 64MiB (0: no limit)")
      ->transform(CLI::AsSizeValue(false));
  int status = kDone;
  if (!Parse(app, argc, argv, out, err, status)) return status;

  const auto usage = [&err](const std::string& message) {
    err << kProgram << " serve: " << message << " (see " << kProgram << " serve --help)\n";
    return kBadUsage;
  };
  options.base_dir = FolderText(base);
  options.state_dir = FolderText(state);
  if (BaseFolderProblem(options.base_dir, err, "serve")) return kBadUsage;
  if (!TakeListen(listen, options)) return usage("--listen wants HOST:PORT, got '" + listen + "'");
  if (!evaluation_file.empty()) {
    options.evaluation_file = fs::absolute(evaluation_file).lexically_normal().string();
    const auto saved =
        evaluation::ReadEvaluationFile(options.evaluation_file, options.base_dir, false);
    if (!saved) {
      err << kProgram << " serve: " << saved.error().Describe() << '\n';
      return kBadUsage;
    }
    options.closes = saved->closing.closes;
    options.final = saved->closing.final;
  }
  if (!closes.empty()) {
    if (options.closes) return usage("closes is given both in the evaluation file and by --closes");
    const auto parsed = evaluation::ParseClosingTime(closes);
    if (!parsed) return usage("--closes: " + parsed.error().what);
    options.closes = *parsed;
  }
  return Serve(options, err);
}

bool IsExistingEntry(const std::string& base, const std::string& entry) {
  std::error_code ec;
  const bool plain =
      !entry.empty() && entry != "." && entry != ".." && entry.find('/') == std::string::npos;
  return plain && fs::is_directory(base + entry, ec);
}

// An existing entry folder may have any name; a new one is created later.
bool CheckEntryName(const std::string& base, const std::string& entry, std::ostream& err) {
  if (IsExistingEntry(base, entry) || IsNewEntryName(entry)) return true;
  err << kProgram << " token: '" << entry
      << "' is no entry folder, and a new one must be named with 1 to 40 of A-Z a-z 0-9 _ -\n";
  return false;
}

bool CreateEntryFolder(const std::string& base, const std::string& entry, std::ostream& err) {
  std::error_code ec;
  if (IsExistingEntry(base, entry) || fs::create_directory(base + entry, ec)) return true;
  err << kProgram << " token: cannot create the entry folder " << base << entry << ": "
      << ec.message() << '\n';
  return false;
}

int RunToken(int argc, char** argv, std::ostream& out, std::ostream& err) {
  CLI::App app("Issues entrants' tokens; each replaces the entrant's old one.",
               "hotlap-eval token");
  std::string base, state;
  std::vector<std::string> entries;
  app.add_option("BASEDIR", base, "the competition folder")->required();
  app.add_option("ENTRY", entries, "entry folders (created when missing)")->required();
  app.add_option("--state", state, "the server's own data; not inside BASEDIR")->required();
  int status = kDone;
  if (!Parse(app, argc, argv, out, err, status)) return status;
  const std::string base_dir = FolderText(base);
  if (BaseFolderProblem(base_dir, err, "token")) return kBadUsage;
  for (const std::string& entry : entries) {
    if (!CheckEntryName(base_dir, entry, err)) return kBadUsage;
  }
  StateFolders folders(base_dir, FolderText(state));
  if (auto prepared = folders.Prepare(); !prepared) {
    err << kProgram << " token: " << prepared.error().Describe() << '\n';
    return kBadUsage;
  }
  for (const std::string& entry : entries) {
    if (!CreateEntryFolder(base_dir, entry, err)) return kFailed;
  }
  auto store = VersionStore::Open(folders.Database());
  if (!store) {
    err << kProgram << " token: " << store.error().Describe() << '\n';
    return kFailed;
  }
  for (const std::string& entry : entries) {
    const auto token = NewToken();
    if (!token) {
      err << kProgram << " token: the system gave no random bytes\n";
      return kFailed;
    }
    if (auto set = (*store)->SetToken(entry, TokenHash(*token)); !set) {
      err << kProgram << " token: " << set.error().Describe() << '\n';
      return kFailed;
    }
    out << entry << ' ' << *token << '\n';
  }
  out.flush();
  return kDone;
}

}  // namespace

bool IsServerCommand(const char* first_argument) {
  return std::strcmp(first_argument, "serve") == 0 || std::strcmp(first_argument, "token") == 0;
}

int RunServerCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (std::strcmp(argv[0], "serve") == 0) return RunServe(argc, argv, out, err);
  return RunToken(argc, argv, out, err);
}

}  // namespace hl::server
