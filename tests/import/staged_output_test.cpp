// meshconv writes beside OUTDIR and moves the files in only after the whole
// conversion and its check succeeded.
#include "import/staged_output.h"

#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "tests/import/conversion_support.h"

namespace fs = std::filesystem;

namespace {

const char kModel[] = "OBJ/box.obj";

// Every file under folder, relative to it.
std::set<std::string> filesUnder(const fs::path& folder) {
  std::set<std::string> files;
  if (!fs::is_directory(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), folder).string());
  }
  return files;
}

// The names in folder (not below it).
std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// A conversion that fails at its very end: the staged model file is removed
// as the check starts, so the check cannot load it.
ConversionRun failingAtTheCheck(const std::string& outDir) {
  ConvertOptions options = optionsFor(testModel(kModel), outDir);
  const fs::path parent = fs::absolute(outDir).parent_path();
  options.onStage = [parent](const std::string& stage) {
    if (stage != "check") return;
    for (const auto& entry : fs::recursive_directory_iterator(parent)) {
      if (entry.path().string().find(".writing-") != std::string::npos &&
          entry.path().extension() == ".x_out" && entry.path().stem() == "box") {
        fs::remove(entry.path());
        return;
      }
    }
  };
  return runConversion(options);
}

}  // namespace

TEST(StagedOutput, AFailureAtTheEndLeavesNoFileBehind) {
  SKIP_WITHOUT_TEST_MODEL(kModel);
  TempDir dir;
  const ConversionRun run = failingAtTheCheck(dir.file("out"));
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_NE(run.err.find("check"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir.file("out")));
  EXPECT_TRUE(namesIn(dir.path()).empty()) << "no staging folder is left beside OUTDIR";
}

TEST(StagedOutput, ASuccessLeavesExactlyTheFilesOfADirectWrite) {
  SKIP_WITHOUT_TEST_MODEL(kModel);
  TempDir dir;
  // Relative OUTDIR: the check changes the working directory, the move must not care.
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  const ConversionRun run = runConversion(optionsFor(testModel(kModel), "out/"));
  fs::current_path(before);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.summary.modelPath, "out/bin/box.x_out");

  ModelConversion direct(optionsFor(testModel(kModel), dir.file("direct")));
  ASSERT_TRUE(direct.read() && direct.assemble() && direct.write()) << direct.error();
  const std::set<std::string> written = filesUnder(dir.file("out"));
  EXPECT_EQ(written, filesUnder(dir.file("direct")));
  EXPECT_TRUE(written.count("bin/box.x_out") && written.count("bin/box.txt") &&
              written.count("bin/input.txt"));
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"direct", "out"}));
}

TEST(StagedOutput, AnOutputFolderKeepsItsOtherFilesOnSuccessAndEverythingOnFailure) {
  SKIP_WITHOUT_TEST_MODEL(kModel);
  TempDir dir;
  const fs::path out = dir.file("out");
  fs::create_directories(out / "bin");
  write_whole_file((out / "notes.txt").string(), "mine");
  write_whole_file((out / "bin" / "other.x_out").string(), "another model");
  write_whole_file((out / "bin" / "box.x_out").string(), "an older conversion");
  const std::set<std::string> original = filesUnder(out);

  ConversionRun run = failingAtTheCheck(out.string());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(filesUnder(out), original);
  EXPECT_EQ(read_whole_file((out / "bin" / "box.x_out").string()), "an older conversion");

  run = runConversion(optionsFor(testModel(kModel), out.string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_whole_file((out / "notes.txt").string()), "mine");
  EXPECT_EQ(read_whole_file((out / "bin" / "other.x_out").string()), "another model");
  EXPECT_NE(read_whole_file((out / "bin" / "box.x_out").string()), "an older conversion");
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"out"}));
}

TEST(StagedOutput, AFolderWhereAFileMustGoStopsTheMoveBeforeAnythingMoves) {
  SKIP_WITHOUT_TEST_MODEL(kModel);
  TempDir dir;
  const fs::path out = dir.file("out");
  fs::create_directories(out / "bin" / "box.x_out");
  const ConversionRun run = runConversion(optionsFor(testModel(kModel), out.string()));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("a folder has that name"), std::string::npos) << run.err;
  EXPECT_TRUE(filesUnder(out).empty());
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"out"}));
}

TEST(StagedOutput, AKilledConversionsFolderGoesWithTheNextConversionThere) {
  TempDir dir;
  const fs::path out = dir.path() / "out";
  // A process id that surely ended: a child of ours, waited for.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const std::string dead = ".out.writing-" + std::to_string(gone) + "-Ab3dE9";
  const std::vector<std::string> kept = {
      ".out.writing-" + std::to_string(getpid()) + "-Zz1yX2",  // a conversion still running
      ".other.writing-" + std::to_string(gone) + "-Ab3dE9",    // another output folder's
      ".out.writing-Qw3rTy",                                   // no process named
      ".out.writing-" + std::to_string(gone) + "-long-name"};  // not a staging name
  for (const std::string& name : kept) fs::create_directories(dir.path() / name);
  fs::create_directories(dir.path() / dead / "bin");
  write_whole_file((dir.path() / dead / "bin" / "box.x_out").string(), "half");

  {
    const StagedOutput staged(out.string());
    ASSERT_TRUE(staged.failure().empty()) << staged.failure();
    EXPECT_FALSE(fs::exists(dir.path() / dead));
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir.path() / name)) << name;
  }
  std::set<std::string> expected(kept.begin(), kept.end());
  EXPECT_EQ(namesIn(dir.path()), expected);
}
