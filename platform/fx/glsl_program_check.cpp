#include "platform/fx/glsl_program_check.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>

#include <map>
#include <sstream>

#include "platform/fx/glslang_process.h"

namespace fx {

namespace {

struct Varying {
  std::string type;
  std::string interpolation;
};

// File-level "in"/"out" declarations; the translator writes them unindented,
// one per line ("flat out ivec4 fx_v_TEXCOORD1;").
std::map<std::string, Varying> interface_variables(const std::string& glsl,
                                                   const std::string& direction) {
  std::map<std::string, Varying> found;
  std::istringstream lines(glsl);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == ' ' || line.back() != ';') continue;
    if (line.rfind("layout(", 0) == 0) line.erase(0, line.find(')') + 1);
    std::istringstream words(line.substr(0, line.size() - 1));
    std::string word;
    std::string interpolation;
    while (words >> word &&
           (word == "flat" || word == "smooth" || word == "noperspective" || word == "centroid")) {
      interpolation += word + " ";
    }
    if (word != direction) continue;
    Varying varying{"", interpolation};
    std::string name;
    if (words >> varying.type >> name) found[name] = varying;
  }
  return found;
}

bool compile_stage(glslang::TShader& shader, const std::string& source, const char* label,
                   std::string& log) {
  const char* text = source.c_str();
  const char* name = label;
  int length = static_cast<int>(source.size());
  shader.setStringsWithLengthsAndNames(&text, &length, &name, 1);
  if (shader.parse(GetDefaultResources(), 330, ECoreProfile, false, false, EShMsgDefault))
    return true;
  log += shader.getInfoLog();
  return false;
}

}  // namespace

bool check_glsl_program(const std::string& vertex_glsl, const std::string& fragment_glsl,
                        std::string& log) {
  ensure_glslang_initialized();
  log.clear();
  glslang::TShader vertex(EShLangVertex);
  glslang::TShader fragment(EShLangFragment);
  bool compiled = compile_stage(vertex, vertex_glsl, "vertex", log);
  compiled = compile_stage(fragment, fragment_glsl, "fragment", log) && compiled;
  if (!compiled) return false;
  glslang::TProgram program;
  program.addShader(&vertex);
  program.addShader(&fragment);
  if (!program.link(EShMsgDefault)) {
    log += program.getInfoLog();
    return false;
  }
  std::map<std::string, Varying> outputs = interface_variables(vertex_glsl, "out");
  bool ok = true;
  for (const auto& [name, input] : interface_variables(fragment_glsl, "in")) {
    auto output = outputs.find(name);
    if (output == outputs.end()) {
      log += "fragment input '" + name + "' has no vertex output\n";
      ok = false;
    } else if (output->second.type != input.type ||
               output->second.interpolation != input.interpolation) {
      log += "fragment input '" + name + "' (" + input.interpolation + input.type +
             ") differs from the vertex output (" + output->second.interpolation +
             output->second.type + ")\n";
      ok = false;
    }
  }
  return ok;
}

}  // namespace fx
