#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ScriptClip {
  std::string name;
  uint32_t speed = 0;  // milliseconds per frame
  std::vector<int32_t> frames;
};

// The commands of a model script; empty names leave their command out.
struct ScriptDescription {
  std::string texture;       // t
  std::string bumpTexture;   // b
  std::string effect;        // e
  bool tangents = false;     // T
  std::string shadowEffect;  // S
  std::vector<ScriptClip> animations;  // a
};

// One command per line: t, b, e, T, S, then one "a name speed { frames }" per clip.
std::string scriptText(const ScriptDescription& script);

// The script path the loader derives from a model path: everything after the
// first "." becomes "txt" (no "." appends ".txt").
std::string scriptPathFor(const std::string& modelPath);

bool writeScriptFile(const std::string& path, const std::string& text);
bool writeScriptFile(const std::string& path, const ScriptDescription& script);
// Writes the script where the loader will look for the model's script.
bool writeScriptBeside(const std::string& modelPath, const ScriptDescription& script);
