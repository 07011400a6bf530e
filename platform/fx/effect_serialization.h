#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fx/compiled_effect.h"

// A compiled effect as bytes and back, for the on-disk effect cache. The
// bytes are only ever read by the build that wrote them (the cache key names
// the build), so the layout is plain: little-endian 32-bit numbers and
// length-prefixed strings and lists, in field order.
namespace fx {

std::vector<uint8_t> serialize_effect(const CompiledEffect& effect, const std::string& messages);

// False, leaving the outputs unspecified, when the bytes are cut short,
// carry a length beyond their end or have bytes left over.
bool deserialize_effect(const std::vector<uint8_t>& bytes, CompiledEffect& effect,
                        std::string& messages);

}  // namespace fx
