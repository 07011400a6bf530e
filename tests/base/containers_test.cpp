#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/bounded_array.h"
#include "base/text_string.h"

namespace {

TEST(TextStringTest, EmptyIsStoredAsNoneAndReadsNull) {
  TextString defaulted;
  TextString assignedEmpty("");
  EXPECT_EQ(defaulted.raw(), nullptr);
  EXPECT_EQ(assignedEmpty.raw(), nullptr);
  EXPECT_STREQ(defaulted.c_str(), "null");
  EXPECT_STREQ(assignedEmpty.c_str(), "null");

  TextString joined;
  joined.append("");
  EXPECT_EQ(joined.raw(), nullptr);
  joined.append("ab").append(TextString("cd"));
  EXPECT_STREQ(joined.c_str(), "abcd");
  TextString extended = joined.plus("ef");
  EXPECT_STREQ(joined.c_str(), "abcd");
  EXPECT_STREQ(extended.c_str(), "abcdef");

  // Copies are deep; self-assignment from its own buffer is safe.
  TextString copy(extended);
  EXPECT_NE(copy.raw(), extended.raw());
  copy.assign(copy.raw() + 2);
  EXPECT_STREQ(copy.c_str(), "cdef");
}

TEST(TextStringTest, SetExtensionCutsAtTheFirstDot) {
  EXPECT_STREQ(TextString("a.b.c").setExtension("txt").c_str(), "a.txt");
  EXPECT_STREQ(TextString("abc").setExtension("txt").c_str(), "abc.txt");
  EXPECT_STREQ(TextString("abc.").setExtension("txt").c_str(), "abc.txt");
  // The first dot of a relative path wins, which is what scripts rely on.
  EXPECT_STREQ(TextString("../data/wall.x_out").setExtension("txt").c_str(), ".txt");
  EXPECT_STREQ(TextString().setExtension("txt").c_str(), ".txt");
}

TEST(BoundedArrayTest, ResizeKeepsContentOnlyForTheSameSize) {
  BoundedArray<int32_t> values;
  ASSERT_TRUE(values.resize(5));
  for (int i = 0; i < 5; ++i) values[i] = i * 7;
  ASSERT_TRUE(values.resize(5));
  EXPECT_EQ(values[4], 28);

  ASSERT_TRUE(values.resize(0));
  EXPECT_EQ(values.data, nullptr);
  EXPECT_EQ(values.count, 0);

  // Records are default-initialised when created.
  struct Record {
    int32_t a = 3;
    float b = 1.5f;
  };
  BoundedArray<Record> records;
  ASSERT_TRUE(records.resize(4));
  records[0].a = 9;
  ASSERT_TRUE(records.resize(6));
  EXPECT_EQ(records[0].a, 3);
  EXPECT_EQ(records[5].b, 1.5f);
}

TEST(BoundedArrayTest, OutOfRangeSizesFailAndLeaveItEmpty) {
  BoundedArray<uint8_t> bytes;
  ASSERT_TRUE(bytes.resize(3));
  EXPECT_FALSE(bytes.resize(-1));
  EXPECT_EQ(bytes.count, 0);
  EXPECT_EQ(bytes.data, nullptr);
  ASSERT_TRUE(bytes.resize(3));
  EXPECT_FALSE(bytes.resize(10'000'001));
  EXPECT_EQ(bytes.count, 0);
  EXPECT_TRUE(bytes.resize(10'000'000));
  EXPECT_EQ(bytes.count, 10'000'000);
}

TEST(BoundedArrayTest, AssignCopiesAndEmptySourceEmptiesTarget) {
  BoundedArray<float> source;
  BoundedArray<float> target;
  ASSERT_TRUE(source.resize(3));
  source[0] = 1;
  source[1] = 2;
  source[2] = 3;
  ASSERT_TRUE(target.assign(source));
  EXPECT_EQ(target.count, 3);
  EXPECT_NE(target.data, source.data);
  EXPECT_EQ(target[2], 3.0f);

  BoundedArray<float> empty;
  EXPECT_TRUE(target.assign(empty));
  EXPECT_EQ(target.count, 0);
  EXPECT_EQ(target.data, nullptr);
}

}  // namespace
