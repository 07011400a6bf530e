#include "base/dirs.h"

#include <unistd.h>

TextString g_startFolder;
TextString g_rootFolder;
TextString g_textureFolder;
TextString g_effectFolder;

namespace {
#ifdef _WIN32
constexpr char kTextureSubfolder[] = "\\texture\\";
constexpr char kEffectSubfolder[] = "\\effect\\";
#else
constexpr char kTextureSubfolder[] = "/texture/";
constexpr char kEffectSubfolder[] = "/effect/";
#endif
}  // namespace

uint32_t CDirs::Call_1_START() {
  char path[kPathBufferSize];
  if (getcwd(path, sizeof path) == nullptr) {
    log_text("<error> CDirs::Call_1_START() Building Directory Struct Failed1.. all is lost");
    return 0;
  }
  g_startFolder = path;

  if (chdir("..") != 0) {
    log_text(
        "<error> CDirs::Call_1_START() Building Directory Struct Failed2.. all is lost chdir('..') "
        "not working");
    return 0;
  }
  if (getcwd(path, sizeof path) == nullptr) {
    log_text("<error> CDirs::Call_1_START() Building Directory Struct Failed3.. all is lost");
    return 0;
  }
  g_rootFolder = path;
  g_textureFolder = g_rootFolder.plus(kTextureSubfolder);
  g_effectFolder = g_rootFolder.plus(kEffectSubfolder);

  // Relative paths elsewhere (input.txt, model paths) stay relative to the
  // start folder; the folders are known either way, so a failure here is not fatal.
  (void)!chdir(g_startFolder.c_str());
  return 1;
}
