#pragma once
// An ordered list of texts with a current position, as FolderList and
// RankingList need it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hl::state {

class TextList {
 public:
  void Clear();
  void Append(std::string text);
  int64_t Count() const;
  void ResetPosition();   // before the first element
  bool Next();            // false when there is no next element
  int64_t Index() const;  // of the current element, from 0; -1 before the first
  const std::string& Current() const;
  const std::vector<std::string>& Items() const { return items_; }
  // Stable sort with a strict weak "less" order; descending reverses the
  // order of unequal elements only (equal ones keep their order).
  void SortStable(const std::function<bool(const std::string&, const std::string&)>& less,
                  bool descending);

 private:
  std::vector<std::string> items_;
  int64_t position_ = -1;
};

}  // namespace hl::state
