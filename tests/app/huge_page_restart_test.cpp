#include "app/huge_page_restart.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(HugePageRestart, AddsTheTunableOnceAndKeepsTheUsersOwn) {
  struct Case {
    const char* name;
    const char* current;  // null: unset
    const char* wanted;   // null: no restart
  };
  const Case cases[] = {
      {"unset", nullptr, "glibc.malloc.hugetlb=1"},
      {"empty", "", "glibc.malloc.hugetlb=1"},
      {"another tunable kept", "glibc.malloc.check=3",
       "glibc.malloc.check=3:glibc.malloc.hugetlb=1"},
      {"two others kept", "glibc.malloc.check=3:glibc.malloc.tcache_count=0",
       "glibc.malloc.check=3:glibc.malloc.tcache_count=0:glibc.malloc.hugetlb=1"},
      {"already restarted", "glibc.malloc.hugetlb=1", nullptr},
      {"user turned it off", "glibc.malloc.hugetlb=0", nullptr},
      {"user's among others", "glibc.malloc.check=3:glibc.malloc.hugetlb=2:glibc.mem.tagging=1",
       nullptr},
      {"name without a value", "glibc.malloc.hugetlb", nullptr},
      {"longer name is another tunable", "glibc.malloc.hugetlbx=1",
       "glibc.malloc.hugetlbx=1:glibc.malloc.hugetlb=1"},
      {"name only as a value", "glibc.x=glibc.malloc.hugetlb",
       "glibc.x=glibc.malloc.hugetlb:glibc.malloc.hugetlb=1"},
  };
  for (const Case& c : cases) {
    const auto got = tunables_with_huge_pages(c.current);
    if (c.wanted == nullptr) {
      EXPECT_FALSE(got.has_value()) << c.name << ": " << *got;
    } else {
      ASSERT_TRUE(got.has_value()) << c.name;
      EXPECT_EQ(*got, c.wanted) << c.name;
    }
  }
}

// Runs restart_with_huge_pages in a child whose program is a shell writing
// what it sees; "not restarted" when the call returned instead.
std::string ChildSees(const char* tunables, const char* program) {
  const std::string out = testing::TempDir() + "huge_page_restart_" + std::to_string(getpid());
  std::remove(out.c_str());
  const pid_t child = fork();
  if (child == 0) {
    if (tunables != nullptr) {
      setenv("GLIBC_TUNABLES", tunables, 1);
    } else {
      unsetenv("GLIBC_TUNABLES");
    }
    const std::string script = "printf '%s|%s' \"$GLIBC_TUNABLES\" \"$1\" > '" + out + "'";
    char* argv[] = {const_cast<char*>("sh"),
                    const_cast<char*>("-c"),
                    const_cast<char*>(script.c_str()),
                    const_cast<char*>("sh"),
                    const_cast<char*>("kept argument"),
                    nullptr};
    restart_with_huge_pages(program, argv);
    const char* after = std::getenv("GLIBC_TUNABLES");
    std::ofstream(out) << "not restarted|" << (after != nullptr ? after : "(unset)");
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  std::stringstream text;
  text << std::ifstream(out).rdbuf();
  std::remove(out.c_str());
  return text.str();
}

TEST(HugePageRestart, TheRestartedProcessGetsTheTunableAndItsArguments) {
  EXPECT_EQ(ChildSees(nullptr, "/bin/sh"), "glibc.malloc.hugetlb=1|kept argument");
  EXPECT_EQ(ChildSees("glibc.malloc.check=3", "/bin/sh"),
            "glibc.malloc.check=3:glibc.malloc.hugetlb=1|kept argument");
  EXPECT_EQ(ChildSees("glibc.malloc.hugetlb=0", "/bin/sh"), "not restarted|glibc.malloc.hugetlb=0");
  // A program that cannot be run leaves the process going, its environment
  // as it was.
  EXPECT_EQ(ChildSees(nullptr, "/nonexistent/program"), "not restarted|(unset)");
  EXPECT_EQ(ChildSees("glibc.malloc.check=3", "/nonexistent/program"),
            "not restarted|glibc.malloc.check=3");
  // Restarted by its own name, so that ps and top do not call it "exe".
  EXPECT_EQ(std::filesystem::path(executable_path()).filename(), "test_app");
}

}  // namespace
