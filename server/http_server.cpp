#include "server/http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "server/access_token.h"
#include "server/entrant_pages.h"
#include "server/routes.h"
#include "server/upload_commit.h"
#include "server/upload_parts.h"

namespace hl::server {

using Json = nlohmann::ordered_json;

struct Request {
  std::chrono::steady_clock::time_point began = std::chrono::steady_clock::now();
  std::string path;
  std::string method;
  unsigned status = 0;
  uint64_t bytes = 0;
  bool started = false;
  Routed routed;
  std::string retry_after;           // seconds, for a 429
  std::optional<std::string> entry;  // whose token came with the request
  uint64_t received = 0;
  std::string staging;
  std::unique_ptr<UploadParts> parts;
  MHD_PostProcessor* processor = nullptr;
};

namespace {

namespace fs = std::filesystem;

constexpr size_t kFormBuffer = 64 * 1024;
constexpr int64_t kShutdownWaitSeconds = 120;
constexpr const char* kJsonType = "application/json; charset=utf-8";
constexpr const char* kHtmlType = "text/html; charset=utf-8";

MHD_Result Verdict(bool yes) { return yes ? MHD_YES : MHD_NO; }

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

std::string ErrorJson(const std::string& message) {
  return Json{{"error", message}}.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string ClientAddress(MHD_Connection* connection) {
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

std::string Header(MHD_Connection* connection, const char* name) {
  const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
  return value ? value : "";
}

// The token of an "Authorization: Bearer TOKEN" header; "" without one.
std::string BearerToken(MHD_Connection* connection) {
  const std::string header = Header(connection, MHD_HTTP_HEADER_AUTHORIZATION);
  constexpr std::string_view kScheme = "Bearer ";
  if (header.size() <= kScheme.size() || header.compare(0, kScheme.size(), kScheme) != 0) return "";
  return header.substr(kScheme.size());
}

bool IsMultipart(const std::string& type) { return type.rfind("multipart/form-data", 0) == 0; }

void AddCommonHeaders(MHD_Response* response, const char* type) {
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
  MHD_add_response_header(response, "Content-Security-Policy",
                          "default-src 'none'; img-src 'self'; style-src 'unsafe-inline'; "
                          "form-action 'self'; frame-ancestors 'none'; base-uri 'none'");
  MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
  MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
  MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache");
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
  auto* parts = static_cast<UploadParts*>(cls);
  return Verdict(parts->Take(key ? key : "", filename, data, off, size));
}

MHD_Result OnRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                     const char*, const char* upload_data, size_t* upload_data_size,
                     void** context) {
  return static_cast<MHD_Result>(static_cast<HttpServer*>(cls)->Handle(
      connection, url, method, upload_data, upload_data_size, context));
}

void OnCompleted(void* cls, MHD_Connection*, void** context, MHD_RequestTerminationCode how) {
  static_cast<HttpServer*>(cls)->Completed(static_cast<Request*>(*context), how);
  *context = nullptr;
}

void* OnBegin(void* cls, const char* uri, MHD_Connection*) {
  return static_cast<HttpServer*>(cls)->Began(uri);
}

void IgnoreLibraryMessage(void*, const char*, va_list) {}

}  // namespace

HttpServer::HttpServer(const ServerOptions& options, const StateFolders& folders,
                       VersionStore& store, LiveResults& live, std::ostream& log)
    : options_(options),
      folders_(folders),
      store_(store),
      live_(live),
      log_(log),
      address_limit_(options.rate_limit),
      token_limit_(options.rate_limit) {}

HttpServer::~HttpServer() {
  if (daemon_ != nullptr) MHD_stop_daemon(daemon_);
}

Result<uint16_t> HttpServer::Start() {
  sockaddr_in6 address6{};
  sockaddr_in address4{};
  const sockaddr* address = nullptr;
  unsigned flags = MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_ITC |
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
  constexpr unsigned kPerAddress = 32;  // a club behind one router uploads together
  constexpr unsigned kConnections = 512;
  constexpr size_t kConnectionMemory = 256 * 1024;
  daemon_ = MHD_start_daemon(
      flags, options_.port, nullptr, nullptr, &OnRequest, this, MHD_OPTION_SOCK_ADDR, address,
      MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(options_.idle_timeout),
      MHD_OPTION_PER_IP_CONNECTION_LIMIT, kPerAddress, MHD_OPTION_CONNECTION_LIMIT, kConnections,
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_NOTIFY_COMPLETED,
      &OnCompleted, this, MHD_OPTION_URI_LOG_CALLBACK, &OnBegin, this, MHD_OPTION_EXTERNAL_LOGGER,
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
  MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

void* HttpServer::Began(const char* uri) {
  auto* request = new Request;
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
    log_ << request->method << ' ' << request->path << ' ' << status << ' ' << request->bytes << ' '
         << duration << std::endl;
    --in_flight_;
  }
  idle_.notify_all();
  delete request;
}

int HttpServer::Answer(MHD_Connection* connection, Request& request, unsigned status,
                       std::string body, const char* type) {
  MHD_Response* response =
      MHD_create_response_from_buffer(body.size(), body.data(), MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;
  AddCommonHeaders(response, type);
  if (status == 405)
    MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, request.routed.allow.c_str());
  if (status == 429 || status == 503) {
    const std::string wait = status == 503 ? "2" : request.retry_after;
    MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, wait.c_str());
  }
  request.status = status;
  request.bytes = body.size();
  const MHD_Result queued = MHD_queue_response(connection, status, response);
  MHD_destroy_response(response);
  return queued;
}

int HttpServer::AnswerJson(MHD_Connection* connection, Request& request, unsigned status,
                           const std::string& body) {
  return Answer(connection, request, status, body, kJsonType);
}

int HttpServer::AnswerRefusal(MHD_Connection* connection, Request& request) {
  const Refusal& refusal = *request.parts->Refused();
  if (request.routed.route == Route::kUploadPost)
    return Answer(connection, request, refusal.status, RefusalPage(refusal.status, refusal.message),
                  kHtmlType);
  return AnswerJson(connection, request, refusal.status, ErrorJson(refusal.message));
}

int HttpServer::AnswerPageFile(MHD_Connection* connection, Request& request) {
  const std::string folder = live_.PageFolder();
  if (folder.empty()) {
    return AnswerJson(connection, request, 503,
                      ErrorJson("the results page is being built; try again in a moment"));
  }
  const std::string path = folder + request.routed.file;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  struct stat status {};
  if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    if (fd >= 0) close(fd);
    return AnswerJson(connection, request, 404,
                      ErrorJson("there is no " + request.path + " on this server"));
  }
  const auto size = static_cast<uint64_t>(status.st_size);
  MHD_Response* response = MHD_create_response_from_fd64(size, fd);
  if (response == nullptr) {
    close(fd);
    return MHD_NO;
  }
  AddCommonHeaders(response, PageFileType(request.routed.file));
  request.status = 200;
  request.bytes = size;
  const MHD_Result queued = MHD_queue_response(connection, 200, response);
  MHD_destroy_response(response);
  return queued;
}

int HttpServer::AnswerEntry(MHD_Connection* connection, Request& request) {
  const std::string& entry = *request.entry;
  Json versions = Json::array();
  for (const VersionRow& row : store_.Versions(entry)) {
    Json files = Json::array();
    for (const StoredFile& file : row.files) {
      files.push_back({{"field", FieldName(file.field)},
                       {"name", file.name},
                       {"size", file.size},
                       {"sha256", file.sha256}});
    }
    versions.push_back({{"version", row.version},
                        {"received", row.received},
                        {"files", std::move(files)},
                        {"time", row.time ? Json(*row.time) : Json()},
                        {"car_ok", row.car_ok ? Json(*row.car_ok) : Json()}});
  }
  Json verdict;
  if (const auto latest = live_.Latest()) {
    const auto found = latest->find(entry);
    if (found != latest->end()) verdict = found->second.verdict;
  }
  const Json answer = {{"entry", entry}, {"verdict", verdict}, {"versions", versions}};
  return AnswerJson(connection, request, 200,
                    answer.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
}

bool HttpServer::UploadsClosed() const {
  return options_.closes && Now() >= options_.closes->utc_seconds;
}

std::shared_ptr<std::mutex> HttpServer::EntryLock(const std::string& entry) {
  std::lock_guard lock(mutex_);
  auto& slot = entry_locks_[entry];
  if (!slot) slot = std::make_shared<std::mutex>();
  return slot;
}

// Who sent the request: its token names an entrant, and the entrant's
// requests are counted as well as the address's.
void HttpServer::CheckAccess(MHD_Connection* connection, Request& request) {
  const std::string token = request.routed.route == Route::kUploadPost
                                ? request.parts->Value("token")
                                : BearerToken(connection);
  if (token.empty()) {
    request.parts->Refuse(401, "a token is needed: send the one the organiser gave you");
    return;
  }
  request.entry = store_.EntryOfToken(TokenHash(token));
  if (!request.entry) {
    request.parts->Refuse(401,
                          "the token is not known: check it, or ask the organiser for a new "
                          "one");
    return;
  }
  if (const auto wait = token_limit_.Take(*request.entry, Now())) {
    request.retry_after = std::to_string(*wait);
    request.parts->Refuse(
        429, "too many requests for this entry; wait " + std::to_string(*wait) + " seconds");
  }
}

int HttpServer::StartRequest(MHD_Connection* connection, Request& request, const char* method,
                             const char* url) {
  request.method = method ? method : "";
  if (request.path.empty()) request.path = url ? url : "";
  request.routed = RouteRequest(request.method, request.path, options_.signup);
  if (stopping_) {
    return AnswerJson(connection, request, 503,
                      ErrorJson("the server is shutting down; try again in a minute"));
  }
  if (const auto wait = address_limit_.Take(ClientAddress(connection), Now())) {
    request.retry_after = std::to_string(*wait);
    return AnswerJson(connection, request, 429,
                      ErrorJson("too many requests from this address; wait " +
                                std::to_string(*wait) + " seconds"));
  }
  switch (request.routed.route) {
    case Route::kNone:
      if (request.routed.status == 405) {
        return AnswerJson(connection, request, 405,
                          ErrorJson(request.path + " takes only " + request.routed.allow));
      }
      return AnswerJson(connection, request, request.routed.status,
                        ErrorJson("there is no " + request.path + " on this server"));
    case Route::kPageFile:
      return AnswerPageFile(connection, request);
    case Route::kUploadForm:
      return Answer(connection, request, 200, UploadFormPage(options_.closes), kHtmlType);
    case Route::kApiEntry: {
      request.parts = std::make_unique<UploadParts>("");
      CheckAccess(connection, request);
      if (request.parts->Refused()) return AnswerRefusal(connection, request);
      return AnswerEntry(connection, request);
    }
    default:
      break;
  }
  // A form: read as it streams in; a refusal is answered once the body is read.
  const bool upload = request.routed.route != Route::kApiSignup;
  std::string staging;
  if (upload) {
    auto made = folders_.NewStagingFolder();
    if (made) request.staging = *made;
  }
  request.parts = std::make_unique<UploadParts>(request.staging);
  UploadParts& parts = *request.parts;
  const std::string type = Header(connection, MHD_HTTP_HEADER_CONTENT_TYPE);
  const std::string length = Header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH);
  if (!length.empty() && std::strtoull(length.c_str(), nullptr, 10) > kRequestLimit) {
    parts.Refuse(413, "the request is larger than the 12 MiB allowed");
    return AnswerRefusal(connection, request);
  }
  if (upload && request.staging.empty())
    parts.Refuse(500, "the server could not store the upload; please try again later");
  if (upload && !IsMultipart(type)) parts.Refuse(415, "send the files as multipart/form-data");
  if (request.routed.route == Route::kApiUpload) CheckAccess(connection, request);
  if (upload && UploadsClosed()) {
    parts.Refuse(403, "uploads are closed: " + ClosingSentence(*options_.closes, true));
  }
  if (!parts.Refused()) {
    request.processor = MHD_create_post_processor(connection, kFormBuffer, &OnFormPart, &parts);
    if (request.processor == nullptr)
      parts.Refuse(upload ? 400 : 415,
                   "the form data cannot be read: send it as "
                   "multipart/form-data");
  }
  return MHD_YES;
}

int HttpServer::Handle(MHD_Connection* connection, const char* url, const char* method,
                       const char* upload_data, size_t* upload_data_size, void** context) {
  Request& request = *static_cast<Request*>(*context);
  if (!request.started) {
    request.started = true;
    return StartRequest(connection, request, method, url);
  }
  if (!request.parts || request.status != 0) {  // answered on the first call
    *upload_data_size = 0;
    return MHD_YES;
  }
  if (*upload_data_size > 0) {
    const size_t size = *upload_data_size;
    *upload_data_size = 0;
    request.received += size;
    if (request.received > kRequestLimit) {
      request.parts->Refuse(413, "the request is larger than the 12 MiB allowed");
      return AnswerRefusal(connection, request);
    }
    if (!request.parts->Refused() && request.processor != nullptr &&
        MHD_post_process(request.processor, upload_data, size) != MHD_YES) {
      request.parts->Refuse(400, "the form data is malformed");
    }
    return MHD_YES;
  }
  if (request.processor != nullptr) {
    const bool whole = MHD_destroy_post_processor(request.processor) == MHD_YES;
    request.processor = nullptr;
    if (!whole) request.parts->Refuse(400, "the form data ends before its last part is complete");
  }
  if (request.routed.route == Route::kApiSignup) return FinishSignup(connection, request);
  return FinishUpload(connection, request);
}

int HttpServer::FinishUpload(MHD_Connection* connection, Request& request) {
  UploadParts& parts = *request.parts;
  if (request.routed.route == Route::kUploadPost && !parts.Refused())
    CheckAccess(connection, request);
  const auto files = parts.Finish();
  if (!files) return AnswerRefusal(connection, request);
  const std::string entry = *request.entry;
  CommittedUpload committed;
  std::shared_ptr<const Evaluated> evaluated;
  {
    // Held while the version is evaluated too, so no later commit of the
    // entry drops its files meanwhile.
    const auto entry_lock = EntryLock(entry);
    std::lock_guard lock(*entry_lock);
    committed = CommitUpload(folders_, store_, {options_.keep_versions, options_.entrant_quota},
                             entry, request.staging, *files, evaluation::Rfc3339Utc(Now()));
    request.staging.clear();
    if (committed.version) {
      evaluated = live_.EvaluateUpload(entry, *committed.version,
                                       folders_.VersionFolder(entry, *committed.version));
    }
  }
  if (committed.problem) {
    std::lock_guard lock(mutex_);
    log_ << "hotlap-eval: upload of " << entry << ": " << committed.problem->Describe()
         << std::endl;
  }
  if (!committed.version) {
    parts.Refuse(committed.status, committed.refusal);
    return AnswerRefusal(connection, request);
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
      const EntryVerdict& verdict = found->second;
      answer["verdict"] = verdict.verdict;
      answer["place"] = verdict.place;
      answer["log"] = verdict.log;
      const Json& time = verdict.verdict["time"];
      const Json& car_ok = verdict.verdict["car_ok"];
      store_.NoteVerdict(
          entry, version,
          time.is_number() ? std::optional<int64_t>(time.get<int64_t>()) : std::nullopt,
          car_ok.is_boolean() ? std::optional<bool>(car_ok.get<bool>()) : std::nullopt);
    }
  }
  if (request.routed.route == Route::kUploadPost)
    return Answer(connection, request, 200, VerdictPage(answer), kHtmlType);
  return AnswerJson(connection, request, 200,
                    answer.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
}

int HttpServer::FinishSignup(MHD_Connection* connection, Request& request) {
  UploadParts& parts = *request.parts;
  const std::string name = parts.Value("name");
  if (!parts.Refused() && !IsDriverName(name))
    parts.Refuse(400, "name must be the driver's name, 1 to 40 characters");
  if (parts.Refused()) return AnswerRefusal(connection, request);
  const auto token = NewToken();
  std::string entry;
  {
    std::lock_guard lock(signup_mutex_);
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
      return AnswerRefusal(connection, request);
    }
  }
  const Json answer = {{"entry", entry}, {"token", *token}};
  return AnswerJson(connection, request, 201, answer.dump(2) + "\n");
}

}  // namespace hl::server
