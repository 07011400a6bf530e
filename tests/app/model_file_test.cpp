#include "app/model_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/effect_prefetch.h"
#include "app/load_report.h"
#include "app/watched_files.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

TEST(CheckModelFile, SaysWhyAFileCannotBeAModel) {
  TempDir dir;
  write_whole_file((dir.path() / "empty.x_out").string(), "");
  write_whole_file((dir.path() / "native.x_out").string(), std::string("MeSh") + '\0' + "rest");
  write_whole_file((dir.path() / "scene.dae").string(), "<?xml version=\"1.0\"?>");
  write_whole_file((dir.path() / "two.x_out").string(), "Me");
  fs::create_directory(dir.path() / "folder.fbx");
  fs::create_symlink(dir.path() / "native.x_out", dir.path() / "link.x_out");
  fs::create_symlink(dir.path() / "gone.x_out", dir.path() / "dangling.x_out");

  struct Case {
    const char* name;
    bool ok;
    ModelFileKind kind;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"missing.x_out", false, ModelFileKind::kForeign, "not found"},
      {"dangling.x_out", false, ModelFileKind::kForeign, "not found"},
      {"folder.fbx", false, ModelFileKind::kForeign, "is a directory"},
      {"empty.x_out", false, ModelFileKind::kForeign, "is empty"},
      {"native.x_out", true, ModelFileKind::kNative, ""},
      {"link.x_out", true, ModelFileKind::kNative, ""},
      {"scene.dae", true, ModelFileKind::kForeign, ""},
      {"two.x_out", true, ModelFileKind::kForeign, ""},  // too short for the magic
  };
  for (const Case& c : cases) {
    const ModelFileCheck check = CheckModelFile((dir.path() / c.name).string());
    EXPECT_EQ(check.ok, c.ok) << c.name << ": " << check.reason;
    if (c.ok) {
      EXPECT_EQ(check.kind, c.kind) << c.name;
    } else {
      EXPECT_NE(check.reason.find(c.reason), std::string::npos) << c.name << ": " << check.reason;
    }
  }
}

TEST(CheckModelFile, GivesAnAbsolutePathForARelativeName) {
  TempDir dir;
  WorkingDirectoryGuard cwd;
  write_whole_file((dir.path() / "m.x_out").string(), "MeSh");
  fs::current_path(dir.path());
  const ModelFileCheck check = CheckModelFile("./m.x_out");
  ASSERT_TRUE(check.ok);
  EXPECT_EQ(fs::path(check.path), fs::absolute(dir.path() / "m.x_out").lexically_normal());
}

TEST(FoldersForModel, EffectsBesideTheModelTexturesFromTheTextureFolderBesideItsFolder) {
  TempDir dir;
  fs::create_directories(dir.path() / "with" / "bin");
  fs::create_directories(dir.path() / "with" / "texture");
  fs::create_directories(dir.path() / "without" / "models");
  const ModelFolders with = FoldersForModel((dir.path() / "with" / "bin" / "m.x_out").string());
  EXPECT_EQ(with.effectFolder, (dir.path() / "with" / "bin").string() + "/");
  EXPECT_EQ(with.textureFolder, (dir.path() / "with" / "texture").string() + "/");
  // No texture folder: the model's own folder holds its textures.
  const ModelFolders without =
      FoldersForModel((dir.path() / "without" / "models" / "m.x_out").string());
  EXPECT_EQ(without.textureFolder, (dir.path() / "without" / "models").string() + "/");
}

