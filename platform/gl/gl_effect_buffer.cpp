#include "platform/gl/gl_effect_buffer.h"

#include <new>

GlEffectBuffer* GlEffectBuffer::Create(std::string_view text) {
  try {
    return new GlEffectBuffer(text);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
