#include "server/http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "server/access_token.h"
#include "server/entrant_pages.h"
#include "server/page_validators.h"
#include "server/request_checks.h"
#include "server/routes.h"
#include "server/upload_commit.h"
#include "server/upload_parts.h"
#include "server/version_json.h"

namespace hl::server {

using Json = nlohmann::ordered_json;

// An answer made before it is queued, so a worker can make it off the
// polling threads.
struct Reply {
  unsigned status = 200;
  std::string body;
  const char* type = "application/json; charset=utf-8";
  bool close = false;  // the request's framing cannot be trusted: no second request
  std::vector<std::pair<std::string, std::string>> headers = {};
};

struct Request {
  HttpServer* server = nullptr;
  std::chrono::steady_clock::time_point began = std::chrono::steady_clock::now();
  std::string path;
  std::string method;
  std::string client;  // the address that counts: the peer, or who a trusted proxy names
  unsigned status = 0;
  uint64_t bytes = 0;
  bool started = false;
  Routed routed;
  std::string retry_after;           // seconds, for a 429 or 503
  std::optional<std::string> entry;  // whose token came with the request
  bool wants_page = false;           // a browser's sign-up form: answered with pages
  uint64_t received = 0;
  int64_t last_byte = 0;  // when the body's last byte so far arrived (seconds, UTC)
  std::string staging;
  std::unique_ptr<UploadParts> parts;
  MHD_PostProcessor* processor = nullptr;
  std::unique_ptr<ReviewRequest> review;  // a review console's request, its body as it arrives
  // Made by a worker while the connection waits suspended: written before the
  // worker resumes the connection, read by the polling thread only after.
  std::optional<Reply> deferred;
};

namespace {

namespace fs = std::filesystem;

constexpr size_t kFormBuffer = 64 * 1024;
constexpr int64_t kShutdownWaitSeconds = 120;
constexpr const char* kHtmlType = "text/html; charset=utf-8";
constexpr unsigned kPollThreads = 2;
constexpr size_t kWorkers = 4;
constexpr size_t kConnections = 1024;
constexpr size_t kPerAddress = 32;  // a club behind one router uploads together
// Connections the library takes beyond the cap and the share, to answer
// them 503; beyond these it refuses them itself. Behind trusted proxies
// the library cannot tell clients apart and takes any number per address.
constexpr size_t kOverCap = 64;
constexpr size_t kOverShare = kPerAddress;
constexpr size_t kConnectionMemory = 256 * 1024;
constexpr const char* kBusyWait = "2";

MHD_Result Verdict(bool yes) { return yes ? MHD_YES : MHD_NO; }

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

std::string ErrorJson(const std::string& message) {
  return Json{{"error", message}}.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

Reply JsonReply(unsigned status, std::string body) {
  return {.status = status, .body = std::move(body)};
}

Reply ErrorReply(unsigned status, const std::string& message) {
  return JsonReply(status, ErrorJson(message));
}

std::string PeerAddress(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (info == nullptr || info->client_addr == nullptr) return "?";
  char text[INET6_ADDRSTRLEN] = "?";
  const sockaddr* address = info->client_addr;
  if (address->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  } else if (address->sa_family == AF_INET6) {
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
              sizeof text);
  }
  return text;
}

MHD_Result CollectHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
  static_cast<HeaderLines*>(cls)->emplace_back(key ? key : "", value ? value : "");
  return MHD_YES;
}

HeaderLines Headers(MHD_Connection* connection) {
  HeaderLines lines;
  MHD_get_connection_values(connection, MHD_HEADER_KIND, &CollectHeader, &lines);
  return lines;
}

std::string Header(MHD_Connection* connection, const char* name) {
  const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
  return value ? value : "";
}

// Every line of a header that may be sent more than once, joined by ", ".
std::string JoinedHeader(const HeaderLines& lines, std::string_view name) {
  std::string joined;
  for (const auto& [key, value] : lines) {
    if (key.size() != name.size() || strncasecmp(key.c_str(), name.data(), name.size()) != 0)
      continue;
    joined += joined.empty() ? "" : ", ";
    joined += value;
  }
  return joined;
}

// The server's own forms let the browser name their origin, which sign-up
// and the review check (under "no-referrer" a browser posts "Origin: null").
const char* ReferrerPolicy(Route route) {
  return route == Route::kUploadForm || route == Route::kSignupForm || ForConsole(route)
             ? "same-origin"
             : "no-referrer";
}

void AddCommonHeaders(MHD_Response* response, const char* type, bool no_store, Route route) {
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
  MHD_add_response_header(response, "Content-Security-Policy",
                          "default-src 'none'; img-src 'self'; style-src 'unsafe-inline'; "
                          "form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
  MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
  MHD_add_response_header(response, "Referrer-Policy", ReferrerPolicy(route));
  MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL,
                          no_store ? "no-store" : "no-cache");
}

// Answers to requests that carry a token, or hand one out, are never stored.
bool CarriesToken(Route route) {
  return route == Route::kApiEntry || route == Route::kApiSignup || TakesForm(route) ||
         ForConsole(route);
}

// A driver's name: 1 to 40 characters of valid UTF-8, none a control character.
bool IsDriverName(const std::string& name) {
  size_t characters = 0;
  for (size_t i = 0; i < name.size();) {
    const auto byte = static_cast<unsigned char>(name[i]);
    const size_t length = byte < 0x80       ? 1
                          : byte >> 5 == 6  ? 2
                          : byte >> 4 == 14 ? 3
                          : byte >> 3 == 30 ? 4
                                            : 0;
    if (length == 0 || i + length > name.size() || byte < 0x20 || byte == 0x7f) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(name[i + k]) & 0xc0) != 0x80) return false;
    }
    i += length;
    ++characters;
  }
  return characters >= 1 && characters <= 40;
}

