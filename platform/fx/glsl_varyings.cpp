#include "platform/fx/glsl_varyings.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace fx {

namespace {

struct NarrowVarying {
  std::string name;         // the interface name, "fx_v_TEXCOORD0"
  std::string local;        // the shader's own variable, "fx_l_TEXCOORD0"
  std::string type;         // as the shader declared it
  std::string wide_type;    // vec4, ivec4 or uvec4
  std::string declaration;  // the line as the translator wrote it
  std::string interpolation;
  int width = 4;
};

bool widen(const std::string& type, std::string& wide_type, int& width) {
  static const struct {
    const char* type;
    const char* wide_type;
    int width;
  } kTypes[] = {{"float", "vec4", 1}, {"vec2", "vec4", 2},   {"vec3", "vec4", 3},
                {"int", "ivec4", 1},  {"ivec2", "ivec4", 2}, {"ivec3", "ivec4", 3},
                {"uint", "uvec4", 1}, {"uvec2", "uvec4", 2}, {"uvec3", "uvec4", 3}};
  for (const auto& entry : kTypes) {
    if (type == entry.type) {
      wide_type = entry.wide_type;
      width = entry.width;
      return true;
    }
  }
  return false;
}

bool is_identifier_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

void replace_identifier(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    bool whole = (at == 0 || !is_identifier_char(text[at - 1])) &&
                 (at + from.size() == text.size() || !is_identifier_char(text[at + from.size()]));
    if (!whole) {
      at += from.size();
      continue;
    }
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

// File-level declarations of narrower-than-4 varyings in this stage's direction.
std::vector<NarrowVarying> find_narrow_varyings(const std::string& glsl,
                                                const std::string& direction) {
  std::vector<NarrowVarying> found;
  std::istringstream lines(glsl);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == ' ' || line.back() != ';') continue;
    std::istringstream words(line.substr(0, line.size() - 1));
    NarrowVarying varying;
    std::string word;
    while (words >> word &&
           (word == "flat" || word == "smooth" || word == "noperspective" || word == "centroid")) {
      varying.interpolation += word + " ";
    }
    if (word != direction || !(words >> varying.type >> varying.name)) continue;
    if (varying.name.rfind("fx_v_", 0) != 0 ||
        !widen(varying.type, varying.wide_type, varying.width))
      continue;
    varying.local = "fx_l_" + varying.name.substr(5);
    varying.declaration = line;
    found.push_back(varying);
  }
  return found;
}

std::string padded(const NarrowVarying& varying) {
  const char* zero =
      varying.wide_type == "vec4" ? "0.0" : (varying.wide_type == "ivec4" ? "0" : "0u");
  const char* one =
      varying.wide_type == "vec4" ? "1.0" : (varying.wide_type == "ivec4" ? "1" : "1u");
  std::string value = varying.wide_type + "(" + varying.local;
  for (int i = varying.width; i < 3; ++i) value += std::string(", ") + zero;
  return value + ", " + one + ")";
}

std::string narrowed(const NarrowVarying& varying) {
  static const char* const kSwizzles[] = {"", ".x", ".xy", ".xyz"};
  return varying.name + kSwizzles[varying.width];
}

}  // namespace

void finish_glsl_interface(std::string& glsl, ShaderStage stage,
                           const std::string& position_offset_uniform) {
  bool vertex = stage == ShaderStage::Vertex;
  std::vector<NarrowVarying> varyings = find_narrow_varyings(glsl, vertex ? "out" : "in");
  std::string before_main;
  std::string after_main;
  for (const NarrowVarying& varying : varyings) {
    replace_identifier(glsl, varying.name, varying.local);
    std::string renamed = varying.declaration;
    replace_identifier(renamed, varying.name, varying.local);
    std::string replacement = varying.interpolation + (vertex ? "out " : "in ") +
                              varying.wide_type + " " + varying.name + ";\n" + varying.type + " " +
                              varying.local + ";";
    glsl.replace(glsl.find(renamed), renamed.size(), replacement);
    if (vertex) {
      after_main += "    " + varying.name + " = " + padded(varying) + ";\n";
    } else {
      before_main += "    " + varying.local + " = " + narrowed(varying) + ";\n";
    }
  }
  if (vertex && !position_offset_uniform.empty()) {
    glsl += "\nuniform vec2 " + position_offset_uniform + ";\n";
    after_main += "    gl_Position.xy += " + position_offset_uniform + " * gl_Position.w;\n";
  }
  if (before_main.empty() && after_main.empty()) return;
  // The copies must surround everything main() does, early returns included.
  const std::string main_signature = "void main()";
  size_t at = glsl.find(main_signature);
  if (at == std::string::npos) return;
  glsl.replace(at, main_signature.size(), "void fx_translated_main()");
  glsl += "\nvoid main()\n{\n" + before_main + "    fx_translated_main();\n" + after_main + "}\n";
}

}  // namespace fx
