#include "platform/fx/parameter_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace fx {
namespace {

EffectParameter matrix(ValueClass packing, uint32_t rows, uint32_t columns, uint32_t elements, uint32_t offset) {
  EffectParameter parameter;
  parameter.name = "M";
  parameter.value_class = packing;
  parameter.rows = rows;
  parameter.columns = columns;
  parameter.elements = elements;
  parameter.offset = offset;
  parameter.matrix_stride = 16;
  uint32_t stored = packing == ValueClass::MatrixRows ? rows : columns;
  parameter.array_stride = stored * 16;
  parameter.size = parameter.array_stride * (elements == 0 ? 1 : elements);
  return parameter;
}

float float_at(const std::vector<uint8_t>& block, uint32_t offset) {
  float value = 0;
  std::memcpy(&value, block.data() + offset, sizeof value);
  return value;
}

// Row-major 4x4 whose element (r, c) is 10r + c, so every slot is recognisable.
std::vector<float> numbered_matrix() {
  std::vector<float> m(16);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) m[r * 4 + c] = static_cast<float>(10 * r + c);
  }
  return m;
}

TEST(ParameterStore, ColumnMajorMatricesAreStoredTransposed) {
  // HLSL's default packing: each stored 16-byte vector is one column, so the
  // shader's mul(v, M) sums v against a column: v x M for a row-major Matrix4.
  EffectParameter bones = matrix(ValueClass::MatrixColumns, 4, 4, 3, 32);
  std::vector<uint8_t> block(32 + 3 * 64, 0);
  std::vector<float> m = numbered_matrix();
  ASSERT_TRUE(store_matrix(bones, 2, m.data(), block));
  uint32_t element = 32 + 2 * 64;
  for (uint32_t r = 0; r < 4; ++r) {
    for (uint32_t c = 0; c < 4; ++c) {
      EXPECT_EQ(float_at(block, element + c * 16 + r * 4), static_cast<float>(10 * r + c)) << r << "," << c;
    }
  }
  EXPECT_EQ(float_at(block, 32), 0.0f);  // element 0 untouched
  EXPECT_FALSE(store_matrix(bones, 3, m.data(), block));
}

TEST(ParameterStore, RowMajorAndSmallerMatricesTakeTheUpperLeftPart) {
  // row_major float4x3: four stored rows of three used floats each.
  EffectParameter rows = matrix(ValueClass::MatrixRows, 4, 3, 0, 16);
  std::vector<uint8_t> block(16 + 64, 0);
  std::vector<float> m = numbered_matrix();
  ASSERT_TRUE(store_matrix(rows, 0, m.data(), block));
  for (uint32_t r = 0; r < 4; ++r) {
    for (uint32_t c = 0; c < 3; ++c) EXPECT_EQ(float_at(block, 16 + r * 16 + c * 4), static_cast<float>(10 * r + c));
    EXPECT_EQ(float_at(block, 16 + r * 16 + 12), 0.0f) << "padding of row " << r;
  }

  // column_major float3x3 (three stored columns).
  EffectParameter columns = matrix(ValueClass::MatrixColumns, 3, 3, 0, 0);
  std::vector<uint8_t> small(48, 0);
  ASSERT_TRUE(store_matrix(columns, 0, m.data(), small));
  EXPECT_EQ(float_at(small, 1 * 16 + 2 * 4), 21.0f);  // row 2, column 1
  EXPECT_EQ(float_at(small, 2 * 16 + 1 * 4), 12.0f);  // row 1, column 2

  EffectParameter vector;
  vector.value_class = ValueClass::Vector;
  vector.columns = 4;
  vector.size = 16;
  EXPECT_FALSE(store_matrix(vector, 0, m.data(), small));
}

TEST(ParameterStore, ValuesFollowArrayStridesAndConvertToTheParameterType) {
  EffectParameter weights;
  weights.value_class = ValueClass::Scalar;
  weights.elements = 3;
  weights.offset = 8;
  weights.array_stride = 16;
  weights.size = 36;
  std::vector<uint8_t> block(48, 0xAB);
  const float values[] = {0.25f, 0.5f, 0.75f, 1.0f};
  EXPECT_EQ(component_count(weights), 3u);
  ASSERT_TRUE(store_values(weights, values, 3, block));
  EXPECT_EQ(float_at(block, 8), 0.25f);
  EXPECT_EQ(float_at(block, 24), 0.5f);
  EXPECT_EQ(float_at(block, 40), 0.75f);
  EXPECT_EQ(block[12], 0xAB);  // padding between elements left alone

  // More values than declared, or a block too small, writes nothing.
  std::vector<uint8_t> before = block;
  EXPECT_FALSE(store_values(weights, values, 4, block));
  std::vector<uint8_t> short_block(40, 0);
  EXPECT_FALSE(store_values(weights, values, 1, short_block));
  EXPECT_EQ(block, before);

  // Raw components keep their bits and follow the same strides.
  const int32_t words[] = {-1, 7};
  ASSERT_TRUE(store_words(weights, words, sizeof words, block));
  int32_t second_word = 0;
  std::memcpy(&second_word, block.data() + 24, 4);
  EXPECT_EQ(second_word, 7);
  EXPECT_FALSE(store_words(weights, words, 6, block));
  EXPECT_FALSE(store_words(weights, values, 16, block));

  EffectParameter flags;
  flags.type = ValueType::Bool;
  flags.value_class = ValueClass::Vector;
  flags.columns = 2;
  flags.size = 8;
  EffectParameter count;
  count.type = ValueType::Int;
  count.offset = 8;
  count.size = 4;
  std::vector<uint8_t> small(12, 0);
  const float flag_values[] = {0.5f, 0.0f};
  const float count_value = -3.0f;
  ASSERT_TRUE(store_values(flags, flag_values, 2, small));
  ASSERT_TRUE(store_values(count, &count_value, 1, small));
  uint32_t first = 7;
  uint32_t second = 7;
  int32_t stored_count = 0;
  std::memcpy(&first, small.data(), 4);
  std::memcpy(&second, small.data() + 4, 4);
  std::memcpy(&stored_count, small.data() + 8, 4);
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(second, 0u);
  EXPECT_EQ(stored_count, -3);
}

}  // namespace
}  // namespace fx
