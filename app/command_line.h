#pragma once
#include <string>
#include <vector>

// How the viewer was asked to open a file: `meshview [options] FILE`.
struct ViewerOptions {
  static constexpr int kDefaultWidth = 800;
  static constexpr int kDefaultHeight = 600;
  static constexpr int kLargestSide = 16384;

  std::string file;
  std::string output;  // a PNG to write one frame to; "" opens the window
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  int animationIndex = 0;
  double animationTime = 0.0;  // seconds
  std::string up;              // "+Y", "-Z", ...; "" keeps the file's own up axis
  bool pcf = false;
  bool shadowMap = false;
  bool watch = false;
  int animationKey = -1;  // a key of the clip to show paused; -1 plays
  bool skeleton = false;
  bool wireframe = false;
  bool normals = false;
};

enum class CommandAction { kView, kHelp, kVersion, kUsageError };

struct ParsedCommandLine {
  CommandAction action = CommandAction::kUsageError;
  ViewerOptions options;
  std::string error;  // for a usage error: what was wrong, in one line
};

// Reads the arguments after the program name. Options take their value after
// '=' or as the next argument; "--" ends the options.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string UsageText();
// The text of --version.
std::string VersionText();
