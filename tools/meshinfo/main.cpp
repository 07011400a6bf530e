#include <iostream>
#include <string>
#include <vector>

#include "tools/meshinfo/meshinfo_report.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return runMeshinfo(arguments, std::cout, std::cerr);
}
