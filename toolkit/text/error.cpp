#include "toolkit/text/error.h"

namespace hl {

std::string Error::Describe() const {
  std::string where = file;
  if (offset) where += (where.empty() ? "offset " : ", offset ") + std::to_string(*offset);
  return where.empty() ? what : where + ": " + what;
}

}  // namespace hl
