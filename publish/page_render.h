#pragma once
// Pages rendered from the built-in Mustache templates. Every value a
// template shows goes through HtmlText, so a name read from a file can
// never open an element or leave an attribute; the templates use no
// unescaped tags.

#include <string>
#include <string_view>

#include <kainjow/mustache.hpp>

namespace hl::publish {

using PageData = kainjow::mustache::data;
using PageList = kainjow::mustache::list;

// `page` with the shared head (which reads `title` and `description` from
// `values`) and the picture partial (`src`, `width`, `height`, `alt`, `lazy`).
std::string RenderPage(std::string_view page, PageData values);

}  // namespace hl::publish
