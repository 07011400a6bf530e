#pragma once
#include <string>
#include <vector>

// The program's own data folder: the wall the viewer always shows, the
// bitmap font and the shipped effects, laid out the way a start folder's
// surroundings are (and holding the bundled demo):
//   bin/      wall.x_out, wall.txt, font.bmp, font.fnd, the demo's model
//   texture/  the wall's (and the demo's) textures
//   effect/   the shipped effect files
// An installed program finds it at PREFIX/share/meshview beside PREFIX/bin;
// one run from its build tree finds the folder that build made.
namespace program_data {
inline constexpr char kInstalledFromExecutableDir[] = "../share/meshview";
inline constexpr char kEnvironmentOverride[] = "MESHVIEW_DATA_DIR";
inline constexpr char kStartFolder[] = "bin/";
inline constexpr char kTextureFolder[] = "texture/";
inline constexpr char kEffectFolder[] = "effect/";
// What makes a folder a data folder: the wall and the skinned effect.
inline constexpr char kWallModel[] = "bin/wall.x_out";
inline constexpr char kSkinnedEffect[] = "effect/skinned.fx";
}  // namespace program_data

// The outcome of one lookup.
struct ProgramDataLookup {
  std::string folder;              // ends in '/'; empty when none was found
  std::vector<std::string> tried;  // every place looked at, in order

  bool found() const { return !folder.empty(); }
  // "no data folder (looked in A, B)" for an error line.
  std::string failure() const;
  std::string startFolder() const { return folder + program_data::kStartFolder; }
  std::string textureFolder() const { return folder + program_data::kTextureFolder; }
  std::string effectFolder() const { return folder + program_data::kEffectFolder; }
};

// True when folder holds the wall model and the skinned effect.
bool isProgramDataFolder(const std::string& folder);

// The lookup itself: a non-empty overrideFolder is the only place looked at
// (so a wrong setting fails instead of quietly using another copy); else the
// installed layout beside executablePath, else buildTreeFolder.
ProgramDataLookup findProgramData(const std::string& executablePath,
                                  const std::string& buildTreeFolder,
                                  const std::string& overrideFolder);

// The lookup for the running program: its own executable, the data folder of
// the build it came from, and MESHVIEW_DATA_DIR when set.
ProgramDataLookup programData();

// The running program's executable path ("" when the system does not say).
std::string runningExecutablePath();
