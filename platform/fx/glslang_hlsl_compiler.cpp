#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/input_file.h"
#include "platform/fx/glslang_process.h"
#include "platform/fx/hlsl_compiler.h"
#include "platform/fx/nesting_guard.h"

namespace fx {

namespace {

constexpr size_t kMaxIncludeDepth = 32;

// DX9 compatibility gives samplers and semantics their Direct3D 9 meaning
// (without it tex2D on a sampler2D silently samples nothing).
constexpr EShMessages kMessages = static_cast<EShMessages>(
    EShMsgReadHlsl | EShMsgSpvRules | EShMsgVulkanRules | EShMsgHlslDX9Compatible);

// Resolves #include relative to the including file, with the same
// separator and letter-case tolerance as every other file name here.
class FileIncluder : public glslang::TShader::Includer {
 public:
  explicit FileIncluder(std::vector<IncludedFile>* included) : included_(included) {}

  IncludeResult* includeLocal(const char* header, const char* includer, size_t depth) override {
    return include(header, includer, depth);
  }
  IncludeResult* includeSystem(const char* header, const char* includer, size_t depth) override {
    return include(header, includer, depth);
  }
  void releaseInclude(IncludeResult* result) override {
    if (result == nullptr) return;
    delete static_cast<std::string*>(result->userData);
    delete result;
  }

 private:
  // Every include is read through the input reader (regular files only) and
  // all of them together stay within the effect size limit.
  IncludeResult* include(const char* header, const char* includer, size_t depth) {
    if (depth > kMaxIncludeDepth) {
      return refusal("#include nested more than " + std::to_string(kMaxIncludeDepth) +
                     " deep (does a file include itself?)");
    }
    std::string wanted = header;
    for (char& c : wanted) c = c == '\\' ? '/' : c;
    std::filesystem::path base =
        std::filesystem::path(includer == nullptr ? "" : includer).parent_path();
    const std::string path = (base / wanted).string();
    InputStatus status;
    auto* text = new std::string();
    if (!read_input_text(path.c_str(), InputKind::Effect, *text, &status, bytes_left_ + 1)) {
      delete text;
      if (status.missing) return nullptr;
      return refusal("#include \"" + wanted + "\": " + status.reason);
    }
    if (text->size() > bytes_left_) {
      delete text;
      return refusal("#include \"" + wanted + "\": the effect and its includes exceed " +
                     std::to_string(input_size_limit(InputKind::Effect)) + " bytes");
    }
    bytes_left_ -= text->size();
    remember(path, *text);
    std::string too_deep;
    if (!check_nesting(*text, status.path, too_deep)) {
      delete text;
      if (!too_deep.empty() && too_deep.back() == '\n') too_deep.pop_back();
      return refusal(too_deep);
    }
    return new IncludeResult(status.path, text->data(), text->size(), text);
  }

  static IncludeResult* refusal(std::string message) {
    auto* reason = new std::string(std::move(message));
    return new IncludeResult("", reason->data(), reason->size(), reason);
  }

  void remember(const std::string& path, const std::string& bytes) {
    if (included_ == nullptr) return;
    for (const IncludedFile& file : *included_)
      if (file.path == path) return;
    included_->push_back(IncludedFile{path, bytes});
  }

