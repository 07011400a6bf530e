#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/meshconv/meshconv_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  // The running program's own path, to find effect files installed beside it.
  std::error_code code;
  const std::string executable = std::filesystem::read_symlink("/proc/self/exe", code).string();
  return runMeshconv(arguments, executable, std::cout, std::cerr);
}
