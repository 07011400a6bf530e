// Inputs the converter must refuse, each with a reason that says what is wrong.
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "tests/import/conversion_support.h"
#include "tools/meshconv/meshconv_command.h"

namespace fs = std::filesystem;

namespace {

// An OBJ file of separate triangles, three vertices each.
std::string triangleSoup(int triangles) {
  std::string text;
  for (int t = 0; t < triangles; ++t) {
    const std::string x = std::to_string(t % 200), y = std::to_string(t / 200);
    text += "v " + x + " " + y + " 0\nv " + x + ".5 " + y + " 0\nv " + x + " " + y + ".5 0\n";
  }
  for (int t = 0; t < triangles; ++t) {
    text += "f " + std::to_string(3 * t + 1) + " " + std::to_string(3 * t + 2) + " " +
            std::to_string(3 * t + 3) + "\n";
  }
  return text;
}

int runCommand(const std::vector<std::string>& arguments, std::string* out, std::string* err) {
  std::ostringstream o, e;
  const int status = runMeshconv(arguments, "", o, e);
  *out = o.str();
  *err = e.str();
  return status;
}

}  // namespace

TEST(ConversionFailures, UnreadableInputsAndFilesWithoutTriangles) {
  TempDir dir;
  const std::string out = dir.file("out");
  ConversionRun run = runConversion(optionsFor(dir.file("missing.fbx"), out));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("missing.fbx: no such file"), std::string::npos) << run.err;

  write_whole_file(dir.file("garbage.3ds"), "these bytes are no model at all");
  run = runConversion(optionsFor(dir.file("garbage.3ds"), out));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot read " + dir.file("garbage.3ds") + ": "), std::string::npos)
      << run.err;

  write_whole_file(dir.file("lines.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2\nl 2 3\n");
  run = runConversion(optionsFor(dir.file("lines.obj"), out));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("holds no triangle mesh"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(out)) << "nothing is written for a refused input";

  const std::string noMesh = "glTF2/TestNoRootNode/SceneWithoutNodes.gltf";
  if (haveTestModel(noMesh)) {
    run = runConversion(optionsFor(testModel(noMesh), out));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("SceneWithoutNodes.gltf: "), std::string::npos) << run.err;
  }
}

TEST(ConversionFailures, OneFileHoldsExactlyTheIndexLimitMoreGoesIntoParts) {
  TempDir dir;
  // 21,845 triangles need 65,535 indices: the most a model file holds.
  write_whole_file(dir.file("fits.obj"), triangleSoup(21845));
  ConvertOptions options = optionsFor(dir.file("fits.obj"), dir.file("fits"));
  options.check = false;
  ConversionRun run = runConversion(options);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.summary.triangles, 21845);
  EXPECT_EQ(run.summary.parts, 1);

  write_whole_file(dir.file("over.obj"), triangleSoup(21846));
  run = runConversion(optionsFor(dir.file("over.obj"), dir.file("over")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.summary.parts, 2);
  EXPECT_TRUE(fs::is_regular_file(dir.file("over/bin/over_part2.x_out")));
  EXPECT_NE(run.out.find("check passed"), std::string::npos) << run.out;
}

TEST(ConversionFailures, UnusablePathsAreSaidAsSuchAndLeaveNothing) {
  TempDir dir;
  const std::string out = dir.file("out");
  fs::create_directory(dir.file("folder.obj"));
  write_whole_file(dir.file("empty.obj"), "");
  ASSERT_EQ(mkfifo(dir.file("pipe.obj").c_str(), 0600), 0);
  for (const auto& [file, line] : std::vector<std::pair<std::string, std::string>>{
           {dir.file("folder.obj"), "folder.obj: it is a directory"},
           {dir.file("empty.obj"), "empty.obj: it is empty"},
           {dir.file("pipe.obj"), "pipe.obj: not a regular file (a FIFO)"},
           {"/dev/null", "/dev/null: not a regular file (a device)"},
           {dir.file("missing.obj"), "missing.obj: no such file"}}) {
    const ConversionRun run = runConversion(optionsFor(file, out));
    EXPECT_EQ(run.status, 1) << file;
    EXPECT_NE(run.err.find(line), std::string::npos) << run.err;
  }
  // An output folder that is a file is refused before any work.
  write_whole_file(dir.file("taken"), "x");
  write_whole_file(dir.file("tri.obj"), triangleSoup(1));
  const ConversionRun taken = runConversion(optionsFor(dir.file("tri.obj"), dir.file("taken")));
  EXPECT_EQ(taken.status, 1);
  EXPECT_NE(taken.err.find("taken is a file, not a folder"), std::string::npos) << taken.err;
}

