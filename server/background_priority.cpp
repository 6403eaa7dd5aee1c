#include "server/background_priority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace hl::server {
namespace {

// Well below the requests' 0, so that they take the cores whenever they
// want them, yet not the lowest: the page still moves on a busy machine.
constexpr int kBackgroundNice = 10;

}  // namespace

void RunInBackground() {
  thread_local bool lowered = false;
  if (lowered) return;
  lowered = true;
  // A thread that stays at its priority only makes the page come sooner.
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
}

}  // namespace hl::server
