#include "server/background_priority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace hl::server {
namespace {

// Below the requests' 0, so that they get three times the page's share of
// a busy core, yet far from the lowest: the page still moves when another
// program keeps the machine busy.
constexpr int kBackgroundNice = 5;

}  // namespace

void RunInBackground() {
  thread_local bool lowered = false;
  if (lowered) return;
  lowered = true;
  // A thread that stays at its priority only makes the page come sooner.
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
}

}  // namespace hl::server
