#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "base/filetext.h"
#include "base/text_string.h"
#include "model/model_loader.h"
#include "render/render_model.h"

namespace {

constexpr int kMaxTopLevelReads = 64;
constexpr int kMaxEntries = 64;
constexpr int kMaxAnimations = 128;
constexpr int kMaxFramesPerAnimation = 256;

// A word's leading decimal integer, as atoi reads it, but clamped to the int
// range instead of overflowing.
int32_t clampedAtoi(const char* word) {
  const long long value = std::strtoll(word, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int32_t>(value);
}

// Stores a zero-terminated copy of text, sized to its length + 1.
void copyName(BoundedArray<char>& name, const char* text) {
  const size_t length = std::strlen(text);
  if (name.resize(static_cast<int64_t>(length) + 1)) std::memcpy(name.data, text, length + 1);
}

// Reads the rest of an 'm' command: material index, colour texture and normal
// map ("-" for none). False after logging what is missing.
bool readMaterialTextures(Cfiletext& script, CBase& log, MaterialTextureEntry& entry) {
  const char* word = nullptr;
  bool isNumber = false;
  if (script.Call_2_getword(&word, &isNumber) < 1 || !isNumber) {
    log.log_text("<error> parsing text commands in file:\n'm' found but no material number!!");
    return false;
  }
  entry.material = clampedAtoi(word);
  for (BoundedArray<char>* name : {&entry.colour, &entry.bump}) {
    if (script.Call_2_getword(&word, nullptr) < 1) {
      log.log_text("<error> parsing text commands in file:\n'm' found but no texturefilename!!");
      return false;
    }
    copyName(*name, std::strcmp(word, "-") == 0 ? "" : word);
  }
  return true;
}

}  // namespace

bool ModelLoader::loadscript(const char* modelPath) {
  // The extension starts at the first "." of the file name: a dot in a
  // folder name ("models.v2/hero.x_out") is not where it begins.
  const std::string path = modelPath ? modelPath : "";
  const size_t slash = path.find_last_of("/\\");
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  TextString scriptPath(path.substr(0, nameStart).c_str());
  scriptPath.append(TextString(path.c_str() + nameStart).setExtension("txt").c_str());
  log_text2("loading script from: ", scriptPath.c_str());
  return parsetextcommands(scriptPath.c_str());
}

bool ModelLoader::parsetextcommands(const char* scriptPath) {
  Cfiletext script;
  if (!script.Call_1_open(scriptPath)) {
    log_text2("<error> textfile is unreachable: ", scriptPath);
    return false;
  }

  BoundedArray<TextCommandEntry> entries;
  BoundedArray<NamedAnimation> clips;
  BoundedArray<int32_t> frames;
  if (!entries.resize(kMaxEntries) || !clips.resize(kMaxAnimations) ||
      !frames.resize(kMaxFramesPerAnimation)) {
    return false;
  }
  BoundedArray<MaterialTextureEntry> materialEntries;
  BoundedArray<TextCommandEntry> partEntries;
  if (!materialEntries.resize(kMaxTopLevelReads) || !partEntries.resize(kMaxTopLevelReads)) {
    return false;
  }
  int32_t entryCount = 0;
  int32_t clipCount = 0;
  int32_t materialCount = 0;
  int32_t partCount = 0;

  for (int read = 0; read < kMaxTopLevelReads; ++read) {
    const char* word = nullptr;
    if (script.Call_2_getword(&word, nullptr) < 1) break;

    if (std::strcmp(word, "t") == 0 || std::strcmp(word, "b") == 0 || std::strcmp(word, "e") == 0) {
      const char letter = word[0];
      const char* fileName = nullptr;
      if (script.Call_2_getword(&fileName, nullptr) < 1) {
        if (letter == 't') {
          log_text("<error> parsing text commands in file:\n't' found but no texturefilename!!");
        } else if (letter == 'b') {
          log_text(
              "<error> parsing text commands in file:\n'b' found but no bumptexturefilename!!");
        } else {
          log_text("<error> parsing text commands in file:\n'e' found but no effectfilename!!");
        }
        return false;
      }
      TextCommandEntry& entry = entries[entryCount++];
      entry.letter = letter;
      copyName(entry.name, fileName);
    } else if (std::strcmp(word, "T") == 0) {
      mesh.hasTangents = 1;
    } else if (std::strcmp(word, "a") == 0) {
      const char* text = nullptr;
      if (script.Call_2_getword(&text, nullptr) < 1) {
        log_text("<error> ModelLoader textparsing animname not found");
        return false;
      }
      // Names longer than the clip's field are cut to fit.
      char name[NamedAnimation::kMaxNameLength + 1] = {};
      std::strncpy(name, text, NamedAnimation::kMaxNameLength);

      bool isNumber = false;
      if (script.Call_2_getword(&text, &isNumber) < 1 || !isNumber) {
        log_text2("<error> ModelLoader textparsing no speed for anim named: ", name);
        return false;
      }
      const uint32_t speed = static_cast<uint32_t>(clampedAtoi(text));
      if (speed < 50) log_uint("wow framespeed found: ", speed);

      const int32_t frameCount = script.Call_5_parseblock("{", "}", frames);
      if (frameCount == 0) {
        log_text("<error> ModelLoader textparsing 0 frames found!!");
        return false;
      }
      if (clipCount >= kMaxAnimations) {
        log_text("<error> Animation array too small...");
        return false;
      }
      NamedAnimation& clip = clips[clipCount++];
      std::memcpy(clip.name, name, sizeof clip.name);
      clip.speed = speed;
      if (clip.frames.resize(frameCount)) {
        std::memcpy(clip.frames.data, frames.data, sizeof(int32_t) * frameCount);
      }
    } else if (std::strcmp(word, "m") == 0) {
      if (!readMaterialTextures(script, *this, materialEntries[materialCount++])) return false;
    } else if (std::strcmp(word, "p") == 0) {
      const char* fileName = nullptr;
      if (script.Call_2_getword(&fileName, nullptr) < 1) {
        log_text("<error> parsing text commands in file:\n'p' found but no partfilename!!");
        return false;
      }
      TextCommandEntry& part = partEntries[partCount++];
      part.letter = 'p';
      copyName(part.name, fileName);
    } else if (std::strcmp(word, "S") == 0) {
      if (shadowModel == nullptr) {
        // The file name after "S" is then read as the next command word.
        log_text("<error> TextParsing: 'S' found but no shadowvolume mesh...");
        continue;
      }
      shadowRequested = true;
      const char* fileName = nullptr;
      if (script.Call_2_getword(&fileName, nullptr) < 1) {
        log_text("<error> parsing text commands in file:\n'S' found but no effectfilename!!");
        return false;
      }
      if (shadowModel->textCommands.resize(1)) {
        shadowModel->textCommands[0].letter = 'S';
        copyName(shadowModel->textCommands[0].name, fileName);
      }
    }
  }

  // Clips of a script without any file command are not stored.
  if (entryCount > 0 && model != nullptr) {
    if (model->textCommands.resize(entryCount)) {
      for (int32_t i = 0; i < entryCount; ++i) model->textCommands[i] = std::move(entries[i]);
    }
    if (model->animations.resize(clipCount)) {
      for (int32_t i = 0; i < clipCount; ++i) model->animations[i] = std::move(clips[i]);
    }
  }
  if (model != nullptr && materialCount > 0 && model->materialTextureNames.resize(materialCount)) {
    for (int32_t i = 0; i < materialCount; ++i) {
      model->materialTextureNames[i] = std::move(materialEntries[i]);
    }
  }
  if (model != nullptr && partCount > 0 && model->partCommands.resize(partCount)) {
    for (int32_t i = 0; i < partCount; ++i) model->partCommands[i] = std::move(partEntries[i]);
  }
  return true;
}
