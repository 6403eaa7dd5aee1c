#pragma once

namespace hl::ui {

// The four kinds of gadget the facade creates; each takes only its own operations.
enum class GadgetKind {
  ImageView,
  LogEditor,
  TextField,
  PushButton,
};

}  // namespace hl::ui
