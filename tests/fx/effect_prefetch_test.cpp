// Effects compiled ahead in a child process: a load of one of them finds the
// child's result on disk, an effect the child could not compile (or crashed
// on) fails with the same messages as without it, and a child that dies or
// hangs does not leave its caller waiting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/fx/effect_cache.h"
#include "platform/fx/prefetch_child.h"
#include "tests/support/temp_dir.h"

namespace fx {
namespace {

const char kEffect[] =
    "float4 Tint = {1, 0.5, 0.25, 1};\n"
    "float4 PS() : COLOR { return Tint; }\n"
    "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
    "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); "
    "} }\n";

TEST(EffectPrefetch, LoadsFindTheChildsResultsAndFailuresReportAsUsual) {
  TempDir sources;
  TempDir cache;
  const std::string good = sources.file("good.fx");
  const std::string broken = sources.file("broken.fx");
  const std::string later = sources.file("later.fx");
  write_whole_file(good, kEffect);
  write_whole_file(broken, std::string(kEffect) + "float4 Missing() { return Nowhere; }\n");
  write_whole_file(later, std::string(kEffect) + "float4 Other;\n");
  // glslang crashes on this one: the child dies and the load reports it.
  const std::string crashing = sources.file("crashing.fx");
  write_whole_file(crashing,
                   "float4x4 M;\nfloat4 VS(float4 p : POSITION) : POSITION { float1 w = 1; "
                   "return mul(w, M); }\ntechnique T { pass P { VertexShader = compile vs_2_0 "
                   "VS(); } }\n");

  EffectCache plain;
  const EffectCompileResult expected_good = plain.compile_file(good);
  const EffectCompileResult expected_broken = plain.compile_file(broken);
  ASSERT_TRUE(expected_good.compiled()) << expected_good.messages;
  ASSERT_FALSE(expected_broken.compiled());

  EffectCache run(cache.path());
  run.prefetch({good, broken, sources.file("absent.fx"), crashing, later});
  const EffectCompileResult loaded = run.compile_file(good);
  ASSERT_TRUE(loaded.compiled()) << loaded.messages;
  EXPECT_EQ(run.compilations(), 0u);
  EXPECT_EQ(run.disk_loads(), 1u);
  EXPECT_EQ(loaded.effect->techniques.size(), expected_good.effect->techniques.size());
  EXPECT_EQ(loaded.effect->techniques[0].passes[0].pixel.glsl,
            expected_good.effect->techniques[0].passes[0].pixel.glsl);

  const EffectCompileResult failed = run.compile_file(broken);
  EXPECT_FALSE(failed.compiled());
  EXPECT_EQ(failed.messages, expected_broken.messages);
  EXPECT_EQ(run.compile_file(sources.file("absent.fx")).status, EffectStatus::FileNotFound);
  EXPECT_NE(run.compile_file(crashing).messages.find(
                "crashing.fx: error: the HLSL compiler crashed on this effect (signal 11"),
            std::string::npos);
  // The child ended at the crash: what came after it is compiled here.
  EXPECT_TRUE(run.compile_file(later).compiled());
  EXPECT_EQ(run.compilations(), 3u);

  // Everything on disk already: a later run's prefetch leaves the loads to the disk.
  EffectCache warm(cache.path());
  warm.prefetch({good, later});
  EXPECT_TRUE(warm.compile_file(later).compiled());
  EXPECT_TRUE(warm.compile_file(good).compiled());
  EXPECT_EQ(warm.compilations(), 0u);
  EXPECT_EQ(warm.disk_loads(), 2u);
}

TEST(PrefetchChild, AChildThatDiesReleasesItsWaiters) {
  TempDir folder;
  const std::string marks = folder.file("marks");
  PrefetchChild child;
  ASSERT_TRUE(child.start(3, [&](size_t item) {
    if (item == 1) _exit(3);
    write_whole_file(marks + std::to_string(item), "done");
  }));
  EXPECT_TRUE(child.running());
  child.wait_for(0, 60);
  EXPECT_TRUE(std::filesystem::exists(marks + "0"));
  child.wait_for(2, 60);
  EXPECT_FALSE(child.running());
  EXPECT_FALSE(std::filesystem::exists(marks + "2"));
  // One that hangs is killed when its time is up.
  PrefetchChild hung;
  ASSERT_TRUE(hung.start(1, [](size_t) { pause(); }));
  hung.wait_for(0, 1);
  EXPECT_FALSE(hung.running());
  // Nothing started: nothing to wait for.
  PrefetchChild idle;
  idle.wait_for(5, 60);
  EXPECT_FALSE(idle.start(0, [](size_t) {}));
}

}  // namespace
}  // namespace fx
