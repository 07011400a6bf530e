#include "base/program_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "x";
}

// A data folder with the files that make it one; wall and effect can be left out.
void makeDataFolder(const fs::path& folder, bool wall = true, bool effect = true) {
  fs::create_directories(folder);
  if (wall) touch(folder / program_data::kWallModel);
  if (effect) touch(folder / program_data::kSkinnedEffect);
}

std::string slash(const fs::path& folder) { return folder.lexically_normal().string() + "/"; }

struct Layout {
  const char* name;
  bool installed;    // PREFIX/share/meshview beside PREFIX/bin/meshview
  bool buildTree;    // the build's own data folder
  bool overrideSet;  // MESHVIEW_DATA_DIR names a folder
  bool overrideValid;
  const char* expected;  // "installed", "build", "override" or "" for none
};

TEST(ProgramDataTest, LookupOrderOverLayouts) {
  const Layout layouts[] = {
      {"installed only", true, false, false, false, "installed"},
      {"build tree only", false, true, false, false, "build"},
      {"installed wins over build tree", true, true, false, false, "installed"},
      {"nothing there", false, false, false, false, ""},
      {"override wins", true, true, true, true, "override"},
      {"broken override does not fall back", true, true, true, false, ""},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    TempDir root;
    const fs::path prefix = root.path() / "prefix";
    const fs::path executable = prefix / "bin" / "meshview";
    touch(executable);
    const fs::path installed = prefix / "share" / "meshview";
    const fs::path build = root.path() / "build" / "data";
    const fs::path chosen = root.path() / "chosen";
    if (layout.installed) makeDataFolder(installed);
    if (layout.buildTree) makeDataFolder(build);
    if (layout.overrideSet) makeDataFolder(chosen, true, layout.overrideValid);

    const ProgramDataLookup lookup = findProgramData(executable.string(), build.string(),
                                                     layout.overrideSet ? chosen.string() : "");
    const std::string expected = layout.expected;
    if (expected.empty()) {
      EXPECT_FALSE(lookup.found());
      EXPECT_TRUE(lookup.folder.empty());
      EXPECT_FALSE(lookup.tried.empty());
      for (const std::string& place : lookup.tried) {
        EXPECT_NE(lookup.failure().find(place), std::string::npos) << lookup.failure();
      }
      continue;
    }
    const fs::path want = expected == "installed" ? installed
                          : expected == "build"   ? build
                                                  : chosen;
    ASSERT_TRUE(lookup.found()) << lookup.failure();
    EXPECT_EQ(lookup.folder, slash(want));
    EXPECT_EQ(lookup.effectFolder(), slash(want) + "effect/");
    EXPECT_EQ(lookup.startFolder(), slash(want) + "bin/");
    EXPECT_EQ(lookup.textureFolder(), slash(want) + "texture/");
  }
}

TEST(ProgramDataTest, AFolderNeedsBothTheWallAndTheSkinnedEffect) {
  TempDir root;
  makeDataFolder(root.path() / "both");
  makeDataFolder(root.path() / "no_wall", false, true);
  makeDataFolder(root.path() / "no_effect", true, false);
  touch(root.path() / "a_file");
  EXPECT_TRUE(isProgramDataFolder((root.path() / "both").string()));
  EXPECT_FALSE(isProgramDataFolder((root.path() / "no_wall").string()));
  EXPECT_FALSE(isProgramDataFolder((root.path() / "no_effect").string()));
  EXPECT_FALSE(isProgramDataFolder((root.path() / "a_file").string()));
  EXPECT_FALSE(isProgramDataFolder(""));
}

TEST(ProgramDataTest, NoExecutablePathStillTriesTheBuildTree) {
  TempDir root;
  makeDataFolder(root.path() / "data");
  const ProgramDataLookup lookup = findProgramData("", (root.path() / "data").string(), "");
  ASSERT_TRUE(lookup.found());
  EXPECT_EQ(lookup.tried.size(), 1u);
}

// This test program was built in the build tree, which makes its data folder.
TEST(ProgramDataTest, TheRunningBuildFindsItsOwnDataFolder) {
  if (std::getenv(program_data::kEnvironmentOverride) != nullptr) {
    GTEST_SKIP() << "data folder chosen by the environment";
  }
  EXPECT_FALSE(runningExecutablePath().empty());
  const ProgramDataLookup lookup = programData();
  ASSERT_TRUE(lookup.found()) << lookup.failure();
  EXPECT_TRUE(fs::is_regular_file(lookup.startFolder() + "font.bmp"));
  EXPECT_TRUE(fs::is_regular_file(lookup.effectFolder() + "static.fx"));
}

}  // namespace
