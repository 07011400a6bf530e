#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <epoxy/gl.h>

#include "platform/fx/compiled_effect.h"
#include "platform/gl/gl_context.h"
#include "platform/gl/gl_device.h"

// The GL programs of one compiled effect on one context. Effects made from
// the same file on the same device share them; the last effect to let go
// deletes them, so released effects leave no program behind.

// Uniform-buffer binding point of every effect program's parameter block.
inline constexpr GLuint kGlEffectBlockBinding = 0;

struct GlPassProgram {
  GlEffectProgram draw;  // draw.program is 0 when the pass cannot run
  std::string messages;  // why it cannot: the GL compiler's or linker's words
};

class GlEffectPrograms {
 public:
  // The programs of `effect` on `context`, linked on first request and
  // shared while anyone holds them. The context must be current.
  static std::shared_ptr<GlEffectPrograms> For(const std::shared_ptr<GlContext>& context,
                                               const std::shared_ptr<const fx::CompiledEffect>& effect);

  GlEffectPrograms(std::shared_ptr<GlContext> context, std::shared_ptr<const fx::CompiledEffect> effect);
  ~GlEffectPrograms();
  GlEffectPrograms(const GlEffectPrograms&) = delete;
  GlEffectPrograms& operator=(const GlEffectPrograms&) = delete;

  const GlPassProgram& Pass(size_t technique, size_t pass) const { return passes_[technique][pass]; }
  // Every pass of the technique linked: it can run on this device.
  bool TechniqueRuns(size_t technique) const { return runs_[technique]; }
  // Bytes the parameter block needs, as the linked programs report it.
  GLint BlockBytes() const { return blockBytes_; }
  // How many distinct GL programs were linked (passes with the same pair of
  // shaders share one).
  size_t ProgramCount() const { return programs_.size(); }

 private:
  GlPassProgram Build(const fx::EffectPass& pass);
  void LogIgnoredStates() const;

  std::shared_ptr<GlContext> context_;
  std::shared_ptr<const fx::CompiledEffect> effect_;
  std::vector<GLuint> programs_;
  std::vector<std::vector<GlPassProgram>> passes_;
  std::vector<bool> runs_;
  GLint blockBytes_ = 0;
};

// The vertex shader of a pass, ending with this backend's position fix-up
// (see gl_shader.h); empty when the source has no main() to wrap.
std::string gl_effect_vertex_source(const std::string& glsl);

// Where the program reads each vertex input, by HLSL semantic. An input of a
// semantic no vertex format carries reads the missing-input constant.
std::vector<GlInputLocation> gl_effect_inputs(const std::vector<fx::VertexInput>& inputs);