MHD_Result OnFormPart(void* cls, MHD_ValueKind, const char* key, const char* filename, const char*,
                      const char*, const char* data, uint64_t off, size_t size) {
  auto* request = static_cast<Request*>(cls);
  return Verdict(request->server->TakeFormPart(*request, key, filename, data, off, size));
}

MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                     const char* version, const char* upload_data, size_t* upload_data_size,
                     void** context) {
  return static_cast<MHD_Result>(static_cast<HttpServer*>(cls)->Handle(
      connection, url, method, version, upload_data, upload_data_size, context));
}

void OnCompleted(void* cls, MHD_Connection*, void** context, MHD_RequestTerminationCode how) {
  static_cast<HttpServer*>(cls)->Completed(static_cast<Request*>(*context), how);
  *context = nullptr;
}

void* OnBegin(void* cls, const char* uri, MHD_Connection*) {
  return static_cast<HttpServer*>(cls)->Began(uri);
}

void OnConnection(void* cls, MHD_Connection* connection, void**,
                  MHD_ConnectionNotificationCode code) {
  static_cast<HttpServer*>(cls)->Connected(connection, code == MHD_CONNECTION_NOTIFY_STARTED);
}

void IgnoreLibraryMessage(void*, const char*, va_list) {}

bool HasPassed(const std::optional<evaluation::ClosingTime>& closes, int64_t seconds) {
  return closes && seconds >= closes->utc_seconds;
}

}  // namespace

HttpServer::HttpServer(const ServerOptions& options, const StateFolders& folders,
                       VersionStore& store, LiveResults& live, PublicResults& public_results,
                       WebhookNotifier& notifier, ReviewConsole& console, std::ostream& log)
    : options_(options),
      folders_(folders),
      store_(store),
      live_(live),
      public_(public_results),
      notifier_(notifier),
      console_(console),
      log_(log),
      address_limit_(options.rate_limit),
      token_limit_(options.rate_limit),
      signup_limit_(options.signups_per_hour, 3600),
      share_(kConnections, kPerAddress) {
  for (const std::string& proxy : options.trusted_proxies) proxies_.Add(proxy);
}

HttpServer::~HttpServer() {
  workers_.reset();
  if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
}

