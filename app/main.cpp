#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "cli/messages.h"
#include "cli/program.h"
#include "toolkit/files/posix_io.h"

namespace {

// The window lives in a program of its own: merely loading the GUI toolkit's
// libraries would cost a batch run about a third of its floor. Installed, it
// lies in the package's libexec folder; in the build tree, beside this one;
// where this program cannot locate itself, on the PATH.
constexpr const char* kWindowProgram = "hotlap-eval-gui";

// Every entry allocates and frees the same few picture-sized buffers. By
// default glibc maps buffers that large freshly and returns them on free, so
// each entry faulted them in again: more time than all its drawing. Keeping
// freed memory for the next entry leaves the peak where it was.
void KeepFreedPictureMemory() {
  constexpr int kLargest = 32 * 1024 * 1024;
  mallopt(M_MMAP_THRESHOLD, kLargest);
  mallopt(M_TRIM_THRESHOLD, 2 * kLargest);
}

std::filesystem::path WindowProgram() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return kWindowProgram;
  const std::filesystem::path folder = self.parent_path();
  std::filesystem::path installed =
      (folder / HOTLAP_WINDOW_PROGRAM_DIR / kWindowProgram).lexically_normal();
  if (std::filesystem::exists(installed, ec)) return installed;
  return folder / kWindowProgram;
}

int StartWindowProgram(char** argv) {
  const std::string program = WindowProgram().string();
  execvp(program.c_str(), argv);
  hl::cli::PrintProblem(std::cerr, "cannot start " + program + ": " + std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Command lines are batch runs; they must work without a display, so the
  // GUI toolkit is only started when there are no arguments.
  if (argc > 1) {
    KeepFreedPictureMemory();
    if (!hl::files::ReserveStandardDescriptors()) std::cout.setstate(std::ios::badbit);
    return hl::cli::RunCommandLine(argc, argv, std::cout, std::cerr);
  }
  return StartWindowProgram(argv);
}
