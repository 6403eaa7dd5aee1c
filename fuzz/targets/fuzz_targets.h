#pragma once
// One entry point per decoder of outside data, each taking arbitrary bytes.
// libFuzzer drives them from the thin *_fuzzer.cpp mains; the robustness
// tests replay the saved corpora through the same functions. A target that
// finds the tool in a state it must never reach aborts, so the fuzzer keeps
// the input.

#include <cstddef>
#include <cstdint>
#include <span>

namespace hl::fuzzing {

// A track file and a reference car file through the whole decoding of one
// entry (header, picture, grid, objects, ghost, penalty). The first two bytes
// give the car file's length (little-endian); the car file follows, the rest
// is the track file.
void FuzzTrackEntry(const uint8_t* data, size_t size);
// The bytes as an entry's game file through the settings panel.
void FuzzGameSettings(const uint8_t* data, size_t size);
void FuzzBmp(const uint8_t* data, size_t size);
// Decoded at full size and at reduced scales for the sizes the tool shows.
void FuzzJpeg(const uint8_t* data, size_t size);
void FuzzPng(const uint8_t* data, size_t size);
// The bytes as the Google template, exported for a fixed three-entry ranking.
void FuzzGoogleTemplate(const uint8_t* data, size_t size);
// The bytes as the collected report text, ranked and charted.
void FuzzRanking(const uint8_t* data, size_t size);
// Lines of the bytes as a request's method and path, an uploaded file's
// name, a driver's name, a closing time and a form field sent in pieces.
void FuzzServerRequest(const uint8_t* data, size_t size);

struct FuzzTarget {
  const char* name;  // also the folder name of its corpus and regressions
  void (*run)(const uint8_t* data, size_t size);
};

std::span<const FuzzTarget> AllFuzzTargets();

}  // namespace hl::fuzzing
