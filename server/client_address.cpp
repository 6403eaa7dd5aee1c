#include "server/client_address.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

#include "server/request_checks.h"

namespace hl::server {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    pieces.push_back(WithoutOptionalSpace(text.substr(start, end - start)));
    if (end == std::string_view::npos) return pieces;
    start = end + 1;
  }
}

std::optional<std::array<uint8_t, 16>> ParseAddress(std::string_view text) {
  if (text.empty() || text.size() >= INET6_ADDRSTRLEN) return std::nullopt;
  const std::string copy(text);
  std::array<uint8_t, 16> bytes{};
  if (inet_pton(AF_INET6, copy.c_str(), bytes.data()) == 1) return bytes;
  uint8_t v4[4];
  if (inet_pton(AF_INET, copy.c_str(), v4) != 1) return std::nullopt;
  bytes[10] = bytes[11] = 0xff;
  std::copy(v4, v4 + 4, bytes.begin() + 12);
  return bytes;
}

bool IsMappedV4(const std::array<uint8_t, 16>& bytes) {
  return std::all_of(bytes.begin(), bytes.begin() + 10, [](uint8_t b) { return b == 0; }) &&
         bytes[10] == 0xff && bytes[11] == 0xff;
}

std::string AddressText(const std::array<uint8_t, 16>& bytes) {
  char text[INET6_ADDRSTRLEN] = "";
  if (IsMappedV4(bytes)) {
    inet_ntop(AF_INET, bytes.data() + 12, text, sizeof text);
  } else {
    inet_ntop(AF_INET6, bytes.data(), text, sizeof text);
  }
  return text;
}

bool InRange(const AddressRange& range, const std::array<uint8_t, 16>& bytes) {
  for (int bit = 0; bit < range.prefix; ++bit) {
    const int mask = 0x80 >> (bit % 8);
    if ((range.bytes[bit / 8] & mask) != (bytes[bit / 8] & mask)) return false;
  }
  return true;
}

// One `for=` node of a Forwarded element: an address, IPv6 in brackets and
// then quoted, either with a port.
std::optional<std::array<uint8_t, 16>> ParseForwardedNode(std::string_view node) {
  if (node.size() >= 2 && node.front() == '"' && node.back() == '"')
    node = node.substr(1, node.size() - 2);
  if (!node.empty() && node.front() == '[') {
    const size_t close = node.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view rest = node.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return std::nullopt;
    return ParseAddress(node.substr(1, close - 1));
  }
  const size_t colon = node.find(':');
  return ParseAddress(node.substr(0, colon));
}

// The hops of `Forwarded`, left to right; nullopt when any is malformed.
std::optional<std::vector<std::array<uint8_t, 16>>> ForwardedHops(std::string_view header) {
  std::vector<std::array<uint8_t, 16>> hops;
  for (std::string_view element : Split(header, ',')) {
    std::optional<std::array<uint8_t, 16>> hop;
    for (std::string_view pair : Split(element, ';')) {
      const size_t equals = pair.find('=');
      if (equals == std::string_view::npos) return std::nullopt;
      std::string name(pair.substr(0, equals));
      std::transform(name.begin(), name.end(), name.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (name != "for") continue;
      if (hop) return std::nullopt;
      hop = ParseForwardedNode(pair.substr(equals + 1));
      if (!hop) return std::nullopt;
    }
    if (!hop) return std::nullopt;
    hops.push_back(*hop);
  }
  return hops;
}

std::optional<std::vector<std::array<uint8_t, 16>>> ForwardedForHops(std::string_view header) {
  std::vector<std::array<uint8_t, 16>> hops;
  for (std::string_view item : Split(header, ',')) {
    const auto hop = ParseAddress(item);
    if (!hop) return std::nullopt;
    hops.push_back(*hop);
  }
  return hops;
}

}  // namespace

std::optional<AddressRange> ParseAddressRange(std::string_view text) {
  const size_t slash = text.find('/');
  const auto address = ParseAddress(text.substr(0, slash));
  if (!address) return std::nullopt;
  AddressRange range{*address, 128};
  if (slash == std::string_view::npos) return range;
  const std::string_view digits = text.substr(slash + 1);
  int prefix = -1;
  const auto [end, problem] = std::from_chars(digits.data(), digits.data() + digits.size(), prefix);
  const int widest = IsMappedV4(*address) && text.find(':') == std::string_view::npos ? 32 : 128;
  if (digits.empty() || problem != std::errc() || end != digits.data() + digits.size() ||
      prefix < 0 || prefix > widest)
    return std::nullopt;
  range.prefix = prefix + (widest == 32 ? 96 : 0);
  return range;
}

bool InAddressRange(const AddressRange& range, std::string_view address) {
  const auto bytes = ParseAddress(address);
  return bytes && InRange(range, *bytes);
}

bool TrustedProxies::Add(std::string_view text) {
  const auto range = ParseAddressRange(text);
  if (range) ranges_.push_back(*range);
  return range.has_value();
}

bool TrustedProxies::Contains(std::string_view address) const {
  const auto bytes = ParseAddress(address);
  return bytes && std::any_of(ranges_.begin(), ranges_.end(),
                              [&](const AddressRange& range) { return InRange(range, *bytes); });
}

std::string ClientAddressOf(const std::string& peer, std::string_view forwarded_for,
                            std::string_view forwarded, const TrustedProxies& proxies) {
  if (!proxies.Contains(peer)) return peer;
  const auto hops = !forwarded.empty()       ? ForwardedHops(forwarded)
                    : !forwarded_for.empty() ? ForwardedForHops(forwarded_for)
                                             : std::nullopt;
  if (!hops || hops->empty()) return peer;
  for (auto hop = hops->rbegin(); hop != hops->rend(); ++hop) {
    const std::string text = AddressText(*hop);
    if (!proxies.Contains(text)) return text;
  }
  return AddressText(hops->front());
}

}  // namespace hl::server
