#pragma once
// libjpeg reports a fatal error through error_exit, which must not return:
// by default it ends the process. The trap jumps back to a setjmp on `jump`
// instead, so a damaged picture or a failed encode becomes a failure the
// caller handles. No object with a destructor may live in the frames between
// the setjmp and the libjpeg call that fails, since the jump skips them.
//
//   JpegErrorTrap trap;
//   cinfo.err = trap.Arm();
//   if (setjmp(trap.jump) != 0) return false;  // in a plain C-style function

#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE without declaring it

#include <jpeglib.h>

namespace hl::raster {

struct JpegErrorTrap {
  jpeg_error_mgr manager;  // first, so libjpeg's pointer to it leads back to the trap
  std::jmp_buf jump;

  // libjpeg's default manager, with fatal errors diverted to the jump and
  // messages silenced; the result goes into cinfo.err.
  jpeg_error_mgr* Arm() {
    jpeg_std_error(&manager);
    manager.error_exit = JumpBack;
    manager.output_message = [](j_common_ptr) {};
    return &manager;
  }

  [[noreturn]] static void JumpBack(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrorTrap*>(cinfo->err)->jump, 1);
  }
};

}  // namespace hl::raster
