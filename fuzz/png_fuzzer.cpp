#include "fuzz/targets/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hl::fuzzing::FuzzPng(data, size);
  return 0;
}
