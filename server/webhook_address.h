#pragma once
// Where a webhook may be delivered: http and https URLs only and, unless the
// organiser allows it, never an address of this machine or of a private
// network, so that a URL cannot make the server reach what only it can.

#include <optional>
#include <string>
#include <string_view>

namespace hl::server {

// Loopback, link-local, private (RFC 1918, fc00::/7), shared (100.64.0.0/10),
// unspecified, multicast or reserved; IPv4, IPv6 or IPv4-mapped IPv6 text.
// Text that is no address counts as private.
bool IsPrivateAddress(std::string_view address);

// Why `url` cannot be a webhook (no http or https URL with a host, or a
// private address as its host without `allow_private`); nullopt when it can.
std::optional<std::string> WebhookUrlProblem(const std::string& url, bool allow_private);

// "https://chat.example.org:8443": how messages name a receiver, without the
// path, query or credentials, which often hold its secret.
std::string ReceiverName(const std::string& url);

}  // namespace hl::server
