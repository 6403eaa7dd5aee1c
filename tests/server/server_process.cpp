#include "tests/server/server_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

namespace hl::testing {
namespace {

namespace fs = std::filesystem;

// Runs argv, returns its exit status and standard output.
std::pair<int, std::string> RunProgram(const std::vector<std::string>& args) {
  int out[2];
  if (pipe(out) != 0) return {-1, ""};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  std::string text;
  char buffer[4096];
  ssize_t got;
  while ((got = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, got);
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

}  // namespace

std::string HotlapProgram() { return std::string(HOTLAP_BINARY_DIR) + "/app/hotlap-eval"; }

ServerProcess::ServerProcess(const std::string& base, const std::string& state,
                             const std::vector<std::string>& extra) {
  int err[2];
  if (pipe(err) != 0) return;
  std::vector<std::string> args = {HotlapProgram(), "serve",    base,         "--state",
                                   state,           "--listen", "127.0.0.1:0"};
  args.insert(args.end(), extra.begin(), extra.end());
  pid_ = fork();
  if (pid_ == 0) {
    dup2(err[1], STDERR_FILENO);
    close(err[0]);
    close(err[1]);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(err[1]);
  reader_ = std::thread([this, fd = err[0]] {
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
      std::lock_guard lock(mutex_);
      log_.append(buffer, got);
    }
    close(fd);
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  constexpr std::string_view kReady = "listening on http://127.0.0.1:";
  while (std::chrono::steady_clock::now() < deadline) {
    {
      std::lock_guard lock(mutex_);
      const size_t at = log_.find(kReady);
      if (at != std::string::npos && log_.find("/\n", at) != std::string::npos) {
        port_ = std::stoi(log_.substr(at + kReady.size()));
        url_ = "http://127.0.0.1:" + std::to_string(port_);
        return;
      }
    }
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ADD_FAILURE() << "the server did not start:\n" << Log();
}

ServerProcess::~ServerProcess() {
  if (pid_ > 0) KillHard();
  if (reader_.joinable()) reader_.join();
}

int ServerProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  if (reader_.joinable()) reader_.join();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ServerProcess::KillHard() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  if (reader_.joinable()) reader_.join();
}

std::string ServerProcess::Log() {
  std::lock_guard lock(mutex_);
  return log_;
}

HttpAnswer Curl(const std::vector<std::string>& args, const std::string& url) {
  char body_name[] = "/tmp/hl-curl-XXXXXX";
  const int fd = mkstemp(body_name);
  close(fd);
  std::vector<std::string> command = {"curl", "-s",         "-o", body_name, "-D",
                                      "-",    "--max-time", "60", "-w",      "\n%{http_code}"};
  command.insert(command.end(), args.begin(), args.end());
  command.push_back(url);
  const auto [status, out] = RunProgram(command);
  HttpAnswer answer;
  const size_t last = out.rfind('\n');
  answer.status = last == std::string::npos ? 0 : std::atoi(out.c_str() + last + 1);
  answer.headers = out.substr(0, last == std::string::npos ? 0 : last);
  std::ifstream in(body_name, std::ios::binary);
  answer.body.assign(std::istreambuf_iterator<char>(in), {});
  unlink(body_name);
  return answer;
}

int RunHotlap(const std::vector<std::string>& args) { return RunHotlapForOutput(args).first; }

std::pair<int, std::string> RunHotlapForOutput(const std::vector<std::string>& args) {
  std::vector<std::string> command = {HotlapProgram()};
  command.insert(command.end(), args.begin(), args.end());
  return RunProgram(command);
}

std::map<std::string, std::string> IssueTokens(const std::string& base, const std::string& state,
                                               const std::vector<std::string>& entries) {
  std::vector<std::string> args = {HotlapProgram(), "token", base, "--state", state};
  args.insert(args.end(), entries.begin(), entries.end());
  const auto [status, out] = RunProgram(args);
  EXPECT_EQ(status, 0) << out;
  std::map<std::string, std::string> tokens;
  std::istringstream lines(out);
  std::string entry, token;
  while (lines >> entry >> token) tokens[entry] = token;
  return tokens;
}

std::map<std::string, std::string> FolderContents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(item.path(), folder).string();
    if (item.is_directory()) {
      contents[relative + "/"] = "";
      continue;
    }
    std::ifstream in(item.path(), std::ios::binary);
    contents[relative].assign(std::istreambuf_iterator<char>(in), {});
  }
  return contents;
}

}  // namespace hl::testing
