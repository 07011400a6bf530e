#include "platform/fx/effect_assembly.h"

#include "platform/fx/parameter_store.h"

namespace fx {

namespace {

bool same_layout(const StageGlsl& a, const StageGlsl& b) {
  if (a.uniform_block_size != b.uniform_block_size ||
      a.block_members.size() != b.block_members.size())
    return false;
  for (size_t i = 0; i < a.block_members.size(); ++i) {
    const EffectParameter& x = a.block_members[i];
    const EffectParameter& y = b.block_members[i];
    if (x.name != y.name || x.offset != y.offset || x.size != y.size) return false;
  }
  return true;
}

class Assembler {
 public:
  Assembler(const ParsedEffect& parsed, const std::map<std::string, StageGlsl>& stages,
            CompiledEffect& effect, std::string& errors)
      : parsed_(parsed), stages_(stages), effect_(effect), errors_(errors) {}

  bool run() {
    effect_.textures = parsed_.textures;
    effect_.samplers = parsed_.samplers;
    if (!gather_parameters()) return false;
    bool ok = store_initial_values();
    for (const ParsedTechnique& parsed_technique : parsed_.techniques) {
      EffectTechnique technique;
      technique.name = parsed_technique.name;
      for (const ParsedPass& parsed_pass : parsed_technique.passes) {
        EffectPass pass;
        ok = build_pass(parsed_pass, pass) && ok;
        technique.passes.push_back(std::move(pass));
      }
      effect_.techniques.push_back(std::move(technique));
    }
    return ok;
  }

 private:
  // Every entry point declares the same globals, so any one block is the
  // effect's; they are compared all the same, since the runtime keeps one copy.
  bool gather_parameters() {
    const StageGlsl* reference = nullptr;
    for (const auto& [key, stage] : stages_) {
      if (!stage.has_uniform_block) continue;
      if (reference == nullptr) {
        reference = &stage;
      } else if (!same_layout(*reference, stage)) {
        errors_ += effect_.path + ": error: shaders disagree on the layout of the globals\n";
        return false;
      }
    }
    if (reference == nullptr) return true;
    effect_.parameters = reference->block_members;
    effect_.uniform_block = kUniformBlockName;
    effect_.uniform_block_size = (reference->uniform_block_size + 15) / 16 * 16;
    for (EffectParameter& parameter : effect_.parameters) {
      const ParsedVariable* variable = parsed_.find_variable(parameter.name);
      if (variable == nullptr) continue;
      parameter.semantic = variable->semantic;
      // Blocks cannot hold bools; the declaration says what the uint was.
      if (parameter.type == ValueType::UInt && variable->type.rfind("bool", 0) == 0)
        parameter.type = ValueType::Bool;
    }
    return true;
  }

  bool store_initial_values() {
    effect_.initial_values.assign(effect_.uniform_block_size, 0);
    bool ok = true;
    for (const ParsedVariable& variable : parsed_.variables) {
      if (variable.initial_values.empty()) continue;
      const EffectParameter* parameter = effect_.find_parameter(variable.name);
      if (parameter == nullptr || parameter->value_class == ValueClass::Struct) continue;
      uint32_t count = component_count(*parameter);
      std::vector<float> values(variable.initial_values.begin(), variable.initial_values.end());
      if (values.size() == 1) values.assign(count, values[0]);
      if (values.size() != count) {
        errors_ += variable.where + ": error: initial value of '" + variable.name + "' has " +
                   std::to_string(values.size()) + " components, " + std::to_string(count) +
                   " expected\n";
        ok = false;
        continue;
      }
      store_values(*parameter, values.data(), values.size(), effect_.initial_values);
    }
    return ok;
  }

  bool build_pass(const ParsedPass& parsed_pass, EffectPass& pass) {
    pass.name = parsed_pass.name;
    pass.render_states = parsed_pass.render_states;
    pass.ignored_states = parsed_pass.ignored_states;
    std::map<uint32_t, std::string> samplers;  // by sampler index: units follow declaration order
    bool ok = add_stage(ShaderStage::Vertex, parsed_pass.vertex, pass.vertex, samplers,
                        &pass.vertex_inputs);
    ok = add_stage(ShaderStage::Pixel, parsed_pass.pixel, pass.pixel, samplers, nullptr) && ok;
    if (samplers.size() > kMaxSamplers) {
      errors_ += parsed_pass.pixel.where() + ": error: pass '" + pass.name + "' uses more than " +
                 std::to_string(kMaxSamplers) + " samplers\n";
      return false;
    }
    uint32_t unit = 0;
    for (const auto& [index, uniform] : samplers) pass.samplers.push_back({uniform, index, unit++});
    return ok;
  }

  bool add_stage(ShaderStage kind, const ShaderRequest& request, ShaderStageSource& source,
                 std::map<uint32_t, std::string>& samplers, std::vector<VertexInput>* inputs) {
    source.profile = request.profile;
    source.function = request.function;
    if (request.profile.empty()) return true;
    auto found = stages_.find(stage_key(kind, request));
    if (found == stages_.end()) return false;
    const StageGlsl& stage = found->second;
    source.glsl = stage.glsl;
    if (inputs != nullptr) *inputs = stage.inputs;
    bool ok = true;
    for (const SamplerUse& use : stage.samplers) {
      int index = effect_.find_sampler(use.hlsl_name);
      if (index < 0) {
        errors_ += request.where() + ": error: sampler '" + use.hlsl_name +
                   "' is not declared at file level\n";
        ok = false;
        continue;
      }
      samplers[static_cast<uint32_t>(index)] = use.uniform;
    }
    return ok;
  }

  const ParsedEffect& parsed_;
  const std::map<std::string, StageGlsl>& stages_;
  CompiledEffect& effect_;
  std::string& errors_;
};

}  // namespace

std::string stage_key(ShaderStage stage, const ShaderRequest& request) {
  std::string key = (stage == ShaderStage::Vertex ? "vs:" : "ps:") + request.function + "(";
  for (const std::string& argument : request.arguments) key += argument + ",";
  return key + ")";
}

bool assemble_effect(const ParsedEffect& parsed, const std::map<std::string, StageGlsl>& stages,
                     CompiledEffect& effect, std::string& errors) {
  return Assembler(parsed, stages, effect, errors).run();
}

}  // namespace fx
