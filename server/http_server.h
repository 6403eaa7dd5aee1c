#pragma once
// The HTTP side of `hotlap-eval serve`: libmicrohttpd with a thread per
// connection (an upload's answer waits for its evaluation), its limits on
// connections per address, memory per connection and idle time, and the
// routes of the API, the entrants' pages and the live results.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "server/entry_commit.h"
#include "server/live_results.h"
#include "server/rate_limit.h"
#include "server/server_options.h"
#include "server/version_store.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace hl::server {

struct Request;

class HttpServer {
 public:
  HttpServer(const ServerOptions& options, const StateFolders& folders, VersionStore& store,
             LiveResults& live, std::ostream& log);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  Result<uint16_t> Start();
  // Stops accepting, answers 503 to new requests on open connections,
  // waits for the requests in flight and stops.
  void Shutdown();

  // The libmicrohttpd callbacks.
  int Handle(MHD_Connection* connection, const char* url, const char* method,
             const char* upload_data, size_t* upload_data_size, void** context);
  void Completed(Request* request, int how);
  void* Began(const char* uri);

 private:
  int Answer(MHD_Connection* connection, Request& request, unsigned status, std::string body,
             const char* type);
  int AnswerJson(MHD_Connection* connection, Request& request, unsigned status,
                 const std::string& body);
  int AnswerRefusal(MHD_Connection* connection, Request& request);
  int AnswerPageFile(MHD_Connection* connection, Request& request);
  int AnswerEntry(MHD_Connection* connection, Request& request);
  int StartRequest(MHD_Connection* connection, Request& request, const char* method,
                   const char* url);
  int FinishUpload(MHD_Connection* connection, Request& request);
  int FinishSignup(MHD_Connection* connection, Request& request);
  void CheckAccess(MHD_Connection* connection, Request& request);
  bool UploadsClosed() const;
  std::shared_ptr<std::mutex> EntryLock(const std::string& entry);

  const ServerOptions& options_;
  const StateFolders& folders_;
  VersionStore& store_;
  LiveResults& live_;
  std::ostream& log_;
  RateLimit address_limit_;
  RateLimit token_limit_;
  MHD_Daemon* daemon_ = nullptr;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;  // guards the entry locks, the log and the count below
  std::condition_variable idle_;
  int in_flight_ = 0;
  std::map<std::string, std::shared_ptr<std::mutex>> entry_locks_;
  std::mutex signup_mutex_;
};

}  // namespace hl::server
