#include "app/load_report.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr char kCompilerMessage[] = "compiler message:";
constexpr size_t kLongestLine = 300;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trimmed(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const size_t last = line.find_last_not_of(" \t\r");
  std::string text = line.substr(first, last - first + 1);
  if (text.size() > kLongestLine) text = text.substr(0, kLongestLine) + "...";
  return text;
}

}  // namespace

LoadReport::LoadReport(std::string logPath) : logPath_(std::move(logPath)) {
  std::error_code error;
  start_ = std::filesystem::file_size(logPath_, error);
  if (error) start_ = 0;
}

std::string LoadReport::FirstError() const {
  std::ifstream in(logPath_, std::ios::binary);
  if (!in) return "";
  in.seekg(static_cast<std::streamoff>(start_));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return FirstErrorIn(text);
}

std::string FirstErrorIn(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);

  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t at = lines[i].find(kCompilerMessage);
    if (at == std::string::npos) continue;
    std::string message = Trimmed(lines[i].substr(at + sizeof kCompilerMessage - 1));
    for (size_t next = i + 1; message.empty() && next < lines.size(); ++next) {
      message = Trimmed(lines[next]);
    }
    if (!message.empty()) return message;
  }
  for (const std::string& line : lines) {
    if (Lower(line).find("error") != std::string::npos) return Trimmed(line);
  }
  return "";
}
