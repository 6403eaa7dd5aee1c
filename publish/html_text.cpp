#include "publish/html_text.h"

#include "publish/control_characters.h"
#include "toolkit/text/utf8.h"

namespace hl::publish {

std::string HtmlText(std::string_view raw) {
  std::string html;
  size_t position = 0;
  while (position < raw.size()) {
    const char32_t code = text::NextCodePoint(raw, position);
    switch (code) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\'':
        html += "&#39;";
        break;
      default:
        text::AppendUtf8(html, IsReplacedControl(code) ? text::kReplacementCharacter : code);
    }
  }
  return html;
}

}  // namespace hl::publish
