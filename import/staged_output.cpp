#include "import/staged_output.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ".OUT.writing-": what every staging folder of OUT starts with.
std::string StagingPrefix(const fs::path& out) {
  return "." + out.filename().string() + ".writing-";
}

// True when name is PREFIX + PID + "-" + six characters and no process PID exists.
bool LeftByAGoneProcess(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return false;
  const std::string_view rest = name.substr(prefix.size());
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
  if (error != std::errc() || pid <= 0) return false;
  const std::string_view suffix(end, size_t(rest.data() + rest.size() - end));
  if (suffix.size() != 7 || suffix.front() != '-') return false;
  return kill(pid, 0) != 0 && errno == ESRCH;
}

// Staging folders of earlier conversions into out that were killed before
// they could remove their own.
void RemoveStaleStaging(const fs::path& parent, const fs::path& out) {
  const std::string prefix = StagingPrefix(out);
  std::error_code code;
  std::vector<fs::path> stale;
  for (auto it = fs::directory_iterator(parent, code); !code && it != fs::directory_iterator();
       it.increment(code)) {
    if (it->is_directory(code) && !it->is_symlink(code) &&
        LeftByAGoneProcess(it->path().filename().string(), prefix))
      stale.push_back(it->path());
  }
  for (const fs::path& folder : stale) fs::remove_all(folder, code);
}

}  // namespace

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
  RemoveStaleStaging(parent, out);
  std::string pattern =
      (parent / (StagingPrefix(out) + std::to_string(getpid()) + "-XXXXXX")).string();
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
