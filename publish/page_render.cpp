#include "publish/page_render.h"

#include <nettle/base64.h>

#include <cstdint>

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
