#pragma once
#include "platform/backend.h"

class GlDevice;

// The OpenGL backend behind Direct3DCreate9 and the D3DX loaders.
GraphicsBackend& gl_graphics_backend();

// Effects are made by gl_create_effect_from_file (gl_effect.h) unless another
// maker is installed here; with none, effect creation fails with
// D3DERR_NOTAVAILABLE and no messages.
using GlEffectCompiler = HRESULT (*)(GlDevice& device, LPCSTR file, const D3DXMACRO* defines,
                                     ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool,
                                     ID3DXEffect** effect, ID3DXBuffer** compilationErrors);
void gl_set_effect_compiler(GlEffectCompiler compiler);
