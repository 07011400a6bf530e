// Effect sources built to break the compiler: deep nesting, includes that are
// not regular files or include themselves, many directives. Each must end
// with a located error (or compile), never a crash or hang. The sources are
// served from memory through the same reader as files on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/memory_files.h"
#include "platform/fx/effect_compiler.h"
#include "platform/fx/initial_values.h"
#include "platform/fx/nesting_guard.h"
#include "tests/support/temp_dir.h"

namespace fx {
namespace {

constexpr char kPixelShader[] =
    "float4 PS(float4 color : COLOR0) : COLOR { return color; }\n"
    "technique T { pass P { PixelShader = compile ps_2_0 PS(); } }\n";

std::string repeated(const std::string& part, size_t times) {
  std::string out;
  out.reserve(part.size() * times);
  for (size_t i = 0; i < times; ++i) out += part;
  return out;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(HostileEffect, EachEndsWithALocatedError) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("folder.fxh"));
  const std::string folder = dir.file("folder.fxh");
  struct Case {
    const char* what;
    std::string source;
    std::string expected;  // part of the messages
  };
  const Case cases[] = {
      {"100,000 nested braces in an initial value",
       "float4 v = " + repeated("{", 100000) + "1" + repeated("}", 100000) + ";\n" + kPixelShader,
       "hostile.fx(1): error: nesting deeper than 128"},
      {"10,000 nested parentheses in a function body",
       std::string(kPixelShader) + "float f() {\n return " + repeated("(", 10000) + "1" + repeated(")", 10000) +
           "; }\n",
       "hostile.fx(4): error: nesting deeper than 128"},
      {"nesting built by a macro",
       "#define A ((((((((((\n#define Z ))))))))))\n#define B A A A A A A A A A A A A A A\n"
       "#define Y Z Z Z Z Z Z Z Z Z Z Z Z Z Z\nfloat f() { return B 1 Y; }\n" +
           std::string(kPixelShader),
       "error: nesting deeper than 128"},
      {"nesting in an #if expression", "#if " + repeated("(", 5000) + "1" + repeated(")", 5000) + "\n#endif\n",
       "hostile.fx(1): error: nesting deeper than 128"},
      {"an include naming a directory", "#include \"" + folder + "\"\n" + kPixelShader, "is a directory"},
      {"an include naming a device", "#include \"/dev/zero\"\n" + std::string(kPixelShader),
       "not a regular file (a device)"},
      {"a file that includes itself", "#include \"hostile.fx\"\n" + std::string(kPixelShader), "nested more than"},
      {"an include too deeply nested", "#include \"deep.fxh\"\n" + std::string(kPixelShader),
       "deep.fxh(2): error: nesting deeper than 128"},
      {"a product the HLSL compiler crashes on (a one-component vector times a matrix)",
       "float4x4 M;\nfloat4 VS(float4 p : POSITION) : POSITION { float1 w = 1; return mul(w, M); }\n"
       "technique T { pass P { VertexShader = compile vs_2_0 VS(); } }\n",
       "hostile.fx: error: the HLSL compiler crashed on this effect (signal 11"},
  };
  ScopedMemoryFile deep(dir.file("deep.fxh"), "// nested\n" + repeated("[", 200) + "\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.file("hostile.fx");
    ScopedMemoryFile effect(path, c.source);
    const EffectCompileResult result = compile_effect_file(path);
    EXPECT_FALSE(result.compiled());
    EXPECT_TRUE(contains(result.messages, c.expected)) << result.messages;
  }
}

TEST(HostileEffect, EffectPathThatIsNoRegularFileIsRefusedWithItsReason) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("scene.fx"));
  for (const std::string& path : {dir.file("scene.fx"), std::string("/dev/zero")}) {
    const EffectCompileResult result = compile_effect_file(path);
    EXPECT_EQ(result.status, EffectStatus::FileNotFound);
    EXPECT_TRUE(contains(result.messages, path + ": error: ")) << result.messages;
  }
}

// Many preprocessor lines around the blanked effect syntax used to take
// time quadratic in their number; the effect still compiles.
TEST(HostileEffect, ManyDirectivesStillCompile) {
  TempDir dir;
  const std::string path = dir.file("pragmas.fx");
  ScopedMemoryFile effect(path, repeated("#pragma once\n", 60000) + kPixelShader + repeated("#pragma once\n", 100));
  const EffectCompileResult result = compile_effect_file(path);
  EXPECT_TRUE(result.compiled()) << result.messages;
}

TEST(HostileEffect, NestingLimitIsExactAndSkipsCommentsAndStrings) {
  std::string message;
  const std::string deepest = repeated("(", kMaxNestingDepth) + repeated(")", kMaxNestingDepth);
  EXPECT_TRUE(check_nesting(deepest, "a.fx", message));
  EXPECT_TRUE(check_nesting("// " + repeated("{", 500) + "\n/* " + repeated("[", 500) + " */ \"" +
                                repeated("(", 500) + "\"",
                            "a.fx", message));
  EXPECT_FALSE(check_nesting("x\n#line 40 \"b.fxh\"\n\n" + repeated("{", kMaxNestingDepth + 1), "a.fx", message));
  EXPECT_EQ(message, "b.fxh(41): error: nesting deeper than 128\n");
  EXPECT_FALSE(check_nesting("/*\n\n*/" + repeated("(", kMaxNestingDepth + 1), "a.fx", message));
  EXPECT_EQ(message, "a.fx(3): error: nesting deeper than 128\n");
}

TEST(HostileEffect, InitialValueNestingIsBounded) {
  const auto values_of = [](size_t depth, std::vector<double>& values) {
    const std::string text = repeated("{", depth) + "2" + repeated("}", depth);
    const TokenizedSource tokens = tokenize(text, "v.fx");
    std::span<const Token> all(tokens.tokens);
    return read_initial_values(all.first(all.size() - 1), values);  // without the end token
  };
  std::vector<double> values;
  EXPECT_TRUE(values_of(kMaxInitializerDepth, values));
  EXPECT_EQ(values, std::vector<double>{2.0});
  values.clear();
  EXPECT_FALSE(values_of(kMaxInitializerDepth + 1, values));
  EXPECT_FALSE(values_of(100000, values));
}

}  // namespace
}  // namespace fx
