#include "tests/server/headless_browser.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace hl::testing {
namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr auto kCallTime = std::chrono::seconds(30);

std::string FromBase64(const std::string& text) {
  static const std::string kDigits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    const size_t digit = kDigits.find(c);
    if (digit == std::string::npos) continue;  // '=' and line breaks
    bits = (bits << 6) | static_cast<uint32_t>(digit);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes += static_cast<char>((bits >> count) & 0xff);
    }
  }
  return bytes;
}

}  // namespace

// The pipe's ends are the browser's fds 3 (commands in) and 4 (answers out).
HeadlessBrowser::HeadlessBrowser(const std::string& profile, int width) {
  int commands[2], answers[2];
  if (pipe(commands) != 0 || pipe(answers) != 0) return;
  const std::string data = "--user-data-dir=" + profile;
  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDERR_FILENO);
    dup2(commands[0], 3);
    dup2(answers[1], 4);
    for (int fd : {commands[0], commands[1], answers[0], answers[1]}) {
      if (fd > 4) close(fd);
    }
    execlp("chromium", "chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--remote-debugging-pipe", data.c_str(), "about:blank", nullptr);
    _exit(127);
  }
  close(commands[0]);
  close(answers[1]);
  to_browser_ = commands[1];
  from_browser_ = answers[0];
  const Json target = Call("Target.createTarget", {{"url", "about:blank"}}, false);
  if (!target.contains("targetId")) return;
  const Json attached =
      Call("Target.attachToTarget", {{"targetId", target["targetId"]}, {"flatten", true}}, false);
  session_ = attached.value("sessionId", "");
  Call("Emulation.setDeviceMetricsOverride",
       {{"width", width}, {"height", 844}, {"deviceScaleFactor", 1}, {"mobile", true}});
}

HeadlessBrowser::~HeadlessBrowser() {
  if (pid_ <= 0) return;
  Call("Browser.close", Json::object(), false);
  close(to_browser_);
  close(from_browser_);
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0 && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  kill(-pid_, SIGKILL);  // the browser's own helpers
  waitpid(pid_, &status, WNOHANG);
}

// Sends one command and reads until its answer; events are skipped.
Json HeadlessBrowser::Call(const std::string& method, Json params, bool in_page) {
  if (to_browser_ < 0) return Json();
  const int id = next_id_++;
  Json command = {{"id", id}, {"method", method}, {"params", std::move(params)}};
  if (in_page) command["sessionId"] = session_;
  const std::string message = command.dump() + '\0';
  if (write(to_browser_, message.data(), message.size()) != static_cast<ssize_t>(message.size()))
    return Json();
  const auto deadline = Clock::now() + kCallTime;
  while (Clock::now() < deadline) {
    for (size_t end; (end = pending_.find('\0')) != std::string::npos;) {
      const Json answer = Json::parse(pending_.substr(0, end), nullptr, false);
      pending_.erase(0, end + 1);
      if (answer.is_object() && answer.value("id", 0) == id) return answer.value("result", Json());
    }
    pollfd ready{from_browser_, POLLIN, 0};
    if (poll(&ready, 1, 1000) <= 0) continue;
    char buffer[65536];
    const ssize_t got = read(from_browser_, buffer, sizeof buffer);
    if (got <= 0) break;
    pending_.append(buffer, got);
  }
  return Json();
}

void HeadlessBrowser::Open(const std::string& url) {
  Call("Page.navigate", {{"url", url}});
  WaitFor("document.readyState === 'complete' && location.href === " + Json(url).dump());
}

Json HeadlessBrowser::Evaluate(const std::string& expression) {
  const Json result =
      Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
  if (!result.contains("result") || result.contains("exceptionDetails")) return Json();
  return result["result"].value("value", Json());
}

bool HeadlessBrowser::WaitFor(const std::string& expression) {
  const auto deadline = Clock::now() + kCallTime;
  while (Clock::now() < deadline) {
    if (Evaluate("document.readyState === 'complete' && (" + expression + ")") == true) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

void HeadlessBrowser::ChooseFiles(const std::string& selector,
                                  const std::vector<std::string>& paths) {
  const Json document = Call("DOM.getDocument", Json::object());
  const int root = document.value("root", Json::object()).value("nodeId", 0);
  const Json node = Call("DOM.querySelector", {{"nodeId", root}, {"selector", selector}});
  Call("DOM.setFileInputFiles", {{"files", paths}, {"nodeId", node.value("nodeId", 0)}});
}

std::string HeadlessBrowser::Screenshot() {
  const Json shot = Call("Page.captureScreenshot", {{"format", "png"}});
  return FromBase64(shot.value("data", ""));
}

}  // namespace hl::testing
