#include "tools/model_writer/script_writer.h"

#include <cstdio>

#include "base/text_string.h"

std::string scriptText(const ScriptDescription& script) {
  std::string text;
  if (!script.texture.empty()) text += "t " + script.texture + "\n";
  if (!script.bumpTexture.empty()) text += "b " + script.bumpTexture + "\n";
  if (!script.effect.empty()) text += "e " + script.effect + "\n";
  if (script.tangents) text += "T\n";
  if (!script.shadowEffect.empty()) text += "S " + script.shadowEffect + "\n";
  for (const std::string& part : script.parts) text += "p " + part + "\n";
  for (const ScriptClip& clip : script.animations) {
    text += "a " + clip.name + " " + std::to_string(clip.speed) + " {";
    for (int32_t frame : clip.frames) text += " " + std::to_string(frame);
    text += " }\n";
  }
  const auto orNone = [](const std::string& name) {
    return name.empty() ? std::string("-") : name;
  };
  for (const ScriptMaterialTextures& material : script.materialTextures) {
    text += "m " + std::to_string(material.material) + " " + orNone(material.colour) + " " +
            orNone(material.bump) + "\n";
  }
  return text;
}

size_t scriptCommandCount(const ScriptDescription& script) {
  size_t count = script.parts.size() + script.animations.size() + script.materialTextures.size();
  for (const std::string* name :
       {&script.texture, &script.bumpTexture, &script.effect, &script.shadowEffect}) {
    if (!name->empty()) ++count;
  }
  return count + (script.tangents ? 1 : 0);
}

std::string scriptPathFor(const std::string& modelPath) {
  TextString path(modelPath.c_str());
  path.setExtension("txt");
  return path.c_str();
}

bool writeScriptFile(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  const bool written = std::fputs(text.c_str(), file) >= 0;
  return std::fclose(file) == 0 && written;
}

bool writeScriptFile(const std::string& path, const ScriptDescription& script) {
  return writeScriptFile(path, scriptText(script));
}

bool writeScriptBeside(const std::string& modelPath, const ScriptDescription& script) {
  return writeScriptFile(scriptPathFor(modelPath), script);
}
