#pragma once
#include <string>
#include <string_view>

namespace hl::publish {

// Text for HTML element content and quoted attribute values: & < > " '
// as entities, bytes that are not UTF-8 and control characters as U+FFFD,
// as the CSV has them. A name read from a file can never open an element or
// leave an attribute. The one escaper of every page.
std::string HtmlText(std::string_view text);

}  // namespace hl::publish
