#pragma once
#include <string>
#include <vector>

#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/script_writer.h"

// A model file's contents together with its script.
struct DemoModel {
  ModelDescription model;
  ScriptDescription script;
};

// One bone of the demo figure: its joint relative to its parent's joint (in
// the parent's frame) and the boxes that move with it, in its own frame.
struct FigureBone {
  std::string name;
  int parent = -1;  // -1: the root
  Vector3 joint;
  struct Box {
    Vector3 min;
    Vector3 max;
  };
  std::vector<Box> boxes;
};

// The jointed figure: a pelvis with spine, chest, neck and head, two arms of
// upper arm, forearm and hand, two legs of thigh, shin and foot; parents
// always come before their children.
const std::vector<FigureBone>& figureSkeleton();

// The clips of the figure, in script order; the viewer starts with the third.
const std::vector<ScriptClip>& figureClips();

// The skinned figure (textured, tangents, a shadow volume, three clips).
DemoModel makeFigure();
