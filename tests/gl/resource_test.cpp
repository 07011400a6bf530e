// Resource life and hygiene on the OpenGL backend: every GL object a
// released resource or device held is gone, and buffers keep Direct3D's
// lock contract.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gl/gl_names.h"
#include "tests/gl/gl_test_device.h"

namespace {

::testing::AssertionResult SameLiveNames(const GlLiveNames& now, const GlLiveNames& before) {
  for (int kind = 0; kind < kGlNameKindCount; ++kind) {
    if (now.counts[kind] != before.counts[kind]) {
      return ::testing::AssertionFailure() << "kind " << kind << ": " << now.counts[kind]
                                           << " live, " << before.counts[kind] << " before";
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST(GlResources, TenThousandTexturesAndBuffersLeaveNoGlObjectBehind) {
  GlTestDevice device(32, 32);
  ASSERT_TRUE(device.ok());
  const GlLiveNames before = gl_live_names();
  std::vector<GLuint> textures;
  std::vector<GLuint> buffers;
  for (int i = 0; i < 10000; ++i) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    textures.push_back(AsGlTexture(texture)->Name());
    IDirect3DVertexBuffer9* vertices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(256, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
    buffers.push_back(AsGlVertexBuffer(vertices)->Name());
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(600, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
              D3D_OK);
    buffers.push_back(AsGlIndexBuffer(indices)->Name());
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(vertices->Release(), 0u);
    EXPECT_EQ(indices->Release(), 0u);
  }
  // Render targets with their framebuffers, drawn into once.
  IDirect3DSurface9* screen = nullptr;
  device->GetRenderTarget(0, &screen);
  for (int i = 0; i < 200; ++i) {
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT,
                                    &target, nullptr),
              D3D_OK);
    textures.push_back(AsGlTexture(target)->Name());
    IDirect3DSurface9* surface = nullptr;
    target->GetSurfaceLevel(0, &surface);
    ASSERT_EQ(device->SetRenderTarget(0, surface), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    device->SetRenderTarget(0, screen);
    surface->Release();
    EXPECT_EQ(target->Release(), 0u);
  }
  screen->Release();

  EXPECT_TRUE(SameLiveNames(gl_live_names(), before));
  device.gl()->MakeCurrent();
  int textureLeft = 0;
  int bufferLeft = 0;
  for (GLuint name : textures) textureLeft += glIsTexture(name) == GL_TRUE ? 1 : 0;
  for (GLuint name : buffers) bufferLeft += glIsBuffer(name) == GL_TRUE ? 1 : 0;
  EXPECT_EQ(textureLeft, 0);
  EXPECT_EQ(bufferLeft, 0);
}

TEST(GlResources, ResourcesReleasedAfterTheirDeviceStillFreeEverything) {
  const GlLiveNames before = gl_live_names();
  IDirect3DTexture9* texture = nullptr;
  IDirect3DTexture9* target = nullptr;
  IDirect3DSurface9* targetSurface = nullptr;
  IDirect3DVertexBuffer9* vertices = nullptr;
  {
    GlTestDevice device(32, 32);
    ASSERT_TRUE(device.ok());
    EXPECT_GT(gl_live_names().Total(), before.Total());
    ASSERT_EQ(
        device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &target, nullptr),
              D3D_OK);
    target->GetSurfaceLevel(0, &targetSurface);
    device->SetRenderTarget(0, targetSurface);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    ASSERT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
    device->SetStreamSource(0, vertices, 0, 16);
    device->SetTexture(0, texture);
  }
  // The window is gone too; the resources keep their context to free in.
  void* locked = nullptr;
  EXPECT_EQ(vertices->Lock(0, 0, &locked, 0), D3D_OK);
  EXPECT_EQ(vertices->Unlock(), D3D_OK);
  EXPECT_EQ(vertices->Release(), 0u);
  EXPECT_EQ(texture->Release(), 0u);
  targetSurface->Release();
  EXPECT_EQ(target->Release(), 0u);
  EXPECT_TRUE(SameLiveNames(gl_live_names(), before));
}

TEST(GlResources, SurfacesShareTheirTexturesLifeAndTheTargetHoldsOne) {
  GlTestDevice device(32, 32);
  ASSERT_TRUE(device.ok());
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device->GetRenderTarget(0, &backBuffer), D3D_OK);
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT,
                                  &target, nullptr),
            D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
  ASSERT_EQ(device->SetRenderTarget(0, surface), D3D_OK);
  const GLuint name = AsGlTexture(target)->Name();
  // Texture, surface and the device's binding each hold one reference.
  EXPECT_EQ(target->Release(), 2u);
  EXPECT_EQ(surface->Release(), 1u);
  IDirect3DSurface9* current = nullptr;
  ASSERT_EQ(device->GetRenderTarget(0, &current), D3D_OK);
  D3DSURFACE_DESC desc{};
  current->GetDesc(&desc);
  EXPECT_EQ(desc.Format, D3DFMT_R32F);
  EXPECT_EQ(desc.Width, 16u);
  current->Release();
  device.gl()->MakeCurrent();
  EXPECT_EQ(glIsTexture(name), GL_TRUE);

  // Going back to the back buffer lets the last reference go.
  EXPECT_EQ(device->SetRenderTarget(0, backBuffer), D3D_OK);
  device.gl()->MakeCurrent();
  EXPECT_EQ(glIsTexture(name), GL_FALSE);
  backBuffer->Release();
}

TEST(GlResources, ManagedBuffersLockTheirCopyAndUnlockUploadsIt) {
  GlTestDevice device(16, 16);
  ASSERT_TRUE(device.ok());
  IDirect3DIndexBuffer9* indices = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(600, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
            D3D_OK);
  void* whole = nullptr;
  ASSERT_EQ(indices->Lock(0, 0, &whole, D3DLOCK_NOSYSLOCK), D3D_OK);
  for (uint16_t i = 0; i < 300; ++i) static_cast<uint16_t*>(whole)[i] = i;
  ASSERT_EQ(indices->Unlock(), D3D_OK);

  void* part = nullptr;
  ASSERT_EQ(indices->Lock(200, 400, &part, D3DLOCK_NOSYSLOCK), D3D_OK);
  // The lock hands out the copy: the same bytes as the whole-buffer lock.
  EXPECT_EQ(part, static_cast<uint8_t*>(whole) + 200);
  static_cast<uint16_t*>(part)[0] = 7777;
  ASSERT_EQ(indices->Unlock(), D3D_OK);

  device.gl()->MakeCurrent();
  uint16_t uploaded[300] = {};
  glBindBuffer(GL_COPY_READ_BUFFER, AsGlIndexBuffer(indices)->Name());
  glGetBufferSubData(GL_COPY_READ_BUFFER, 0, sizeof(uploaded), uploaded);
  glBindBuffer(GL_COPY_READ_BUFFER, 0);
  EXPECT_EQ(uploaded[0], 0);
  EXPECT_EQ(uploaded[99], 99);
  EXPECT_EQ(uploaded[100], 7777);
  EXPECT_EQ(uploaded[299], 299);
  indices->Release();
}
