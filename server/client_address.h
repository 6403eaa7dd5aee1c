#pragma once
// Whose request it is: the peer of the connection, or, when the peer is a
// reverse proxy the organiser trusts, the client the proxy names in
// `X-Forwarded-For` or `Forwarded`. Only trusted peers may name a client, and
// a header that does not parse strictly names none.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hl::server {

// An IPv4 or IPv6 address with a prefix length ("10.0.0.0/8", "::1").
struct AddressRange {
  std::array<uint8_t, 16> bytes{};  // IPv4 as an IPv4-mapped IPv6 address
  int prefix = 128;
};

std::optional<AddressRange> ParseAddressRange(std::string_view text);
// Whether `address` (IPv4, IPv6, IPv4-mapped IPv6) lies in `range`.
bool InAddressRange(const AddressRange& range, std::string_view address);

class TrustedProxies {
 public:
  // False when `text` is no address or range.
  bool Add(std::string_view text);
  bool Contains(std::string_view address) const;
  bool Empty() const { return ranges_.empty(); }

 private:
  std::vector<AddressRange> ranges_;
};

// The client's address: `peer` itself unless it is a trusted proxy; then the
// right-most hop that is not a trusted proxy, from `Forwarded` if sent, else
// from `X-Forwarded-For` (each header's lines joined by ", ").
std::string ClientAddressOf(const std::string& peer, std::string_view forwarded_for,
                            std::string_view forwarded, const TrustedProxies& proxies);

}  // namespace hl::server
