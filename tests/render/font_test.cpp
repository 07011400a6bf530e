#include "render/font.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/record/record_texture.h"
#include "render/font_table.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

std::string BmpHeader(uint32_t width, uint32_t height) {
  auto le32 = [](uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  return "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(width) + le32(height) +
         std::string(28, '\0');
}

// Advance widths that differ from the default of 8.
const std::map<int, uint8_t> kSpecialWidths = {
    {'A', 0}, {'B', 1}, {'C', 2}, {'\t', 11}, {'@', 7}, {'1', 6}, {255, 9}};

// Each code's glyph sits in its own cell of a 16 x 16 grid, so a drawn quad
// tells which code it shows.
std::vector<FontGlyph> TestGlyphs(int count) {
  std::vector<FontGlyph> glyphs(count);
  for (int code = 0; code < count; ++code) {
    const auto special = kSpecialWidths.find(code);
    glyphs[code].advance = special != kSpecialWidths.end() ? special->second : 8;
    const float u = float(code % 16) / 16.0f;
    const float v = float(code / 16) / 16.0f;
    glyphs[code].rect = {u, v, u + glyphs[code].advance / 256.0f, v + 1.0f / 16.0f};
  }
  return glyphs;
}

using Quad = std::vector<GlyphVertex>;

int CodeOf(const Quad& quad) {
  return int(std::lround(quad[0].u * 16.0f)) + 16 * int(std::lround(quad[0].v * 16.0f));
}

class FontTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    write_whole_file("font.bmp", BmpHeader(128, 128));
    ASSERT_TRUE(WriteFontTableFile("font.fnd", TestGlyphs(256)));
  }
  void TearDown() override {
    Font::Unload();
    RecordedDeviceTest::TearDown();
  }

  // The glyph quads drawn since the log was last cleared.
  std::vector<Quad> Quads() {
    std::vector<Quad> quads;
    for (const CallRecord* call : log().Named("DrawPrimitiveUP")) {
      quads.push_back(call->AsArray<GlyphVertex>());
    }
    return quads;
  }
  std::vector<int> DrawnCodes() {
    std::vector<int> codes;
    for (const Quad& quad : Quads()) codes.push_back(CodeOf(quad));
    return codes;
  }
  bool LoadDefault() { return font.Load("", ".bmp"); }

  LogCapture logs;  // also makes a fresh folder the working directory
  Font font;
};

}  // namespace

TEST_F(FontTest, LoadFormsThePathsAndScalesTheGlyphImage) {
  ASSERT_TRUE(LoadDefault());
  EXPECT_TRUE(font.IsReady());
  EXPECT_TRUE(logs.lines().empty());
  const CallRecord* load = rec().Log().Last("D3DXCreateTextureFromFileExA");
  ASSERT_NE(load, nullptr);
  EXPECT_EQ(load->s(1), "font.bmp");
  EXPECT_EQ(load->u(2), 256u);
  EXPECT_EQ(load->u(3), 256u);

  // A missing dot is inserted; the prefix goes before both names.
  std::filesystem::create_directory("fonts");
  write_whole_file("fonts/font.png", BmpHeader(64, 64));
  ASSERT_TRUE(WriteFontTableFile("fonts/font.fnd", TestGlyphs(256)));
  ASSERT_TRUE(font.Load("fonts/", "png"));
  EXPECT_EQ(rec().Log().Last("D3DXCreateTextureFromFileExA")->s(1),
            "fonts/font.png");
  // A second load replaced the first texture.
  EXPECT_EQ(rec().Live(RecordKind::Texture), 1);

  // An extension longer than the usual five characters is taken as given.
  write_whole_file("font.longext", BmpHeader(64, 64));
  ASSERT_TRUE(font.Load("", "longext"));
  EXPECT_EQ(rec().Log().Last("D3DXCreateTextureFromFileExA")->s(1), "font.longext");

  Font::Unload();
  EXPECT_FALSE(font.IsReady());
  EXPECT_EQ(rec().Live(RecordKind::Texture), 0);
  EXPECT_EQ(font.DrawText("abc", 5, 5), 0);
}

