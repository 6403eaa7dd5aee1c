#include "season/parallel_run.h"

#include <tbb/parallel_for.h>

namespace hl::season {

void RunEach(size_t count, const std::function<void(size_t)>& run) {
  // One competition is seconds of work: a grain of one lets every core take
  // a whole competition of its own.
  tbb::parallel_for(tbb::blocked_range<size_t>(0, count, 1),
                    [&](const tbb::blocked_range<size_t>& range) {
                      for (size_t i = range.begin(); i != range.end(); ++i) run(i);
                    });
}

}  // namespace hl::season
