// The on-disk effect cache: a later run gets the same effect without
// compiling, anything that changes the result misses, and a damaged,
// unreadable or unwritable cache only costs a compile.
#include "platform/fx/effect_disk_cache.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/fx/effect_cache.h"
#include "platform/fx/effect_serialization.h"
#include "tests/support/temp_dir.h"

namespace fx {
namespace {

const std::string kData = std::string(MESHVIEW_TEST_DATA) + "/fx/";

const char kTinyEffect[] =
    "#include \"tint.fxh\"\n"
    "float4 PS() : COLOR { return Tint * SCALE; }\n"
    "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
    "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); "
    "} }\n";

// Writes the tiny effect and its include into the folder; returns the effect's path.
std::string write_tiny_effect(const TempDir& sources) {
  write_whole_file(sources.file("tint.fxh"), "float4 Tint = {1, 1, 1, 1};\n#define SCALE 2\n");
  write_whole_file(sources.file("tiny.fx"), kTinyEffect);
  return sources.file("tiny.fx");
}

// The parameters' initial values as text.
std::string initial_values_text(const CompiledEffect& effect) {
  std::string out;
  for (uint8_t byte : effect.initial_values) out += std::to_string(byte) + ",";
  return out;
}

// What a user of the effect sees, gathered so two effects can be compared.
std::string summary(const CompiledEffect& effect) {
  std::string out = effect.path + "\n" + effect.uniform_block + "\n" +
                    std::to_string(effect.uniform_block_size) + " " +
                    std::to_string(effect.initial_values.size()) + "\n";
  for (const EffectParameter& p : effect.parameters)
    out += p.name + "@" + std::to_string(p.offset) + " ";
  for (const EffectSampler& s : effect.samplers)
    out += s.name + ":" + s.texture + std::to_string(s.min_filter) + " ";
  for (const EffectTechnique& t : effect.techniques) {
    for (const EffectPass& p : t.passes) {
      out += t.name + "/" + p.name + "\n" + p.vertex.glsl + p.pixel.glsl;
      for (const VertexInput& v : p.vertex_inputs) out += v.attribute + std::to_string(v.location);
      for (const RenderStateSetting& r : p.render_states) out += r.name + std::to_string(r.value);
    }
  }
  return out;
}

TEST(EffectDiskCache, ALaterRunLoadsTheSameEffectWithoutCompiling) {
  TempDir folder;
  std::string first_summary;
  {
    EffectCache run(folder.path());
    EffectCompileResult first = run.compile_file(kData + "scene.fx");
    ASSERT_TRUE(first.compiled()) << first.messages;
    EXPECT_EQ(run.compilations(), 1u);
    EXPECT_EQ(run.disk_loads(), 0u);
    first_summary = summary(*first.effect);
  }
  EffectCache later(folder.path());
  EffectCompileResult again = later.compile_file(kData + "scene.fx");
  ASSERT_TRUE(again.compiled()) << again.messages;
  EXPECT_EQ(later.compilations(), 0u);
  EXPECT_EQ(later.disk_loads(), 1u);
  EXPECT_EQ(summary(*again.effect), first_summary);
  // Within the run the result is shared as before.
  EXPECT_EQ(later.compile_file(kData + "scene.fx").effect, again.effect);
  EXPECT_EQ(later.disk_loads(), 1u);
}

TEST(EffectDiskCache, OtherOptionsOrAnotherFileNameMiss) {
  TempDir folder;
  TempDir sources;
  const std::string path = write_tiny_effect(sources);
  auto compile = [&](const EffectCompileOptions& options = {}) {
    EffectCache run(folder.path());
    EffectCompileResult result = run.compile_file(path, options);
    EXPECT_TRUE(result.compiled()) << result.messages;
    return run.compilations();
  };
  EXPECT_EQ(compile(), 1u);
  // Other translation options (changed includes: see TheBytesOfEveryIncludedFileDecideAHit).
  EffectCompileOptions flipped;
  flipped.glsl.flip_vertex_y = true;
  EXPECT_EQ(compile(flipped), 1u);
  EXPECT_EQ(compile(flipped), 0u);
  // The same text under another name: messages and the effect name the file.
  write_whole_file(sources.file("renamed.fx"), kTinyEffect);
  EffectCache run(folder.path());
  EffectCompileResult renamed = run.compile_file(sources.file("renamed.fx"));
  ASSERT_TRUE(renamed.compiled()) << renamed.messages;
  EXPECT_EQ(renamed.effect->path, sources.file("renamed.fx"));
  EXPECT_EQ(run.compilations(), 1u);
}

// glslang behind a count of the calls made to it.
class CountingCompiler : public HlslCompiler {
 public:
  explicit CountingCompiler(int& calls) : calls_(calls) {}
  bool preprocess(const std::string& source, const std::string& source_name, std::string& output,
                  std::string& messages, std::vector<IncludedFile>* included) override {
    ++calls_;
    return real_->preprocess(source, source_name, output, messages, included);
  }
  bool compile(const std::string& source, const std::string& source_name, ShaderStage stage,
               const std::string& entry_point, std::vector<uint32_t>& spirv,
               std::string& messages) override {
    ++calls_;
    return real_->compile(source, source_name, stage, entry_point, spirv, messages);
  }

