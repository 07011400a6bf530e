#include "render/font_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string LeFloat(float f) { return Le32(std::bit_cast<uint32_t>(f)); }

std::vector<FontGlyph> ThreeGlyphs() {
  return {{5, {0.0f, 0.0f, 0.25f, 0.5f}},
          {0, {0.25f, 0.5f, 0.5f, 1.0f}},
          {255, {-1.5f, 2.0f, 3.0e-7f, 1.0f}}};
}

// The same table, spelled out byte by byte as the file format lays it out.
std::string ThreeGlyphBytes() {
  std::string bytes = Le32(3) + std::string{char(5), char(0), char(255)};
  for (float f : {0.0f, 0.0f, 0.25f, 0.5f, 0.25f, 0.5f, 0.5f, 1.0f, -1.5f, 2.0f, 3.0e-7f, 1.0f}) {
    bytes += LeFloat(f);
  }
  return bytes;
}

void ExpectThreeGlyphs(const FontTable& table) {
  ASSERT_EQ(table.Count(), 3);
  EXPECT_EQ(table.widths[0], 5);
  EXPECT_EQ(table.widths[1], 0);
  EXPECT_EQ(table.widths[2], 255);
  EXPECT_EQ(table.rects[1].uleft, 0.25f);
  EXPECT_EQ(table.rects[1].vtop, 0.5f);
  EXPECT_EQ(table.rects[1].uright, 0.5f);
  EXPECT_EQ(table.rects[1].vbottom, 1.0f);
  EXPECT_EQ(table.rects[2].uleft, -1.5f);
  EXPECT_EQ(table.rects[2].uright, 3.0e-7f);
  EXPECT_TRUE(table.Has(2));
  EXPECT_FALSE(table.Has(3));
  EXPECT_FALSE(table.Has(-1));
}

bool Parse(const std::string& bytes, FontTable& table) {
  return ParseFontTable(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), table);
}

}  // namespace

TEST(FontTable, WriterLaysOutCountWidthsThenLittleEndianRectangles) {
  EXPECT_EQ(EncodeFontTable(ThreeGlyphs()), ThreeGlyphBytes());
  EXPECT_EQ(EncodeFontTable({}), Le32(0));

  TempDir dir;
  const std::string path = dir.file("font.fnd");
  ASSERT_TRUE(WriteFontTableFile(path.c_str(), ThreeGlyphs()));
  EXPECT_EQ(read_whole_file(path), ThreeGlyphBytes());
  EXPECT_FALSE(WriteFontTableFile(dir.file("no/such/folder/font.fnd").c_str(), ThreeGlyphs()));
}

TEST(FontTable, ParserAndFileReaderAgreeOnEveryCutOfATable) {
  TempDir dir;
  const std::string path = dir.file("font.fnd");
  const std::string whole = ThreeGlyphBytes();

  // Every length short of the whole table fails in both readers and leaves
  // nothing behind, even when a table was held before.
  for (size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    const std::string cut = whole.substr(0, length);
    write_whole_file(path, cut);
    FontTable parsed;
    ASSERT_TRUE(Parse(whole, parsed));
    EXPECT_FALSE(Parse(cut, parsed));
    EXPECT_EQ(parsed.Count(), 0);
    EXPECT_EQ(parsed.rects.data, nullptr);
    FontTable read;
    ASSERT_TRUE(Parse(whole, read));
    EXPECT_FALSE(ReadFontTableFile(path.c_str(), read));
    EXPECT_EQ(read.Count(), 0);
  }

  // The whole table, and the whole table with bytes after it, both load.
  for (const std::string& bytes : {whole, whole + "trailing"}) {
    write_whole_file(path, bytes);
    FontTable parsed;
    ASSERT_TRUE(Parse(bytes, parsed));
    ExpectThreeGlyphs(parsed);
    FontTable read;
    ASSERT_TRUE(ReadFontTableFile(path.c_str(), read));
    ExpectThreeGlyphs(read);
  }
}

TEST(FontTable, CountsAreCheckedAgainstTheBytesThereAre) {
  TempDir dir;
  const std::string path = dir.file("font.fnd");

  // A count whose byte size would wrap 32 bits, and one beyond what the
  // arrays hold, with plenty of bytes behind them.
  for (uint32_t count : {0xFFFFFFFFu, 0x0F0F0F10u, 10'000'001u}) {
    SCOPED_TRACE(count);
    const std::string bytes = Le32(count) + std::string(4096, '\x01');
    write_whole_file(path, bytes);
    FontTable table;
    EXPECT_FALSE(Parse(bytes, table));
    EXPECT_FALSE(ReadFontTableFile(path.c_str(), table));
  }

  // An empty table is a table; it just has no characters.
  write_whole_file(path, Le32(0));
  FontTable empty;
  EXPECT_TRUE(ReadFontTableFile(path.c_str(), empty));
  EXPECT_EQ(empty.Count(), 0);
  EXPECT_FALSE(empty.Has(0));
  EXPECT_TRUE(Parse(Le32(0), empty));

  EXPECT_FALSE(ReadFontTableFile(dir.file("missing.fnd").c_str(), empty));
  EXPECT_FALSE(ParseFontTable(nullptr, 100, empty));
}

TEST(FontTable, ReadOnlyFileLoads) {
  // Root may write any file, so only another user can tell an update-mode open.
  if (geteuid() == 0) GTEST_SKIP() << "running as root";
  TempDir dir;
  const std::string path = dir.file("font.fnd");
  ASSERT_TRUE(WriteFontTableFile(path.c_str(), ThreeGlyphs()));
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  FontTable readOnly;
  EXPECT_TRUE(ReadFontTableFile(path.c_str(), readOnly));
  ExpectThreeGlyphs(readOnly);
}
