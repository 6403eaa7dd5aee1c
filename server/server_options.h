#pragma once
// What `hotlap-eval serve` was told on its command line.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "evaluation/closing_time.h"
#include "server/webhook_options.h"

namespace hl::server {

struct ServerOptions {
  std::string base_dir;   // absolute, ends with "/"
  std::string state_dir;  // absolute, ends with "/"
  std::string host = "127.0.0.1";
  uint16_t port = 8080;
  // Absolute, or "" with --no-evaluation; read again whenever it changes,
  // and absent as BASEDIR's own file may be.
  std::string evaluation_file;
  std::optional<evaluation::ClosingTime> closes;  // --closes
  std::optional<evaluation::ClosingTime> freeze;  // --freeze
  bool signup = false;
  // Where people reach the server (--public-url); an https:// one marks
  // the organisers' session cookie Secure.
  std::string public_url;
  int64_t rate_limit = 120;                  // requests a minute from one address
  int64_t idle_timeout = 30;                 // seconds
  int64_t request_timeout = 120;             // seconds for a whole request, however it trickles in
  std::vector<std::string> trusted_proxies;  // addresses or ranges whose forwarded client counts
  int64_t signups_per_hour = 5;              // from one address
  int64_t signup_limit = 1000;               // sign-ups while the server runs
  int64_t keep_versions = 10;  // an entrant's newest versions kept; older ones' files go
  uint64_t entrant_quota = uint64_t{64} << 20;  // bytes of an entrant's kept versions
  WebhookOptions webhooks;
};

}  // namespace hl::server