Result<uint16_t> HttpServer::Start() {
  sockaddr_in6 address6{};
  sockaddr_in address4{};
  const sockaddr* address = nullptr;
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME |
                   MHD_USE_ERROR_LOG;
  if (inet_pton(AF_INET, options_.host.c_str(), &address4.sin_addr) == 1) {
    address4.sin_family = AF_INET;
    address4.sin_port = htons(options_.port);
    address = reinterpret_cast<const sockaddr*>(&address4);
  } else if (inet_pton(AF_INET6, options_.host.c_str(), &address6.sin6_addr) == 1) {
    address6.sin6_family = AF_INET6;
    address6.sin6_port = htons(options_.port);
    address = reinterpret_cast<const sockaddr*>(&address6);
    flags |= MHD_USE_IPv6;
  } else {
    return Fail({"'" + options_.host + "' is no IP address to listen on", "", std::nullopt});
  }
  workers_ = std::make_unique<WorkerPool>(kWorkers);
  daemon_ = MHD_start_daemon(
      flags, options_.port, nullptr, nullptr, &OnRequest, this, MHD_OPTION_SOCK_ADDR, address,
      MHD_OPTION_THREAD_POOL_SIZE, kPollThreads, MHD_OPTION_CONNECTION_TIMEOUT,
      static_cast<unsigned>(options_.idle_timeout), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
      proxies_.Empty() ? static_cast<unsigned>(kPerAddress + kOverShare) : 0u,
      MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(kConnections + kOverCap),
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_NOTIFY_COMPLETED,
      &OnCompleted, this, MHD_OPTION_NOTIFY_CONNECTION, &OnConnection, this,
      MHD_OPTION_URI_LOG_CALLBACK, &OnBegin, this, MHD_OPTION_EXTERNAL_LOGGER,
      &IgnoreLibraryMessage, nullptr, MHD_OPTION_END);
  if (daemon_ == nullptr)
    return Fail({"cannot listen on " + options_.host + ":" + std::to_string(options_.port) +
                     " (in use, or not an address of this machine)",
                 "", std::nullopt});
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  return info ? info->port : options_.port;
}

void HttpServer::Shutdown() {
  stopping_ = true;
  if (daemon_ == nullptr) return;
  const MHD_socket listening = MHD_quiesce_daemon(daemon_);
  if (listening != MHD_INVALID_SOCKET) close(listening);
  {
    std::unique_lock lock(mutex_);
    idle_.wait_for(lock, std::chrono::seconds(kShutdownWaitSeconds),
                   [this] { return in_flight_ == 0; });
  }
  // A worker still at work resumes its connection: it ends before the daemon.
  workers_.reset();
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

void HttpServer::Connected(MHD_Connection* connection, bool open) {
  if (!open) {
    share_.Release(connection);
    return;
  }
  const std::string peer = PeerAddress(connection);
  share_.Admit(connection, peer, proxies_.Contains(peer));
}

void* HttpServer::Began(const char* uri) {
  auto* request = new Request;
  request->server = this;
  const std::string_view text = uri ? uri : "";
  request->path = std::string(text.substr(0, text.find('?')));
  std::lock_guard lock(mutex_);
  ++in_flight_;
  return request;
}

void HttpServer::Completed(Request* request, int how) {
  if (request == nullptr) return;
  if (request->processor != nullptr) MHD_destroy_post_processor(request->processor);
  if (!request->staging.empty()) {
    std::error_code ec;
    fs::remove_all(request->staging, ec);
  }
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - request->began)
                          .count();
  // A request dropped before its answer (idle, cut off) is logged as status 0.
  const unsigned status = how == MHD_REQUEST_TERMINATED_COMPLETED_OK ? request->status : 0;
  store_.LogRequest({request->method, request->path, status, request->bytes, micros});
  {
    std::lock_guard lock(mutex_);
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1fms", static_cast<double>(micros) / 1000.0);
    // One call a line, as the server's other threads write theirs.
    log_ << (LogSafe(request->client.empty() ? "-" : request->client) + ' ' +
             LogSafe(request->method) + ' ' + LogSafe(request->path) + ' ' +
             std::to_string(status) + ' ' + std::to_string(request->bytes) + ' ' + duration + '\n');
    --in_flight_;
  }
  idle_.notify_all();
  delete request;
}

int HttpServer::Send(MHD_Connection* connection, Request& request, const Reply& reply) {
  MHD_Response* response = MHD_create_response_from_buffer(
      reply.body.size(), const_cast<char*>(reply.body.data()), MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;
  // Nothing under /review is stored, its refusals included.
  const bool review = request.path == "/review" || request.path.starts_with("/review/");
  AddCommonHeaders(response, reply.type, CarriesToken(request.routed.route) || review,
                   request.routed.route);
  if (reply.status == 405)
    MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, request.routed.allow.c_str());
  if (reply.status == 401) MHD_add_response_header(response, "WWW-Authenticate", "Bearer");
  if (reply.status == 429 || reply.status == 503) {
    const std::string wait = request.retry_after.empty() ? kBusyWait : request.retry_after;
    MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, wait.c_str());
  }
  if (reply.close) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
  for (const auto& [name, value] : reply.headers)
    MHD_add_response_header(response, name.c_str(), value.c_str());
  request.status = reply.status;
  request.bytes = reply.body.size();
  const MHD_Result queued = MHD_queue_response(connection, reply.status, response);
  MHD_destroy_response(response);
  return queued;
}

