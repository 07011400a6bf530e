#include "platform/fx/glslang_process.h"

#include <glslang/Public/ShaderLang.h>

#include <mutex>

namespace fx {

void ensure_glslang_initialized() {
  static std::once_flag once;
  std::call_once(once, [] { glslang::InitializeProcess(); });
}

}  // namespace fx