 private:
  int& calls_;
  std::unique_ptr<HlslCompiler> real_ = make_glslang_hlsl_compiler();
};

// An effect including a file that includes another, each step changing the
// files and then loading in a fresh run: only the bytes of every file read
// decide whether the stored result is used, and a hit asks the compiler for
// nothing, not even preprocessing.
TEST(EffectDiskCache, TheBytesOfEveryIncludedFileDecideAHit) {
  TempDir folder;
  TempDir sources;
  std::filesystem::create_directories(sources.path() / "inc");
  const std::string path = sources.file("tiny.fx");
  const std::string tint = sources.file("inc/tint.fxh");
  const std::string scale = sources.file("inc/scale.fxh");
  write_whole_file(path, "#include \"inc/tint.fxh\"\n" + std::string(kTinyEffect).substr(20));
  write_whole_file(tint, "float4 Tint = {1, 1, 1, 1};\n#include \"scale.fxh\"\n");
  write_whole_file(scale, "#define SCALE 2\n");

  struct Step {
    const char* change;
    std::function<void()> apply;
    bool compiles;
    bool hit;
  };
  const std::vector<Step> steps = {
      {"first run", [] {}, true, false},
      {"nothing changed", [] {}, true, true},
      {"include written again with the same bytes",
       [&] { write_whole_file(tint, read_whole_file(tint)); }, true, true},
      {"include of the include edited", [&] { write_whole_file(scale, "#define SCALE 3\n"); }, true,
       false},
      {"after the edit", [] {}, true, true},
      {"include edited",
       [&] { write_whole_file(tint, "float4 Tint = {2, 1, 1, 1};\n#include \"scale.fxh\"\n"); },
       true, false},
      {"include of the include removed", [&] { std::filesystem::remove(scale); }, false, false},
      // The stored entry was made from these very bytes.
      {"include of the include back as it was",
       [&] { write_whole_file(scale, "#define SCALE 3\n"); }, true, true},
      {"effect file edited",
       [&] { write_whole_file(path, read_whole_file(path) + "float4 Unused;\n"); }, true, false},
      {"include no longer included",
       [&] { write_whole_file(tint, "float4 Tint = {2, 1, 1, 1};\n#define SCALE 4\n"); }, true,
       false},
      {"the dropped file changes", [&] { write_whole_file(scale, "#define SCALE 5\n"); }, true,
       true},
  };
  std::string previous;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.change);
    step.apply();
    int calls = 0;
    EffectCache run(folder.path(), std::make_unique<CountingCompiler>(calls));
    EffectCompileResult result = run.compile_file(path);
    ASSERT_EQ(result.compiled(), step.compiles) << result.messages;
    if (!step.compiles) continue;
    EXPECT_EQ(run.disk_loads(), step.hit ? 1u : 0u);
    EXPECT_EQ(run.compilations(), step.hit ? 0u : 1u);
    if (step.hit) {
      EXPECT_EQ(calls, 0);
    }
    // What a fresh compile of the files as they are now gives.
    EffectCache fresh;
    EffectCompileResult expected = fresh.compile_file(path);
    ASSERT_TRUE(expected.compiled()) << expected.messages;
    const std::string now = summary(*result.effect) + initial_values_text(*result.effect);
    EXPECT_EQ(now, summary(*expected.effect) + initial_values_text(*expected.effect));
    if (step.hit) {
      EXPECT_EQ(now, previous);
    }
    previous = now;
  }
}

