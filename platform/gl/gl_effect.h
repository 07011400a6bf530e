#pragma once
#include <memory>
#include <vector>

#include "platform/d3dx9.h"
#include "platform/d3dx9_effect.h"
#include "platform/fx/compiled_effect.h"
#include "platform/gl/gl_effect_parameters.h"
#include "platform/gl/gl_effect_programs.h"
#include "platform/gl/gl_effect_states.h"
#include "platform/gl/gl_ref_counted.h"

class GlDevice;

// An effect on the OpenGL device: the effect core's techniques and rules
// over the front end's compiled effect; parameter handles are parameter
// names, and a technique runs when its passes link. A pass
// draws with its GL program, parameter block, textures with their sampler
// states and its render states until End, which puts the device's states
// back and returns it to fixed-function drawing.
class GlEffect final : public D3DXEffectBase<GlRefCounted<ID3DXEffect>> {
 public:
  // Null when the GL objects cannot be made. Holds a reference to the device.
  static GlEffect* Create(GlDevice* device, std::shared_ptr<const fx::CompiledEffect> effect);

  const fx::CompiledEffect& Compiled() const { return *effect_; }
  const GlEffectParameters& Parameters() const { return *parameters_; }
  const GlEffectPrograms& Programs() const { return *programs_; }

 private:
  GlEffect(GlDevice* device, std::shared_ptr<const fx::CompiledEffect> effect);
  ~GlEffect() override;

  HRESULT BeginTechnique(size_t technique, DWORD flags) override;
  HRESULT ApplyPass(size_t technique, UINT pass) override;
  void EndTechnique(size_t technique, int pass) override;
  HRESULT StoreParameter(const D3DXParameterWrite& write) override;
  HRESULT StoreTexture(D3DXHANDLE name, IDirect3DBaseTexture9* texture) override;

  IDirect3DBaseTexture9* TextureFor(const std::string& textureName) const;
  void BindPassTextures(size_t technique, UINT pass, const std::string* onlyTexture);
  // True while a pass of this effect is what the device draws with.
  bool PassActive() const;
  // After a parameter change inside a pass, the next draw must see it.
  HRESULT Changed(HRESULT result);

  GlDevice* device_;
  std::shared_ptr<const fx::CompiledEffect> effect_;
  std::shared_ptr<GlEffectPrograms> programs_;
  std::unique_ptr<GlEffectParameters> parameters_;
  std::vector<IDirect3DBaseTexture9*> textures_;     // one per texture parameter, held
  std::vector<std::vector<GlEffectProgram>> draws_;  // [technique][pass]
  GlEffectSavedStates saved_;
};

// D3DXCreateEffectFromFileA on this backend: compiles the file (once per
// run while it is unchanged), links its passes on the device and makes the
// effect. A compile error fails with D3DXERR_INVALIDDATA and the compiler's
// messages, naming file and line, in *errors; a file that cannot be read
// fails with D3DERR_NOTFOUND and no error buffer. Macros, an include handler
// and an effect pool are not offered (D3DERR_INVALIDCALL).
HRESULT gl_create_effect_from_file(GlDevice& device, LPCSTR file, const D3DXMACRO* defines,
                                   ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool,
                                   ID3DXEffect** effect, ID3DXBuffer** errors);
