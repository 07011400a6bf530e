#pragma once
#include <string>
#include <string_view>

#include "platform/d3dx9.h"
#include "platform/gl/gl_ref_counted.h"

// The error buffer an effect creation hands back: the compiler's messages
// as one zero-terminated text.
class GlEffectBuffer final : public GlRefCounted<ID3DXBuffer> {
 public:
  // Null when memory runs out.
  static GlEffectBuffer* Create(std::string_view text);

  void* GetBufferPointer() override { return text_.data(); }
  // The text's bytes with the terminator, as D3DX counts them.
  DWORD GetBufferSize() override { return DWORD(text_.size() + 1); }

 private:
  explicit GlEffectBuffer(std::string_view text) : text_(text) {}
  ~GlEffectBuffer() override = default;

  std::string text_;
};
