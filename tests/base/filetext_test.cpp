#include "base/filetext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

class FiletextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_reset_for_tests();
    log_init_file(dir.file("loaderlog.txt").c_str());
    log_enable(true);
  }
  void TearDown() override { log_reset_for_tests(); }

  // Opens a script holding text; the path is kept for the expected reports.
  void open(const std::string& text) {
    scriptPath = dir.file("script.txt");
    write_whole_file(scriptPath, text);
    ASSERT_EQ(script.Call_1_open(scriptPath.c_str()), 1u);
  }

  std::vector<std::string> words() {
    std::vector<std::string> result;
    const char* word = nullptr;
    while (script.Call_2_getword(&word, nullptr) > 0) result.emplace_back(word);
    return result;
  }

  // The log after its header line.
  std::string logged() const {
    const std::string all = read_whole_file(dir.file("loaderlog.txt"));
    return all.substr(all.find('\n') + 1);
  }

  TempDir dir;
  std::string scriptPath;
  Cfiletext script;
};

TEST_F(FiletextTest, CommentsAreSkippedWhereverTheyStart) {
  open("abc//rest of line\nnext /*c*/glued /*/ after\n"
       "/* multi\n line */ end\tword//\n//only\nlast //no line break");
  EXPECT_EQ(words(), (std::vector<std::string>{"abc", "next", "glued", "after", "end", "word", "last"}));
  EXPECT_EQ(logged(), "") << "end of file is not an error";
}

TEST_F(FiletextTest, NestedOrUnclosedBlockCommentIsReported) {
  open("one /* outer /* inner */ two");
  EXPECT_EQ(words(), std::vector<std::string>{"one"});
  EXPECT_EQ(logged(),
            "<SCRIPT FILENAME> " + scriptPath + "\n"
            "<texfile compilation error> in funtion: Call_2_getword\n"
            "<open comment found /*..but no */..> \n"
            "read string is: /*\n"
            "   stringlen:  2\n");
}

TEST_F(FiletextTest, OverlongCommentFailsWithItsOwnLine) {
  open("a //" + std::string(12000, 'x') + "\nb");
  EXPECT_EQ(words(), std::vector<std::string>{"a"});
  EXPECT_NE(logged().find("<error> Cfiletext::leaveline > cant find end of line in textfile!!!\n"
                          "<SCRIPT FILENAME> "),
            std::string::npos);
  EXPECT_NE(logged().find("<integer expected>\n"), std::string::npos);
}

TEST_F(FiletextTest, LongWordsComeBackInPiecesOf1022) {
  open(std::string(2000, 'w') + " x");
  const auto read = words();
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0].size(), 1022u);
  EXPECT_EQ(read[1].size(), 978u);
  EXPECT_EQ(read[2], "x");
}

TEST_F(FiletextTest, NumberRules) {
  open("12 -3 +0.5 . - 1.2.3 1e5 3- \xC3\xA9 1,2");
  std::vector<bool> judged;
  const char* word = nullptr;
  bool isNumber = false;
  while (script.Call_2_getword(&word, &isNumber) > 0) judged.push_back(isNumber);
  EXPECT_EQ(judged, (std::vector<bool>{true, true, true, true, true, false, false, false, false, false}));
  EXPECT_EQ(logged(), "<error?> COMMA FOUND! in " + scriptPath + "\nword> 1,2\n");
}

TEST_F(FiletextTest, ParseBlockStoresClampedIntegers) {
  open("{ 1 2 3 } { } { 2.7 99999999999 -99999999999 . } [");
  BoundedArray<int32_t> list;
  ASSERT_TRUE(list.resize(256));
  ASSERT_EQ(script.Call_5_parseblock("{", "}", list), 3);
  EXPECT_EQ(list[0], 1);
  EXPECT_EQ(list[2], 3);
  EXPECT_EQ(script.Call_5_parseblock("{", "}", list), 0);
  ASSERT_EQ(script.Call_5_parseblock("{", "}", list), 4);
  EXPECT_EQ(list[0], 2);
  EXPECT_EQ(list[1], INT32_MAX);
  EXPECT_EQ(list[2], INT32_MIN);
  EXPECT_EQ(list[3], 0);
  EXPECT_EQ(logged(), "");

  EXPECT_EQ(script.Call_5_parseblock("{", "}", list), 0);
  EXPECT_EQ(logged(),
            "<SCRIPT FILENAME> " + scriptPath + "\n"
            "<texfile compilation error> in funtion: Call_3_startblock\n"
            "<error message> :blockstart expected\n"
            "read string is: [\n"
            "   stringlen:  1\n"
            "<missing word> : {\n");
}

TEST_F(FiletextTest, ParseBlockRejectsNonNumbersOverflowAndEndOfFile) {
  std::string text = "{ 1 x } {";
  for (int i = 0; i < 257; ++i) text += " " + std::to_string(i);
  text += " } { 1 2";
  open(text);
  BoundedArray<int32_t> list;
  ASSERT_TRUE(list.resize(256));

  EXPECT_EQ(script.Call_5_parseblock("{", "}", list), 0);
  EXPECT_NE(logged().find("in funtion: Call_5_parseblock\n<integer expected>\nread string is: x\n"),
            std::string::npos);
  script.Call_2_getword(nullptr, nullptr);  // the "}" of the first block

  EXPECT_EQ(script.Call_5_parseblock("{", "}", list), 0);
  EXPECT_NE(logged().find("<error message> :integer list too small..\nread string is: 256\n"),
            std::string::npos);
  script.Call_2_getword(nullptr, nullptr);

  EXPECT_EQ(script.Call_5_parseblock("{", "}", list), 0);
  EXPECT_NE(logged().find("in funtion: Call_4_getblockitem\n<error message> :in block\n"
                          "<end of file found>\nread string is: \n   stringlen:  0\n"
                          "<missing word> : }\n"),
            std::string::npos);
}

TEST_F(FiletextTest, MissingFileAndUnopenedReads) {
  Cfiletext unopened;
  EXPECT_EQ(unopened.readword(), Cfiletext::kFileNotOpen);
  EXPECT_EQ(unopened.Call_1_open(dir.file("absent.txt").c_str()), 0u);
  EXPECT_EQ(logged(),
            "<SCRIPT FILENAME> \n"
            "<texfile compilation error> in funtion: Call_1_open\n"
            "<FILE NOT FOUND>\n"
            "read string is: \n"
            "   stringlen:  0\n");
  EXPECT_EQ(unopened.readword(), Cfiletext::kFileNotOpen);
}

}  // namespace
