#include "render/font.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/record/record_texture.h"
#include "render/font_table.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"

namespace {

// The recorder loads any readable image file without decoding it.
const std::string kBmp = "glyph image";

// Advance widths other than the usual 8.
const std::map<int, uint8_t> kWidths = {{'A', 0}, {'B', 1}, {'C', 2}, {'\t', 11},
                                        {'@', 7}, {'1', 6}, {255, 9}};

// Each code's glyph has its own cell of a 16 x 16 grid, so a quad tells its code.
std::vector<FontGlyph> TestGlyphs(int count) {
  std::vector<FontGlyph> glyphs(count);
  for (int code = 0; code < count; ++code) {
    glyphs[code].advance = kWidths.contains(code) ? kWidths.at(code) : 8;
    const float u = float(code % 16) / 16, v = float(code / 16) / 16;
    glyphs[code].rect = {u, v, u + glyphs[code].advance / 256.0f, v + 1.0f / 16};
  }
  return glyphs;
}

class FontTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    write_whole_file("font.bmp", kBmp);
    ASSERT_TRUE(WriteFontTableFile("font.fnd", TestGlyphs(256)));
  }
  void TearDown() override {
    Font::Unload();
    RecordedDeviceTest::TearDown();
  }

  std::vector<std::vector<GlyphVertex>> Quads() {
    std::vector<std::vector<GlyphVertex>> quads;
    for (const CallRecord* call : log().Named("DrawPrimitiveUP")) {
      quads.push_back(call->AsArray<GlyphVertex>());
    }
    return quads;
  }
  // The codes of the glyphs drawn since the call log was cleared.
  std::string Drawn() {
    std::string codes;
    for (const auto& quad : Quads()) {
      codes += char(std::lround(quad[0].u * 16) + 16 * std::lround(quad[0].v * 16));
    }
    return codes;
  }
  bool LoadDefault() { return font.Load("", ".bmp"); }

  LogCapture logs;  // also makes a fresh folder the working directory
  Font font;
};

}  // namespace

TEST_F(FontTest, LoadFormsThePathsAndFailuresLogTheirFile) {
  ASSERT_TRUE(LoadDefault());
  const CallRecord* load = log().Last("D3DXCreateTextureFromFileExA");
  EXPECT_EQ(load->s(1), "font.bmp");
  EXPECT_EQ(load->u(2), 256u);
  EXPECT_EQ(load->u(3), 256u);
  std::filesystem::create_directory("fonts");
  write_whole_file("fonts/font.png", kBmp);
  ASSERT_TRUE(WriteFontTableFile("fonts/font.fnd", TestGlyphs(256)));
  ASSERT_TRUE(font.Load("fonts/", "png"));  // the dot is inserted
  EXPECT_EQ(log().Last("D3DXCreateTextureFromFileExA")->s(1), "fonts/font.png");
  EXPECT_EQ(rec().Live(RecordKind::Texture), 1);  // the first texture was replaced
  EXPECT_TRUE(logs.lines().empty());

  // Not ready: nothing drawn.
  auto expectNothingDrawn = [&] {
    EXPECT_FALSE(font.IsReady());
    font.DrawChar(0, 0, 'x');
    EXPECT_EQ(font.DrawText("abc", 7, 0), 0);
    EXPECT_EQ(log().Count("DrawPrimitiveUP"), 0u);
  };
  // After a good load, a missing image logs both lines with the image path.
  std::filesystem::remove("font.bmp");
  EXPECT_FALSE(LoadDefault());
  EXPECT_EQ(logs.lines(), (std::vector<std::string>{
                              "<error> loading character texture. Name:font.bmp",
                              "<error> loading character data. Name: font.bmp"}));
  expectNothingDrawn();
  // A missing table, or one shorter than its count, keeps the texture.
  write_whole_file("font.bmp", kBmp);
  const std::string table = EncodeFontTable(TestGlyphs(256));
  for (const std::string& cut : {std::string(), table.substr(0, table.size() - 1)}) {
    ASSERT_TRUE(LoadDefault());
    write_whole_file("font.fnd", cut);
    if (cut.empty()) std::filesystem::remove("font.fnd");
    EXPECT_FALSE(LoadDefault());
    EXPECT_EQ(logs.lines().back(), "<error> loading character data. Name: font.fnd");
    EXPECT_EQ(rec().Live(RecordKind::Texture), 1);
    expectNothingDrawn();
    write_whole_file("font.fnd", table);
  }
  EXPECT_EQ(logs.lines().size(), 4u);

  ASSERT_TRUE(LoadDefault());
  Font::Unload();
  EXPECT_EQ(rec().Live(RecordKind::Texture), 0);
  EXPECT_EQ(font.DrawText("abc", 7, 0), 0);
}

