#include "platform/gl/gl_effect_parameters.h"

#include <algorithm>

#include "platform/fx/parameter_store.h"
#include "platform/gl/gl_effect_programs.h"
#include "platform/gl/gl_names.h"

namespace {

bool IsMatrix(const fx::EffectParameter& parameter) {
  return parameter.value_class == fx::ValueClass::MatrixRows ||
         parameter.value_class == fx::ValueClass::MatrixColumns;
}

}  // namespace

GlEffectParameters::GlEffectParameters(std::shared_ptr<const fx::CompiledEffect> effect,
                                       std::shared_ptr<GlContext> context, size_t gpuBytes)
    : effect_(std::move(effect)), context_(std::move(context)), block_(effect_->initial_values) {
  block_.resize(std::max<size_t>(block_.size(), effect_->uniform_block_size), 0);
  if (block_.empty()) return;
  const size_t bytes = std::max(block_.size(), gpuBytes);
  while (glGetError() != GL_NO_ERROR) {
  }
  buffer_ = gl_make_name(GlNameKind::Buffer);
  glBindBuffer(GL_UNIFORM_BUFFER, buffer_);
  glBufferData(GL_UNIFORM_BUFFER, GLsizeiptr(bytes), nullptr, GL_STREAM_DRAW);
  glBindBuffer(GL_UNIFORM_BUFFER, 0);
  bufferBytes_ = bytes;
  if (glGetError() != GL_NO_ERROR) gl_delete_name(GlNameKind::Buffer, buffer_);
}

GlEffectParameters::~GlEffectParameters() {
  if (buffer_ == 0) return;
  context_->MakeCurrent();
  gl_delete_name(GlNameKind::Buffer, buffer_);
}

const fx::EffectParameter* GlEffectParameters::Find(D3DXHANDLE name) const {
  return name != nullptr ? effect_->find_parameter(name) : nullptr;
}

HRESULT GlEffectParameters::SetMatrix(D3DXHANDLE name, const D3DXMATRIX* matrix) {
  const fx::EffectParameter* parameter = Find(name);
  if (parameter == nullptr || matrix == nullptr || !IsMatrix(*parameter) ||
      !fx::store_matrix(*parameter, 0, matrix->m, block_)) {
    return D3DERR_INVALIDCALL;
  }
  changed_ = true;
  return D3D_OK;
}

HRESULT GlEffectParameters::SetMatrixArray(D3DXHANDLE name, const D3DXMATRIX* matrices, UINT count) {
  const fx::EffectParameter* parameter = Find(name);
  if (parameter == nullptr || !IsMatrix(*parameter)) return D3DERR_INVALIDCALL;
  const UINT elements = parameter->elements == 0 ? 1 : parameter->elements;
  if (count > elements || (count > 0 && matrices == nullptr)) return D3DERR_INVALIDCALL;
  for (UINT i = 0; i < count; ++i) {
    if (!fx::store_matrix(*parameter, i, matrices[i].m, block_)) return D3DERR_INVALIDCALL;
  }
  changed_ = changed_ || count > 0;
  return D3D_OK;
}

HRESULT GlEffectParameters::SetValue(D3DXHANDLE name, const void* data, UINT bytes) {
  const fx::EffectParameter* parameter = Find(name);
  if (parameter == nullptr || (bytes > 0 && data == nullptr) ||
      !fx::store_words(*parameter, data, bytes, block_)) {
    return D3DERR_INVALIDCALL;
  }
  changed_ = changed_ || bytes > 0;
  return D3D_OK;
}

void GlEffectParameters::Bind() {
  if (buffer_ == 0) return;
  if (changed_) {
    glBindBuffer(GL_UNIFORM_BUFFER, buffer_);
    // Fresh storage for every upload: writing into storage that draws still
    // queued read makes the driver finish them first (llvmpipe flushes and
    // waits), once per draw.
    glBufferData(GL_UNIFORM_BUFFER, GLsizeiptr(bufferBytes_), nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, GLsizeiptr(block_.size()), block_.data());
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    changed_ = false;
  }
  glBindBufferBase(GL_UNIFORM_BUFFER, kGlEffectBlockBinding, buffer_);
}
