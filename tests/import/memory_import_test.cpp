// Conversion in memory: the same files meshconv writes, nothing written,
// the files it read listed, embedded textures included.
#include "import/memory_import.h"

#include <set>

#include "base/dirs.h"
#include "base/memory_files.h"
#include "base/program_data.h"
#include "import/registered_model.h"
#include "tests/import/conversion_support.h"
#include "tools/model_writer/script_writer.h"
#include "tools/recorded_load/recorded_load.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> filesUnder(const fs::path& folder) {
  std::set<std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    files.insert(fs::relative(entry.path(), folder).string());
  }
  return files;
}

// Copies a model's folder, so that anything written beside it would show.
fs::path copyModelFolder(const std::string& model, const TempDir& dir) {
  const fs::path from = fs::path(testModel(model)).parent_path();
  const fs::path to = dir.path() / "model";
  fs::copy(from, to, fs::copy_options::recursive);
  return to / fs::path(model).filename();
}

TEST(MemoryImport, GivesTheFilesMeshconvWritesAndWritesNothing) {
  const struct {
    const char* model;
    std::vector<std::string> alsoRead;  // besides the model itself
  } cases[] = {
      {"SMD/holy_grailref.smd", {"holygrail.tga"}},
      {"glTF2/BoxTextured-glTF/BoxTextured.gltf", {"BoxTextured0.bin", "CesiumLogoFlat.png"}},
      {"X/anim_test.x", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    if (!haveTestModel(c.model)) continue;
    TempDir dir;
    const fs::path input = copyModelFolder(c.model, dir);
    const std::set<std::string> before = filesUnder(input.parent_path());

    ConvertedFiles files;
    ConvertSummary summary;
    std::string error;
    ASSERT_TRUE(convertInMemory(optionsFor(input.string(), ""), &files, &summary, &error)) << error;
    EXPECT_EQ(filesUnder(input.parent_path()), before) << "nothing beside the model";

    const ConversionRun run = runConversion(optionsFor(input.string(), dir.file("out")));
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path bin = dir.path() / "out" / "bin";
    EXPECT_EQ(files.modelName, fs::path(run.summary.modelPath).filename().string());
    EXPECT_EQ(files.scriptName, scriptPathFor(files.modelName));
    const std::string model = read_whole_file((bin / files.modelName).string());
    EXPECT_TRUE(std::string(files.model.begin(), files.model.end()) == model)
        << "model bytes differ from meshconv's";
    EXPECT_EQ(files.script, read_whole_file((bin / files.scriptName).string()));
    ASSERT_FALSE(files.textures.empty());
    for (const TextureFile& texture : files.textures) {
      const std::string written =
          read_whole_file((dir.path() / "out" / "texture" / texture.name).string());
      EXPECT_TRUE(std::string(texture.bytes.begin(), texture.bytes.end()) == written)
          << texture.name;
      EXPECT_NE(files.script.find(texture.name), std::string::npos) << "the script names it";
    }
    EXPECT_EQ(summary.textures, static_cast<int>(files.textures.size()));

    ASSERT_FALSE(files.sourceFiles.empty());
    EXPECT_EQ(files.sourceFiles.front(), input.string());
    for (const std::string& name : c.alsoRead) {
      const std::string path = (input.parent_path() / name).string();
      EXPECT_EQ(std::count(files.sourceFiles.begin(), files.sourceFiles.end(), path), 1) << path;
    }
    for (const std::string& path : files.sourceFiles) {
      EXPECT_TRUE(fs::path(path).is_absolute()) << path;
      EXPECT_TRUE(fs::is_regular_file(path)) << path;
    }
  }
}

TEST(MemoryImport, EmbeddedTexturesComeOutAsImageBytes) {
  const std::string model = "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb";
  SKIP_WITHOUT_TEST_MODEL(model);
  ConvertedFiles files;
  ConvertSummary summary;
  std::string error;
  ASSERT_TRUE(convertInMemory(optionsFor(testModel(model), ""), &files, &summary, &error)) << error;
  ASSERT_EQ(files.textures.size(), 1u);
  const std::vector<unsigned char>& bytes = files.textures[0].bytes;
  EXPECT_EQ(loaderImageFormat(bytes, files.textures[0].name), "png");
  EXPECT_EQ(files.sourceFiles, std::vector<std::string>{testModel(model)});
}

TEST(MemoryImport, FailuresNameTheFileAndTheReason) {
  TempDir dir;
  write_whole_file(dir.file("notes.obj"), "this is no model\n");
  const struct {
    std::string input;
    std::string says;
  } cases[] = {
      {dir.file("missing.fbx"), "missing.fbx: no such file"},
      {dir.path().string(), ": it is a directory"},
      {dir.file("notes.obj"), "notes.obj"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    ConvertedFiles files;
    ConvertSummary summary;
    std::string error;
    EXPECT_FALSE(convertInMemory(optionsFor(c.input, ""), &files, &summary, &error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_TRUE(files.model.empty());
  }
  EXPECT_EQ(filesUnder(dir.path()), std::set<std::string>{"notes.obj"});
}

}  // namespace

namespace {

bool loadTrouble(const std::string& line) {
  return line.rfind("<error", 0) == 0 || line.rfind("<ERROR", 0) == 0 ||
         line.rfind("<info> texture: ", 0) == 0 || line.rfind("<info> bumptexture: ", 0) == 0;
}

}  // namespace

// The converted files served from memory load through the viewer's own loader
// path, model, script, texture and the data folder's effects, and are gone
// with the registration.
TEST(MemoryImport, RegisteredFilesLoadThroughTheNormalLoaderPath) {
  const std::string model = "SMD/holy_grailref.smd";
  SKIP_WITHOUT_TEST_MODEL(model);
  const ProgramDataLookup data = programData();
  ASSERT_TRUE(data.found()) << data.failure();
  ConvertedFiles files;
  ConvertSummary summary;
  std::string error;
  ASSERT_TRUE(convertInMemory(optionsFor(testModel(model), ""), &files, &summary, &error)) << error;
  ASSERT_EQ(files.textures.size(), 1u);

  std::string modelPath;
  {
    RegisteredModel registered(files);
    modelPath = registered.modelPath();
    EXPECT_FALSE(fs::exists(registered.startFolder())) << "served from memory, not disk";
    RecordedModelLoad recorded;
    ASSERT_EQ(recorded.setupProblem(), "");
    g_textureFolder = TextString(registered.textureFolder().c_str());
    g_effectFolder = TextString(data.startFolder().c_str());
    EXPECT_EQ(recorded.load(modelPath), 1u);
    for (const std::string& line : recorded.logLines()) EXPECT_FALSE(loadTrouble(line)) << line;
    // The tangent build may split vertices; the triangles stay as converted.
    EXPECT_EQ(recorded.loader().mesh.indices.count, 3 * summary.triangles);
    EXPECT_GE(recorded.loader().mesh.positions.count, summary.vertices);
  }
  EXPECT_EQ(find_memory_file(modelPath), nullptr);
  RecordedModelLoad afterwards;
  EXPECT_EQ(afterwards.load(modelPath), 0u);
}

// A model over one file's limits converts into parts; every part is served
// from memory beside the first, so the loader finds what the 'p' commands name.
TEST(MemoryImport, AModelInPartsLoadsAllItsPartsFromMemory) {
  const TempDir dir;
  std::string soup;
  const int triangles = 21846;  // one triangle more than 65,535 indices hold
  for (int t = 0; t < triangles; ++t) {
    const std::string x = std::to_string(t % 200), y = std::to_string(t / 200);
    soup += "v " + x + " " + y + " 0\nv " + x + ".5 " + y + " 0\nv " + x + " " + y + ".5 0\n";
  }
  for (int t = 0; t < triangles; ++t) {
    soup += "f " + std::to_string(3 * t + 1) + " " + std::to_string(3 * t + 2) + " " +
            std::to_string(3 * t + 3) + "\n";
  }
  write_whole_file(dir.file("big.obj"), soup);
  const ProgramDataLookup data = programData();
  ASSERT_TRUE(data.found()) << data.failure();
  ConvertedFiles files;
  ConvertSummary summary;
  std::string error;
  ASSERT_TRUE(convertInMemory(optionsFor(dir.file("big.obj"), ""), &files, &summary, &error))
      << error;
  ASSERT_EQ(files.parts.size(), 1u);

  RegisteredModel registered(files);
  RecordedModelLoad recorded;
  ASSERT_EQ(recorded.setupProblem(), "");
  g_textureFolder = TextString(registered.textureFolder().c_str());
  g_effectFolder = TextString(data.startFolder().c_str());
  EXPECT_EQ(recorded.load(registered.modelPath()), 1u);
  for (const std::string& line : recorded.logLines()) EXPECT_FALSE(loadTrouble(line)) << line;
}
