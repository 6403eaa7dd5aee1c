#pragma once
// The HTTP side of `hotlap-eval serve`: libmicrohttpd polling its
// connections with a few threads (a slow or idle connection holds no
// thread); an upload's commit and evaluation run on a worker while its
// connection waits suspended. Its limits: a share of the connections per
// address, memory per connection, idle time and a whole request's time; and
// the routes of the API, the entrants' pages and the live results; the
// organisers' review is the console's.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

#include "server/client_address.h"
#include "server/connection_share.h"
#include "server/entry_commit.h"
#include "server/live_results.h"
#include "server/public_results.h"
#include "server/rate_limit.h"
#include "server/request_checks.h"
#include "server/review_console.h"
#include "server/server_options.h"
#include "server/version_store.h"
#include "server/webhook_notifier.h"
#include "server/worker_pool.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace hl::server {

struct Request;
struct Reply;

class HttpServer {
 public:
  HttpServer(const ServerOptions& options, const StateFolders& folders, VersionStore& store,
             LiveResults& live, PublicResults& public_results, WebhookNotifier& notifier,
             ReviewConsole& console, std::ostream& log);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  Result<uint16_t> Start();
  // Stops accepting, answers 503 to new requests on open connections,
  // waits for the requests in flight and stops.
  void Shutdown();

  // The libmicrohttpd callbacks.
  int Handle(MHD_Connection* connection, const char* url, const char* method, const char* version,
             const char* upload_data, size_t* upload_data_size, void** context);
  void Completed(Request* request, int how);
  void* Began(const char* uri);
  void Connected(MHD_Connection* connection, bool open);
  bool TakeFormPart(Request& request, const char* key, const char* filename, const char* data,
                    uint64_t offset, size_t size);

 private:
  int Send(MHD_Connection* connection, Request& request, const Reply& reply);
  int AnswerPageFile(MHD_Connection* connection, Request& request);
  Reply EntryReply(Request& request);
  Reply RefusalReply(const Request& request) const;
  int StartRequest(MHD_Connection* connection, Request& request, const char* method,
                   const char* url, const char* version);
  std::optional<Reply> RefuseAtStart(MHD_Connection* connection, Request& request);
  std::optional<Reply> RefuseUploadAtStart(MHD_Connection* connection, Request& request);
  std::optional<Reply> RefuseSignupAtStart(MHD_Connection* connection, Request& request);
  int TakeBody(Request& request, const char* data, size_t size);
  int FinishBody(MHD_Connection* connection, Request& request);
  int Defer(MHD_Connection* connection, Request& request, std::function<Reply()> work);
  int StartReview(MHD_Connection* connection, Request& request, const HeaderLines& headers);
  int TakeReviewBody(MHD_Connection* connection, Request& request, const char* data, size_t* size);
  int AnswerReview(MHD_Connection* connection, Request& request);
  Reply ReviewAnswer(Request& request);
  Reply FinishUpload(Request& request);
  Reply FinishSignup(Request& request);
  void CheckAccess(Request& request, const std::string& token);
  bool OpenStaging(Request& request);
  // The closing time when `seconds` is at or after it.
  std::optional<evaluation::ClosingTime> ClosedAt(int64_t seconds) const;
  std::shared_ptr<std::mutex> EntryLock(const std::string& entry);

  const ServerOptions& options_;
  const StateFolders& folders_;
  VersionStore& store_;
  LiveResults& live_;
  PublicResults& public_;
  WebhookNotifier& notifier_;
  ReviewConsole& console_;
  std::ostream& log_;
  TrustedProxies proxies_;
  RateLimit address_limit_;
  RateLimit token_limit_;
  RateLimit signup_limit_;
  ConnectionShare share_;
  std::unique_ptr<WorkerPool> workers_;
  MHD_Daemon* daemon_ = nullptr;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;  // guards the entry locks, the log and the count below
  std::condition_variable idle_;
  int in_flight_ = 0;
  std::map<std::string, std::shared_ptr<std::mutex>> entry_locks_;
  std::mutex signup_mutex_;  // guards signups_ and makes one entry at a time
  int64_t signups_ = 0;
};

}  // namespace hl::server
