#pragma once
// A start folder for the viewer in a fresh temporary tree (root/bin as the
// working directory, root/texture and root/effect beside it), with the
// loader log opened in it and the data folders worked out, plus writers for
// the files the viewer reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/dirs.h"
#include "base/log.h"
#include "render/font_table.h"
#include "tests/support/temp_dir.h"
#include "tools/demo_generator/demo_layout.h"
#include "tools/demo_generator/demo_textures.h"
#include "tools/demo_generator/figure_model.h"
#include "tools/demo_generator/wall_model.h"

class ViewerFolder {
 public:
  ViewerFolder() {
    for (const char* folder : {"bin", "texture", "effect"}) {
      std::filesystem::create_directories(root_.path() / folder);
    }
    std::filesystem::current_path(bin());
    log_reset_for_tests();
    log_init();
    log_enable(true);
    CDirs().Call_1_START();
  }
  ~ViewerFolder() { log_reset_for_tests(); }
  ViewerFolder(const ViewerFolder&) = delete;
  ViewerFolder& operator=(const ViewerFolder&) = delete;

  std::filesystem::path bin() const { return root_.path() / "bin"; }
  std::filesystem::path folder(const char* name) const { return root_.path() / name; }

  // The log's lines after its header.
  std::vector<std::string> logLines() const {
    std::istringstream in(read_whole_file((bin() / "loaderlog.txt").string()));
    std::vector<std::string> lines;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }
  size_t countLines(const std::string& text) const {
    size_t count = 0;
    for (const std::string& line : logLines()) count += line == text;
    return count;
  }

  // A model and its script in bin/, with the textures and the effects the
  // script names (the effects' content matters only to a real compiler).
  void writeModel(const char* name, const DemoModel& demoModel) {
    ASSERT_TRUE(writeModelFile((bin() / name).string(), demoModel.model));
    ASSERT_TRUE(writeScriptBeside((bin() / name).string(), demoModel.script));
    for (const std::string* texture : {&demoModel.script.texture, &demoModel.script.bumpTexture}) {
      ASSERT_TRUE(writeBmp((folder("texture") / *texture).string(), RgbImage(8, 8)));
    }
    for (const std::string* effect : {&demoModel.script.effect, &demoModel.script.shadowEffect}) {
      if (!effect->empty()) write_whole_file((bin() / *effect).string(), "// effect\n");
    }
  }
  void writeWall() { writeModel(demo::kWallModel, makeWall()); }
  void writeFigure() {
    writeModel(demo::kFigureModel, makeFigure());
    write_whole_file((bin() / "input.txt").string(), std::string(demo::kFigureModel) + "\n");
  }
  // A font whose every character is 8 pixels wide.
  void writeFont() {
    std::vector<FontGlyph> glyphs(256);
    for (FontGlyph& glyph : glyphs) glyph.advance = 8;
    ASSERT_TRUE(WriteFontTableFile((bin() / "font.fnd").string().c_str(), glyphs));
    ASSERT_TRUE(writeBmp((bin() / "font.bmp").string(), RgbImage(256, 256)));
  }

 private:
  TempDir root_;
  WorkingDirectoryGuard cwd_;  // restored before the tree is removed
};
