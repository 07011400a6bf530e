// make_demo OUTDIR [--effects DIR] [--font FILE]: writes the bundled demo.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/demo_generator/demo_writer.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: make_demo OUTDIR [--effects DIR] [--font FILE]\n"
               "Writes the demo into OUTDIR: bin/ (start folder), texture/, effect/.\n"
               "  --effects DIR  where the effect files come from (default %s)\n"
               "  --font FILE    the TrueType font of the bitmap font (default %s)\n",
               MESHVIEW_DEMO_EFFECT_DIR, MESHVIEW_DEMO_FONT_FILE);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  DemoOptions options;
  options.effectSourceDir = MESHVIEW_DEMO_EFFECT_DIR;
  options.fontFile = MESHVIEW_DEMO_FONT_FILE;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if ((argument == "--effects" || argument == "--font") && i + 1 < argc) {
      (argument == "--effects" ? options.effectSourceDir : options.fontFile) = argv[++i];
    } else if (!argument.empty() && argument[0] != '-' && options.outDir.empty()) {
      options.outDir = argument;
    } else {
      return usage();
    }
  }
  if (options.outDir.empty()) return usage();

  DemoReport report;
  std::string error;
  const bool written = writeDemo(options, &report, &error);
  for (const std::string& warning : report.warnings) {
    std::fprintf(stderr, "make_demo: warning: %s\n", warning.c_str());
  }
  if (!written) {
    std::fprintf(stderr, "make_demo: %s\n", error.c_str());
    return 1;
  }
  std::printf("make_demo: %zu files in %s\n", report.written.size(), options.outDir.c_str());
  return 0;
}
