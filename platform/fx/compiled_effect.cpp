#include "platform/fx/compiled_effect.h"

namespace fx {

const EffectParameter* CompiledEffect::find_parameter(std::string_view name) const {
  for (const EffectParameter& parameter : parameters) {
    if (parameter.name == name) return &parameter;
  }
  return nullptr;
}

int CompiledEffect::find_sampler(std::string_view name) const {
  for (size_t i = 0; i < samplers.size(); ++i) {
    if (samplers[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

int CompiledEffect::find_texture(std::string_view name) const {
  for (size_t i = 0; i < textures.size(); ++i) {
    if (textures[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace fx
