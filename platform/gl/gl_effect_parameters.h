#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <epoxy/gl.h>

#include "platform/d3dx9.h"
#include "platform/fx/compiled_effect.h"
#include "platform/gl/gl_context.h"

// The values of an effect's parameters: a CPU copy of the GL parameter block,
// written with D3DX's rules and uploaded to the block's buffer when a pass
// needs it after a change.
class GlEffectParameters {
 public:
  // gpuBytes: the size the linked programs want (never less than the
  // effect's own block). The context must be current.
  GlEffectParameters(std::shared_ptr<const fx::CompiledEffect> effect,
                     std::shared_ptr<GlContext> context, size_t gpuBytes);
  ~GlEffectParameters();
  GlEffectParameters(const GlEffectParameters&) = delete;
  GlEffectParameters& operator=(const GlEffectParameters&) = delete;

  // False when the block's buffer could not be made.
  bool Ready() const { return block_.empty() || buffer_ != 0; }

  // D3DX's setters: D3DERR_INVALIDCALL for an unknown name, a parameter of
  // another kind, or more data than it declares; nothing is written then.
  HRESULT SetMatrix(D3DXHANDLE name, const D3DXMATRIX* matrix);
  HRESULT SetMatrixArray(D3DXHANDLE name, const D3DXMATRIX* matrices, UINT count);
  HRESULT SetValue(D3DXHANDLE name, const void* data, UINT bytes);

  // Uploads the block if it changed and binds it for the effect programs.
  // The context must be current.
  void Bind();

  const std::vector<uint8_t>& Block() const { return block_; }
  bool Changed() const { return changed_; }

 private:
  const fx::EffectParameter* Find(D3DXHANDLE name) const;

  std::shared_ptr<const fx::CompiledEffect> effect_;
  std::shared_ptr<GlContext> context_;
  std::vector<uint8_t> block_;
  GLuint buffer_ = 0;
  size_t bufferBytes_ = 0;
  bool changed_ = true;
};
