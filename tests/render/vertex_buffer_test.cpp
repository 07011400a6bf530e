#include "render/vertex_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/record/record_buffers.h"
#include "tests/render/recorded_device_fixture.h"

using VertexBufferTest = RecordedDeviceTest;

TEST_F(VertexBufferTest, CreatesAManagedBufferWithoutItsFormat) {
  VertexBuffer buffer;
  ASSERT_TRUE(buffer.Create(600, 60, 0x4121C));
  const CallRecord* call = log().Last("CreateVertexBuffer");
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->u(0), 600u);
  EXPECT_EQ(call->u(1), 0u);
  EXPECT_EQ(call->u(2), 0u);  // the format is set at draw time
  EXPECT_EQ(call->u(3), D3DPOOL_MANAGED);
  EXPECT_EQ(call->p(5), nullptr);
  EXPECT_EQ(buffer.GetSize(), 600);
  EXPECT_EQ(buffer.GetStride(), 60u);
  EXPECT_EQ(buffer.GetFVF(), 0x4121Cu);

  // Release clears size and stride, keeps the format.
  buffer.Release();
  EXPECT_EQ(buffer.GetBuffer(), nullptr);
  EXPECT_EQ(buffer.GetSize(), 0);
  EXPECT_EQ(buffer.GetStride(), 0u);
  EXPECT_EQ(buffer.GetFVF(), 0x4121Cu);
  EXPECT_EQ(rec().Live(RecordKind::VertexBuffer), 0);

  rec().Fail("CreateVertexBuffer", D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_FALSE(buffer.Create(600, 60, 0x42));
  EXPECT_EQ(buffer.GetBuffer(), nullptr);
  EXPECT_EQ(buffer.GetFVF(), 0x4121Cu);  // set only by a successful create
  EXPECT_FALSE(buffer.Create(-1, 12, 0x2));
}

TEST_F(VertexBufferTest, LockRanges) {
  VertexBuffer buffer;
  EXPECT_EQ(buffer.Lock(0, 0), nullptr);  // nothing held
  ASSERT_TRUE(buffer.Create(64, 16, 0x42));
  auto* record = dynamic_cast<RecordVertexBuffer*>(buffer.GetBuffer());
  ASSERT_NE(record, nullptr);

  // (0, 0) is the whole buffer.
  auto* whole = static_cast<uint8_t*>(buffer.Lock(0, 0));
  ASSERT_NE(whole, nullptr);
  const CallRecord* lock = log().Last("VertexBuffer::Lock");
  EXPECT_EQ(lock->u(0), 0u);
  EXPECT_EQ(lock->u(1), 64u);
  EXPECT_EQ(lock->u(3), D3DLOCK_NOSYSLOCK);
  std::memset(whole, 0xAB, 64);
  buffer.Unlock();
  EXPECT_FALSE(record->IsLocked());
  EXPECT_EQ(record->Contents()[63], 0xAB);

  // A part: the pointer is at the offset.
  auto* part = static_cast<uint8_t*>(buffer.Lock(16, 48));
  ASSERT_NE(part, nullptr);
  part[0] = 0x11;
  buffer.Unlock();
  EXPECT_EQ(record->Contents()[16], 0x11);
  EXPECT_EQ(record->Contents()[15], 0xAB);

  // Past the end: null, and Direct3D is not asked.
  const size_t locks = log().Count("VertexBuffer::Lock");
  EXPECT_EQ(buffer.Lock(0, 65), nullptr);
  EXPECT_EQ(buffer.Lock(60, 8), nullptr);
  EXPECT_EQ(buffer.Lock(0xFFFFFFF0u, 0x20), nullptr);  // no wrap-around
  EXPECT_EQ(log().Count("VertexBuffer::Lock"), locks);

  // A lock the device refuses gives null and leaves the buffer unlocked.
  rec().Fail("VertexBuffer::Lock", D3DERR_WASSTILLDRAWING);
  EXPECT_EQ(buffer.Lock(0, 0), nullptr);
  EXPECT_FALSE(record->IsLocked());
}

TEST_F(VertexBufferTest, RecreationReleasesTheFirstBufferFirst) {
  {
    VertexBuffer buffer;
    ASSERT_TRUE(buffer.Create(48, 12, 0x2));
    IDirect3DVertexBuffer9* first = buffer.GetBuffer();
    const size_t mark = log().Size();
    ASSERT_TRUE(buffer.Create(96, 12, 0x2));
    std::vector<std::string> ops = log().Ops(mark, true);
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0], "VertexBuffer::Release");
    EXPECT_EQ(log().All()[mark].object, first);
    EXPECT_EQ(ops[1], "CreateVertexBuffer");
    EXPECT_EQ(rec().Live(RecordKind::VertexBuffer), 1);
  }
  EXPECT_EQ(rec().Live(RecordKind::VertexBuffer), 0);
}
