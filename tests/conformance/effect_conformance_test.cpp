// Effects: techniques, Begin / Pass / End and the parameter setters. Both
// backends load the same file (compiled for real on OpenGL, shaped by its
// setup on the recorder) and must answer every case alike.
#include <functional>
#include <string>
#include <vector>

#include "geometry/matrix4.h"
#include "tests/conformance/conformance_devices.h"

template <class Backend>
class EffectConformance : public DeviceConformance<Backend> {
 protected:
  void SetUp() override {
    DeviceConformance<Backend>::SetUp();
    const std::string path = std::string(MESHVIEW_TEST_DATA) + "/fxgl/conformance.fx";
    this->backend().PrepareEffect(path);
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(this->backend().backend().CreateEffectFromFile(
                  this->dev(), path.c_str(), nullptr, nullptr, 0, nullptr, &effect_, &errors),
              D3D_OK);
    if (errors != nullptr) errors->Release();
    ASSERT_NE(effect_, nullptr);
  }
  void TearDown() override {
    if (effect_ != nullptr) effect_->Release();
    effect_ = nullptr;
  }

  ID3DXEffect* fx() { return effect_; }

  // The techniques FindNextValidTechnique lists from the start.
  std::vector<D3DXHANDLE> ValidTechniques() {
    std::vector<D3DXHANDLE> handles;
    D3DXHANDLE handle = nullptr;
    while (handles.size() < 8 && fx()->FindNextValidTechnique(handle, &handle) == S_OK) {
      handles.push_back(handle);
    }
    return handles;
  }

 private:
  ID3DXEffect* effect_ = nullptr;
};
TYPED_TEST_SUITE(EffectConformance, ConformanceBackends, BackendNames);

TYPED_TEST(EffectConformance, TechniquesThatRunAreListedAndOnlyTheyCanBeSet) {
  ID3DXEffect* fx = this->fx();
  const std::vector<D3DXHANDLE> valid = this->ValidTechniques();
  ASSERT_EQ(valid.size(), 2u) << "the first technique cannot run";

  D3DXHANDLE next = reinterpret_cast<D3DXHANDLE>(1);
  EXPECT_EQ(fx->FindNextValidTechnique(valid[1], &next), S_FALSE);
  EXPECT_EQ(next, nullptr) << "the end of the list hands back no handle";
  next = reinterpret_cast<D3DXHANDLE>(1);
  EXPECT_EQ(fx->FindNextValidTechnique("NoSuchTechnique", &next), D3DERR_INVALIDCALL);
  EXPECT_EQ(next, nullptr);
  EXPECT_EQ(fx->FindNextValidTechnique(nullptr, nullptr), D3DERR_INVALIDCALL);

  // The file's first technique is the one that cannot run: one before the
  // first valid, found by name through the handle list being in file order.
  const std::string secondName = valid[1];
  const struct {
    const char* name;
    D3DXHANDLE handle;
    HRESULT result;
  } cases[] = {
      {"a listed handle", valid[0], D3D_OK},
      {"a copy of a listed name", secondName.c_str(), D3D_OK},
      {"null", nullptr, D3DERR_INVALIDCALL},
      {"an unknown name", "NoSuchTechnique", D3DERR_INVALIDCALL},
      {"a technique that cannot run", TypeParam::kInvalidTechnique, D3DERR_INVALIDCALL},
  };
  for (const auto& c : cases) EXPECT_EQ(fx->SetTechnique(c.handle), c.result) << c.name;
}

TYPED_TEST(EffectConformance, BeginPassAndEndFollowEachOther) {
  ID3DXEffect* fx = this->fx();
  UINT passes = 0;
  // One script of calls in order, each with the result both backends give.
  const struct {
    const char* step;
    std::function<HRESULT()> call;
    HRESULT result;
  } script[] = {
      {"Pass before Begin", [&] { return fx->Pass(0); }, D3DERR_INVALIDCALL},
      {"End before Begin", [&] { return fx->End(); }, D3DERR_INVALIDCALL},
      {"Begin without a pass count", [&] { return fx->Begin(nullptr, 0); }, D3DERR_INVALIDCALL},
      {"Begin of the current technique", [&] { return fx->Begin(&passes, 0); }, D3D_OK},
      {"Pass past the last", [&] { return fx->Pass(2); }, D3DERR_INVALIDCALL},
      {"last Pass", [&] { return fx->Pass(1); }, D3D_OK},
      {"Pass again, backwards", [&] { return fx->Pass(0); }, D3D_OK},
      {"setter inside a pass",
       [&] {
         Matrix4 world;
         world.setIdentity();
         return fx->SetMatrix("World", &world);
       },
       D3D_OK},
      {"Begin again, ending the first", [&] { return fx->Begin(&passes, 0); }, D3D_OK},
      {"Pass of the new Begin", [&] { return fx->Pass(0); }, D3D_OK},
      {"End", [&] { return fx->End(); }, D3D_OK},
      {"End again", [&] { return fx->End(); }, D3DERR_INVALIDCALL},
      {"Pass after End", [&] { return fx->Pass(0); }, D3DERR_INVALIDCALL},
      {"Begin after End", [&] { return fx->Begin(&passes, 0); }, D3D_OK},
      {"End of that", [&] { return fx->End(); }, D3D_OK},
  };
  for (const auto& s : script) {
    passes = 0;
    const HRESULT result = s.call();
    EXPECT_EQ(result, s.result) << s.step;
    if (result == D3D_OK && std::string(s.step).starts_with("Begin")) {
      EXPECT_EQ(passes, 2u) << s.step;
    }
  }
}

