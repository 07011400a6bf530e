#include "base/bin_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/path_lookup.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(BinFileTest, WholeBlockReadsOnly) {
  TempDir dir;
  write_whole_file(dir.file("data.bin"), std::string("\x01\x02\x03\x04" "0123456789A", 15));
  BinFile file;
  char buffer[16] = {};
  EXPECT_EQ(file.read(buffer, 4), 0) << "never opened";
  ASSERT_NE(file.open(dir.file("data.bin").c_str(), "rb"), nullptr);

  int32_t value = 0;
  ASSERT_EQ(file.readInt(&value), 1);
  EXPECT_EQ(value, 0x04030201);
  EXPECT_EQ(file.read(buffer, 0), 0) << "a block of 0 bytes counts as not read";
  // 11 bytes remain: a 12-byte block fails but the bytes that came are there.
  EXPECT_EQ(file.read(buffer, 12), 0);
  EXPECT_EQ(std::string(buffer, 11), "0123456789A");

  file.close();
  file.close();
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(file.read(buffer, 1), 0);
}

TEST(BinFileTest, MissingFileFailsToOpen) {
  TempDir dir;
  BinFile file;
  EXPECT_EQ(file.open(dir.file("absent.bin").c_str(), "rb"), nullptr);
  EXPECT_EQ(file.read(nullptr, 1), 0);
}

TEST(PathLookupTest, BackslashesAndCaseDifferencesFindTheFile) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "Data" / "Models");
  write_whole_file((dir.path() / "Data" / "Models" / "Wall.X_OUT").string(), "x");

  const std::string windowsStyle = dir.path().string() + "\\data\\models\\wall.x_out";
  EXPECT_EQ(resolve_existing_path(windowsStyle.c_str()),
            (dir.path() / "Data" / "Models" / "Wall.X_OUT").string());

  WorkingDirectoryGuard cwd;
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(resolve_existing_path("data/MODELS/wall.x_out"), "Data/Models/Wall.X_OUT");
  // Nothing matches: only the separators change, so the open fails honestly.
  EXPECT_EQ(resolve_existing_path("data\\none.bin"), "data/none.bin");
}

}  // namespace
