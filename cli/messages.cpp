#include "cli/messages.h"

namespace hl::cli {

void PrintProblem(std::ostream& err, std::string_view text) {
  err << kProgram << ": " << text << '\n';
}

void Print(std::ostream& err, const run::Diagnostic& diagnostic) {
  if (diagnostic.severity == run::Severity::kProblem) {
    PrintProblem(err, diagnostic.text);
  } else {
    err << diagnostic.text << '\n';
  }
}

run::Diagnostics::Listener PrintingTo(std::ostream& err) {
  return [&err](const run::Diagnostic& diagnostic) { Print(err, diagnostic); };
}

}  // namespace hl::cli
