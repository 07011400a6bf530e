// Buffers, textures, surfaces, bindings and draw arguments: both backends
// must answer every case alike.
#include <cstring>
#include <vector>

#include "platform/fvf_layout.h"
#include "tests/conformance/conformance_devices.h"

template <class Backend>
class ResourceConformance : public DeviceConformance<Backend> {};
TYPED_TEST_SUITE(ResourceConformance, ConformanceBackends, BackendNames);

namespace {

constexpr DWORD kSkinnedFvf = D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1;

}  // namespace

TYPED_TEST(ResourceConformance, VertexAndIndexBufferCreation) {
  IDirect3DDevice9* dev = this->dev();
  const UINT vertex = VertexSizeOfFVF(kSkinnedFvf);
  HANDLE shared = nullptr;
  const struct {
    const char* name;
    UINT length;
    DWORD fvf;
    D3DPOOL pool;
    HANDLE* shared;
    HRESULT result;
  } vertexCases[] = {
      {"one vertex", vertex, kSkinnedFvf, D3DPOOL_MANAGED, nullptr, D3D_OK},
      {"no format", 3, 0, D3DPOOL_DEFAULT, nullptr, D3D_OK},
      {"shorter than a vertex", vertex - 1, kSkinnedFvf, D3DPOOL_MANAGED, nullptr,
       D3DERR_INVALIDCALL},
      {"empty", 0, 0, D3DPOOL_MANAGED, nullptr, D3DERR_INVALIDCALL},
      {"scratch pool", 64, 0, D3DPOOL_SCRATCH, nullptr, D3DERR_INVALIDCALL},
      {"shared handle", 64, 0, D3DPOOL_DEFAULT, &shared, D3DERR_INVALIDCALL},
  };
  for (const auto& c : vertexCases) {
    IDirect3DVertexBuffer9* buffer = reinterpret_cast<IDirect3DVertexBuffer9*>(1);
    EXPECT_EQ(dev->CreateVertexBuffer(c.length, 0, c.fvf, c.pool, &buffer, c.shared), c.result)
        << c.name;
    if (c.result != D3D_OK) {
      EXPECT_EQ(buffer, nullptr) << c.name;
      continue;
    }
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, c.length) << c.name;
    EXPECT_EQ(desc.FVF, c.fvf) << c.name;
    EXPECT_EQ(desc.Pool, c.pool) << c.name;
    EXPECT_EQ(desc.Type, D3DRTYPE_VERTEXBUFFER) << c.name;
    EXPECT_EQ(buffer->GetDesc(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Release(), 0u) << c.name;
  }
  EXPECT_EQ(dev->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, nullptr, nullptr),
            D3DERR_INVALIDCALL);

  const struct {
    const char* name;
    UINT length;
    D3DFORMAT format;
    D3DPOOL pool;
    HRESULT result;
  } indexCases[] = {
      {"16-bit", 6, D3DFMT_INDEX16, D3DPOOL_MANAGED, D3D_OK},
      {"32-bit", 12, D3DFMT_INDEX32, D3DPOOL_DEFAULT, D3D_OK},
      {"not an index format", 12, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
      {"empty", 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, D3DERR_INVALIDCALL},
      {"scratch pool", 12, D3DFMT_INDEX16, D3DPOOL_SCRATCH, D3DERR_INVALIDCALL},
  };
  for (const auto& c : indexCases) {
    IDirect3DIndexBuffer9* buffer = nullptr;
    EXPECT_EQ(dev->CreateIndexBuffer(c.length, 0, c.format, c.pool, &buffer, nullptr), c.result)
        << c.name;
    if (buffer == nullptr) continue;
    D3DINDEXBUFFER_DESC desc{};
    ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Format, c.format) << c.name;
    EXPECT_EQ(desc.Size, c.length) << c.name;
    EXPECT_EQ(buffer->Release(), 0u) << c.name;
  }
  IDirect3DIndexBuffer9* buffer = nullptr;
  EXPECT_EQ(dev->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer, &shared),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer, nullptr);
}

