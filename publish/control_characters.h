#pragma once
// Control characters in a name from a file would garble a table or a page
// when shown raw; every published text replaces them with U+FFFD. Line ends
// stay, since a penalty's reason may span lines.

namespace hl::publish {

inline bool IsReplacedControl(char32_t code) {
  return (code < 0x20 && code != '\r' && code != '\n') || code == 0x7F;
}

}  // namespace hl::publish
