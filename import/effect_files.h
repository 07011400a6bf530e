#pragma once
#include <string>
#include <vector>

// The effect files shipped with the viewer, as the converted model's script
// names them: relative to the start folder (bin/), in the effect folder beside it.
namespace shipped_effects {
inline constexpr char kFolderFromBin[] = "../effect/";
inline constexpr char kSkinned[] = "skinned.fx";
inline constexpr char kStatic[] = "static.fx";
inline constexpr char kShadowVolume[] = "shadow_volume.fx";
}  // namespace shipped_effects

// The folder holding the shipped effect files: the one given, else "effect"
// beside the executable, else the program's data folder (base/program_data.h).
// "" when none of them holds the skinned effect.
std::string findEffectFolder(const std::string& given, const std::string& executablePath);

// Copies every .fx and .fxh file of from into to; false with a reason when
// one cannot be copied. written receives the copies' paths.
bool copyEffectFiles(const std::string& from, const std::string& to,
                     std::vector<std::string>* written, std::string* error);

// How many matrices the effect's "matrixBone" array holds, following its
// #include files and #define values; 0 with a reason when it cannot tell.
int boneArrayCapacity(const std::string& effectPath, std::string* error);
