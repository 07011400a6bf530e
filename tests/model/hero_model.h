#pragma once
// The skinned sample model "hero" with a script that asks for everything,
// laid out as the viewer finds it, and the loader's log for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/model/model_test_support.h"

// The loader's log for hero.x_out (the sample skinned model) with the script
// of heroScript(), everything present, as the viewer would write it.
inline std::vector<std::string> heroLog() {
  return {
      "Vectors loaded.",
      "Weights loaded. Per vertex loaded:  2",
      "Matrix palette for vertices loaded Per vertex num:  2",
      "Normals loaded.",
      "texture coord 0 loaded.",
      "texture coord 1 loaded.",
      "Indices loaded.",
      "materialofsets loaded.",
      "materials loaded.",
      "Bone Num:  2",
      "animation loaded.",
      " framenum: 3",
      "armature loaded.",
      "loading script from: hero.txt",
      // The shadow volume: one vertex per corner, one quad on the shared edge.
      "------ creating ShadowVolume mesh (GPU only) --------- ",
      "new shadowtri count:  4",
      "----- ShadowVolume mesh done ------ ",
      "Uploading ShadowVolume vertices&indices",
      "uploading vertices",
      "id.blendpervertex  2",
      "vertex len  48",
      "buffer len  288",
      "Final FVF D3DFVF_XYZB3 D3DFVF_LASTBETA_UBYTE4 D3DFVF_TEX2 D3DFVF_TEXCOORDSIZE3(1) "
      "D3DFVF_TEXCOORDSIZE3(0) ",
      "PUSHTEXTCOMMANDS ",
      // Tangents: the two triangles' u directions differ, so two vertices split.
      "---Tangent computation---",
      "Tangent melting degree:  30.000000",
      "computing tangents ",
      "start rearranguing.",
      "OIGINAL VERTEXNUM:  4",
      "OIGINAL TRINUM:  2",
      "new VERTEXNUM:  6",
      "---Tangent computation done.---",
      "Uploading NormalMesh vertices&indices",
      "uploading vertices",
      "id.blendpervertex  2",
      "vertex len  64",
      "buffer len  384",
      "Final FVF D3DFVF_XYZB3 D3DFVF_LASTBETA_UBYTE4 D3DFVF_NORMAL D3DFVF_TEX3 "
      "D3DFVF_TEXCOORDSIZE3(2) D3DFVF_TEXCOORDSIZE2(1) D3DFVF_TEXCOORDSIZE2(0) ",
      "PUSHTEXTCOMMANDS ",
      "EFFECT: skin.fx",
      "vectors & indices uploaded in normal ram too.",
  };
}

inline ScriptDescription heroScript() {
  ScriptDescription script;
  script.texture = "hero.bmp";
  script.bumpTexture = "hero_n.bmp";
  script.effect = "skin.fx";
  script.tangents = true;
  script.shadowEffect = "shadow.fx";
  script.animations = {{"walk", 60, {0, 1, 2}}};
  return script;
}

// Writes hero.x_out with its script, textures and effects into the layout.
inline void writeHero(const ViewerLayout& layout, const ModelDescription& model, const ScriptDescription& script) {
  ASSERT_TRUE(writeModelFile(layout.bin("hero.x_out"), model));
  ASSERT_TRUE(writeScriptBeside(layout.bin("hero.x_out"), script));
  layout.writeTexture("hero.bmp");
  layout.writeTexture("hero_n.bmp");
  layout.writeEffect("skin.fx");
  layout.writeEffect("shadow.fx");
}