Reply HttpServer::RefusalReply(const Request& request) const {
  const Refusal& refusal = *request.parts->Refused();
  if (request.routed.route == Route::kUploadPost || request.wants_page) {
    const EntrantForm form =
        request.routed.route == Route::kUploadPost ? EntrantForm::kUpload : EntrantForm::kSignup;
    return {.status = refusal.status,
            .body = RefusalPage(form, refusal.status, refusal.message),
            .type = kHtmlType};
  }
  return ErrorReply(refusal.status, refusal.message);
}

int HttpServer::AnswerPageFile(MHD_Connection* connection, Request& request) {
  const int64_t revision = request.routed.revision;
  const std::string folder = revision == 0 ? public_.View().folder : public_.Revision(revision);
  if (revision != 0 && folder.empty()) {
    return Send(connection, request,
                ErrorReply(404, "there is no final revision " + std::to_string(revision)));
  }
  if (folder.empty()) {
    return Send(connection, request,
                ErrorReply(503, "the results page is being built; try again in a moment"));
  }
  const std::string path = folder + request.routed.file;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  struct stat status {};
  if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    if (fd >= 0) close(fd);
    return Send(connection, request,
                ErrorReply(404, "there is no " + request.path + " on this server"));
  }
  const PageValidators validators = ValidatorsOf(status);
  const bool current = NotModified(validators, Header(connection, MHD_HTTP_HEADER_IF_NONE_MATCH),
                                   Header(connection, MHD_HTTP_HEADER_IF_MODIFIED_SINCE));
  // A browser's copy that is current gets 304 and no body.
  uint64_t size = 0;
  MHD_Response* response = nullptr;
  if (current) {
    close(fd);
    response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
  } else {
    size = static_cast<uint64_t>(status.st_size);
    response = MHD_create_response_from_fd64(size, fd);
    if (response == nullptr) close(fd);
  }
  if (response == nullptr) return MHD_NO;
  AddCommonHeaders(response, PageFileType(request.routed.file), false, Route::kPageFile);
  MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, validators.etag.c_str());
  MHD_add_response_header(response, MHD_HTTP_HEADER_LAST_MODIFIED,
                          validators.last_modified.c_str());
  request.status = current ? MHD_HTTP_NOT_MODIFIED : MHD_HTTP_OK;
  request.bytes = size;
  const MHD_Result queued = MHD_queue_response(connection, request.status, response);
  MHD_destroy_response(response);
  return queued;
}

