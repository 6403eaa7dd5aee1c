#pragma once
// What a run has to tell the person who started it, kept as data: a front
// end prints each message once (the command line as it comes, with the
// program's name before every problem), the season prints a round's after
// the round, the server keeps them with the upload.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace hl::run {

enum class Severity {
  kNote,     // progress and what was written where
  kProblem,  // something the person has to look at; the run went on
};

struct Diagnostic {
  Severity severity = Severity::kNote;
  std::string text;  // one line, without the program's name
};

class Diagnostics {
 public:
  using Listener = std::function<void(const Diagnostic&)>;

  // `live` hears each message as it is added.
  explicit Diagnostics(Listener live = {}) : live_(std::move(live)) {}

  void Note(std::string text) { Add({Severity::kNote, std::move(text)}); }
  void Problem(std::string text) { Add({Severity::kProblem, std::move(text)}); }

  const std::vector<Diagnostic>& All() const { return all_; }
  std::vector<Diagnostic> Take() { return std::exchange(all_, {}); }

 private:
  void Add(Diagnostic diagnostic) {
    if (live_) live_(diagnostic);
    all_.push_back(std::move(diagnostic));
  }

  Listener live_;
  std::vector<Diagnostic> all_;
};

}  // namespace hl::run
