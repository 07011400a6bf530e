#pragma once
#include <cstdint>

class RenderModel;

// What a caller hands to ModelLoader::load: the models to fill.
struct LoadTargets {
  uint8_t keepInRam = 0;                // non-zero: also keep positions and indices in RAM
  RenderModel* model = nullptr;         // the normal model; required
  RenderModel* shadowModel = nullptr;   // the shadow-volume model; may be null
};
