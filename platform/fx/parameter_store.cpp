#include "platform/fx/parameter_store.h"

#include <cmath>
#include <cstring>

namespace fx {

namespace {

bool fits(const EffectParameter& parameter, std::span<uint8_t> block) {
  return static_cast<size_t>(parameter.offset) + parameter.size <= block.size();
}

void store_component(const EffectParameter& parameter, uint32_t component, float value,
                     std::span<uint8_t> block) {
  uint8_t* target = block.data() + component_offset(parameter, component);
  switch (parameter.type) {
    case ValueType::Int: {
      int32_t number = static_cast<int32_t>(std::lround(value));
      std::memcpy(target, &number, sizeof number);
      break;
    }
    case ValueType::UInt: {
      uint32_t number = value <= 0.0f ? 0u : static_cast<uint32_t>(std::lround(value));
      std::memcpy(target, &number, sizeof number);
      break;
    }
    case ValueType::Bool: {
      uint32_t number = value != 0.0f ? 1u : 0u;
      std::memcpy(target, &number, sizeof number);
      break;
    }
    default:
      std::memcpy(target, &value, sizeof value);
      break;
  }
}

}  // namespace

uint32_t component_count(const EffectParameter& parameter) {
  if (parameter.value_class == ValueClass::Struct) return 0;
  uint32_t elements = parameter.elements == 0 ? 1 : parameter.elements;
  return elements * parameter.rows * parameter.columns;
}

uint32_t component_offset(const EffectParameter& parameter, uint32_t component) {
  uint32_t per_element = parameter.rows * parameter.columns;
  uint32_t element = component / per_element;
  uint32_t row = component % per_element / parameter.columns;
  uint32_t column = component % parameter.columns;
  uint32_t base = parameter.offset + element * parameter.array_stride;
  switch (parameter.value_class) {
    case ValueClass::MatrixRows:
      return base + row * parameter.matrix_stride + column * 4;
    case ValueClass::MatrixColumns:
      return base + column * parameter.matrix_stride + row * 4;
    default:
      return base + column * 4;
  }
}

bool store_values(const EffectParameter& parameter, const float* values, size_t count,
                  std::span<uint8_t> block) {
  if (count > component_count(parameter) || !fits(parameter, block)) return false;
  for (size_t i = 0; i < count; ++i)
    store_component(parameter, static_cast<uint32_t>(i), values[i], block);
  return true;
}

bool store_words(const EffectParameter& parameter, const void* data, size_t bytes,
                 std::span<uint8_t> block) {
  if (bytes % 4 != 0 || bytes / 4 > component_count(parameter) || !fits(parameter, block))
    return false;
  const uint8_t* source = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < bytes / 4; ++i) {
    std::memcpy(block.data() + component_offset(parameter, static_cast<uint32_t>(i)),
                source + i * 4, 4);
  }
  return true;
}

bool store_matrix(const EffectParameter& parameter, uint32_t element, const float* matrix16,
                  std::span<uint8_t> block) {
  bool matrix = parameter.value_class == ValueClass::MatrixRows ||
                parameter.value_class == ValueClass::MatrixColumns;
  uint32_t elements = parameter.elements == 0 ? 1 : parameter.elements;
  if (!matrix || element >= elements || parameter.rows > 4 || parameter.columns > 4 ||
      !fits(parameter, block)) {
    return false;
  }
  uint32_t first = element * parameter.rows * parameter.columns;
  for (uint32_t row = 0; row < parameter.rows; ++row) {
    for (uint32_t column = 0; column < parameter.columns; ++column) {
      store_component(parameter, first + row * parameter.columns + column,
                      matrix16[row * 4 + column], block);
    }
  }
  return true;
}

}  // namespace fx
