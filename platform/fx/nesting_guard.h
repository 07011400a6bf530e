#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace fx {

// glslang's HLSL front end (and its preprocessor's #if evaluation) recurse
// once per bracket level, so deeply nested source would overflow the stack.
// Real effects nest a few dozen levels at most.
constexpr size_t kMaxNestingDepth = 128;

// Checks that (, [ and { never nest deeper than kMaxNestingDepth in text,
// outside comments and string literals. On failure, message gets one line
// "file(line): error: nesting deeper than N", following "#line" directives
// for file and line; name is the file the text starts in.
bool check_nesting(std::string_view text, const std::string& name, std::string& message);

}  // namespace fx
