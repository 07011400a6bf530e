#pragma once
#include <string>
#include <vector>

// Where the demo goes and what it is made from.
struct DemoOptions {
  std::string outDir;           // gets bin/, texture/ and effect/
  std::string effectSourceDir;  // its *.fx and *.fxh files are copied to effect/
  std::string fontFile;         // the TrueType font of the bitmap font
};

// What a run did, for the user.
struct DemoReport {
  std::vector<std::string> written;   // every file, relative to outDir
  std::vector<std::string> warnings;  // e.g. an effect the scripts name that is not there
};

// Writes the whole demo: bin/ with input.txt, the figure and the wall with
// their scripts and the font; texture/ with each model's colour texture and
// normal map; effect/ with the copied effect files. The same inputs give the
// same bytes. False with a reason when something cannot be written.
bool writeDemo(const DemoOptions& options, DemoReport* report, std::string* error);

// The effect files the demo's scripts name (file names only).
std::vector<std::string> demoEffectNames();