TEST(FirstErrorIn, PrefersTheCompilerMessageThenTheFirstErrorLine) {
  struct Case {
    const char* log;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"loading script from: a.txt\n<error> textfile is unreachable: a.txt\n<error> later\n",
       "<error> textfile is unreachable: a.txt"},
      {"<error at loading> Ceffect::LoadFromFile: x.fx\ncompiler message:\n"
       "x.fx:12: error: undeclared identifier 'q'\nx.fx:14: error: second\n",
       "x.fx:12: error: undeclared identifier 'q'"},
      {"compiler message: x.fx:3: error: inline\n", "x.fx:3: error: inline"},
      {"<ERROR> Modell's effect file not loaded: 0\n",
       "<ERROR> Modell's effect file not loaded: 0"},
      {"all well\nMloader OutPut>  1\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstErrorIn(c.log), c.expected) << c.log;
}

TEST(FirstErrorIn, CutsAnEndlessLine) {
  const std::string line = "<error> " + std::string(5000, 'x');
  EXPECT_LT(FirstErrorIn(line).size(), 320u);
}

TEST(LoadReport, ReadsOnlyWhatWasWrittenAfterIt) {
  TempDir dir;
  const std::string log = (dir.path() / "log.txt").string();
  write_whole_file(log, "<error> an older load\n");
  const LoadReport report(log);
  EXPECT_EQ(report.FirstError(), "");
  std::FILE* file = std::fopen(log.c_str(), "a");
  std::fputs("ok\n<error> this load\n", file);
  std::fclose(file);
  EXPECT_EQ(report.FirstError(), "<error> this load");
}

TEST(FilesOfModel, FollowsTheScriptAndTheEffectsIncludes) {
  TempDir dir;
  const fs::path bin = dir.path() / "bin";
  const fs::path effects = dir.path() / "effect";
  fs::create_directories(bin);
  fs::create_directories(effects / "lib");
  write_whole_file((bin / "m.x_out").string(), "MeSh");
  write_whole_file((bin / "m.txt").string(),
                   "t m.bmp\nb m_normal.bmp\ne ../effect/main.fx\nT\nS ../effect/volume.fx\n"
                   "a walk 120 { 0 1 }\n");
  write_whole_file((effects / "main.fx").string(),
                   "#include \"lib/common.fxh\"\n  #  include \"passes.fxh\"\n// #include x\n");
  write_whole_file((effects / "lib" / "common.fxh").string(), "#include \"../passes.fxh\"\n");
  write_whole_file((effects / "passes.fxh").string(), "#include \"main.fx\"\n");  // a loop
  write_whole_file((effects / "volume.fx").string(), "float4 f;\n");

  const ModelFolders folders{bin.string() + "/", (dir.path() / "texture").string() + "/"};
  std::vector<std::string> names;
  for (const std::string& file : FilesOfModel((bin / "m.x_out").string(), folders)) {
    names.push_back(fs::weakly_canonical(file).lexically_relative(dir.path()).string());
  }
  const std::vector<std::string> expected = {
      "bin/m.x_out",    "bin/m.txt",         "texture/m.bmp",         "texture/m_normal.bmp",
      "effect/main.fx", "effect/passes.fxh", "effect/lib/common.fxh", "effect/volume.fx"};
  std::vector<std::string> sortedNames = names;
  std::vector<std::string> sortedExpected = expected;
  std::sort(sortedNames.begin(), sortedNames.end());
  std::sort(sortedExpected.begin(), sortedExpected.end());
  EXPECT_EQ(sortedNames, sortedExpected);

  // The effects alone, as the loader asks for them: the shadow volume's first.
  const std::vector<std::string> effectPaths = {bin.string() + "/../effect/volume.fx",
                                                bin.string() + "/../effect/main.fx"};
  EXPECT_EQ(EffectsOfModel((bin / "m.x_out").string(), bin.string() + "/"), effectPaths);
}

TEST(FilesOfModel, AScriptThatIsNoRegularFileIsSkippedQuietly) {
  TempDir dir;
  const LogCapture log;
  write_whole_file(dir.file("m.x_out"), "MeSh");
  ASSERT_EQ(mkfifo(dir.file("m.txt").c_str(), 0600), 0);
  // Opening the FIFO for reading would wait for a writer forever.
  EXPECT_EQ(FilesOfModel(dir.file("m.x_out"), ModelFolders{}).size(), 2u);
  EXPECT_TRUE(EffectsOfModel(dir.file("m.x_out"), "").empty());
  EXPECT_TRUE(log.lines().empty());
}

TEST(StartFolderEffects, TheModelInputTxtNamesThenTheWallsQuietly) {
  const LogCapture log;  // opens its log in a folder of its own
  TempDir dir;
  WorkingDirectoryGuard cwd;
  fs::current_path(dir.path());
  write_whole_file(dir.file("wall.txt"), "e ../effect/static.fx\n");
  EXPECT_EQ(StartFolderEffects(), std::vector<std::string>{"../effect/static.fx"})
      << "no input.txt: the wall's effects alone";

  // Only input.txt's first word names the model, as the viewer reads it.
  write_whole_file(dir.file("input.txt"), "  hero.x_out other.x_out\n");
  write_whole_file(dir.file("hero.txt"), "e ../effect/skin.fx\nS ../effect/volume.fx\n");
  const std::vector<std::string> expected = {"../effect/volume.fx", "../effect/skin.fx",
                                             "../effect/static.fx"};
  EXPECT_EQ(StartFolderEffects(), expected);
  EXPECT_TRUE(log.lines().empty());
}

TEST(FileWatcher, NoticesAnEditARemovalAndAReturnOnce) {
  TempDir dir;
  const std::string file = (dir.path() / "e.fx").string();
  write_whole_file(file, "one");
  FileWatcher watcher({file, (dir.path() / "absent.fxh").string()});
  EXPECT_FALSE(watcher.Changed());
  write_whole_file(file, "three");  // a different size, whatever the clock's resolution
  EXPECT_TRUE(watcher.Changed());
  EXPECT_FALSE(watcher.Changed()) << "a change is reported once";
  fs::remove(file);
  EXPECT_TRUE(watcher.Changed());
  write_whole_file((dir.path() / "absent.fxh").string(), "");
  EXPECT_TRUE(watcher.Changed());
  EXPECT_FALSE(watcher.Changed());
}

}  // namespace
