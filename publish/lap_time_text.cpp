#include "publish/lap_time_text.h"

#include "record/rules.h"
#include "toolkit/text/text.h"

namespace hl::publish {

std::string LapTimeText(int64_t hundredths) {
  return hundredths >= record::kNoTime ? "no time" : text::FormatHundredths(hundredths);
}

}  // namespace hl::publish