// Lock ranges on a 64-byte buffer; what one lock writes a later lock reads.
TYPED_TEST(ResourceConformance, LockRanges) {
  IDirect3DDevice9* dev = this->dev();
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  ASSERT_EQ(dev->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
  ASSERT_EQ(dev->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
            D3D_OK);
  const struct {
    const char* name;
    UINT offset;
    UINT size;
    HRESULT result;
  } cases[] = {
      {"whole buffer", 0, 0, D3D_OK},
      {"offset to the end", 48, 0, D3D_OK},
      {"exact range", 16, 48, D3D_OK},
      {"empty range at the end", 64, 0, D3D_OK},
      {"one byte past the end", 16, 49, D3DERR_INVALIDCALL},
      {"offset past the end", 65, 0, D3DERR_INVALIDCALL},
      {"range wraps around", 8, 0xFFFFFFFCu, D3DERR_INVALIDCALL},
  };
  for (const auto& c : cases) {
    void* first = nullptr;
    void* second = nullptr;
    EXPECT_EQ(vertices->Lock(c.offset, c.size, &first, 0), c.result) << c.name;
    EXPECT_EQ(indices->Lock(c.offset, c.size, &second, 0), c.result) << c.name;
    if (c.result != D3D_OK) {
      EXPECT_EQ(first, nullptr) << c.name;
      EXPECT_EQ(second, nullptr) << c.name;
      continue;
    }
    EXPECT_EQ(vertices->Unlock(), D3D_OK);
    EXPECT_EQ(indices->Unlock(), D3D_OK);
  }
  EXPECT_EQ(vertices->Lock(0, 0, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vertices->Unlock(), D3DERR_INVALIDCALL) << "nothing locked";

  // Bytes written through a lock from an offset land at that offset.
  void* data = nullptr;
  ASSERT_EQ(vertices->Lock(32, 0, &data, 0), D3D_OK);
  std::memset(data, 0xAB, 32);
  ASSERT_EQ(vertices->Unlock(), D3D_OK);
  ASSERT_EQ(vertices->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
  const auto* bytes = static_cast<const uint8_t*>(data);
  EXPECT_EQ(bytes[31], 0u);
  EXPECT_EQ(bytes[32], 0xABu);
  EXPECT_EQ(bytes[63], 0xABu);
  ASSERT_EQ(vertices->Unlock(), D3D_OK);

  vertices->Release();
  indices->Release();
}

TYPED_TEST(ResourceConformance, TextureCreation) {
  IDirect3DDevice9* dev = this->dev();
  const UINT tooLarge = this->MaxTextureSize() * 2;
  const struct {
    const char* name;
    UINT width;
    UINT height;
    UINT levels;
    DWORD usage;
    D3DPOOL pool;
    HRESULT result;
    UINT levelCount;
  } cases[] = {
      {"full chain", 16, 4, 0, 0, D3DPOOL_MANAGED, D3D_OK, 5},
      {"given levels", 16, 16, 2, 0, D3DPOOL_MANAGED, D3D_OK, 2},
      {"render target", 8, 8, 1, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, D3D_OK, 1},
      {"system memory", 4, 4, 1, 0, D3DPOOL_SYSTEMMEM, D3D_OK, 1},
      {"one texel", 1, 1, 0, 0, D3DPOOL_MANAGED, D3D_OK, 1},
      {"zero width", 0, 4, 1, 0, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0},
      {"zero height", 4, 0, 1, 0, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0},
      {"more levels than the chain", 4, 4, 4, 0, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, 0},
      {"scratch pool", 4, 4, 1, 0, D3DPOOL_SCRATCH, D3DERR_INVALIDCALL, 0},
      {"managed render target", 4, 4, 1, D3DUSAGE_RENDERTARGET, D3DPOOL_MANAGED, D3DERR_INVALIDCALL,
       0},
      {"larger than the card", tooLarge, 4, 1, 0, D3DPOOL_MANAGED, D3DERR_OUTOFVIDEOMEMORY, 0},
  };
  for (const auto& c : cases) {
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_EQ(dev->CreateTexture(c.width, c.height, c.levels, c.usage, D3DFMT_A8R8G8B8, c.pool,
                                 &texture, nullptr),
              c.result)
        << c.name;
    if (c.result != D3D_OK) {
      EXPECT_EQ(texture, nullptr) << c.name;
      continue;
    }
    EXPECT_EQ(texture->GetLevelCount(), c.levelCount) << c.name;
    EXPECT_EQ(texture->Release(), 0u) << c.name;
  }
  HANDLE shared = nullptr;
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, &shared),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr, nullptr),
            D3DERR_INVALIDCALL);
}