Reply HttpServer::EntryReply(Request& request) {
  const std::string& entry = *request.entry;
  const Json versions = VersionsJson(store_.Versions(entry));
  Json verdict;
  Json place;
  if (const auto latest = live_.Latest()) {
    const auto found = latest->find(entry);
    if (found != latest->end()) verdict = found->second->VerdictJson();
    if (found != latest->end() && public_.View().places_shown) place = found->second->PlaceJson();
  }
  const Json answer = {{"entry", entry},
                       {"verdict", verdict},
                       {"place", place},
                       {"versions", versions},
                       {"decisions", console_.EntrantDecisions(entry)}};
  return JsonReply(200, answer.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
}

std::optional<evaluation::ClosingTime> HttpServer::ClosedAt(int64_t seconds) const {
  const auto closes = live_.Closing().closes;
  return HasPassed(closes, seconds) ? closes : std::nullopt;
}

std::shared_ptr<std::mutex> HttpServer::EntryLock(const std::string& entry) {
  std::lock_guard lock(mutex_);
  auto& slot = entry_locks_[entry];
  if (!slot) slot = std::make_shared<std::mutex>();
  return slot;
}

// Who sent the request: its token names an entrant, and the entrant's
// requests are counted as well as the address's.
void HttpServer::CheckAccess(Request& request, const std::string& token) {
  UploadParts& parts = *request.parts;
  if (token.empty()) {
    parts.Refuse(401, request.routed.route == Route::kUploadPost
                          ? "a token is needed before the files: send the field token first"
                          : "a token is needed: send the one the organiser gave you");
    return;
  }
  request.entry = store_.EntryOfToken(TokenHash(token));
  if (!request.entry && console_.IsOrganiserToken(token)) {
    parts.Refuse(403, "an organiser's token opens the review, not uploads: use an entrant's");
    return;
  }
  if (!request.entry) {
    parts.Refuse(401, "the token is not known: check it, or ask the organiser for a new one");
    return;
  }
  if (const auto wait = token_limit_.Take(*request.entry, Now())) {
    request.retry_after = std::to_string(*wait);
    parts.Refuse(429,
                 "too many requests for this entry; wait " + std::to_string(*wait) + " seconds");
  }
}

bool HttpServer::OpenStaging(Request& request) {
  auto made = folders_.NewStagingFolder();
  if (!made) {
    request.parts->Refuse(500, "the server could not store the upload; please try again later");
    return false;
  }
  request.staging = *made;
  request.parts->SetStaging(*made);
  return true;
}

// Files are stored only from a known sender: the form's token field must
// come before its first file.
bool HttpServer::TakeFormPart(Request& request, const char* key, const char* filename,
                              const char* data, uint64_t offset, size_t size) {
  UploadParts& parts = *request.parts;
  if (filename != nullptr && request.routed.route != Route::kApiSignup && !parts.HasStaging() &&
      !parts.Refused()) {
    if (!request.entry) CheckAccess(request, parts.Value("token"));
    if (parts.Refused() || !OpenStaging(request)) return false;
  }
  return parts.Take(key ? key : "", filename, data, offset, size);
}

std::optional<Reply> HttpServer::RefuseUploadAtStart(MHD_Connection* connection, Request& request) {
  UploadParts& parts = *request.parts;
  if (!IsMultipartForm(Header(connection, MHD_HTTP_HEADER_CONTENT_TYPE)))
    parts.Refuse(415, "send the files as multipart/form-data");
  if (request.routed.route == Route::kApiUpload)
    CheckAccess(request, BearerTokenOf(Header(connection, MHD_HTTP_HEADER_AUTHORIZATION)));
  if (const auto closed = ClosedAt(Now()))
    parts.Refuse(403, "uploads are closed: " + ClosingSentence(*closed, true));
  if (parts.Refused()) return RefusalReply(request);
  return std::nullopt;
}

std::optional<Reply> HttpServer::RefuseSignupAtStart(MHD_Connection* connection, Request& request) {
  UploadParts& parts = *request.parts;
  if (const auto closed = ClosedAt(Now())) {
    parts.Refuse(403, "sign-up is closed: " + ClosingSentence(*closed, true));
  } else if (!PostedFromOwnPages(Header(connection, "Origin"), Header(connection, "Referer"),
                                 Header(connection, MHD_HTTP_HEADER_HOST))) {
    parts.Refuse(403, "sign-up takes forms from this server's own pages only");
  } else if (const auto wait = signup_limit_.Take(request.client, Now())) {
    request.retry_after = std::to_string(*wait);
    parts.Refuse(429,
                 "too many sign-ups from this address; wait " + std::to_string(*wait) + " seconds");
  }
  if (parts.Refused()) return RefusalReply(request);
  return std::nullopt;
}

// What is refused before a byte of the body is read (no 100 Continue).
std::optional<Reply> HttpServer::RefuseAtStart(MHD_Connection* connection, Request& request) {
  if (stopping_) return ErrorReply(503, "the server is shutting down; try again in a minute");
  if (!share_.Admitted(connection)) {
    Reply reply = ErrorReply(503, "the server has too many connections; try again in a moment");
    reply.close = true;  // its slot goes to someone else
    return reply;
  }
  // Reading the page and its files is never counted: one view of the page is
  // some twenty requests, and readers behind one proxy share an address.
  const bool counted = request.routed.route != Route::kPageFile;
  if (const auto wait = counted ? address_limit_.Take(request.client, Now()) : std::nullopt) {
    request.retry_after = std::to_string(*wait);
    return ErrorReply(
        429, "too many requests from this address; wait " + std::to_string(*wait) + " seconds");
  }
  if (request.routed.route == Route::kNone) {
    if (request.routed.status == 405)
      return ErrorReply(405, request.path + " takes only " + request.routed.allow);
    return ErrorReply(request.routed.status, "there is no " + request.path + " on this server");
  }
  if (!TakesForm(request.routed.route)) return std::nullopt;
  const std::string length = Header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH);
  if (!length.empty() && std::strtoull(length.c_str(), nullptr, 10) > kRequestLimit)
    return ErrorReply(413, "the request is larger than the 12 MiB allowed");
  if (request.routed.route == Route::kApiSignup) return RefuseSignupAtStart(connection, request);
  return RefuseUploadAtStart(connection, request);
}

