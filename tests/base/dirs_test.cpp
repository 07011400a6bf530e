#include "base/dirs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(DirsTest, FoldersSitBesideTheStartFolderAndTheDirectoryIsRestored) {
  WorkingDirectoryGuard cwd;
  TempDir root;
  const fs::path bin = root.path() / "bin";
  fs::create_directory(bin);
  fs::current_path(bin);

  CDirs dirs;
  ASSERT_EQ(dirs.Call_1_START(), 1u);
  const std::string rootText = fs::canonical(root.path()).string();
  EXPECT_EQ(std::string(g_startFolder.c_str()), fs::canonical(bin).string());
  EXPECT_EQ(std::string(g_rootFolder.c_str()), rootText);
  EXPECT_EQ(std::string(g_textureFolder.c_str()), rootText + "/texture/");
  EXPECT_EQ(std::string(CDirs::EffectDir().c_str()), rootText + "/effect/");
  TextString texture;
  CDirs::GetTextureDir(texture);
  EXPECT_EQ(std::string(texture.plus("wall.bmp").c_str()), rootText + "/texture/wall.bmp");
  EXPECT_EQ(fs::current_path(), fs::canonical(bin));
}

TEST(DirsTest, FolderJoinIsPlainTextAtTheFilesystemRoot) {
  WorkingDirectoryGuard cwd;
  fs::current_path("/");
  CDirs dirs;
  ASSERT_EQ(dirs.Call_1_START(), 1u);
  // Nothing tidies the doubled separator when the parent is the root itself.
  EXPECT_STREQ(g_textureFolder.c_str(), "//texture/");
}

TEST(DirsTest, UnreadableStartFolderFails) {
  WorkingDirectoryGuard cwd;
  log_reset_for_tests();
  TempDir dir;
  log_init_file(dir.file("loaderlog.txt").c_str());
  log_enable(true);
  fs::path deep = dir.path();
  while (deep.string().size() < 2100) {
    deep /= std::string(100, 'd');
    fs::create_directory(deep);
  }
  fs::current_path(deep);
  CDirs dirs;
  EXPECT_EQ(dirs.Call_1_START(), 0u);
  EXPECT_EQ(read_whole_file(dir.file("loaderlog.txt")),
            "'Brenvik' DEBUGFILE\n"
            "<error> CDirs::Call_1_START() Building Directory Struct Failed1.. all is lost\n");
  log_reset_for_tests();
}

}  // namespace
