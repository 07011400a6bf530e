#include "app/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

#ifndef MESHVIEW_VERSION
#define MESHVIEW_VERSION "0.1.0"
#endif

namespace {

// The longest animation time accepted: the animation clock counts 32-bit
// milliseconds.
constexpr double kLongestAnimationTime = 1.0e6;

std::optional<long> ParseWhole(const std::string& text, long lowest, long highest) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  errno = 0;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (errno != 0 || value < lowest || value > highest) return std::nullopt;
  return value;
}

std::optional<double> ParseSeconds(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value) || value < 0.0 ||
      value > kLongestAnimationTime) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> ParseUp(const std::string& text) {
  std::string axis = text;
  if (axis.size() == 1) axis = "+" + axis;
  if (axis.size() != 2 || (axis[0] != '+' && axis[0] != '-')) return std::nullopt;
  const char letter = static_cast<char>(axis[1] & ~0x20);  // upper case
  if (letter != 'X' && letter != 'Y' && letter != 'Z') return std::nullopt;
  return std::string{axis[0], letter};
}

bool ParseResolution(const std::string& text, ViewerOptions& options) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  const auto width = ParseWhole(text.substr(0, comma), 1, ViewerOptions::kLargestSide);
  const auto height = ParseWhole(text.substr(comma + 1), 1, ViewerOptions::kLargestSide);
  if (!width || !height) return false;
  options.width = static_cast<int>(*width);
  options.height = static_cast<int>(*height);
  return true;
}

ParsedCommandLine UsageError(std::string error) {
  ParsedCommandLine parsed;
  parsed.action = CommandAction::kUsageError;
  parsed.error = std::move(error);
  return parsed;
}

// Applies one option that takes a value; the error text when the value is bad.
std::optional<std::string> ApplyValue(const std::string& name, const std::string& value,
                                      ViewerOptions& options) {
  if (name == "--output") {
    if (value.empty()) return "--output needs a file name";
    options.output = value;
  } else if (name == "--resolution") {
    if (!ParseResolution(value, options)) {
      return "--resolution takes WIDTH,HEIGHT, each 1 to 16384 (not \"" + value + "\")";
    }
  } else if (name == "--animation-index") {
    const auto index = ParseWhole(value, 0, 1000000);
    if (!index) return "--animation-index takes a clip number from 0 (not \"" + value + "\")";
    options.animationIndex = static_cast<int>(*index);
  } else if (name == "--animation-time") {
    const auto seconds = ParseSeconds(value);
    if (!seconds) return "--animation-time takes seconds from 0 (not \"" + value + "\")";
    options.animationTime = *seconds;
  } else if (name == "--animation-key") {
    const auto key = ParseWhole(value, 0, 1000000);
    if (!key) return "--animation-key takes a key number from 0 (not \"" + value + "\")";
    options.animationKey = static_cast<int>(*key);
  } else if (name == "--up") {
    const auto up = ParseUp(value);
    if (!up) return "--up takes one of +X -X +Y -Y +Z -Z (not \"" + value + "\")";
    options.up = *up;
  }
  return std::nullopt;
}

bool TakesValue(const std::string& name) {
  return name == "--output" || name == "--resolution" || name == "--animation-index" ||
         name == "--animation-time" || name == "--animation-key" || name == "--up";
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  ViewerOptions& options = parsed.options;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help" || argument == "-h") {
      parsed.action = CommandAction::kHelp;
      return parsed;
    }
    if (argument == "--version") {
      parsed.action = CommandAction::kVersion;
      return parsed;
    }
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    if (TakesValue(name)) {
      std::string value;
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        return UsageError(name + " needs a value");
      }
      if (auto error = ApplyValue(name, value, options)) return UsageError(*error);
      continue;
    }
    if (equals != std::string::npos &&
        (name == "--pcf" || name == "--shadow-map" || name == "--watch" || name == "--skeleton" ||
         name == "--wireframe" || name == "--normals")) {
      return UsageError(name + " takes no value");
    }
    if (argument == "--pcf") {
      options.pcf = true;
    } else if (argument == "--shadow-map") {
      options.shadowMap = true;
    } else if (argument == "--watch") {
      options.watch = true;
    } else if (argument == "--skeleton") {
      options.skeleton = true;
    } else if (argument == "--wireframe") {
      options.wireframe = true;
    } else if (argument == "--normals") {
      options.normals = true;
    } else {
      return UsageError("unknown option " + argument);
    }
  }
  if (files.empty()) return UsageError("no model file given");
  if (files.size() > 1)
    return UsageError("one model file at a time (got " + std::to_string(files.size()) + ")");
  options.file = files.front();
  parsed.action = CommandAction::kView;
  return parsed;
}

std::string UsageText() {
  return "Usage: meshview [options] FILE\n"
         "       meshview            (no arguments: the viewer in its start folder)\n"
         "\n"
         "Shows FILE: a model of meshview's own format (its script beside it), or any\n"
         "file the Open Asset Import Library reads (converted in memory).\n"
         "\n"
         "Options:\n"
         "  --output=FILE.png         render one frame off screen, write it, and exit\n"
         "                            (needs no display)\n"
         "  --resolution=W,H          window or image size (default 800,600)\n"
         "  --animation-index=N       the clip to play (default 0)\n"
         "  --animation-time=SECONDS  the animation's time at the first frame (default 0)\n"
         "  --animation-key=K         show key K of the clip (from 0), paused\n"
         "  --skeleton                start with the skeleton shown (B)\n"
         "  --wireframe               start with the wireframe shown (W)\n"
         "  --normals                 start with normals and tangents shown (N)\n"
         "  --up=AXIS                 the up axis: +X -X +Y -Y +Z -Z (default: the file's)\n"
         "  --pcf                     start with shadow filtering (PCF) on\n"
         "  --shadow-map              start with the shadow map shown\n"
         "  --watch                   reload when a file the model uses changes\n"
         "  --help                    print this text\n"
         "  --version                 print the version\n"
         "\n"
         "In the window: O shadow map, P PCF, right button next clip, F5 reload,\n"
         "drop a file to open it, Escape quits. Animation review: Space pause/play,\n"
         "Right/Left next/previous key (paused), Home/End first/last key, Page Up/Down\n"
         "next/previous clip, +/- speed, B skeleton, W wireframe, N normals, F12\n"
         "screenshot, H help; click or drag the timeline to seek.\n"
         "\n"
         "The wall, the font and the shipped effects come from the program's data\n"
         "folder: $MESHVIEW_DATA_DIR, else PREFIX/share/meshview beside PREFIX/bin,\n"
         "else the build tree's. The loader log is written to\n"
         "$XDG_CACHE_HOME/meshview/loaderlog.txt (~/.cache/meshview/ by default).\n"
         "\n"
         "Exit status: 0 shown or written, 1 the model could not be loaded or\n"
         "rendered (the reason is printed), 2 bad usage.\n";
}

std::string VersionText() { return std::string("meshview ") + MESHVIEW_VERSION + "\n"; }
