#include "state/state.h"

namespace hl::state {

files::ByteView AppState::LoadedFile() const {
  return Data ? Data->LoadedFile(DataSize) : files::ByteView();
}

files::ByteView AppState::LoadedCar() const {
  return Data ? Data->LoadedCar(CarSize) : files::ByteView();
}

}  // namespace hl::state
