#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "base/memory_files.h"
#include "tests/model/model_test_support.h"

namespace {

class TextCommandsTest : public ::testing::Test {
 protected:
  // Parses text as a script into model_ (and shadow_ when withShadow).
  bool parse(const std::string& text, bool withShadow = false) {
    log_.restart();
    const std::string path = dir_.file("script.txt");
    writeScriptFile(path, text);
    loader_ = std::make_unique<ModelLoader>();
    loader_->model = &model_;
    loader_->shadowModel = withShadow ? &shadow_ : nullptr;
    return loader_->parsetextcommands(path.c_str());
  }

  std::string entry(const RenderModel& model, int i) const {
    const TextCommandEntry& e = model.textCommands[i];
    EXPECT_EQ(e.name.count, static_cast<int32_t>(std::strlen(e.name.data)) + 1);
    return std::string(1, e.letter) + " " + e.name.data;
  }

  TempDir dir_;
  LoaderLog log_;
  RenderModel model_;
  RenderModel shadow_;
  std::unique_ptr<ModelLoader> loader_;
};

TEST_F(TextCommandsTest, EveryCommandStoresItsResultInScriptOrder) {
  ASSERT_TRUE(parse(
      "// colour first\n"
      "t wall.bmp b wall_n.bmp /* effect: */ e skin.fx\n"
      "T S shadow.fx\n"
      "a walk 60 { 0 1 2 3 }\n"
      "a averyveryverylongname 2.5 { 3 99999999999 }\n"
      "t second.bmp\n",
      true));
  ASSERT_EQ(model_.textCommands.count, 4);
  EXPECT_EQ(entry(model_, 0), "t wall.bmp");
  EXPECT_EQ(entry(model_, 1), "b wall_n.bmp");
  EXPECT_EQ(entry(model_, 2), "e skin.fx");
  EXPECT_EQ(entry(model_, 3), "t second.bmp");
  ASSERT_EQ(shadow_.textCommands.count, 1);
  EXPECT_EQ(entry(shadow_, 0), "S shadow.fx");
  EXPECT_TRUE(loader_->shadowRequested);
  EXPECT_EQ(loader_->mesh.hasTangents, 1);

  ASSERT_EQ(model_.animations.count, 2);
  const NamedAnimation& walk = model_.animations[0];
  EXPECT_STREQ(walk.name, "walk");
  EXPECT_EQ(walk.speed, 60u);
  EXPECT_EQ(std::vector<int32_t>(walk.frames.begin(), walk.frames.end()),
            (std::vector<int32_t>{0, 1, 2, 3}));
  const NamedAnimation& longName = model_.animations[1];
  EXPECT_STREQ(longName.name, "averyveryverylo");  // cut to 15 characters
  EXPECT_EQ(longName.speed, 2u);
  EXPECT_EQ(std::vector<int32_t>(longName.frames.begin(), longName.frames.end()),
            (std::vector<int32_t>{3, 2147483647}));
  EXPECT_EQ(log_.lines(), std::vector<std::string>{"wow framespeed found:  2"});
}

TEST_F(TextCommandsTest, OnlySixtyFourTopLevelWordsAreRead) {
  std::string words;
  for (int i = 0; i < 63; ++i) words += "x ";
  ASSERT_TRUE(parse(words + "t last.bmp"));
  ASSERT_EQ(model_.textCommands.count, 1);
  EXPECT_EQ(entry(model_, 0), "t last.bmp");

  model_.textCommands.free();
  ASSERT_TRUE(parse(words + "x t late.bmp T"));
  EXPECT_TRUE(model_.textCommands.empty());
  EXPECT_EQ(loader_->mesh.hasTangents, 0);
  EXPECT_TRUE(log_.lines().empty());
}

TEST_F(TextCommandsTest, BrokenCommandsFailWithTheirMessageAndStoreNothing) {
  const std::string zeroFrames = "<error> ModelLoader textparsing 0 frames found!!";
  std::string tooManyFrames = "a walk 40 {";
  for (int i = 0; i < 257; ++i) tooManyFrames += " 1";
  struct Case {
    std::string script;
    std::string lastLine;
  };
  const std::vector<Case> cases = {
      {"a walk 40 { }", zeroFrames},
      {"a walk 40 { 1 x }", zeroFrames},
      {"a walk 40 0 1 }", zeroFrames},
      {"a walk 40 { 1 2", zeroFrames},
      {tooManyFrames + " }", zeroFrames},
      {"a walk fast { 0 }", "<error> ModelLoader textparsing no speed for anim named: walk"},
      {"a walk", "<error> ModelLoader textparsing no speed for anim named: walk"},
      {"a", "<error> ModelLoader textparsing animname not found"},
      {"e", "'e' found but no effectfilename!!"},
      {"t", "'t' found but no texturefilename!!"},
      {"b", "'b' found but no bumptexturefilename!!"},
  };
  for (const Case& c : cases) {
    model_.textCommands.free();
    model_.animations.free();
    EXPECT_FALSE(parse("t wall.bmp a ok 60 { 0 } " + c.script)) << c.script;
    ASSERT_FALSE(log_.lines().empty()) << c.script;
    EXPECT_EQ(log_.lines().back(), c.lastLine) << c.script;
    EXPECT_TRUE(model_.textCommands.empty()) << c.script;
    EXPECT_TRUE(model_.animations.empty()) << c.script;
  }
}

TEST_F(TextCommandsTest, ShadowCommandWithoutShadowModelAndEarlierEffectsOfAFailure) {
  // Without a shadow model the file name after S is read as a command word.
  ASSERT_TRUE(parse("S t wall.bmp"));
  EXPECT_EQ(log_.lines(), std::vector<std::string>{"<error> TextParsing: 'S' found but no shadowvolume mesh..."});
  EXPECT_FALSE(loader_->shadowRequested);
  ASSERT_EQ(model_.textCommands.count, 1);
  EXPECT_EQ(entry(model_, 0), "t wall.bmp");

  // A failure keeps what earlier commands did outside the working lists.
  model_.textCommands.free();
  EXPECT_FALSE(parse("T S shadow.fx t wall.bmp S", true));
  EXPECT_EQ(log_.lines().back(), "'S' found but no effectfilename!!");
  EXPECT_EQ(loader_->mesh.hasTangents, 1);
  EXPECT_TRUE(loader_->shadowRequested);
  EXPECT_EQ(entry(shadow_, 0), "S shadow.fx");
  EXPECT_TRUE(model_.textCommands.empty());

  // Clips of a script without t, b or e are not stored.
  ASSERT_TRUE(parse("a walk 60 { 0 1 }"));
  EXPECT_TRUE(model_.animations.empty());
}

// The script's path is the model's with everything from the first "." of the
// file name replaced by "txt"; dots in folder names ("../", "models.v2/") do
// not count. A model file held in memory finds its script the same way.
TEST_F(TextCommandsTest, ScriptPathCutsAtTheFirstDotOfTheFileName) {
  RecordedDevice device;
  WorkingDirectoryGuard cwd;
  std::filesystem::create_directories(dir_.path() / "data");
  std::filesystem::create_directories(dir_.path() / "bin");
  std::filesystem::current_path(dir_.path() / "bin");
  ASSERT_TRUE(writeModelFile("../data/wall.x_out", sampleStaticModel()));
  ASSERT_TRUE(writeScriptFile("../data/wall.txt", "t wall.bmp"));
  ASSERT_TRUE(writeScriptFile(".txt", "t from_dot_txt.bmp"));
  std::filesystem::create_directories("models.v2");
  ASSERT_TRUE(writeModelFile("models.v2/hero.x_out.1", sampleStaticModel()));
  ASSERT_TRUE(writeScriptFile("models.v2/hero.txt", "t hero.bmp"));
  ASSERT_TRUE(writeModelFile("plain", sampleStaticModel()));

  const struct {
    const char* model;
    const char* script;
    const char* texture;
  } cases[] = {
      {"../data/wall.x_out", "../data/wall.txt", "t wall.bmp"},
      {"models.v2/hero.x_out.1", "models.v2/hero.txt", "t hero.bmp"},
      {"..\\data\\wall.x_out", "..\\data\\wall.txt", "t wall.bmp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    log_.restart();
    RenderModel model;
    LoadTargets targets{0, &model, nullptr};
    ModelLoader loader;
    ASSERT_EQ(loader.load(c.model, targets), 1u);
    EXPECT_TRUE(log_.has(std::string("loading script from: ") + c.script));
    EXPECT_EQ(entry(model, 0), c.texture);
  }

  // Without its script the whole load fails; a path without "." gets ".txt".
  log_.restart();
  LoadTargets targets{0, &model_, nullptr};
  ModelLoader again;
  EXPECT_EQ(again.load("plain", targets), 0u);
  EXPECT_TRUE(log_.has("loading script from: plain.txt"));
  EXPECT_EQ(log_.lines().back(), "<error> textfile is unreachable: plain.txt");
}

TEST_F(TextCommandsTest, ModelAndScriptHeldInMemoryLoadLikeFiles) {
  RecordedDevice device;
  const std::string folder = dir_.file("in.memory");
  ASSERT_TRUE(writeModelFile(dir_.file("source.x_out"), sampleStaticModel()));
  ScopedMemoryFile model(folder + "/converted.x_out", read_whole_file(dir_.file("source.x_out")));
  ScopedMemoryFile script(folder + "/converted.txt", std::string_view("t memory.bmp"));
  log_.restart();
  LoadTargets targets{0, &model_, nullptr};
  ModelLoader loader;
  ASSERT_EQ(loader.load((folder + "/converted.x_out").c_str(), targets), 1u);
  EXPECT_EQ(entry(model_, 0), "t memory.bmp");
  EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