TYPED_TEST(EffectConformance, SettersTakeKnownParametersUpToTheirSize) {
  ID3DXEffect* fx = this->fx();
  Matrix4 matrices[3];
  for (Matrix4& m : matrices) m.setIdentity();
  const float opacity[2] = {0.5f, 0.25f};
  const struct {
    const char* name;
    std::function<HRESULT()> call;
    HRESULT result;
  } cases[] = {
      {"matrix", [&] { return fx->SetMatrix("World", &matrices[0]); }, D3D_OK},
      {"matrix without data", [&] { return fx->SetMatrix("World", nullptr); }, D3DERR_INVALIDCALL},
      {"matrix without a name", [&] { return fx->SetMatrix(nullptr, &matrices[0]); },
       D3DERR_INVALIDCALL},
      {"unknown matrix", [&] { return fx->SetMatrix("CamViewProj", &matrices[0]); },
       D3DERR_INVALIDCALL},
      {"whole palette", [&] { return fx->SetMatrixArray("Bones", matrices, 2); }, D3D_OK},
      {"part of the palette", [&] { return fx->SetMatrixArray("Bones", matrices, 1); }, D3D_OK},
      {"more than the palette", [&] { return fx->SetMatrixArray("Bones", matrices, 3); },
       D3DERR_INVALIDCALL},
      {"value", [&] { return fx->SetValue("Opacity", opacity, sizeof(float)); }, D3D_OK},
      {"value larger than declared",
       [&] { return fx->SetValue("Opacity", opacity, sizeof opacity); }, D3DERR_INVALIDCALL},
      {"value without data", [&] { return fx->SetValue("Opacity", nullptr, 4); },
       D3DERR_INVALIDCALL},
      {"unknown value", [&] { return fx->SetValue("SMAP_SIZE", opacity, 4); }, D3DERR_INVALIDCALL},
      {"no texture", [&] { return fx->SetTexture("Map", nullptr); }, D3D_OK},
      {"texture without a name", [&] { return fx->SetTexture(nullptr, nullptr); },
       D3DERR_INVALIDCALL},
      {"unknown texture", [&] { return fx->SetTexture("g_txScene", nullptr); }, D3DERR_INVALIDCALL},
  };
  for (const auto& c : cases) EXPECT_EQ(c.call(), c.result) << c.name;
}

TYPED_TEST(EffectConformance, ATextureParameterHoldsItsTextureUntilReplacedOrReleased) {
  IDirect3DTexture9* first = nullptr;
  IDirect3DTexture9* second = nullptr;
  ASSERT_EQ(
      this->dev()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first, nullptr),
      D3D_OK);
  ASSERT_EQ(
      this->dev()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &second, nullptr),
      D3D_OK);
  ASSERT_EQ(this->fx()->SetTexture("Map", first), D3D_OK);
  EXPECT_EQ(this->References(first), 2u);
  ASSERT_EQ(this->fx()->SetTexture("Map", second), D3D_OK);
  EXPECT_EQ(this->References(first), 1u) << "the replaced texture is let go";
  EXPECT_EQ(this->References(second), 2u);
  // Inside a pass as well: the pass binds it on the device, End lets go.
  UINT passes = 0;
  ASSERT_EQ(this->fx()->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(this->fx()->Pass(0), D3D_OK);
  ASSERT_EQ(this->fx()->End(), D3D_OK);
  ASSERT_EQ(this->fx()->SetTexture("Map", nullptr), D3D_OK);
  EXPECT_EQ(this->References(second), 1u);
  ASSERT_EQ(this->fx()->SetTexture("Map", second), D3D_OK);
  this->TearDown();  // releases the effect
  EXPECT_EQ(this->References(second), 1u) << "a released effect holds nothing";
  first->Release();
  second->Release();
}
