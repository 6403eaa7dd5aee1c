#pragma once
// Pages rendered from the built-in Mustache templates. Every value a
// template shows goes through HtmlText, so a name read from a file can
// never open an element or leave an attribute; the templates use no
// unescaped tags.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <kainjow/mustache.hpp>

namespace hl::publish {

using PageData = kainjow::mustache::data;
using PageList = kainjow::mustache::list;

// A list of the page whose items are made one at a time as the page is
// rendered, each dropped once rendered: a page of thousands of entries
// never holds all their values at once.
struct MadeList {
  std::string name;
  size_t count = 0;
  std::function<PageData(size_t index)> item;
};

// `page` with the shared head (which reads `title` and `description` from
// `values`) and the picture partial (`src`, `width`, `height`, `alt`, `lazy`);
// each of `made` is a list of `values` as if it were set there.
std::string RenderPage(std::string_view page, PageData values,
                       const std::vector<MadeList>& made = {});

}  // namespace hl::publish