TEST_F(FontTest, FailedLoadsLogTheirFileAndDrawNothing) {
  // No glyph image: both lines, the second naming the same image path. A
  // good load comes first, so the failure must undo it.
  ASSERT_TRUE(LoadDefault());
  std::filesystem::remove("font.bmp");
  EXPECT_FALSE(LoadDefault());
  EXPECT_EQ(logs.lines(), (std::vector<std::string>{
                              "<error> loading character texture. Name:font.bmp",
                              "<error> loading character data. Name: font.bmp"}));
  EXPECT_FALSE(font.IsReady());
  font.DrawChar(0, 0, 'x');
  EXPECT_EQ(font.DrawText("abc", 7, 0), 0);
  EXPECT_EQ(rec().Log().Count("DrawPrimitiveUP"), 0u);

  // The image loads but the table is missing or shorter than its count: the
  // texture stays, the font is not ready.
  write_whole_file("font.bmp", BmpHeader(128, 128));
  const std::string whole = EncodeFontTable(TestGlyphs(256));
  for (const std::string& table : {std::string(), whole.substr(0, 4 + 256 + 16 * 100),
                                   whole.substr(0, whole.size() - 1)}) {
    SCOPED_TRACE(table.size());
    ASSERT_TRUE(LoadDefault());
    if (table.empty()) {
      std::filesystem::remove("font.fnd");
    } else {
      write_whole_file("font.fnd", table);
    }
    const size_t before = logs.lines().size();
    EXPECT_FALSE(LoadDefault());
    const std::vector<std::string> lines = logs.lines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + before, lines.end()),
              std::vector<std::string>{"<error> loading character data. Name: font.fnd"});
    EXPECT_FALSE(font.IsReady());
    EXPECT_EQ(rec().Live(RecordKind::Texture), 1);
    EXPECT_EQ(font.DrawText("abc", 7, 0), 0);
    font.DrawChar(0, 0, 'x');
    EXPECT_EQ(rec().Log().Count("DrawPrimitiveUP"), 0u);
    ASSERT_TRUE(WriteFontTableFile("font.fnd", TestGlyphs(256)));
  }
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
  EXPECT_EQ(rec().Log().Count("DrawPrimitiveUP"), 0u);
  EXPECT_EQ(recorded().FVF(), kGlyphVertexFVF);
  EXPECT_EQ(recorded().FVF(), 0x144u);
  EXPECT_EQ(recorded().RenderState(D3DRS_LIGHTING), 0u);
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLORARG1), DWORD(D3DTA_DIFFUSE));
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLORARG2), DWORD(D3DTA_TEXTURE));
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
  EXPECT_EQ(recorded().TextureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
  RecordTexture* glyphs = recorded().BoundTexture(0);
  ASSERT_NE(glyphs, nullptr);
  EXPECT_EQ(glyphs->Width(), 256u);

  rec().Log().Clear();
  EXPECT_EQ(font.DrawText("Zx", 100, 50), 116);
  std::vector<const CallRecord*> draws = rec().Log().Named("DrawPrimitiveUP");
  ASSERT_EQ(draws.size(), 2u);
  for (const CallRecord* draw : draws) {
    EXPECT_EQ(draw->u(0), D3DPT_TRIANGLEFAN);
    EXPECT_EQ(draw->u(1), 2u);
    EXPECT_EQ(draw->u(3), 28u);
  }
  const std::vector<Quad> quads = Quads();
  ASSERT_EQ(quads[1].size(), 4u);
  // 'x' (120) at pen 108: cell (8, 7), 8 pixels wide, 16 high, whole pixels.
  const float u = 8 / 16.0f, v = 7 / 16.0f, uRight = u + 8 / 256.0f, vBottom = v + 1 / 16.0f;
  const GlyphVertex expected[4] = {{108, 50, 0, 1, 0x00FFFF00, u, v},
                                   {116, 50, 0, 1, 0x00FFFF00, uRight, v},
                                   {116, 66, 0, 1, 0x00FFFF00, uRight, vBottom},
                                   {108, 66, 0, 1, 0x00FFFF00, u, vBottom}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(quads[1][i].x, expected[i].x);
    EXPECT_EQ(quads[1][i].y, expected[i].y);
    EXPECT_EQ(quads[1][i].z, expected[i].z);
    EXPECT_EQ(quads[1][i].rhw, expected[i].rhw);
    EXPECT_EQ(quads[1][i].color, expected[i].color);
    EXPECT_FLOAT_EQ(quads[1][i].u, expected[i].u);
    EXPECT_FLOAT_EQ(quads[1][i].v, expected[i].v);
  }
  EXPECT_EQ(CodeOf(quads[0]), 'Z');
  EXPECT_EQ(quads[0][0].x, 100.0f);

  // DrawChar on its own clamps the code: above 255 to 255, below 10 to '@'.
  rec().Log().Clear();
  font.DrawChar(-3, 7, 1000);
  font.DrawChar(0, 0, 0);
  font.DrawChar(0, 0, -77);
  font.DrawChar(0, 0, 10);
  EXPECT_EQ(DrawnCodes(), (std::vector<int>{255, '@', '@', 10}));
  EXPECT_EQ(Quads()[0][1].x, 6.0f);  // -3 plus width[255] = 9
}

