#include "app/batch/screens_ahead.h"

#include "gamedata/screen_picture.h"
#include "state/state.h"

namespace hl::batch {
namespace {

// A few screens in waiting keep the other core busy while the step draws;
// each waiting screen holds one scaled picture.
constexpr int64_t kScreensAhead = 4;

}  // namespace

ScreensAhead::ScreensAhead(const std::string& base_dir, const state::TextList& folders,
                           state::OutputNeeds needs)
    : base_dir_(base_dir), folders_(folders), needs_(needs) {}

ScreensAhead::~ScreensAhead() {
  stopping_ = true;
  tasks_.wait();
}

void ScreensAhead::StartAhead(int64_t index) {
  if (index >= folders_.Count() || slots_.contains(index)) return;
  auto slot = std::make_shared<Slot>();
  slot->entry_dir = base_dir_ + folders_.Items()[static_cast<size_t>(index)] + "/";
  slots_.emplace(index, slot);
  tasks_.run([this, slot] {
    if (stopping_ || slot->claimed.exchange(true)) return;
    Load(*slot);
  });
}

void ScreensAhead::Load(Slot& slot) const {
  files::DirSlots listings;
  const std::string screen = gamedata::FindFilesByKind(listings, slot.entry_dir).screen;
  std::string path;
  state::LoadedScreen loaded;
  if (screen != state::kMissingFile) {
    path = slot.entry_dir + screen;
    loaded = gamedata::LoadScreen(path, needs_);
  }
  const std::lock_guard lock(slot.mutex);
  slot.path = std::move(path);
  slot.screen = std::move(loaded);
  slot.ready = true;
  slot.done.notify_all();
}

bool ScreensAhead::IsReady(Slot& slot) {
  const std::lock_guard lock(slot.mutex);
  return slot.ready;
}

bool ScreensAhead::LoadOneWaiting() {
  for (auto& [index, slot] : slots_) {
    if (!slot->claimed.exchange(true)) {
      Load(*slot);
      return true;
    }
  }
  return false;
}

// The folder may have changed since the slot was loaded; only a screen of
// the very path asked for is handed over.
state::LoadedScreen ScreensAhead::TakeFrom(Slot& slot, const std::string& path) {
  if (!slot.claimed.exchange(true)) return gamedata::LoadScreen(path, needs_);
  // While the other core finishes this screen, this one loads a later one.
  while (!IsReady(slot) && LoadOneWaiting()) {
  }
  std::unique_lock lock(slot.mutex);
  slot.done.wait(lock, [&slot] { return slot.ready; });
  if (slot.path != path) return gamedata::LoadScreen(path, needs_);
  return std::move(slot.screen);
}

state::LoadedScreen ScreensAhead::Take(const std::string& path) {
  const int64_t index = folders_.Index();
  for (int64_t ahead = index + 1; ahead <= index + kScreensAhead; ++ahead) StartAhead(ahead);
  const auto found = slots_.find(index);
  if (found == slots_.end()) return gamedata::LoadScreen(path, needs_);
  const std::shared_ptr<Slot> slot = std::move(found->second);
  slots_.erase(found);
  return TakeFrom(*slot, path);
}

}  // namespace hl::batch
