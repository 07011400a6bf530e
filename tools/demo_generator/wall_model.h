#pragma once
#include "tools/demo_generator/figure_model.h"

// The wall behind the figure: a slab whose front takes the light's shadow of
// the figure where the default camera sees it (textured, tangents).
DemoModel makeWall();