int HttpServer::StartRequest(MHD_Connection* connection, Request& request, const char* method,
                             const char* url, const char* version) {
  request.method = method ? method : "";
  if (request.path.empty()) request.path = url ? url : "";
  const HeaderLines headers = Headers(connection);
  const std::string peer = PeerAddress(connection);
  request.client = ClientAddressOf(peer, JoinedHeader(headers, "X-Forwarded-For"),
                                   JoinedHeader(headers, "Forwarded"), proxies_);
  if (proxies_.Contains(peer)) share_.Move(connection, request.client, request.client == peer);
  request.routed = RouteRequest(request.method, request.path, options_.signup);
  if (const auto problem = FramingProblem(version ? version : "", headers)) {
    Reply reply = ErrorReply(400, *problem);
    reply.close = true;
    return Send(connection, request, reply);
  }
  if (TakesForm(request.routed.route)) request.parts = std::make_unique<UploadParts>();
  request.wants_page =
      request.routed.route == Route::kApiSignup &&
      Header(connection, MHD_HTTP_HEADER_ACCEPT).find("text/html") != std::string::npos;
  if (auto refused = RefuseAtStart(connection, request)) return Send(connection, request, *refused);
  if (ForConsole(request.routed.route)) return StartReview(connection, request, headers);
  switch (request.routed.route) {
    case Route::kPageFile:
      return AnswerPageFile(connection, request);
    case Route::kUploadForm: {
      const auto closes = live_.Closing().closes;
      return Send(connection, request,
                  {.status = 200,
                   .body = UploadFormPage(closes, HasPassed(closes, Now())),
                   .type = kHtmlType});
    }
    case Route::kSignupForm: {
      const auto closes = live_.Closing().closes;
      return Send(connection, request,
                  {.status = 200,
                   .body = SignupFormPage(closes, HasPassed(closes, Now())),
                   .type = kHtmlType});
    }
    case Route::kApiEntry: {
      request.parts = std::make_unique<UploadParts>();
      CheckAccess(request, BearerTokenOf(Header(connection, MHD_HTTP_HEADER_AUTHORIZATION)));
      if (request.parts->Refused()) return Send(connection, request, RefusalReply(request));
      return Send(connection, request, EntryReply(request));
    }
    default:
      break;
  }
  // A form: read as it streams in; a refusal is answered once the body is read.
  request.last_byte = Now();
  request.processor = MHD_create_post_processor(connection, kFormBuffer, &OnFormPart, &request);
  if (request.processor == nullptr) {
    request.parts->Refuse(request.routed.route == Route::kApiSignup ? 415 : 400,
                          "the form data cannot be read: send it as multipart/form-data");
  }
  return MHD_YES;
}

int HttpServer::TakeBody(Request& request, const char* data, size_t size) {
  // The library cannot answer in the middle of a body: a request past its
  // time is dropped.
  if (std::chrono::steady_clock::now() - request.began >
      std::chrono::seconds(options_.request_timeout))
    return MHD_NO;
  request.received += size;
  request.last_byte = Now();
  UploadParts& parts = *request.parts;
  if (request.received > kRequestLimit)
    parts.Refuse(413, "the request is larger than the 12 MiB allowed");
  if (const auto closed = ClosedAt(request.last_byte);
      closed && request.routed.route != Route::kApiSignup)
    parts.Refuse(403, "uploads are closed: " + ClosingSentence(*closed, true));
  if (!parts.Refused() && request.processor != nullptr &&
      MHD_post_process(request.processor, data, size) != MHD_YES) {
    parts.Refuse(400, "the form data is malformed");
  }
  return MHD_YES;
}

