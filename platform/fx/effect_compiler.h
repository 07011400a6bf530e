#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/fx/compiled_effect.h"
#include "platform/fx/hlsl_compiler.h"
#include "platform/fx/spirv_to_glsl.h"

// Effect file in, CompiledEffect out: preprocess, read the effect syntax,
// compile every entry point the passes name, translate each to GLSL and
// gather parameters, samplers and states. No graphics object is created.
namespace fx {

enum class EffectStatus : uint8_t { Compiled, FileNotFound, Failed };

struct EffectCompileOptions {
  GlslOptions glsl;
};

struct EffectCompileResult {
  EffectStatus status = EffectStatus::Failed;
  std::shared_ptr<const CompiledEffect> effect;  // set when compiled
  // Compiler messages, "file(line): error: ..." one per line: the errors of
  // a failure, any warnings of a success; empty for a missing file, the
  // reason for one that is there but refused.
  std::string messages;
  // The files #include read, with the bytes the result was made from.
  std::vector<IncludedFile> includes;

  bool compiled() const { return status == EffectStatus::Compiled; }
};

// Reads the file (found like every other file name: '\' separators and
// letter case are forgiven) and compiles it with glslang.
EffectCompileResult compile_effect_file(const std::string& path,
                                        const EffectCompileOptions& options = {});

// Compiles source already read; name stands in messages and anchors #include.
EffectCompileResult compile_effect_source(const std::string& source, const std::string& name,
                                          HlslCompiler& compiler,
                                          const EffectCompileOptions& options = {});

// The path the file was found under and its bytes; false when it cannot be
// read. refusal gets "path: error: reason" when the file exists but is not
// read (not a regular file, too large).
bool read_effect_file(const std::string& path, std::string& found_path, std::string& contents,
                      std::string* refusal = nullptr);

// True when every file still reads, through the same lookup #include uses,
// as the bytes recorded: a result made from them is still current.
bool includes_unchanged(const std::vector<IncludedFile>& includes);

}  // namespace fx