TEST_F(FontTest, AdvanceRules) {
  ASSERT_TRUE(LoadDefault());
  struct Case {
    std::string text;
    int32_t end;
    std::vector<int> codes;
  };
  const Case cases[] = {
      {"A", 14, {'A'}},           // width 0 advances 4
      {"B", 14, {'B'}},           // width 1 advances 4
      {"C", 12, {'C'}},           // width 2 is kept
      {"\t", 21, {'@'}},          // a tab shows '@' but moves by its own width
      {"\xC8", 17, {'@'}},        // a byte above 127 shows and moves as '@'
      {"\xFF" "A", 21, {'@', 'A'}},
      {"xy", 26, {'x', 'y'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    rec().Log().Clear();
    EXPECT_EQ(font.DrawText(c.text.c_str(), 10, 0), c.end);
    EXPECT_EQ(DrawnCodes(), c.codes);
  }

  // A table of 65 characters ends at '@': higher codes draw nothing and
  // advance 4, the rest as usual.
  ASSERT_TRUE(WriteFontTableFile("font.fnd", TestGlyphs(65)));
  ASSERT_TRUE(LoadDefault());
  rec().Log().Clear();
  EXPECT_EQ(font.DrawText("A@\xC8z\x05", 0, 0), 4 + 7 + 7 + 4 + 8);
  EXPECT_EQ(DrawnCodes(), (std::vector<int>{'@', '@', '@'}));
  font.DrawChar(0, 0, 300);
  EXPECT_EQ(rec().Log().Count("DrawPrimitiveUP"), 3u);

  // Without '@' in the table, high bytes draw nothing and advance 4.
  ASSERT_TRUE(WriteFontTableFile("font.fnd", TestGlyphs(10)));
  ASSERT_TRUE(LoadDefault());
  rec().Log().Clear();
  EXPECT_EQ(font.DrawText("\xC8\x01\t", 0, 0), 4 + 8 + 11);
  EXPECT_EQ(rec().Log().Count("DrawPrimitiveUP"), 0u);
}

TEST_F(FontTest, FormattedTextJoinsLabelAndNumber) {
  ASSERT_TRUE(LoadDefault());
  // "P : PCF ON/OFF: " is 16 characters of width 8 but 'C' (2), then '1' (6).
  EXPECT_EQ(font.DrawTextInt("P : PCF ON/OFF: ", 1, 0, 48), 15 * 8 + 2 + 6);
  std::vector<int> codes = DrawnCodes();
  ASSERT_EQ(codes.size(), 17u);
  EXPECT_EQ(std::string(codes.begin(), codes.end()), "P : PCF ON/OFF: 1");
  EXPECT_EQ(Quads().back()[0].x, 122.0f);
  EXPECT_EQ(Quads().back()[0].y, 48.0f);

  rec().Log().Clear();
  EXPECT_EQ(font.DrawTextInt("T", -2147483647 - 1, 0, 0), 11 * 8 + 6);
  codes = DrawnCodes();
  EXPECT_EQ(std::string(codes.begin(), codes.end()), "T-2147483648");

  rec().Log().Clear();
  EXPECT_EQ(font.DrawTextUInt("FPS:", 4294967295u, 0, 584), 14 * 8);
  codes = DrawnCodes();
  EXPECT_EQ(std::string(codes.begin(), codes.end()), "FPS:4294967295");

  // A label longer than the 512-byte buffer is cut to 511 characters.
  rec().Log().Clear();
  const std::string label(600, 'x');
  EXPECT_EQ(font.DrawTextInt(label.c_str(), 7, 0, 0), 511 * 8);
  EXPECT_EQ(rec().Log().Count("DrawPrimitiveUP"), 511u);
  rec().Log().Clear();
  EXPECT_EQ(font.DrawTextUInt(std::string(509, 'x').c_str(), 123, 0, 0), 509 * 8 + 6 + 8);
  codes = DrawnCodes();
  EXPECT_EQ(codes.back(), '2');
}
