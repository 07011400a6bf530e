#include "render/index_buffer.h"

#include <gtest/gtest.h>

#include "platform/record/record_buffers.h"
#include "tests/render/recorded_device_fixture.h"

using IndexBufferTest = RecordedDeviceTest;

TEST_F(IndexBufferTest, SixteenBitIndicesInTheManagedPool) {
  IndexBuffer buffer;
  ASSERT_TRUE(buffer.Create(300));
  const CallRecord* call = log().Last("CreateIndexBuffer");
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->u(0), 600u);
  EXPECT_EQ(call->u(1), 0u);
  EXPECT_EQ(call->u(2), D3DFMT_INDEX16);
  EXPECT_EQ(call->u(3), D3DPOOL_MANAGED);
  EXPECT_EQ(call->p(5), nullptr);
  EXPECT_EQ(buffer.GetCount(), 300);

  // Release keeps the count.
  buffer.Release();
  EXPECT_EQ(buffer.GetBuffer(), nullptr);
  EXPECT_EQ(buffer.GetCount(), 300);
  EXPECT_EQ(rec().Live(RecordKind::IndexBuffer), 0);
  EXPECT_FALSE(buffer.Create(-5));
}

TEST_F(IndexBufferTest, LockRangesAreInIndices) {
  IndexBuffer buffer;
  EXPECT_EQ(buffer.Lock(0, 0), nullptr);
  ASSERT_TRUE(buffer.Create(300));
  auto* record = dynamic_cast<RecordIndexBuffer*>(buffer.GetBuffer());
  ASSERT_NE(record, nullptr);

  // (100, 200) covers bytes 200 to 599.
  uint16_t* part = buffer.Lock(100, 200);
  ASSERT_NE(part, nullptr);
  const CallRecord* lock = log().Last("IndexBuffer::Lock");
  EXPECT_EQ(lock->u(0), 200u);
  EXPECT_EQ(lock->u(1), 400u);
  EXPECT_EQ(lock->u(3), D3DLOCK_NOSYSLOCK);
  part[0] = 0x1234;
  part[199] = 0x5678;
  buffer.Unlock();
  EXPECT_EQ(record->Contents()[200], 0x34);
  EXPECT_EQ(record->Contents()[201], 0x12);
  EXPECT_EQ(record->Contents()[598], 0x78);

  // (0, 0) is all of them.
  ASSERT_NE(buffer.Lock(0, 0), nullptr);
  EXPECT_EQ(log().Last("IndexBuffer::Lock")->u(1), 600u);
  buffer.Unlock();

  const size_t locks = log().Count("IndexBuffer::Lock");
  EXPECT_EQ(buffer.Lock(101, 200), nullptr);
  EXPECT_EQ(buffer.Lock(0, 301), nullptr);
  EXPECT_EQ(buffer.Lock(0x80000000u, 0x80000000u), nullptr);  // no wrap-around
  EXPECT_EQ(log().Count("IndexBuffer::Lock"), locks);

  rec().Fail("IndexBuffer::Lock");
  EXPECT_EQ(buffer.Lock(0, 0), nullptr);
  EXPECT_FALSE(record->IsLocked());
}

TEST_F(IndexBufferTest, RecreationReleasesTheFirstBufferFirst) {
  {
    IndexBuffer buffer;
    ASSERT_TRUE(buffer.Create(3));
    IDirect3DIndexBuffer9* first = buffer.GetBuffer();
    const size_t mark = log().Size();
    ASSERT_TRUE(buffer.Create(6));
    std::vector<std::string> ops = log().Ops(mark, true);
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0], "IndexBuffer::Release");
    EXPECT_EQ(log().All()[mark].object, first);
    EXPECT_EQ(ops[1], "CreateIndexBuffer");

    // A failed creation keeps the old count but holds no buffer.
    rec().Fail("CreateIndexBuffer", D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(buffer.Create(9));
    EXPECT_EQ(buffer.GetBuffer(), nullptr);
    EXPECT_EQ(buffer.GetCount(), 6);
  }
  EXPECT_EQ(rec().Live(RecordKind::IndexBuffer), 0);
}