TEST(EffectDiskCache, DamagedEntriesAreCompiledAgainAndRewritten) {
  TempDir sources;
  const std::string path = write_tiny_effect(sources);

  struct Damage {
    const char* name;
    std::function<std::string(const std::string&)> apply;
  };
  const std::vector<Damage> damages = {
      {"empty", [](const std::string&) { return std::string(); }},
      {"cut in half", [](const std::string& s) { return s.substr(0, s.size() / 2); }},
      {"last byte gone", [](const std::string& s) { return s.substr(0, s.size() - 1); }},
      {"one byte flipped mid-file",
       [](const std::string& s) {
         std::string d = s;
         d[d.size() / 2] = char(d[d.size() / 2] ^ 0x40);
         return d;
       }},
      {"garbage appended", [](const std::string& s) { return s + "garbage"; }},
      {"not a cache file", [](const std::string& s) { return std::string(s.size(), 'x'); }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.name);
    TempDir folder;
    std::string expected;
    {
      EffectCache run(folder.path());
      expected = summary(*run.compile_file(path).effect);
    }
    std::filesystem::path entry;
    for (const auto& file : std::filesystem::directory_iterator(folder.path())) entry = file.path();
    ASSERT_FALSE(entry.empty());
    write_whole_file(entry.string(), damage.apply(read_whole_file(entry.string())));

    EffectCache damaged(folder.path());
    EffectCompileResult result = damaged.compile_file(path);
    ASSERT_TRUE(result.compiled()) << result.messages;
    EXPECT_EQ(summary(*result.effect), expected);
    EXPECT_EQ(damaged.compilations(), 1u);
    EffectCache mended(folder.path());
    mended.compile_file(path);
    EXPECT_EQ(mended.disk_loads(), 1u);
  }
}

TEST(EffectDiskCache, AFolderThatCannotBeWrittenOnlyCostsTheSaving) {
  TempDir sources;
  const std::string path = write_tiny_effect(sources);
  // The cache folder's place is taken by a file.
  write_whole_file(sources.file("occupied"), "a file");
  for (int run_number = 0; run_number < 2; ++run_number) {
    EffectCache run(sources.path() / "occupied" / "effects");
    EXPECT_TRUE(run.compile_file(path).compiled());
    EXPECT_EQ(run.compilations(), 1u);
  }
}

TEST(EffectDiskCache, EveryShortenedSerializationIsRefused) {
  EffectCompileResult compiled = compile_effect_file(kData + "scene.fx");
  ASSERT_TRUE(compiled.compiled()) << compiled.messages;
  const std::vector<uint8_t> bytes = serialize_effect(*compiled.effect, "a warning\n");
  CompiledEffect effect;
  std::string messages;
  ASSERT_TRUE(deserialize_effect(bytes, effect, messages));
  EXPECT_EQ(messages, "a warning\n");
  EXPECT_EQ(summary(effect), summary(*compiled.effect));
  for (size_t length = 0; length < bytes.size(); length += 1 + length / 64) {
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
    EXPECT_FALSE(deserialize_effect(cut, effect, messages)) << length;
  }
  // A list count far beyond the bytes is refused, not allocated.
  std::vector<uint8_t> huge = bytes;
  const size_t messages_end = 4 + 10;  // length word and "a warning\n"
  const size_t path_end = messages_end + 4 + compiled.effect->path.size();
  for (size_t i = 0; i < 4; ++i) huge[path_end + i] = 0xFF;  // the texture count
  EXPECT_FALSE(deserialize_effect(huge, effect, messages));
}

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(EffectDiskCache, TheFolderFollowsTheUsersCacheSetting) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/x/cache", "/home/u", "/x/cache/meshview/effects"},
      {nullptr, "/home/u", "/home/u/.cache/meshview/effects"},
      {"", "/home/u", "/home/u/.cache/meshview/effects"},
      // A relative XDG_CACHE_HOME is invalid and ignored.
      {"relative/cache", "/home/u", "/home/u/.cache/meshview/effects"},
      {nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " " + (c.home ? c.home : "(unset)"));
    ScopedEnvironment xdg("XDG_CACHE_HOME", c.xdg);
    ScopedEnvironment home("HOME", c.home);
    EXPECT_EQ(EffectDiskCache::default_folder().string(), c.expected);
  }
}

}  // namespace
}  // namespace fx
