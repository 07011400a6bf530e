#pragma once

namespace fx {

// glslang keeps process-wide tables that must be built once before any
// shader object exists; they are kept until the process ends.
void ensure_glslang_initialized();

}  // namespace fx
