#pragma once
// Who sits at the window: the login name the decisions are written with.

#include <string>

namespace hl::decisions {

// The user's login name (the password database's, else $LOGNAME); "" when
// neither names one.
std::string DesktopUser();

}  // namespace hl::decisions
