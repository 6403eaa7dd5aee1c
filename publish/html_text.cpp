#include "publish/html_text.h"

#include "toolkit/text/utf8.h"

namespace hl::publish {

std::string HtmlText(std::string_view raw) {
  std::string html;
  for (const char c : text::ValidUtf8(raw)) {
    switch (c) {
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
        html += c;
    }
  }
  return html;
}

}  // namespace hl::publish
