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

const std::vector<FontGlyph> kGlyphs = {
    {5, {0.0f, 0.0f, 0.25f, 0.5f}}, {0, {0.25f, 0.5f, 0.5f, 1.0f}}, {255, {-1.5f, 2.0f, 3e-7f, 1}}};

// The same table spelled out byte by byte as the file lays it out.
std::string GlyphBytes() {
  std::string bytes = Le32(3) + std::string{char(5), char(0), char(255)};
  for (float f : {0.0f, 0.0f, 0.25f, 0.5f, 0.25f, 0.5f, 0.5f, 1.0f, -1.5f, 2.0f, 3e-7f, 1.0f}) {
    bytes += Le32(std::bit_cast<uint32_t>(f));
  }
  return bytes;
}

// What a loaded table holds, in file form (the writer is checked on its own).
std::string Encoded(const FontTable& table) {
  std::vector<FontGlyph> glyphs;
  for (int32_t i = 0; i < table.Count(); ++i) glyphs.push_back({table.widths[i], table.rects[i]});
  return EncodeFontTable(glyphs);
}

bool Parse(const std::string& bytes, FontTable& table) {
  return ParseFontTable(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), table);
}

}  // namespace

TEST(FontTable, BothReadersTakeWholeTablesAndRejectEveryCut) {
  ASSERT_EQ(EncodeFontTable(kGlyphs), GlyphBytes());
  TempDir dir;
  const std::string path = dir.file("font.fnd");
  const std::string whole = GlyphBytes();
  for (size_t length = 0; length <= whole.size() + 3; ++length) {
    SCOPED_TRACE(length);
    // Bytes after the table are ignored.
    const std::string bytes = (whole + "end").substr(0, length);
    write_whole_file(path, bytes);
    FontTable parsed, read;
    ASSERT_TRUE(Parse(whole, parsed));  // a failure must also drop what was held
    ASSERT_TRUE(Parse(whole, read));
    const bool complete = length >= whole.size();
    EXPECT_EQ(Parse(bytes, parsed), complete);
    EXPECT_EQ(ReadFontTableFile(path.c_str(), read), complete);
    EXPECT_EQ(Encoded(parsed), complete ? whole : Le32(0));
    EXPECT_EQ(Encoded(read), complete ? whole : Le32(0));
  }
  FontTable missing;
  EXPECT_FALSE(ReadFontTableFile(dir.file("missing.fnd").c_str(), missing));
}

TEST(FontTable, CountsAreCheckedAgainstTheBytesThereAre) {
  TempDir dir;
  const std::string path = dir.file("font.fnd");
  // Counts whose byte size would wrap 32 bits or exceed the array limit.
  for (uint32_t count : {0xFFFFFFFFu, 0x0F0F0F10u, 10'000'001u}) {
    const std::string bytes = Le32(count) + std::string(4096, '\x01');
    write_whole_file(path, bytes);
    FontTable table;
    EXPECT_FALSE(Parse(bytes, table)) << count;
    EXPECT_FALSE(ReadFontTableFile(path.c_str(), table)) << count;
  }
  // A table of no characters is still a table.
  write_whole_file(path, Le32(0));
  FontTable empty;
  EXPECT_TRUE(ReadFontTableFile(path.c_str(), empty));
  EXPECT_FALSE(empty.Has(0));
}

TEST(FontTable, ReadOnlyFileLoads) {
  // Root may write any file, so only another user can tell an update-mode open.
  if (geteuid() == 0) GTEST_SKIP() << "running as root";
  TempDir dir;
  const std::string path = dir.file("font.fnd");
  ASSERT_TRUE(WriteFontTableFile(path.c_str(), kGlyphs));
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  FontTable table;
  EXPECT_TRUE(ReadFontTableFile(path.c_str(), table));
}
