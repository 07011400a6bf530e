#pragma once
#include <span>
#include <vector>

#include "platform/fx/fx_tokenizer.h"

namespace fx {

// Reads an initial value written as literals -- "{1, 2}", "float3(1, 2, 3)",
// "-0.5", "true" and nestings of them -- flattened in element order. False
// for anything else (names, operators), which only the compiler can value,
// and for nesting deeper than kMaxInitializerDepth.
constexpr size_t kMaxInitializerDepth = 64;
bool read_initial_values(std::span<const Token> tokens, std::vector<double>& values);

}  // namespace fx
