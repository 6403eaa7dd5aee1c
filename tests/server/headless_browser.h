#pragma once
// Headless Chromium driven over its DevTools pipe, as a person would use a
// page: open it at a phone's width, type into it, choose files, press its
// button, read what it shows. Scripts run from here, never from the page.

#include <sys/types.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace hl::testing {

class HeadlessBrowser {
 public:
  // One tab whose viewport is `width` CSS px wide, as a phone's.
  HeadlessBrowser(const std::string& profile, int width);
  ~HeadlessBrowser();
  HeadlessBrowser(const HeadlessBrowser&) = delete;
  HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

  bool Started() const { return !session_.empty(); }
  void Open(const std::string& url);
  // The value of a JavaScript expression in the page (null on an error).
  nlohmann::json Evaluate(const std::string& expression);
  // Waits up to 30 s for the expression to be true in a loaded page.
  bool WaitFor(const std::string& expression);
  // What the viewport shows now, as the bytes of a PNG file ("" on a failure).
  std::string Screenshot();
  // Chooses `paths` in the file input that `selector` finds.
  void ChooseFiles(const std::string& selector, const std::vector<std::string>& paths);

 private:
  nlohmann::json Call(const std::string& method, nlohmann::json params, bool in_page = true);

  pid_t pid_ = -1;
  int to_browser_ = -1;
  int from_browser_ = -1;
  int next_id_ = 1;
  std::string pending_;  // bytes read past the last message
  std::string session_;
};

}  // namespace hl::testing
