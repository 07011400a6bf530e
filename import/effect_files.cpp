#include "import/effect_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "base/program_data.h"

namespace fs = std::filesystem;

namespace {

bool hasSkinnedEffect(const fs::path& folder) {
  std::error_code code;
  return !folder.empty() && fs::is_regular_file(folder / shipped_effects::kSkinned, code);
}

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The effect's text with its quoted includes put in place, each file once.
void gatherSource(const fs::path& file, std::set<fs::path>& seen, std::string& out, int depth) {
  std::error_code code;
  const fs::path canonical = fs::weakly_canonical(file, code);
  if (depth > 16 || !seen.insert(canonical).second) return;
  static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::istringstream lines(readText(file));
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (std::regex_search(line, match, include)) {
      gatherSource(file.parent_path() / match[1].str(), seen, out, depth + 1);
    } else {
      out += line;
      out += '\n';
    }
  }
}

std::string trimmed(std::string text) {
  const char* blanks = " \t\r()";
  text.erase(0, text.find_first_not_of(blanks));
  const size_t end = text.find_last_not_of(blanks);
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

// A number, or a name #defined (perhaps through other names) as one; -1 otherwise.
int resolveCount(const std::string& token, const std::map<std::string, std::string>& defines) {
  std::string value = trimmed(token);
  for (int step = 0; step < 16; ++step) {
    if (!value.empty() && std::all_of(value.begin(), value.end(), ::isdigit)) {
      return value.size() > 6 ? -1 : std::stoi(value);
    }
    const auto found = defines.find(value);
    if (found == defines.end()) return -1;
    value = trimmed(found->second);
  }
  return -1;
}

}  // namespace

std::string findEffectFolder(const std::string& given, const std::string& executablePath) {
  if (!given.empty()) return hasSkinnedEffect(given) ? given : std::string();
  std::error_code code;
  const fs::path beside = fs::path(executablePath).parent_path() / "effect";
  if (!executablePath.empty() && hasSkinnedEffect(beside)) return beside.string();
  const ProgramDataLookup data = programData();
  if (data.found() && hasSkinnedEffect(data.effectFolder())) return data.effectFolder();
  return {};
}

bool copyEffectFiles(const std::string& from, const std::string& to,
                     std::vector<std::string>* written, std::string* error) {
  std::error_code code;
  std::vector<fs::path> sources;
  for (const fs::directory_entry& entry : fs::directory_iterator(from, code)) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && (extension == ".fx" || extension == ".fxh")) {
      sources.push_back(entry.path());
    }
  }
  if (code) {
    *error = "cannot read the effect folder " + from + ": " + code.message();
    return false;
  }
  std::sort(sources.begin(), sources.end());
  for (const fs::path& source : sources) {
    const fs::path target = fs::path(to) / source.filename();
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, code);
    if (code) {
      *error = "cannot copy " + source.string() + " to " + target.string() + ": " + code.message();
      return false;
    }
    written->push_back(target.string());
  }
  return true;
}

int boneArrayCapacity(const std::string& effectPath, std::string* error) {
  std::error_code code;
  if (!fs::is_regular_file(effectPath, code)) {
    *error = "no effect file " + effectPath;
    return 0;
  }
  std::string source;
  std::set<fs::path> seen;
  gatherSource(effectPath, seen, source, 0);
  // Comments could hold declarations that are not there.
  source = std::regex_replace(source, std::regex(R"(/\*[\s\S]*?\*/)"), " ");
  source = std::regex_replace(source, std::regex(R"(//[^\n]*)"), " ");

  std::map<std::string, std::string> defines;
  static const std::regex define(R"((^|\n)[ \t]*#[ \t]*define[ \t]+([A-Za-z_]\w*)[ \t]+([^\n]*))");
  for (std::sregex_iterator it(source.begin(), source.end(), define), end; it != end; ++it) {
    defines.emplace((*it)[2].str(), (*it)[3].str());
  }
  static const std::regex declaration(R"(\b\w+\s+matrixBone\s*\[\s*([A-Za-z_0-9]+)\s*\])");
  for (std::sregex_iterator it(source.begin(), source.end(), declaration), end; it != end; ++it) {
    const int count = resolveCount((*it)[1].str(), defines);
    if (count > 0) return count;
  }
  *error = "cannot find the size of the \"matrixBone\" array in " + effectPath;
  return 0;
}
