#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The one place that turns HLSL into SPIR-V, so that the compiler behind it
// (glslang's HLSL front end today) can be exchanged.
//
// What the rest of the effect front end relies on in the SPIR-V:
// - non-static globals form one uniform block with explicit offsets;
// - HLSL semantics of entry-point inputs and outputs survive as UserSemantic
//   decorations, one interface variable per semantic;
// - an HLSL RxC matrix is a SPIR-V matrix of R columns, and HLSL's
//   column_major packing carries the RowMajor decoration.
// Messages use the form "file(line): error: text", one per line.
namespace fx {

enum class ShaderStage : uint8_t { Vertex, Pixel };

// A file an effect's #include read: the path it was asked for (resolved
// against the including file, before the letter-case lookup) and its bytes.
struct IncludedFile {
  std::string path;
  std::string bytes;
};

// One entry point to compile for a stage, and what came of it.
struct EntryRequest {
  ShaderStage stage;
  std::string entry_point;
};
struct EntryResult {
  bool compiled = false;
  std::vector<uint32_t> spirv;
  std::string messages;
};

class HlslCompiler {
 public:
  virtual ~HlslCompiler() = default;

  // Expands macros and #include (relative to the including file). The output
  // keeps every line's number, with #line directives where files change.
  // included, when given, gets every file read, each once, in reading order.
  virtual bool preprocess(const std::string& source, const std::string& source_name,
                          std::string& output, std::string& messages,
                          std::vector<IncludedFile>* included = nullptr) = 0;

  // Compiles the entry point of preprocessed source for one stage, with
  // Direct3D 9 rules for samplers and semantics.
  virtual bool compile(const std::string& source, const std::string& source_name, ShaderStage stage,
                       const std::string& entry_point, std::vector<uint32_t>& spirv,
                       std::string& messages) = 0;

  // Compiles several entry points of the same preprocessed source, one
  // result each, in order.
  virtual std::vector<EntryResult> compile_entries(const std::string& source,
                                                   const std::string& source_name,
                                                   const std::vector<EntryRequest>& entries) {
    std::vector<EntryResult> results(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      results[i].compiled = compile(source, source_name, entries[i].stage, entries[i].entry_point,
                                    results[i].spirv, results[i].messages);
    }
    return results;
  }
};

std::unique_ptr<HlslCompiler> make_glslang_hlsl_compiler();

}  // namespace fx
