#include "publish/page_render.h"

#include <algorithm>
#include <cstdint>

#include "publish/html_text.h"
#include "publish/page_templates.h"

namespace hl::publish {
namespace {

using kainjow::mustache::mustache;
using kainjow::mustache::partial;

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k)
      group = (group << 8) | (k < n ? static_cast<uint8_t>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) text += k <= n ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}

}  // namespace

std::string RenderPage(std::string_view page, PageData values) {
  static const std::string icon = Base64(embedded::kIconSvg);
  values.set("icon", icon);
  values.set("head", partial([] { return std::string(embedded::kHeadTemplate); }));
  values.set("picture", partial([] { return std::string(embedded::kPictureTemplate); }));
  mustache renderer{std::string(page)};
  renderer.set_custom_escape([](const std::string& text) { return HtmlText(text); });
  return renderer.render(values);
}

}  // namespace hl::publish
