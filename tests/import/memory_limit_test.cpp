#include "tools/meshconv/memory_limit.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

TEST(MeshconvMemoryLimit, OptionIsTakenOutOfTheArguments) {
  const struct {
    std::vector<std::string> arguments;
    bool ok;
    uint64_t bytes;
    std::vector<std::string> left;
  } cases[] = {
      {{"in.fbx", "out"}, true, 7, {"in.fbx", "out"}},
      {{"--max-memory", "512", "in.fbx", "out"}, true, 512ull << 20, {"in.fbx", "out"}},
      {{"in.fbx", "--max-memory=64", "out", "--fps", "30"},
       true,
       64ull << 20,
       {"in.fbx", "out", "--fps", "30"}},
      {{"in.fbx", "out", "--max-memory"}, false, 7, {}},
      {{"--max-memory", "0", "in", "out"}, false, 7, {}},
      {{"--max-memory", "-5", "in", "out"}, false, 7, {}},
      {{"--max-memory=1G", "in", "out"}, false, 7, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    uint64_t bytes = 7;
    std::string problem;
    EXPECT_EQ(take_memory_limit(arguments, &bytes, &problem), c.ok) << c.arguments[0];
    EXPECT_EQ(bytes, c.bytes);
    if (c.ok) {
      EXPECT_EQ(arguments, c.left);
    } else {
      EXPECT_NE(problem.find("--max-memory"), std::string::npos);
    }
  }
  EXPECT_GT(default_memory_limit(), 0u);
  EXPECT_LE(default_memory_limit(), 4096ull << 20);
}

// In a child process: under a 512 MiB limit a 2 GiB allocation fails with
// std::bad_alloc, which the conversion reports as one line.
TEST(MeshconvMemoryLimit, AllocationsBeyondTheLimitFailCleanly) {
  if (sanitizer_build()) GTEST_SKIP() << "the sanitizer needs its own address space";
  EXPECT_EXIT(
      {
        if (!apply_memory_limit(512ull << 20)) _exit(2);
        try {
          std::vector<char> huge(size_t(2) << 30, 1);
          _exit(huge[12345] == 1 ? 1 : 3);
        } catch (const std::bad_alloc&) {
          _exit(0);
        }
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
