#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/d3d9_constants.h"
#include "platform/fx/fx_tokenizer.h"

// The render and sampler states an effect pass or sampler_state may set, and
// how their written values ("CCW", "TRUE", "SRCALPHA", "RED | GREEN", 0.5)
// become the numbers Direct3D 9 takes.
namespace fx {

enum class StateValueKind : uint8_t {
  Bool,
  ZBuffer,
  FillMode,
  ShadeMode,
  Blend,
  BlendOp,
  Cull,
  Compare,
  StencilOp,
  Integer,
  Float,  // passed as the float's bit pattern
  ColorWrite,
  Color,  // D3DCOLOR (ARGB)
  FogMode,
  MaterialSource,
  TextureFilter,
  TextureAddress,
  Texture,  // sampler_state only: the texture parameter's name
};

struct StateInfo {
  const char* name;  // canonical spelling
  uint32_t number;   // D3DRENDERSTATETYPE or D3DSAMPLERSTATETYPE
  StateValueKind kind;
};

// Case-insensitive lookups; nullptr for a state this system does not know.
const StateInfo* find_render_state(std::string_view name);
const StateInfo* find_sampler_state(std::string_view name);

// The value written for a state of the given kind (tokens between '=' and
// ';'); false when the value is not one the state accepts.
bool parse_state_value(StateValueKind kind, std::span<const Token> value, uint32_t& result);

}  // namespace fx