int HttpServer::FinishBody(MHD_Connection* connection, Request& request) {
  UploadParts& parts = *request.parts;
  if (request.processor != nullptr) {
    const bool whole = MHD_destroy_post_processor(request.processor) == MHD_YES;
    request.processor = nullptr;
    if (!whole) parts.Refuse(400, "the form data ends before its last part is complete");
  }
  if (request.routed.route == Route::kApiSignup) {
    if (parts.Refused()) return Send(connection, request, RefusalReply(request));
    return Defer(connection, request, [this, &request] { return FinishSignup(request); });
  }
  // An upload is received when its last byte is.
  if (const auto closed = ClosedAt(request.last_byte))
    parts.Refuse(403, "uploads are closed: " + ClosingSentence(*closed, true));
  if (!parts.Refused() && !request.entry) CheckAccess(request, parts.Value("token"));
  if (parts.Refused()) return Send(connection, request, RefusalReply(request));
  return Defer(connection, request, [this, &request] { return FinishUpload(request); });
}

// Runs `work` on a worker while the connection waits suspended; the library
// calls Handle again once it is resumed, and the reply is sent then.
int HttpServer::Defer(MHD_Connection* connection, Request& request, std::function<Reply()> work) {
  MHD_suspend_connection(connection);
  workers_->Post([connection, &request, work = std::move(work)] {
    request.deferred = work();
    MHD_resume_connection(connection);
  });
  return MHD_YES;
}

int HttpServer::Handle(MHD_Connection* connection, const char* url, const char* method,
                       const char* version, const char* upload_data, size_t* upload_data_size,
                       void** context) {
  Request& request = *static_cast<Request*>(*context);
  if (!request.started) {
    request.started = true;
    return StartRequest(connection, request, method, url, version);
  }
  if (request.deferred) return Send(connection, request, *request.deferred);
  if (request.review && request.status == 0)
    return TakeReviewBody(connection, request, upload_data, upload_data_size);

  if (!request.parts || request.status != 0) {  // answered on the first call
    *upload_data_size = 0;
    return MHD_YES;
  }
  if (*upload_data_size > 0) {
    const size_t size = *upload_data_size;
    *upload_data_size = 0;
    return TakeBody(request, upload_data, size);
  }
  return FinishBody(connection, request);
}

// A review request is answered by the console on a worker once its body
// (if any) is read: a decision waits for the disk.
int HttpServer::StartReview(MHD_Connection* connection, Request& request,
                            const HeaderLines& headers) {
  request.review = std::make_unique<ReviewRequest>();
  ReviewRequest& review = *request.review;
  review.routed = request.routed;
  review.client = request.client;
  review.cookie = JoinedHeader(headers, "Cookie");
  review.authorization = Header(connection, MHD_HTTP_HEADER_AUTHORIZATION);
  review.origin = Header(connection, "Origin");
  review.referer = Header(connection, "Referer");
  review.host = Header(connection, MHD_HTTP_HEADER_HOST);
  review.csrf_header = Header(connection, "X-CSRF-Token");
  const char* since = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "since");
  review.since = since ? since : "";
  review.body_limit = console_.BodyLimit(review);
  const std::string length = Header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH);
  if (!length.empty() && std::strtoull(length.c_str(), nullptr, 10) > review.body_limit) {
    review.body_too_large = true;
    Reply reply = ReviewAnswer(request);
    reply.close = true;  // its body is left unread
    return Send(connection, request, reply);
  }
  if (request.method == "POST") return MHD_YES;  // the body comes next
  return AnswerReview(connection, request);
}

// A review request's body, up to the console's limit; past it the rest is
// read and dropped, and the console answers 413.
int HttpServer::TakeReviewBody(MHD_Connection* connection, Request& request, const char* data,
                               size_t* size) {
  const size_t taken = *size;
  *size = 0;
  if (taken == 0) return AnswerReview(connection, request);
  if (std::chrono::steady_clock::now() - request.began >
      std::chrono::seconds(options_.request_timeout))
    return MHD_NO;  // as an upload past its time: dropped
  ReviewRequest& review = *request.review;
  review.body_too_large |= review.body.size() + taken > review.body_limit;
  if (!review.body_too_large) review.body.append(data, taken);
  return MHD_YES;
}

int HttpServer::AnswerReview(MHD_Connection* connection, Request& request) {
  return Defer(connection, request, [this, &request] { return ReviewAnswer(request); });
}

