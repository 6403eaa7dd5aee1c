#pragma once
#include <string>
#include <string_view>

namespace hl::publish {

// Text for HTML element content and quoted attribute values: & < > " '
// as entities, bytes that are not UTF-8 as U+FFFD. A name read from a file
// can never open an element or leave an attribute.
std::string HtmlText(std::string_view text);

}  // namespace hl::publish
