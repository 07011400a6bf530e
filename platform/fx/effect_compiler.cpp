#include "platform/fx/effect_compiler.h"

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <unordered_set>

#include "base/input_file.h"
#include "base/path_lookup.h"
#include "platform/fx/effect_assembly.h"
#include "platform/fx/effect_parser.h"
#include "platform/fx/entry_wrapper.h"
#include "platform/fx/isolated_hlsl_compiler.h"
#include "platform/fx/nesting_guard.h"

namespace fx {

namespace {

// Appends message lines not already present: an error in a helper function
// shared by several entry points is reported once.
// A set of the lines keeps this linear: an effect may warn on every one of
// tens of thousands of lines.
void append_unique(std::string& messages, const std::string& more) {
  std::unordered_set<std::string> present;
  std::istringstream old_lines(messages);
  std::string line;
  while (std::getline(old_lines, line)) present.insert(line);
  std::istringstream lines(more);
  while (std::getline(lines, line)) {
    if (line.empty() || !present.insert(line).second) continue;
    messages += line + "\n";
  }
}

struct PendingEntry {
  ShaderStage stage;
  std::string entry_point;
  const ShaderRequest* request;
};

// Compiles each distinct (stage, function, arguments) once, however many
// passes name it.
class EntryCompiler {
 public:
  EntryCompiler(const ParsedEffect& parsed, const std::string& name, HlslCompiler& compiler,
                const EffectCompileOptions& options, std::string& messages)
      : parsed_(parsed), name_(name), compiler_(compiler), options_(options), messages_(messages) {}

  bool run(std::map<std::string, StageGlsl>& stages) {
    bool ok = true;
    for (const ParsedTechnique& technique : parsed_.techniques) {
      for (const ParsedPass& pass : technique.passes) {
        ok = add(ShaderStage::Vertex, pass.vertex) && ok;
        ok = add(ShaderStage::Pixel, pass.pixel) && ok;
      }
    }
    if (!ok) return false;
    std::string source = parsed_.shader_source + "\n" + wrappers_;
    std::vector<EntryRequest> requests;
    for (const auto& [key, entry] : pending_) requests.push_back({entry.stage, entry.entry_point});
    std::vector<EntryResult> results = compiler_.compile_entries(source, name_, requests);
    size_t index = 0;
    for (const auto& [key, entry] : pending_) {
      EntryResult& result = results[index++];
      append_unique(messages_, result.messages);
      if (!result.compiled) {
        ok = false;
        continue;
      }
      std::string error;
      if (!translate_to_glsl(std::move(result.spirv), entry.stage, options_.glsl, stages[key],
                             error)) {
        append_unique(messages_, entry.request->where() + ": error: " + entry.request->function +
                                     ": " + error);
        ok = false;
      }
    }
    return ok;
  }

 private:
  bool add(ShaderStage stage, const ShaderRequest& request) {
    if (request.profile.empty()) return true;
    std::string key = stage_key(stage, request);
    if (pending_.count(key) != 0) return true;
    const ParsedFunction* function =
        parsed_.find_function(request.function, request.arguments.size());
    if (function == nullptr) {
      messages_ += request.where() + ": error: entry point '" + request.function + "' not found\n";
      return false;
    }
    std::string entry_point = function->name;
    if (!request.arguments.empty() || has_uniform_parameters(*function)) {
      entry_point = "fx_entry_" + std::to_string(wrapper_count_++);
      std::string code;
      std::string error;
      if (!make_entry_wrapper(*function, request, entry_point, code, error)) {
        messages_ += request.where() + ": error: " + error + "\n";
        return false;
      }
      wrappers_ += code;
    }
    pending_[key] = PendingEntry{stage, entry_point, &request};
    return true;
  }

  const ParsedEffect& parsed_;
  const std::string& name_;
  HlslCompiler& compiler_;
  const EffectCompileOptions& options_;
  std::string& messages_;
  std::map<std::string, PendingEntry> pending_;
  std::string wrappers_;
  int wrapper_count_ = 0;
};

}  // namespace

bool read_effect_file(const std::string& path, std::string& found_path, std::string& contents,
                      std::string* refusal) {
  InputStatus status;
  const bool read = read_input_text(path.c_str(), InputKind::Effect, contents, &status);
  found_path = status.path;
  if (!read && refusal != nullptr && !status.missing)
    *refusal = found_path + ": error: " + status.reason + "\n";
  return read;
}

bool includes_unchanged(const std::vector<IncludedFile>& includes) {
  const uint64_t limit = input_size_limit(InputKind::Effect);
  std::string bytes;
  for (const IncludedFile& file : includes) {
    InputStatus status;
    if (!read_input_text(file.path.c_str(), InputKind::Effect, bytes, &status, limit + 1) ||
        bytes != file.bytes)
      return false;
  }
  return true;
}

EffectCompileResult compile_effect_file(const std::string& path,
                                        const EffectCompileOptions& options) {
  EffectCompileResult result;
  std::string found_path;
  std::string contents;
  if (!read_effect_file(path, found_path, contents, &result.messages)) {
    result.status = EffectStatus::FileNotFound;
    return result;
  }
  std::unique_ptr<HlslCompiler> compiler = make_effect_hlsl_compiler();
  return compile_effect_source(contents, found_path, *compiler, options);
}

EffectCompileResult compile_effect_source(const std::string& source, const std::string& name,
                                          HlslCompiler& compiler,
                                          const EffectCompileOptions& options) {
  EffectCompileResult result;
  std::string preprocessed;
  std::string messages;
  bool ok = compiler.preprocess(source, name, preprocessed, messages, &result.includes);
  append_unique(result.messages, messages);
  if (!ok) {
    if (result.messages.empty()) result.messages = name + ": error: preprocessing failed\n";
    return result;
  }
  // Macros can build deeper nesting than the file shows.
  messages.clear();
  if (!check_nesting(preprocessed, name, messages)) {
    result.messages += messages;
    return result;
  }
  ParsedEffect parsed;
  messages.clear();
  if (!parse_effect(preprocessed, name, parsed, messages)) {
    result.messages += messages;
    return result;
  }
  std::map<std::string, StageGlsl> stages;
  if (!EntryCompiler(parsed, name, compiler, options, result.messages).run(stages)) return result;

  auto effect = std::make_shared<CompiledEffect>();
  effect->path = name;
  std::string errors;
  if (!assemble_effect(parsed, stages, *effect, errors)) {
    result.messages += errors;
    return result;
  }
  result.status = EffectStatus::Compiled;
  result.effect = std::move(effect);
  return result;
}

}  // namespace fx
