#include "app/watched_files.h"

#include <filesystem>
#include <set>
#include <sstream>
#include <system_error>

#include "base/input_file.h"
#include "base/log.h"
#include "base/path_lookup.h"

namespace fs = std::filesystem;

namespace {

// Include chains longer than this are taken as a loop the set did not catch.
constexpr size_t kMostIncludes = 256;

// The script beside a model: everything after the first '.' of the file
// name becomes "txt", as the loader does it.
std::string ScriptOf(const std::string& modelPath) {
  const fs::path path(modelPath);
  std::string name = path.filename().string();
  const size_t dot = name.find('.');
  if (dot != std::string::npos) name = name.substr(0, dot);
  return (path.parent_path() / (name + ".txt")).string();
}

// The file's text, or "" when it cannot be read. Quietly: these lists only
// watch or prepare, and the load itself reports a file it cannot read.
std::string QuietlyRead(const std::string& path, InputKind kind) {
  LogSilence quiet;
  std::string text;
  InputStatus status;
  if (!read_input_text(path.c_str(), kind, text, &status)) text.clear();
  return text;
}

struct ScriptFileCommand {
  char letter;
  std::string name;
};

// The script's one-letter commands with a name after them.
std::vector<ScriptFileCommand> FileCommandsOfScript(const std::string& scriptPath) {
  std::vector<ScriptFileCommand> commands;
  std::istringstream lines(QuietlyRead(scriptPath, InputKind::Script));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::string command;
    std::string name;
    if (!(in >> command >> name) || command.size() != 1) continue;
    commands.push_back({command[0], name});
  }
  return commands;
}

// The name an "#include" line names, or "" when the line is no include.
std::string IncludedName(const std::string& line) {
  std::istringstream in(line);
  std::string directive;
  in >> directive;
  if (directive == "#") {  // "# include" is an include too
    std::string word;
    in >> word;
    directive += word;
  }
  if (directive != "#include") return "";
  std::string rest;
  std::getline(in, rest);
  const size_t open = rest.find_first_of("\"<");
  if (open == std::string::npos) return "";
  const size_t close = rest.find_first_of("\">", open + 1);
  if (close == std::string::npos) return "";
  return rest.substr(open + 1, close - open - 1);
}

}  // namespace

std::vector<std::string> IncludesOfEffect(const std::string& effectPath) {
  std::vector<std::string> found;
  std::set<std::string> seen{fs::weakly_canonical(effectPath).string()};
  std::vector<std::string> pending{effectPath};
  while (!pending.empty() && found.size() < kMostIncludes) {
    const std::string current = pending.back();
    pending.pop_back();
    std::istringstream in(QuietlyRead(current, InputKind::Effect));
    for (std::string line; std::getline(in, line);) {
      const std::string name = IncludedName(line);
      if (name.empty()) continue;
      const std::string path = (fs::path(current).parent_path() / name).string();
      std::error_code error;
      const std::string key = fs::weakly_canonical(path, error).string();
      if (!seen.insert(error ? path : key).second) continue;
      found.push_back(path);
      pending.push_back(path);
    }
  }
  return found;
}

std::vector<std::string> FilesOfModel(const std::string& modelPath, const ModelFolders& folders) {
  std::vector<std::string> files{modelPath, ScriptOf(modelPath)};
  for (const ScriptFileCommand& command : FileCommandsOfScript(files.back())) {
    if (command.letter == 't' || command.letter == 'b') {
      files.push_back(resolve_existing_path((folders.textureFolder + command.name).c_str()));
    } else if (command.letter == 'e' || command.letter == 'S') {
      const std::string effect =
          resolve_existing_path((folders.effectFolder + command.name).c_str());
      files.push_back(effect);
      for (const std::string& include : IncludesOfEffect(effect)) files.push_back(include);
    }
  }
  return files;
}

std::vector<std::string> EffectsOfModel(const std::string& modelPath,
                                        const std::string& effectFolder) {
  const std::vector<ScriptFileCommand> commands = FileCommandsOfScript(ScriptOf(modelPath));
  std::vector<std::string> effects;
  for (char letter : {'S', 'e'}) {
    for (const ScriptFileCommand& command : commands) {
      if (command.letter == letter) effects.push_back(effectFolder + command.name);
    }
  }
  return effects;
}

FileWatcher::FileWatcher(std::vector<std::string> files)
    : files_(std::move(files)), stamps_(Look()) {}

std::vector<FileWatcher::Stamp> FileWatcher::Look() const {
  std::vector<Stamp> stamps;
  stamps.reserve(files_.size());
  for (const std::string& file : files_) {
    Stamp stamp;
    std::error_code error;
    const auto time = fs::last_write_time(file, error);
    if (!error) {
      stamp.exists = true;
      stamp.time = time.time_since_epoch().count();
      stamp.size = fs::file_size(file, error);
    }
    stamps.push_back(stamp);
  }
  return stamps;
}

bool FileWatcher::Changed() {
  std::vector<Stamp> now = Look();
  if (now == stamps_) return false;
  stamps_ = std::move(now);
  return true;
}
