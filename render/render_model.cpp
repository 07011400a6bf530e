#include "render/render_model.h"

// Kept out of line: the GPU members that join later release their resources here.
RenderModel::RenderModel() = default;
RenderModel::~RenderModel() = default;
