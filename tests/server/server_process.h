#pragma once
// `hotlap-eval serve` as the tests run it: a child process on 127.0.0.1,
// port 0, its standard error collected; and curl as the client.

#include <sys/types.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace hl::testing {

std::string HotlapProgram();

class ServerProcess {
 public:
  // Starts `hotlap-eval serve BASE --state STATE --listen 127.0.0.1:0 EXTRA...`
  // and waits for its "listening on" line.
  ServerProcess(const std::string& base, const std::string& state,
                const std::vector<std::string>& extra = {});
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  const std::string& Url() const { return url_; }  // "http://127.0.0.1:PORT"
  int Port() const { return port_; }
  // SIGTERM, then the exit status.
  int Stop();
  void KillHard();
  std::string Log();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string url_;
  std::thread reader_;
  std::mutex mutex_;
  std::string log_;
};

struct HttpAnswer {
  int status = 0;
  std::string body;
  std::string headers;
};

// curl ARGS... URL; the arguments are passed as they are, without a shell.
HttpAnswer Curl(const std::vector<std::string>& args, const std::string& url);

// hotlap-eval ARGS...: its exit status; standard error is dropped.
int RunHotlap(const std::vector<std::string>& args);
// The same with its standard output.
std::pair<int, std::string> RunHotlapForOutput(const std::vector<std::string>& args);

// `token BASE --state STATE ENTRY...` -> entry -> token.
std::map<std::string, std::string> IssueTokens(const std::string& base, const std::string& state,
                                               const std::vector<std::string>& entries);

// Every file below `folder` with its bytes, by relative path.
std::map<std::string, std::string> FolderContents(const std::string& folder);

}  // namespace hl::testing
