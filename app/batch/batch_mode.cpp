#include "app/batch/batch_mode.h"

#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

#include "app/batch/command_line.h"
#include "app/batch/organiser.h"
#include "app/batch/results_files.h"
#include "app/startup.h"
#include "app/workflow.h"
#include "toolkit/ui/headless_ui.h"

namespace hl::batch {
namespace {

constexpr int kDone = 0;
constexpr int kNotWritten = 1;
constexpr int kBadUsage = 2;
constexpr const char* kProgram = "hotlap-eval";

std::string WithUnixLineEnds(const std::string& text) {
  std::string result;
  result.reserve(text.size() + 1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  // A terminal prompt should not start behind the last line.
  if (!result.empty() && result.back() != '\n') result += '\n';
  return result;
}

bool CreatePictureFolder(const std::string& folder, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (std::filesystem::is_directory(folder, ec)) return true;
  err << kProgram << ": cannot create the picture folder " << folder << '\n';
  return false;
}

// Prints what the organiser would read off the screen; true when all of it
// could be produced.
bool PrintResults(const state::AppState& s, const BatchOptions& options, std::ostream& out,
                  std::ostream& err) {
  if (s.StepCounter != state::kFinished) {
    err << kProgram << ": the evaluation ended before the ranking\n";
    return false;
  }
  bool complete = true;
  if (options.google) {
    if (s.GoogleText.empty()) {
      err << kProgram << ": no Google chart parameters: " << s.CurrentDir
          << "google_charts.txt cannot be read\n";
      complete = false;
    }
    out << WithUnixLineEnds(s.GoogleText);
  } else if (!ResultsReplaceReport(options)) {
    out << WithUnixLineEnds(s.ReportText);
  }
  const std::string stem = s.BaseDir + s.TrackBaseName;
  if (s.ReportSaved) {
    err << "Report written to " << stem << ".txt\n";
  } else {
    err << kProgram << ": could not write the report " << stem << ".txt\n";
    complete = false;
  }
  if (s.ChartSaved) {
    err << "Chart written to " << stem << ".png\n";
  } else {
    err << kProgram << ": could not write the chart " << stem << ".png\n";
    complete = false;
  }
  return complete;
}

int RunBatch(const BatchOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.pictures_dir.empty() && !CreatePictureFolder(options.pictures_dir, err))
    return kBadUsage;

  state::AppState s;
  ui::HeadlessUi ui;
  if (const auto started = app::InitState(s); !started) {
    err << kProgram << ": " << started.error().Describe() << '\n';
    return kBadUsage;
  }
  app::OpenMainWindow(s, ui);
  ui.SetFolderChoice(options.base_dir);
  Organiser organiser(s, options, err);
  ui.SetIdleHandler([&organiser](ui::HeadlessUi& headless) { organiser.OnIdle(headless); });
  app::RunEventLoop(s, ui);

  bool complete = PrintResults(s, options, out, err) && !organiser.PicturesFailed();
  if (s.StepCounter == state::kFinished) {
    complete &= WriteResultsFiles(s.Record, options, out, err);
  }
  app::ShutDown(s, ui);
  return complete ? kDone : kNotWritten;
}

}  // namespace

int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
  const std::span<char*> all(argv, static_cast<size_t>(argc > 0 ? argc : 0));
  const std::vector<std::string> args(all.begin() + (all.empty() ? 0 : 1), all.end());

  return std::visit(
      [&](auto&& parsed) -> int {
        using Kind = std::decay_t<decltype(parsed)>;
        if constexpr (std::is_same_v<Kind, ShowHelp>) {
          out << UsageText();
          return kDone;
        } else if constexpr (std::is_same_v<Kind, ShowVersion>) {
          out << kProgram << " " HOTLAP_VERSION "\n";
          return kDone;
        } else if constexpr (std::is_same_v<Kind, UsageError>) {
          err << kProgram << ": " << parsed.message << " (see " << kProgram << " --help)\n";
          return kBadUsage;
        } else {
          return RunBatch(parsed, out, err);
        }
      },
      ParseCommandLine(args));
}

}  // namespace hl::batch
