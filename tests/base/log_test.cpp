#include "base/log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace {

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_reset_for_tests();
    std::filesystem::current_path(dir.path());
  }
  void TearDown() override { log_reset_for_tests(); }
  std::string content() const { return read_whole_file(dir.file("loaderlog.txt")); }

  WorkingDirectoryGuard cwd;
  TempDir dir;
};

TEST_F(LogTest, FreshInitTruncatesToHeaderAndDisabledWritesAreDropped) {
  write_whole_file(dir.file("loaderlog.txt"), "old run\nmore\n");
  log_init();
  EXPECT_EQ(content(), "'Brenvik' DEBUGFILE\n");
  EXPECT_EQ(std::string(log_path()), dir.file("loaderlog.txt"));

  log_int("x", 5);
  log_text("dropped");
  EXPECT_EQ(content(), "'Brenvik' DEBUGFILE\n");

  // A second init fixes the path again but never rewrites the header.
  log_enable(true);
  log_text("kept");
  log_init();
  EXPECT_EQ(content(), "'Brenvik' DEBUGFILE\nkept\n");
}

TEST_F(LogTest, LineFormats) {
  log_init();
  log_enable(true);
  log_int("x", 5);
  log_int("neg", -1);
  log_uint("u", 0xFFFFFFFFu);
  log_hex("errorcode: ", 0x152);
  log_hex("h", 0x8876086C);
  log_float("f", 0.5f);
  log_text2("loading script from: ", "a.txt");
  log_text("plain");
  EXPECT_EQ(content(),
            "'Brenvik' DEBUGFILE\n"
            "x 5\n"
            "neg -1\n"
            "u 4294967295\n"
            "errorcode:  152\n"
            "h 8876086c\n"
            "f 0.500000\n"
            "loading script from: a.txt\n"
            "plain\n");
}

TEST_F(LogTest, LaterDirectoryChangeDoesNotMoveTheLog) {
  log_init();
  log_enable(true);
  TempDir elsewhere;
  std::filesystem::current_path(elsewhere.path());
  log_text("after chdir");
  EXPECT_EQ(content(), "'Brenvik' DEBUGFILE\nafter chdir\n");
  EXPECT_FALSE(std::filesystem::exists(elsewhere.file("loaderlog.txt")));
}

TEST_F(LogTest, UnreadableWorkingDirectoryFallsBackToDot) {
  // A working directory longer than the path buffer allows cannot be read.
  std::filesystem::path deep = dir.path();
  while (deep.string().size() < 700) {
    deep /= std::string(60, 'd');
    std::filesystem::create_directory(deep);
  }
  std::filesystem::current_path(deep);
  log_init();
  EXPECT_EQ(std::string(log_path()), "./loaderlog.txt");
  log_enable(true);
  log_text("deep");
  EXPECT_EQ(read_whole_file((deep / "loaderlog.txt").string()), "'Brenvik' DEBUGFILE\ndeep\n");
}

}  // namespace
