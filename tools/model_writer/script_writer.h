#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ScriptClip {
  std::string name;
  uint32_t speed = 0;  // milliseconds per frame
  std::vector<int32_t> frames;
};

// One material's textures ('m'); an empty name is written "-" (none).
struct ScriptMaterialTextures {
  int32_t material = 0;
  std::string colour;
  std::string bump;
};

// The commands of a model script; empty names leave their command out.
struct ScriptDescription {
  std::string texture;                                   // t
  std::string bumpTexture;                               // b
  std::string effect;                                    // e
  bool tangents = false;                                 // T
  std::string shadowEffect;                              // S
  std::vector<std::string> parts;                        // p, the other files of a model in parts
  std::vector<ScriptClip> animations;                    // a
  std::vector<ScriptMaterialTextures> materialTextures;  // m
};

// The loader reads at most this many commands of a script; the rest is ignored.
inline constexpr size_t kMaxScriptCommands = 64;
// How many commands script holds, as the loader counts them.
size_t scriptCommandCount(const ScriptDescription& script);

// One command per line: t, b, e, T, S, one "p file" per part, one
// "a name speed { frames }" per clip, then one "m material colour bump" per
// material (so that, past the loader's limit, materials go first).
std::string scriptText(const ScriptDescription& script);

// The script path the loader derives from a model path: everything after the
// first "." becomes "txt" (no "." appends ".txt").
std::string scriptPathFor(const std::string& modelPath);

bool writeScriptFile(const std::string& path, const std::string& text);
bool writeScriptFile(const std::string& path, const ScriptDescription& script);
// Writes the script where the loader will look for the model's script.
bool writeScriptBeside(const std::string& modelPath, const ScriptDescription& script);
