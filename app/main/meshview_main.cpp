// The meshview executable: with no arguments the viewer in its start folder;
// with arguments the viewer opened on a file.
#include <string>
#include <vector>

#include "app/file_viewer.h"
#include "app/huge_page_restart.h"
#include "app/win_main.h"

int main(int argc, char** argv) {
  restart_with_huge_pages(executable_path().c_str(), argv);
  if (argc <= 1) return WinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL);
  return RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}
