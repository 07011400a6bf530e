#pragma once
#include <epoxy/gl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d9_caps.h"
#include "platform/gl/gl_vertex_input.h"
#include "platform/win_types.h"

// What a device last set up in GL for drawing, so that a draw sets only what
// changed since: the render states as a whole, each unit's texture and
// sampler, and the vertex array's inputs. The memory is trusted only while
// gl_binding_epoch() stays put (nothing deleted, no texture bound to fill
// it) and no other device set up a draw meanwhile; otherwise everything is
// set again.
class GlDrawState {
 public:
  // Starts a draw's set-up by `device`.
  void Begin(const void* device);
  // Something outside the draw set-up changed GL state.
  void Forget();
  void ForgetRenderStates() { renderStatesSet_ = false; }

  // True when the render states must be set: they changed, or GL may no
  // longer hold them. The caller then sets them all.
  bool RenderStatesNeeded(bool changed);
  // True when the unit must be bound to this texture and sampler.
  bool UnitNeeds(DWORD unit, GLuint texture, GLuint sampler);
  // True when the vertex array must be pointed at these inputs.
  bool InputsNeeded(DWORD fvf, GLuint buffer, uintptr_t offset, GLsizei stride,
                    const GlInputLocation* inputs, int inputCount);

 private:
  struct Inputs {
    DWORD fvf = 0;
    GLuint buffer = 0;
    uintptr_t offset = 0;
    GLsizei stride = 0;
    std::vector<GlInputLocation> locations;
  };

  const void* device_ = nullptr;
  uint64_t epoch_ = 0;
  bool renderStatesSet_ = false;
  std::array<bool, kMaxSamplers> unitSet_{};
  std::array<GLuint, kMaxSamplers> unitTexture_{};
  std::array<GLuint, kMaxSamplers> unitSampler_{};
  bool inputsSet_ = false;
  Inputs inputs_;
};

// DrawPrimitiveUP's vertices, all of a frame's draws in one buffer, one after
// another: each is written where no queued draw reads, so the driver never
// has to wait, and the buffer gets fresh storage only when it is full.
class GlStreamBuffer {
 public:
  // Copies `bytes` into `buffer` (bound as the array buffer here) at a
  // multiple of `stride`; firstVertex is that offset in vertices, to draw
  // from without moving the vertex inputs. False when GL refused.
  bool Append(GLuint buffer, const void* data, size_t bytes, size_t stride, GLint* firstVertex);

 private:
  size_t capacity_ = 0;
  size_t used_ = 0;
};