// Level sizes halve down to 1 on each side; a level surface shares its
// texture's references.
TYPED_TEST(ResourceConformance, MipLevelsAndTheirSurfaces) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(
      this->dev()->CreateTexture(20, 5, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
      D3D_OK);
  const UINT expected[][2] = {{20, 5}, {10, 2}, {5, 1}, {2, 1}, {1, 1}};
  ASSERT_EQ(texture->GetLevelCount(), 5u);
  for (UINT level = 0; level < 5; ++level) {
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, expected[level][0]) << "level " << level;
    EXPECT_EQ(desc.Height, expected[level][1]) << "level " << level;
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
  }
  D3DSURFACE_DESC desc{};
  EXPECT_EQ(texture->GetLevelDesc(5, &desc), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->GetLevelDesc(0, nullptr), D3DERR_INVALIDCALL);

  IDirect3DSurface9* level = nullptr;
  EXPECT_EQ(texture->GetSurfaceLevel(5, &level), D3DERR_INVALIDCALL);
  EXPECT_EQ(level, nullptr);
  EXPECT_EQ(texture->GetSurfaceLevel(0, nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
  EXPECT_EQ(this->References(texture), 2u) << "the level holds its texture";
  ASSERT_EQ(level->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 5u);
  EXPECT_EQ(texture->Release(), 1u) << "alive while its level is held";
  EXPECT_EQ(level->Release(), 0u);
}

// The device holds a reference to what is bound and lets it go when
// something else (or nothing) is bound.
TYPED_TEST(ResourceConformance, BindingsHoldReferences) {
  IDirect3DDevice9* dev = this->dev();
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(dev->CreateVertexBuffer(48, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
  ASSERT_EQ(dev->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
            D3D_OK);
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3D_OK);

  EXPECT_EQ(dev->SetStreamSource(0, vertices, 0, 12), D3D_OK);
  EXPECT_EQ(dev->SetStreamSource(kMaxStreams - 1, vertices, 0, 12), D3D_OK);
  EXPECT_EQ(this->References(vertices), 3u);
  EXPECT_EQ(dev->SetStreamSource(kMaxStreams, vertices, 0, 12), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->SetIndices(indices), D3D_OK);
  EXPECT_EQ(this->References(indices), 2u);
  EXPECT_EQ(dev->SetTexture(kMaxSamplers - 1, texture), D3D_OK);
  EXPECT_EQ(dev->SetTexture(kMaxSamplers, texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(this->References(texture), 2u);

  // Drawing from user memory leaves stream 0 unbound.
  const float triangle[9] = {0, 0, 0.5f, 1, 0, 0.5f, 0, 1, 0.5f};
  ASSERT_EQ(dev->SetFVF(D3DFVF_XYZ), D3D_OK);
  EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, 12), D3D_OK);
  EXPECT_EQ(this->References(vertices), 2u);
  EXPECT_EQ(dev->SetStreamSource(kMaxStreams - 1, nullptr, 0, 0), D3D_OK);
  EXPECT_EQ(dev->SetIndices(nullptr), D3D_OK);
  EXPECT_EQ(dev->SetTexture(kMaxSamplers - 1, nullptr), D3D_OK);

  EXPECT_EQ(vertices->Release(), 0u);
  EXPECT_EQ(indices->Release(), 0u);
  EXPECT_EQ(texture->Release(), 0u);
}

// A bound texture or buffer outlives its last caller reference while bound.
TYPED_TEST(ResourceConformance, BoundObjectsLiveUntilUnbound) {
  IDirect3DDevice9* dev = this->dev();
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3D_OK);
  ASSERT_EQ(dev->SetTexture(0, texture), D3D_OK);
  EXPECT_EQ(texture->Release(), 1u);
  EXPECT_EQ(dev->SetTexture(0, nullptr), D3D_OK);
}

TYPED_TEST(ResourceConformance, DrawArguments) {
  IDirect3DDevice9* dev = this->dev();
  struct Vertex {
    float x, y, z;
  };
  const Vertex corners[4] = {{-1, -1, 0.5f}, {1, -1, 0.5f}, {1, 1, 0.5f}, {-1, 1, 0.5f}};
  const uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  ASSERT_EQ(
      dev->CreateVertexBuffer(sizeof corners, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &vertices, nullptr),
      D3D_OK);
  ASSERT_EQ(
      dev->CreateIndexBuffer(sizeof quad, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
      D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(vertices->Lock(0, 0, &data, 0), D3D_OK);
  std::memcpy(data, corners, sizeof corners);
  vertices->Unlock();
  ASSERT_EQ(indices->Lock(0, 0, &data, 0), D3D_OK);
  std::memcpy(data, quad, sizeof quad);
  indices->Unlock();
  ASSERT_EQ(dev->SetFVF(D3DFVF_XYZ), D3D_OK);
  ASSERT_EQ(dev->BeginScene(), D3D_OK);

  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL)
      << "nothing bound";
  ASSERT_EQ(dev->SetStreamSource(0, vertices, 0, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL)
      << "no indices";
  ASSERT_EQ(dev->SetIndices(indices), D3D_OK);
  const struct {
    const char* name;
    D3DPRIMITIVETYPE type;
    UINT start;
    UINT count;
    HRESULT result;
  } indexed[] = {
      {"both triangles", D3DPT_TRIANGLELIST, 0, 2, D3D_OK},
      {"second triangle", D3DPT_TRIANGLELIST, 3, 1, D3D_OK},
      {"strip of four", D3DPT_TRIANGLESTRIP, 0, 4, D3D_OK},
      {"line list", D3DPT_LINELIST, 0, 3, D3D_OK},
      {"one index too many", D3DPT_TRIANGLELIST, 1, 2, D3DERR_INVALIDCALL},
      {"start past the end", D3DPT_TRIANGLELIST, 6, 1, D3DERR_INVALIDCALL},
      {"no primitives", D3DPT_TRIANGLELIST, 0, 0, D3DERR_INVALIDCALL},
      {"unknown type", D3DPRIMITIVETYPE(99), 0, 1, D3DERR_INVALIDCALL},
  };
  for (const auto& c : indexed) {
    EXPECT_EQ(dev->DrawIndexedPrimitive(c.type, 0, 0, 4, c.start, c.count), c.result) << c.name;
  }
  ASSERT_EQ(dev->SetStreamSource(0, vertices, 0, 0), D3D_OK);
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL)
      << "stride 0";

  const struct {
    const char* name;
    D3DPRIMITIVETYPE type;
    UINT count;
    const void* data;
    UINT stride;
    HRESULT result;
  } user[] = {
      {"fan", D3DPT_TRIANGLEFAN, 2, corners, sizeof(Vertex), D3D_OK},
      {"points", D3DPT_POINTLIST, 4, corners, sizeof(Vertex), D3D_OK},
      {"no data", D3DPT_TRIANGLELIST, 1, nullptr, sizeof(Vertex), D3DERR_INVALIDCALL},
      {"stride 0", D3DPT_TRIANGLELIST, 1, corners, 0, D3DERR_INVALIDCALL},
      {"no primitives", D3DPT_TRIANGLELIST, 0, corners, sizeof(Vertex), D3DERR_INVALIDCALL},
  };
  for (const auto& c : user) {
    EXPECT_EQ(dev->DrawPrimitiveUP(c.type, c.count, c.data, c.stride), c.result) << c.name;
  }
  EXPECT_EQ(dev->EndScene(), D3D_OK);
  ASSERT_EQ(dev->SetIndices(nullptr), D3D_OK);
  vertices->Release();
  indices->Release();
}
