// jpeg-floor BASEDIR: decodes every JPEG screen picture of a competition at
// full size and nothing else. Timed as a whole process next to
// `hotlap-eval --batch BASEDIR`, it is the floor the batch run is held to.

#include <cstdio>
#include <vector>

#include "bench/jpeg_floor.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: jpeg-floor BASEDIR\n");
    return 2;
  }
  std::vector<uint8_t> pixels;
  int decoded = 0;
  for (const std::string& path : hl::bench::ScreenJpegPaths(argv[1])) {
    const auto bytes = hl::bench::ReadFileBytes(path);
    if (!bytes || !hl::bench::DecodeJpegFullSize(*bytes, pixels)) {
      std::fprintf(stderr, "jpeg-floor: cannot decode %s\n", path.c_str());
      return 1;
    }
    ++decoded;
  }
  std::printf("%d screen pictures decoded\n", decoded);
  return decoded > 0 ? 0 : 1;
}
