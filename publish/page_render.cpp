#include "publish/page_render.h"

#include <nettle/base64.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "publish/html_text.h"
#include "publish/page_templates.h"

namespace hl::publish {
namespace {

using kainjow::mustache::mustache;
using kainjow::mustache::partial;

std::string Base64(std::string_view bytes) {
  std::string text(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
  base64_encode_raw(text.data(), bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data()));
  return text;
}

// The renderer's stack of values. A made list is set as placeholders; the
// renderer enters a list item by pushing the item's address, and where that
// is a placeholder, the item made for it is pushed in its place.
class MadeItemsContext : public kainjow::mustache::context<std::string> {
 public:
  MadeItemsContext(const PageData& root, const std::vector<MadeList>& made)
      : context(&root), made_(made) {
    for (const MadeList& list : made_) placeholders_.push_back(&root.get(list.name)->list_value());
  }

  void push(const PageData* data) override {
    for (size_t i = 0; i < made_.size(); ++i) {
      const PageList& placeholders = *placeholders_[i];
      const std::less<const PageData*> before;
      if (placeholders.empty() || before(data, &placeholders.front()) ||
          before(&placeholders.back(), data))
        continue;
      items_.push_back(std::make_unique<PageData>(
          made_[i].item(static_cast<size_t>(data - &placeholders.front()))));
      pushed_made_.push_back(true);
      context::push(items_.back().get());
      return;
    }
    pushed_made_.push_back(false);
    context::push(data);
  }

  void pop() override {
    context::pop();
    if (pushed_made_.back()) items_.pop_back();
    pushed_made_.pop_back();
  }

 private:
  const std::vector<MadeList>& made_;
  std::vector<const PageList*> placeholders_;  // by made list
  std::vector<std::unique_ptr<PageData>> items_;
  std::vector<bool> pushed_made_;  // for each push not yet popped but the root's
};

}  // namespace

std::string RenderPage(std::string_view page, PageData values, const std::vector<MadeList>& made) {
  static const std::string icon = Base64(embedded::kIconSvg);
  values.set("icon", icon);
  values.set("head", partial([] { return std::string(embedded::kHeadTemplate); }));
  values.set("picture", partial([] { return std::string(embedded::kPictureTemplate); }));
  for (const MadeList& list : made) values.set(list.name, PageList(list.count, PageData(true)));
  mustache renderer{std::string(page)};
  renderer.set_custom_escape([](const std::string& text) { return HtmlText(text); });
  MadeItemsContext context(values, made);
  return renderer.render(context);
}

}  // namespace hl::publish
