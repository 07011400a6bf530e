#pragma once
// Shared helpers of the converter tests: the installed test models, running
// a conversion into a fresh folder, reading what it wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "import/converter.h"
#include "tests/support/temp_dir.h"

inline std::string testModel(const std::string& relative) {
  return std::string(MESHCONV_TEST_MODELS) + "/" + relative;
}

inline bool haveTestModel(const std::string& relative) {
  return std::filesystem::is_regular_file(testModel(relative));
}

#define SKIP_WITHOUT_TEST_MODEL(relative) \
  if (!haveTestModel(relative)) GTEST_SKIP() << "missing test model " << (relative)

// One run of convertModel with what it printed.
struct ConversionRun {
  int status = -1;
  ConvertSummary summary;
  std::string out;
  std::string err;
};

inline ConversionRun runConversion(ConvertOptions options) {
  ConversionRun run;
  std::ostringstream out, err;
  run.status = convertModel(options, out, err, &run.summary);
  run.out = out.str();
  run.err = err.str();
  return run;
}

inline ConvertOptions optionsFor(const std::string& input, const std::string& outDir) {
  ConvertOptions options;
  options.input = input;
  options.outDir = outDir;
  return options;
}

inline std::vector<std::string> textLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}