  size_t bytes_left_ = input_size_limit(InputKind::Effect);
  std::vector<IncludedFile>* included_;
};

void trim_right(std::string& text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
}

// "ERROR: file:12: 'x' : message" becomes "file(12): error: 'x' : message";
// located lines without a line number name the source; the closing count
// of errors says nothing new and is dropped.
std::string normalize_messages(const std::string& log, const std::string& source_name) {
  std::istringstream lines(log);
  std::string line;
  std::string out;
  while (std::getline(lines, line)) {
    trim_right(line);
    if (line.empty()) continue;
    std::string severity;
    if (line.rfind("ERROR: ", 0) == 0) severity = "error";
    if (line.rfind("WARNING: ", 0) == 0) severity = "warning";
    if (severity.empty()) {
      out += line + "\n";
      continue;
    }
    std::string rest = line.substr(severity == "error" ? 7 : 9);
    if (severity == "error" && rest.find("compilation errors.") != std::string::npos) continue;
    // The file name may itself hold ':', so look for ":<digits>: ".
    bool located = false;
    for (size_t colon = rest.find(':'); colon != std::string::npos;
         colon = rest.find(':', colon + 1)) {
      size_t digits = colon + 1;
      while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits])))
        ++digits;
      if (digits > colon + 1 && rest.compare(digits, 2, ": ") == 0) {
        out += rest.substr(0, colon) + "(" + rest.substr(colon + 1, digits - colon - 1) +
               "): " + severity + ": " + rest.substr(digits + 2) + "\n";
        located = true;
        break;
      }
    }
    if (!located) out += source_name + ": " + severity + ": " + rest + "\n";
  }
  return out;
}

void configure(glslang::TShader& shader, EShLanguage language, const std::string& source,
               const std::string& source_name, const char** text, const char** name, int* length) {
  *text = source.c_str();
  *name = source_name.c_str();
  *length = static_cast<int>(source.size());
  shader.setStringsWithLengthsAndNames(text, length, name, 1);
  shader.setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientVulkan, 100);
  shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
  shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
  // Keeps semantics as UserSemantic decorations.
  shader.setEnvTargetHlslFunctionality1();
}

class GlslangHlslCompiler : public HlslCompiler {
 public:
  bool preprocess(const std::string& source, const std::string& source_name, std::string& output,
                  std::string& messages, std::vector<IncludedFile>* included) override {
    ensure_glslang_initialized();
    glslang::TShader shader(EShLangVertex);
    const char* text = nullptr;
    const char* name = nullptr;
    int length = 0;
    configure(shader, EShLangVertex, source, source_name, &text, &name, &length);
    output.clear();
    if (!check_nesting(source, source_name, messages)) return false;
    if (included != nullptr) included->clear();
    FileIncluder includer(included);
    bool ok = shader.preprocess(GetDefaultResources(), 100, ENoProfile, false, false, kMessages,
                                &output, includer);
    messages = normalize_messages(shader.getInfoLog(), source_name);
    return ok;
  }

  bool compile(const std::string& source, const std::string& source_name, ShaderStage stage,
               const std::string& entry_point, std::vector<uint32_t>& spirv,
               std::string& messages) override {
    ensure_glslang_initialized();
    EShLanguage language = stage == ShaderStage::Vertex ? EShLangVertex : EShLangFragment;
    glslang::TShader shader(language);
    const char* text = nullptr;
    const char* name = nullptr;
    int length = 0;
    configure(shader, language, source, source_name, &text, &name, &length);
    shader.setEntryPoint(entry_point.c_str());
    shader.setAutoMapBindings(true);
    shader.setAutoMapLocations(true);
    glslang::TShader::ForbidIncluder no_includes;
    spirv.clear();
    if (!shader.parse(GetDefaultResources(), 100, false, kMessages, no_includes)) {
      messages = normalize_messages(shader.getInfoLog(), source_name);
      return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    if (!program.link(kMessages)) {
      messages =
          normalize_messages(std::string(shader.getInfoLog()) + program.getInfoLog(), source_name);
      return false;
    }
    spv::SpvBuildLogger logger;
    glslang::SpvOptions options;
    glslang::GlslangToSpv(*program.getIntermediate(language), spirv, &logger, &options);
    messages = normalize_messages(shader.getInfoLog(), source_name);
    std::string problems = logger.getAllMessages();
    if (spirv.empty())
      messages +=
          source_name + ": error: no SPIR-V generated for '" + entry_point + "' " + problems;
    return !spirv.empty();
  }
};

}  // namespace

std::unique_ptr<HlslCompiler> make_glslang_hlsl_compiler() {
  return std::make_unique<GlslangHlslCompiler>();
}

}  // namespace fx
