#pragma once
// Reading `closes` and `freeze` (TOML offset date-times) and `final` (true or false)
// from the evaluation file.

#include <string_view>

#include <toml++/toml.h>

#include "evaluation/closing_time.h"

namespace hl::evaluation {

// Takes `key` ("closes", "freeze" or "final") into `closing`; a failure says why, without the line.
Result<void> TakeClosingKey(std::string_view key, const toml::node& node, Closing& closing);

}  // namespace hl::evaluation