// The summary ends with every file read: the input and the material file it
// names, never a file beside it that the model does not name.
TEST(ConversionFailures, SummaryListsTheFilesRead) {
  TempDir dir;
  write_whole_file(dir.file("tri.obj"), "mtllib tri.mtl\nusemtl red\n" + triangleSoup(1));
  write_whole_file(dir.file("tri.mtl"), "newmtl red\nKd 1 0 0\n");
  write_whole_file(dir.file("other.mtl"), "newmtl blue\nKd 0 0 1\n");
  const ConversionRun run = runConversion(optionsFor(dir.file("tri.obj"), dir.file("out")));
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> read;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("meshconv: read ", 0) == 0) read.push_back(fs::path(line.substr(15)).filename());
  }
  EXPECT_NE(std::find(read.begin(), read.end(), "tri.obj"), read.end()) << run.out;
  EXPECT_NE(std::find(read.begin(), read.end(), "tri.mtl"), read.end()) << run.out;
  EXPECT_EQ(std::find(read.begin(), read.end(), "other.mtl"), read.end()) << run.out;
  EXPECT_EQ(run.summary.filesRead.size(), read.size());
}

TEST(ConversionFailures, BoneLimitComesFromTheShippedSkinnedEffect) {
  const std::string model = "X/anim_test.x";
  SKIP_WITHOUT_TEST_MODEL(model);
  TempDir dir;
  const fs::path shipped = fs::path(MESHVIEW_TEST_DATA) / ".." / ".." / "demo" / "effect";
  const fs::path effects = dir.path() / "effects";
  fs::create_directories(effects);
  for (const fs::directory_entry& entry : fs::directory_iterator(shipped)) {
    fs::copy_file(entry.path(), effects / entry.path().filename());
  }
  // The same effects with a palette of three bones, for a model of four.
  const fs::path skinning = effects / "skinning.fxh";
  const std::string text = read_whole_file(skinning.string());
  write_whole_file(skinning.string(), std::regex_replace(text, std::regex("#define MAX_BONES \\d+"),
                                                         "#define MAX_BONES 3"));
  ConvertOptions options = optionsFor(testModel(model), dir.file("out"));
  options.effectDir = effects.string();
  ConversionRun run = runConversion(options);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("the model needs 4 bones; the shipped skinned effect \"skinned.fx\" holds "
                         "at most 3, 1 too many"),
            std::string::npos)
      << run.err;

  options.effectDir = dir.file("nowhere");
  run = runConversion(options);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot find the shipped effect files"), std::string::npos) << run.err;
}

TEST(ConversionFailures, BadUsageExitsWithTwo) {
  std::string out, err;
  EXPECT_EQ(runCommand({"--help"}, &out, &err), 0);
  EXPECT_EQ(out.rfind("usage: meshconv INPUT OUTDIR", 0), 0u);
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{},
                                             {"model.fbx"},
                                             {"model.fbx", "out", "extra"},
                                             {"model.fbx", "out", "--fps", "0"},
                                             {"model.fbx", "out", "--size"},
                                             {"model.fbx", "out", "--up", "+W"},
                                             {"model.fbx", "out", "--up=Y+"},
                                             {"model.fbx", "out", "--up"},
                                             {"model.fbx", "out", "--frobnicate"}}) {
    EXPECT_EQ(runCommand(arguments, &out, &err), 2) << arguments.size();
    EXPECT_NE(err.find("usage: meshconv"), std::string::npos);
  }
}
