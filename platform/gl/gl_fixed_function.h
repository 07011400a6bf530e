#pragma once
#include <epoxy/gl.h>

#include "geometry/matrix4.h"
#include "platform/d3d9_types.h"
#include "platform/gl/gl_shader.h"
#include "platform/gl/gl_vertex_input.h"

// The part of Direct3D 9's fixed-function pipeline this system draws with:
// transformed (XYZ, by World x View x Projection) or pre-transformed (XYZRHW,
// in pixels) vertices with an optional diffuse colour and one texture set;
// texture stage 0 selecting or modulating TEXTURE and DIFFUSE; point sizes
// with Direct3D's distance scaling; lighting with no lights (black).

enum class FfStageOp : GLint { Disable = 0, SelectArg1 = 1, SelectArg2 = 2, Modulate = 3 };
enum class FfStageArg : GLint { Diffuse = 0, Texture = 1 };

// Unknown operations modulate (stage 0's default operation).
FfStageOp ff_stage_op(DWORD d3dTextureOp);
// D3DTA_TEXTURE reads the texture; DIFFUSE, CURRENT (the diffuse colour at
// stage 0) and anything else read the diffuse colour.
FfStageArg ff_stage_arg(DWORD d3dTextureArg);

struct FfStage {
  FfStageOp op = FfStageOp::Modulate;
  FfStageArg arg1 = FfStageArg::Texture;
  FfStageArg arg2 = FfStageArg::Diffuse;
};

struct FfSettings {
  bool pretransformed = false;
  bool hasColor = false;
  bool lighting = false;
  Matrix4 worldViewProj;
  Matrix4 worldView;
  float viewport[4] = {0, 0, 1, 1};  // x, y, width, height in pixels
  FfStage color;
  FfStage alpha;
  float pointSize = 1.0f;
  bool pointScale = false;
  float pointScaleA = 1.0f;
  float pointScaleB = 0.0f;
  float pointScaleC = 0.0f;
  float pointSizeMin = 1.0f;
  float pointSizeMax = 64.0f;
  bool pointSprite = false;  // texture coordinates run across each point
};

class GlFixedFunction {
 public:
  // Compiles the program in the current context; false when GL refuses it.
  bool Build();
  void Release();
  bool Ready() const { return program_ != 0; }

  // Makes the program current with these settings; texture unit 0 is the
  // stage-0 texture.
  void Use(const FfSettings& settings, bool flipY);

  // The program's vertex inputs: POSITION, COLOR0, TEXCOORD0.
  const GlInputLocation* Inputs() const { return inputs_; }
  int InputCount() const { return 3; }

 private:
  GLuint program_ = 0;
  GlPositionFixup fixup_;
  GlInputLocation inputs_[3];
  struct {
    GLint worldViewProj, worldView, pretransformed, viewport, hasColor, lighting, pointSize,
        pointScale, pointScaleFactors, pointSizeRange, pointSprite, colorStage, alphaStage,
        texture;
  } at_{};
};