Reply HttpServer::ReviewAnswer(Request& request) {
  ReviewReply answer = console_.Answer(*request.review);
  request.retry_after = std::move(answer.retry_after);
  return {.status = answer.status,
          .body = std::move(answer.body),
          .type = answer.type,
          .headers = std::move(answer.headers)};
}

Reply HttpServer::FinishUpload(Request& request) {
  UploadParts& parts = *request.parts;
  const auto files = parts.Finish();
  if (!files) return RefusalReply(request);
  const std::string entry = *request.entry;
  const std::string received = evaluation::Rfc3339Utc(Now());
  CommittedUpload committed;
  std::shared_ptr<const Evaluated> evaluated;
  {
    // Held while the version is evaluated too, so no later commit of the
    // entry drops its files meanwhile.
    const auto entry_lock = EntryLock(entry);
    std::lock_guard lock(*entry_lock);
    committed = CommitUpload(folders_, store_, {options_.keep_versions, options_.entrant_quota},
                             entry, request.staging, *files, received);
    request.staging.clear();
    if (committed.version) {
      evaluated = live_.EvaluateUpload(entry, *committed.version,
                                       folders_.VersionFolder(entry, *committed.version));
    }
  }
  if (committed.problem) {
    std::lock_guard lock(mutex_);
    log_ << ("upload of " + LogSafe(entry) + " failed: " + LogSafe(committed.problem->Describe()) +
             '\n');
  }
  if (!committed.version) {
    parts.Refuse(committed.status, committed.refusal);
    return RefusalReply(request);
  }
  const int64_t version = *committed.version;
  Json answer = {{"entry", entry},
                 {"version", version},
                 {"verdict", nullptr},
                 {"place", nullptr},
                 {"log", Json::array()}};
  if (evaluated) {
    const auto found = evaluated->find(entry);
    if (found != evaluated->end()) {
      const EntryVerdict& verdict = *found->second;
      answer["verdict"] = verdict.VerdictJson();
      if (public_.View().places_shown) answer["place"] = verdict.PlaceJson();
      answer["log"] = verdict.log;
      const Json& time = answer["verdict"]["time"];
      const Json& car_ok = answer["verdict"]["car_ok"];
      store_.NoteVerdict(
          entry, version,
          time.is_number() ? std::optional<int64_t>(time.get<int64_t>()) : std::nullopt,
          car_ok.is_boolean() ? std::optional<bool>(car_ok.get<bool>()) : std::nullopt);
    }
  }
  notifier_.Notify(UploadEvent(received, entry, version, answer["verdict"], answer["place"]));
  if (request.routed.route == Route::kUploadPost)
    return {.status = 200, .body = VerdictPage(answer), .type = kHtmlType};
  return JsonReply(200, answer.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
}

Reply HttpServer::FinishSignup(Request& request) {
  UploadParts& parts = *request.parts;
  const std::string name = parts.Value("name");
  if (!IsDriverName(name)) parts.Refuse(400, "name must be the driver's name, 1 to 40 characters");
  if (parts.Refused()) return RefusalReply(request);
  const auto token = NewToken();
  std::string entry;
  {
    std::lock_guard lock(signup_mutex_);
    if (signups_ >= options_.signup_limit) {
      parts.Refuse(403, "sign-up is full; ask the organiser for a token");
      return RefusalReply(request);
    }
    const std::string stem = EntryNameFromDriver(name);
    entry = stem;
    std::error_code ec;
    for (int n = 2;
         fs::exists(fs::symlink_status(folders_.Base() + entry, ec)) || store_.HasToken(entry);
         ++n) {
      const std::string suffix = "-" + std::to_string(n);
      entry = stem.substr(0, 40 - suffix.size()) + suffix;
    }
    const bool made = token && folders_.MakeEntryFolder(entry);
    if (!made || !store_.SetToken(entry, TokenHash(*token))) {
      parts.Refuse(500, "the server could not sign you up; please try again later");
      return RefusalReply(request);
    }
    ++signups_;
  }
  if (request.wants_page)
    return {.status = 201, .body = SignupAnswerPage(entry, *token), .type = kHtmlType};
  const Json answer = {{"entry", entry}, {"token", *token}};
  return JsonReply(201, answer.dump(2) + "\n");
}

}  // namespace hl::server
