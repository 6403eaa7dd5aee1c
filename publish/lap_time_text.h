#pragma once
// A lap time as every page shows it: "51.30", or "no time" for a lap not
// driven.

#include <cstdint>
#include <string>

namespace hl::publish {

std::string LapTimeText(int64_t hundredths);

}  // namespace hl::publish