TEST_F(FontTest, TextStatesAndGlyphQuads) {
  ASSERT_TRUE(LoadDefault());
  // States the text must not inherit.
  device.SetFVF(0x42);
  device.SetLighting(true);
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  rec().Log().Clear();

  EXPECT_EQ(font.DrawText("", 33, 44), 33);
  EXPECT_EQ(log().Count("DrawPrimitiveUP"), 0u);
  EXPECT_EQ(recorded().FVF(), 0x144u);
  EXPECT_EQ(recorded().RenderState(D3DRS_LIGHTING), 0u);
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLORARG1), DWORD(D3DTA_DIFFUSE));
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TEXTURE));
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
  EXPECT_EQ(recorded().TextureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
  ASSERT_NE(recorded().BoundTexture(0), nullptr);
  EXPECT_EQ(recorded().BoundTexture(0)->Width(), 256u);

  EXPECT_EQ(font.DrawText("Zx", 100, 50), 116);
  for (const CallRecord* draw : log().Named("DrawPrimitiveUP")) {
    EXPECT_EQ(draw->u(0), D3DPT_TRIANGLEFAN);
    EXPECT_EQ(draw->u(1), 2u);
    EXPECT_EQ(draw->u(3), 28u);
  }
  // 'x' (120) at pen 108: cell (8, 7), 8 pixels wide, 16 high, whole pixels.
  const float u = 8 / 16.0f, v = 7 / 16.0f, right = u + 8 / 256.0f, bottom = v + 1 / 16.0f;
  const GlyphVertex expected[4] = {{108, 50, 0, 1, 0x00FFFF00, u, v},
                                   {116, 50, 0, 1, 0x00FFFF00, right, v},
                                   {116, 66, 0, 1, 0x00FFFF00, right, bottom},
                                   {108, 66, 0, 1, 0x00FFFF00, u, bottom}};
  ASSERT_EQ(Drawn(), "Zx");
  EXPECT_EQ(std::memcmp(Quads()[1].data(), expected, sizeof expected), 0);

  // DrawChar clamps codes above 255 to 255 and those below 10 to '@'.
  rec().Log().Clear();
  for (int code : {1000, 0, -77, 10}) font.DrawChar(-3, 7, code);
  EXPECT_EQ(Drawn(), "\xFF@@\x0A");
  EXPECT_EQ(Quads()[0][1].x, 6.0f);  // -3 plus width[255] = 9
}

TEST_F(FontTest, AdvanceRules) {
  ASSERT_TRUE(LoadDefault());
  // Widths 0 and 1 move 4, 2 stays; a tab shows '@' but moves by its own
  // width; a byte above 127 shows and moves as '@'.
  const std::vector<std::tuple<std::string, int32_t, std::string>> cases = {
      {"A", 14, "A"}, {"B", 14, "B"}, {"C", 12, "C"}, {"\t", 21, "@"},
      {"\xC8", 17, "@"}, {"\xFF" "A", 21, "@A"}, {"xy", 26, "xy"}};
  for (const auto& [text, end, drawn] : cases) {
    rec().Log().Clear();
    EXPECT_EQ(font.DrawText(text.c_str(), 10, 0), end) << text;
    EXPECT_EQ(Drawn(), drawn) << text;
  }
  // A table that ends at '@': higher codes draw nothing and move 4.
  ASSERT_TRUE(WriteFontTableFile("font.fnd", TestGlyphs(65)));
  ASSERT_TRUE(LoadDefault());
  rec().Log().Clear();
  EXPECT_EQ(font.DrawText("A@\xC8z\x05", 0, 0), 4 + 7 + 7 + 4 + 8);
  font.DrawChar(0, 0, 300);
  EXPECT_EQ(Drawn(), "@@@");
  // Without '@', high bytes draw nothing and move 4.
  ASSERT_TRUE(WriteFontTableFile("font.fnd", TestGlyphs(10)));
  ASSERT_TRUE(LoadDefault());
  rec().Log().Clear();
  EXPECT_EQ(font.DrawText("\xC8\x01\t", 0, 0), 4 + 8 + 11);
  EXPECT_EQ(Drawn(), "");
}

TEST_F(FontTest, FormattedTextJoinsLabelAndNumberWithinTheBuffer) {
  ASSERT_TRUE(LoadDefault());
  // 15 characters of width 8, 'C' of 2, then '1' of 6.
  EXPECT_EQ(font.DrawTextInt("P : PCF ON/OFF: ", 1, 0, 48), 128);
  EXPECT_EQ(Drawn(), "P : PCF ON/OFF: 1");
  EXPECT_EQ(Quads().back()[0].x, 122.0f);
  EXPECT_EQ(Quads().back()[0].y, 48.0f);

  rec().Log().Clear();
  EXPECT_EQ(font.DrawTextInt("T", -2147483647 - 1, 0, 0), 11 * 8 + 6);
  EXPECT_EQ(font.DrawTextUInt("FPS:", 4294967295u, 0, 584), 14 * 8);
  EXPECT_EQ(Drawn(), "T-2147483648FPS:4294967295");

  // Text longer than the 512-byte buffer is cut to 511 characters.
  rec().Log().Clear();
  EXPECT_EQ(font.DrawTextInt(std::string(600, 'x').c_str(), 7, 0, 0), 511 * 8);
  EXPECT_EQ(Drawn(), std::string(511, 'x'));
  rec().Log().Clear();
  EXPECT_EQ(font.DrawTextUInt(std::string(509, 'x').c_str(), 123, 0, 0), 509 * 8 + 6 + 8);
  EXPECT_EQ(Drawn(), std::string(509, 'x') + "12");
}
