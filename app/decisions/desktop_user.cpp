#include "app/decisions/desktop_user.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace hl::decisions {

std::string DesktopUser() {
  if (const passwd* user = getpwuid(geteuid()); user != nullptr && user->pw_name != nullptr)
    return user->pw_name;
  const char* login = std::getenv("LOGNAME");
  return login != nullptr ? login : "";
}

}  // namespace hl::decisions
