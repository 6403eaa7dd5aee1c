#pragma once
// The evaluation behind the server's answers and its live page. One thread
// evaluates the base folder as `--batch --export` would, into a fresh page
// folder under the state, and switches to it when it is complete, so a
// reader never sees half a page. Uploads that arrive while a run is under
// way share the next run.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/entry_commit.h"

namespace hl::server {

struct EntryVerdict {
  nlohmann::ordered_json verdict;  // the entry as results.json describes it
  nlohmann::ordered_json place;    // its provisional place; null without a time
  std::vector<std::string> log;    // its log lines as the window shows them
};

// One finished evaluation: the verdicts and the folder of its page.
struct Evaluated {
  std::string page_folder;  // ends with "/"
  std::map<std::string, EntryVerdict> entries;
};

class LiveResults {
 public:
  // `provisional` is asked before each run whether the page is to say so.
  LiveResults(const StateFolders& folders, std::string evaluation_file,
              std::function<bool()> provisional);
  ~LiveResults();
  LiveResults(const LiveResults&) = delete;
  LiveResults& operator=(const LiveResults&) = delete;

  void Start();
  void Stop();

  // Asks for a run and waits for one that started after the call.
  std::shared_ptr<const Evaluated> EvaluateNow();
  // The last finished evaluation; nullptr before the first.
  std::shared_ptr<const Evaluated> Latest() const;

 private:
  void Loop();
  std::shared_ptr<const Evaluated> RunOnce(int64_t number);

  const StateFolders& folders_;
  std::string evaluation_file_;
  std::function<bool()> provisional_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int64_t requested_ = 0;
  int64_t finished_ = 0;
  bool stopping_ = false;
  std::shared_ptr<const Evaluated> latest_;
  std::thread thread_;
};

}  // namespace hl::server
