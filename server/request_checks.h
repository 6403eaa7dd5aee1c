#pragma once
// Checks of a request's head that the HTTP library leaves to the server:
// how its body is framed, who sent a form, the auth scheme and media type
// compared as HTTP compares them (without case), and request text made
// safe for the log.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hl::server {

using HeaderLines = std::vector<std::pair<std::string, std::string>>;  // name, value

// Why the body's framing or the head is ambiguous (a second or conflicting
// Content-Length, Content-Length beside Transfer-Encoding, HTTP/1.1 without
// Host); nullopt when it is sound.
std::optional<std::string> FramingProblem(std::string_view version, const HeaderLines& headers);

// The token of "Authorization: Bearer TOKEN" (scheme in any case); "" without one.
std::string BearerTokenOf(std::string_view authorization);

bool IsMultipartForm(std::string_view content_type);

// True unless a browser says the form was posted from another site: its
// Origin (or, without one, Referer) must name `host`, the request's Host.
bool PostedFromOwnPages(std::string_view origin, std::string_view referer, std::string_view host);

// A header value or list item without the spaces and tabs HTTP allows around it.
std::string_view WithoutOptionalSpace(std::string_view text);

// `text` with control bytes and '\' written as \xHH, for one line of the log.
std::string LogSafe(std::string_view text);

}  // namespace hl::server
