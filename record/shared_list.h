#pragma once
// A list that many entries of a competition hold alike: entries made from
// one template track carry the same ghost, and nearly every entry the same
// car. Equal lists handed out by one pool share their items, so a record of
// thousands of such entries holds each distinct list once.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace hl::record {

// Read-only once made; compares by its items, however they are shared.
template <typename T>
class SharedList {
 public:
  SharedList() = default;
  // A list of its own.
  SharedList(std::vector<T> items)  // NOLINT(google-explicit-constructor): a list is its items
      : items_(std::make_shared<const std::vector<T>>(std::move(items))) {}

  std::span<const T> Items() const {
    return items_ ? std::span<const T>(*items_) : std::span<const T>();
  }
  size_t size() const { return Items().size(); }
  bool empty() const { return Items().empty(); }

  friend bool operator==(const SharedList& a, const SharedList& b) {
    return std::ranges::equal(a.Items(), b.Items());
  }

 private:
  template <typename>
  friend class SharedListPool;
  explicit SharedList(std::shared_ptr<const std::vector<T>> items) : items_(std::move(items)) {}

  std::shared_ptr<const std::vector<T>> items_;
};

// Hands out one shared list for all equal lists it is given.
template <typename T>
class SharedListPool {
  // Hashed as raw bytes, which is only sound where equal values have equal bytes.
  static_assert(std::has_unique_object_representations_v<T>);

 public:
  SharedList<T> Share(std::span<const T> items) {
    const size_t hash = std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(items.data()), items.size_bytes()));
    auto [first, last] = lists_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
      if (std::ranges::equal(*it->second, items)) return SharedList<T>(it->second);
    }
    auto made = std::make_shared<const std::vector<T>>(items.begin(), items.end());
    lists_.emplace(hash, made);
    return SharedList<T>(std::move(made));
  }

 private:
  std::unordered_multimap<size_t, std::shared_ptr<const std::vector<T>>> lists_;
};

}  // namespace hl::record
