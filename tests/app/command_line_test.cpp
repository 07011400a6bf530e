#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ParsedCommandLine Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

TEST(CommandLine, OptionsTakeTheirValueAfterAnEqualsSignOrAsTheNextArgument) {
  const ParsedCommandLine joined =
      Parse({"--output=a.png", "--resolution=640,480", "--animation-index=2",
             "--animation-time=1.25", "--up=-z", "--pcf", "--shadow-map", "--watch", "m.fbx"});
  const ParsedCommandLine split = Parse(
      {"--output", "a.png", "--resolution", "640,480", "--animation-index", "2", "--animation-time",
       "1.25", "--up", "-Z", "m.fbx", "--pcf", "--shadow-map", "--watch"});
  for (const ParsedCommandLine* parsed : {&joined, &split}) {
    ASSERT_EQ(parsed->action, CommandAction::kView) << parsed->error;
    const ViewerOptions& o = parsed->options;
    EXPECT_EQ(o.file, "m.fbx");
    EXPECT_EQ(o.output, "a.png");
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.animationIndex, 2);
    EXPECT_DOUBLE_EQ(o.animationTime, 1.25);
    EXPECT_EQ(o.up, "-Z");
    EXPECT_TRUE(o.pcf && o.shadowMap && o.watch);
  }
}

TEST(CommandLine, AFileAloneGetsTheDefaults) {
  const ParsedCommandLine parsed = Parse({"model.x_out"});
  ASSERT_EQ(parsed.action, CommandAction::kView);
  EXPECT_EQ(parsed.options.width, 800);
  EXPECT_EQ(parsed.options.height, 600);
  EXPECT_EQ(parsed.options.animationIndex, 0);
  EXPECT_EQ(parsed.options.animationTime, 0.0);
  EXPECT_EQ(parsed.options.up, "");
  EXPECT_EQ(parsed.options.output, "");
  EXPECT_FALSE(parsed.options.pcf || parsed.options.shadowMap || parsed.options.watch);
}

TEST(CommandLine, HelpAndVersionWinWhereverTheyStand) {
  EXPECT_EQ(Parse({"--help"}).action, CommandAction::kHelp);
  EXPECT_EQ(Parse({"-h"}).action, CommandAction::kHelp);
  EXPECT_EQ(Parse({"m.fbx", "--version"}).action, CommandAction::kVersion);
  EXPECT_EQ(Parse({"--bogus=1", "--help"}).action, CommandAction::kUsageError)
      << "arguments are read in order; the first bad one stops the reading";
}

TEST(CommandLine, ADashNamesAFileAfterTheEndOfTheOptions) {
  const ParsedCommandLine parsed = Parse({"--pcf", "--", "--odd-name.fbx"});
  ASSERT_EQ(parsed.action, CommandAction::kView);
  EXPECT_EQ(parsed.options.file, "--odd-name.fbx");
  EXPECT_TRUE(parsed.options.pcf);
}

TEST(CommandLine, ReviewOptionsStartTheViewsAndTheKey) {
  const ParsedCommandLine parsed =
      Parse({"--animation-key", "7", "--skeleton", "--wireframe", "--normals", "m.x_out"});
  ASSERT_EQ(parsed.action, CommandAction::kView) << parsed.error;
  EXPECT_EQ(parsed.options.animationKey, 7);
  EXPECT_TRUE(parsed.options.skeleton && parsed.options.wireframe && parsed.options.normals);
  const ParsedCommandLine plain = Parse({"m.x_out"});
  EXPECT_EQ(plain.options.animationKey, -1);
  EXPECT_FALSE(plain.options.skeleton || plain.options.wireframe || plain.options.normals);
}

TEST(CommandLine, BadUsageSaysWhatIsWrong) {
  struct Case {
    std::vector<std::string> arguments;
    std::string mentions;
  };
  const std::vector<Case> cases = {
      {{}, "no model file"},
      {{"--pcf"}, "no model file"},
      {{"a.fbx", "b.fbx"}, "one model file"},
      {{"--frobnicate", "a.fbx"}, "unknown option --frobnicate"},
      {{"a.fbx", "--output"}, "--output needs a value"},
      {{"--output=", "a.fbx"}, "--output needs a file name"},
      {{"--resolution=640", "a.fbx"}, "--resolution"},
      {{"--resolution=0,480", "a.fbx"}, "--resolution"},
      {{"--resolution=640,99999", "a.fbx"}, "--resolution"},
      {{"--resolution=640,-4", "a.fbx"}, "--resolution"},
      {{"--resolution=640,480x", "a.fbx"}, "--resolution"},
      {{"--animation-index=-1", "a.fbx"}, "--animation-index"},
      {{"--animation-index=one", "a.fbx"}, "--animation-index"},
      {{"--animation-time=-0.5", "a.fbx"}, "--animation-time"},
      {{"--animation-time=nan", "a.fbx"}, "--animation-time"},
      {{"--animation-time=inf", "a.fbx"}, "--animation-time"},
      {{"--animation-time=2s", "a.fbx"}, "--animation-time"},
      {{"--animation-time=1e300", "a.fbx"}, "--animation-time"},
      {{"--up=Q", "a.fbx"}, "--up"},
      {{"--up=+YZ", "a.fbx"}, "--up"},
      {{"--pcf=1", "a.fbx"}, "--pcf takes no value"},
      {{"--animation-key=-2", "a.fbx"}, "--animation-key"},
      {{"--animation-key=last", "a.fbx"}, "--animation-key"},
      {{"--skeleton=yes", "a.fbx"}, "--skeleton takes no value"},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = Parse(c.arguments);
    std::string shown;
    for (const std::string& argument : c.arguments) shown += argument + " ";
    EXPECT_EQ(parsed.action, CommandAction::kUsageError) << shown;
    EXPECT_NE(parsed.error.find(c.mentions), std::string::npos) << shown << "-> " << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << "one line: " << parsed.error;
  }
}

TEST(CommandLine, TheUpAxisIsWrittenOneWayWhateverTheCaseOrSign) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"y", "+Y"}, {"+y", "+Y"}, {"-x", "-X"}, {"Z", "+Z"}, {"-Z", "-Z"}};
  for (const auto& [given, expected] : cases) {
    EXPECT_EQ(Parse({"--up=" + given, "a.fbx"}).options.up, expected) << given;
  }
}

TEST(CommandLine, TheHelpNamesEveryOption) {
  const std::string help = UsageText();
  for (const char* option : {"--output", "--resolution", "--animation-index", "--animation-time",
                             "--up", "--pcf", "--shadow-map", "--watch", "--help", "--version",
                             "--animation-key", "--skeleton", "--wireframe", "--normals"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

}  // namespace
