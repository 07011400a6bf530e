#include "import/staged_output.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

StagedOutput::StagedOutput(const std::string& outDir) {
  std::error_code code;
  fs::path out = fs::absolute(outDir, code).lexically_normal();
  if (out.has_filename() == false) out = out.parent_path();  // "out/" names "out"
  outDir_ = out.string();
  const fs::path parent = out.parent_path();
  fs::create_directories(parent, code);
  if (code) {
    failure_ = "cannot make " + parent.string() + ": " + code.message();
    return;
  }
  std::string pattern = (parent / ("." + out.filename().string() + ".writing-XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) {
    failure_ = "cannot make a folder beside " + outDir_ + " to write into";
    return;
  }
  folder_ = name.data();
}

StagedOutput::~StagedOutput() {
  if (folder_.empty()) return;
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

bool StagedOutput::commit(std::string* error) {
  std::error_code code;
  fs::create_directories(outDir_, code);
  if (code) {
    *error = "cannot make " + outDir_ + ": " + code.message();
    return false;
  }
  // Listed first, then moved: folders come before their files in the list,
  // and each file moves by a rename within the same file system.
  std::vector<fs::directory_entry> entries;
  for (auto it = fs::recursive_directory_iterator(folder_, code);
       !code && it != fs::recursive_directory_iterator(); it.increment(code)) {
    entries.push_back(*it);
  }
  if (code) {
    *error = "cannot list " + folder_ + ": " + code.message();
    return false;
  }
  // A file whose place holds a folder would stop the moves halfway: such a
  // clash is found before anything moves.
  for (const fs::directory_entry& entry : entries) {
    const fs::path target = fs::path(outDir_) / fs::relative(entry.path(), folder_);
    if (!entry.is_directory() && fs::is_directory(target, code)) {
      *error = "cannot put " + target.string() + " in place: a folder has that name";
      return false;
    }
  }
  for (const fs::directory_entry& entry : entries) {
    const fs::path target = fs::path(outDir_) / fs::relative(entry.path(), folder_);
    if (entry.is_directory()) {
      fs::create_directories(target, code);
    } else {
      fs::rename(entry.path(), target, code);
    }
    if (code) {
      *error = "cannot move " + target.string() + " into place: " + code.message();
      return false;
    }
  }
  return true;
}
