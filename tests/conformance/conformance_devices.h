#pragma once
// The two backends the conformance suite runs every case on: the OpenGL
// device on a headless window and the recording device. Each gives a fresh
// 64 x 48 device with an automatic depth-stencil buffer.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/gl/gl_backend.h"
#include "platform/record/record_device.h"
#include "platform/record/recording_backend.h"
#include "tests/gl/gl_test_device.h"
#include "tests/support/present_parameters.h"

inline constexpr UINT kConformanceWidth = 64;
inline constexpr UINT kConformanceHeight = 48;

class GlConformanceDevice {
 public:
  static constexpr const char* kName = "gl";
  // The suite's effect file's technique that cannot run.
  static constexpr const char* kInvalidTechnique = "VertexOnly";
  bool ok() const { return gl_.ok(); }
  IDirect3DDevice9* device() const { return gl_.get(); }
  UINT MaxTextureSize() const { return UINT(gl_.gl()->Context()->MaxTextureSize()); }
  GraphicsBackend& backend() { return gl_graphics_backend(); }
  // The effect file is compiled for real; nothing to prepare.
  void PrepareEffect(const std::string&) {}

 private:
  GlTestDevice gl_{kConformanceWidth, kConformanceHeight};
};

class RecordConformanceDevice {
 public:
  static constexpr const char* kName = "record";
  static constexpr const char* kInvalidTechnique = "technique0";
  RecordConformanceDevice() {
    backend_.recorder().SetMaxTextureSize(4096);
    direct3d_ = backend_.CreateDirect3D(32);
    D3DPRESENT_PARAMETERS parameters =
        WindowedPresentParameters(kConformanceWidth, kConformanceHeight);
    direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                            reinterpret_cast<HWND>(uintptr_t{0x5150}),
                            D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device_);
  }
  ~RecordConformanceDevice() {
    if (device_ != nullptr) device_->Release();
    if (direct3d_ != nullptr) direct3d_->Release();
    EXPECT_EQ(backend_.recorder().LiveTotal(), 0) << "recorded objects left alive";
  }
  RecordConformanceDevice(const RecordConformanceDevice&) = delete;
  RecordConformanceDevice& operator=(const RecordConformanceDevice&) = delete;

  bool ok() const { return device_ != nullptr; }
  IDirect3DDevice9* device() const { return device_; }
  UINT MaxTextureSize() { return backend_.recorder().MaxTextureSize(); }
  GraphicsBackend& backend() { return backend_; }
  // Shapes the effect at `path` as the suite's effect file is: one
  // technique that cannot run, then two of two passes, and its parameters.
  void PrepareEffect(const std::string& path) {
    EffectSetup setup;
    setup.invalidTechniques = 1;
    setup.validTechniques = 2;
    setup.passes = 2;
    setup.parameters = {{"World", 64}, {"Bones", 128}, {"Opacity", 4}, {"Map", 0}};
    backend_.recorder().SetEffect(path, setup);
  }

 private:
  RecordingBackend backend_;
  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

// The typed-test fixture: one device of the backend per test.
template <class Backend>
class DeviceConformance : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(backend_.ok()) << Backend::kName << " device not made"; }

  IDirect3DDevice9* dev() { return backend_.device(); }
  UINT MaxTextureSize() { return backend_.MaxTextureSize(); }
  Backend& backend() { return backend_; }

  // The references an object has, read without changing them.
  static ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
  }

 private:
  Backend backend_;
};

class BackendNames {
 public:
  template <class T>
  static std::string GetName(int) {
    return T::kName;
  }
};

using ConformanceBackends = ::testing::Types<GlConformanceDevice, RecordConformanceDevice>;
