#include "platform/gl/gl_effect_programs.h"

#include <map>
#include <set>
#include <utility>

#include "base/log.h"
#include "platform/fx/spirv_to_glsl.h"
#include "platform/gl/gl_effect_states.h"
#include "platform/gl/gl_names.h"
#include "platform/gl/gl_shader.h"

namespace {

using ProgramKey = std::pair<const GlContext*, const fx::CompiledEffect*>;

// Weak: the map must not keep programs alive once their last effect is gone.
std::map<ProgramKey, std::weak_ptr<GlEffectPrograms>>& Registry() {
  static std::map<ProgramKey, std::weak_ptr<GlEffectPrograms>> registry;
  return registry;
}

void LogState(const std::string& what, const std::string& where) {
  const std::string text = what + " (" + where + ")";
  log_text2("<info> effect state ignored: ", text.c_str());
}

}  // namespace

std::string gl_effect_vertex_source(const std::string& glsl) {
  const std::string mainSignature = "void main()";
  const size_t main = glsl.find(mainSignature);
  if (glsl.rfind("#version", 0) != 0 || main == std::string::npos) return {};
  // The fix-up's declarations go after #version and any #extension lines,
  // which must come first.
  size_t declarations = 0;
  while (declarations < glsl.size() && glsl[declarations] == '#') {
    const size_t lineEnd = glsl.find('\n', declarations);
    if (lineEnd == std::string::npos || lineEnd > main) return {};
    declarations = lineEnd + 1;
  }
  std::string source = glsl;
  source.replace(main, mainSignature.size(), "void mv_effect_main()");
  source.insert(declarations, kGlPositionFixupGlsl);
  source +=
      "\nvoid main()\n{\n    mv_effect_main();\n"
      "    gl_Position = mv_fix_position(gl_Position);\n}\n";
  return source;
}

std::vector<GlInputLocation> gl_effect_inputs(const std::vector<fx::VertexInput>& inputs) {
  std::vector<GlInputLocation> locations;
  locations.reserve(inputs.size());
  for (const fx::VertexInput& input : inputs) {
    GlInputLocation location;
    const std::string name = input.semantic + std::to_string(input.semantic_index);
    if (!parse_vertex_semantic(name.c_str(), &location.semantic, &location.index)) {
      // No vertex format has a binormal, and none has 255 of them.
      location.semantic = VertexSemantic::Binormal;
      location.index = 255;
    }
    location.location = GLint(input.location);
    location.integer = input.type == fx::ValueType::Int || input.type == fx::ValueType::UInt;
    locations.push_back(location);
  }
  return locations;
}

std::shared_ptr<GlEffectPrograms> GlEffectPrograms::For(
    const std::shared_ptr<GlContext>& context, const std::shared_ptr<const fx::CompiledEffect>& effect) {
  auto& registry = Registry();
  // Expired entries go first, so a recycled address never finds a stale one.
  for (auto entry = registry.begin(); entry != registry.end();) {
    entry = entry->second.expired() ? registry.erase(entry) : std::next(entry);
  }
  const ProgramKey key{context.get(), effect.get()};
  auto found = registry.find(key);
  if (found != registry.end()) return found->second.lock();
  auto programs = std::make_shared<GlEffectPrograms>(context, effect);
  registry[key] = programs;
  return programs;
}

GlEffectPrograms::GlEffectPrograms(std::shared_ptr<GlContext> context,
                                   std::shared_ptr<const fx::CompiledEffect> effect)
    : context_(std::move(context)), effect_(std::move(effect)) {
  context_->MakeCurrent();
  // Passes naming the same two shaders (a shadow pass repeated in several
  // techniques) link once.
  std::map<std::pair<std::string, std::string>, GlPassProgram> linked;
  for (const fx::EffectTechnique& technique : effect_->techniques) {
    std::vector<GlPassProgram>& passes = passes_.emplace_back();
    bool runs = true;
    for (const fx::EffectPass& pass : technique.passes) {
      const auto shaders = std::make_pair(pass.vertex.glsl, pass.pixel.glsl);
      auto done = linked.find(shaders);
      if (done == linked.end()) done = linked.emplace(shaders, Build(pass)).first;
      passes.push_back(done->second);
      if (done->second.draw.program == 0) {
        runs = false;
        const std::string where = effect_->path + " technique " + technique.name + " pass " + pass.name;
        log_text2("<error> GlEffect: pass cannot run on this device: ", where.c_str());
        log_text2("GL messages:\n", done->second.messages.c_str());
      }
    }
    runs_.push_back(runs);
  }
  LogIgnoredStates();
}

GlEffectPrograms::~GlEffectPrograms() {
  context_->MakeCurrent();
  for (GLuint& program : programs_) gl_delete_program(program);
}

GlPassProgram GlEffectPrograms::Build(const fx::EffectPass& pass) {
  GlPassProgram result;
  if (!pass.has_program()) {
    result.messages = "the pass needs both a vertex and a pixel shader";
    return result;
  }
  const std::string vertex = gl_effect_vertex_source(pass.vertex.glsl);
  if (vertex.empty()) {
    result.messages = "the vertex shader has no main function";
    return result;
  }
  GLuint program = gl_build_program(vertex.c_str(), pass.pixel.glsl.c_str(), &result.messages);
  if (program == 0) return result;
  programs_.push_back(program);

  const GLuint block = glGetUniformBlockIndex(program, fx::kUniformBlockName);
  if (block != GL_INVALID_INDEX) {
    glUniformBlockBinding(program, block, kGlEffectBlockBinding);
    GLint bytes = 0;
    glGetActiveUniformBlockiv(program, block, GL_UNIFORM_BLOCK_DATA_SIZE, &bytes);
    if (bytes > blockBytes_) blockBytes_ = bytes;
  }
  // Sampler units never change, so they are set once here.
  glUseProgram(program);
  for (const fx::SamplerBinding& sampler : pass.samplers) {
    const GLint location = glGetUniformLocation(program, sampler.uniform.c_str());
    if (location >= 0) glUniform1i(location, GLint(sampler.unit));
  }
  glUseProgram(0);

  result.draw.program = program;
  result.draw.inputs = gl_effect_inputs(pass.vertex_inputs);
  result.draw.fixup = gl_find_position_fixup(program);
  return result;
}

void GlEffectPrograms::LogIgnoredStates() const {
  // Each state once per effect, where it first appears: effects repeat the
  // same states in every pass.
  std::set<std::string> logged;
  const auto once = [&logged](const std::string& name, const std::string& text, const std::string& where) {
    if (logged.insert(name).second) LogState(text, where);
  };
  for (const fx::EffectTechnique& technique : effect_->techniques) {
    for (const fx::EffectPass& pass : technique.passes) {
      const std::string where = effect_->path + " technique " + technique.name + " pass " + pass.name;
      for (const fx::IgnoredState& state : pass.ignored_states) {
        once(state.name, state.name + " = " + state.value, state.where);
      }
      for (const fx::RenderStateSetting& state : pass.render_states) {
        if (!gl_effect_render_state_applies(state.state)) once(state.name, state.name, where);
      }
    }
  }
  for (const fx::EffectSampler& sampler : effect_->samplers) {
    for (const fx::IgnoredState& state : sampler.ignored_states) {
      once(sampler.name + "." + state.name, state.name + " = " + state.value, state.where);
    }
  }
}
