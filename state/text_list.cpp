#include "state/text_list.h"

#include <algorithm>
#include <utility>

namespace hl::state {

void TextList::Clear() {
  items_.clear();
  position_ = -1;
}

void TextList::Append(std::string text) { items_.push_back(std::move(text)); }

int64_t TextList::Count() const { return static_cast<int64_t>(items_.size()); }

void TextList::ResetPosition() { position_ = -1; }

bool TextList::Next() {
  if (position_ + 1 >= Count()) {
    position_ = Count();  // past the end: there is no current element any more
    return false;
  }
  ++position_;
  return true;
}

int64_t TextList::Index() const { return position_ < Count() ? position_ : -1; }

const std::string& TextList::Current() const {
  static const std::string kNone;
  if (position_ < 0 || position_ >= Count()) return kNone;
  return items_[static_cast<size_t>(position_)];
}

void TextList::SortStable(const std::function<bool(const std::string&, const std::string&)>& less,
                          bool descending) {
  if (descending) {
    std::stable_sort(items_.begin(), items_.end(),
                     [&less](const std::string& a, const std::string& b) { return less(b, a); });
  } else {
    std::stable_sort(items_.begin(), items_.end(), less);
  }
  position_ = -1;
}

}  // namespace hl::state
