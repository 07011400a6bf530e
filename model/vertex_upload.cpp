// The upload of one mesh into a RenderModel: the 16-bit index list, then the
// interleaved vertices with their FVF code.
#include <cstdint>
#include <cstring>

#include "model/model_loader.h"
#include "model/vertex_record_plan.h"
#include "render/render_model.h"

bool ModelLoader::uploadbuffers(RenderModel& target, const MeshGeometry& geometry) {
  const int32_t count = geometry.indices.count;
  if (!target.indexBuffer.Create(count) || count == 0) {
    log_int("<error> ModelLoader::uploadbuffers() index buffer not created inum: ", count);
    return false;
  }
  uint16_t* indices = target.indexBuffer.Lock(0, 0);
  if (indices == nullptr) {
    log_int("<error> ModelLoader::uploadbuffers() index buffer not locked inum: ", count);
    return false;
  }
  std::memcpy(indices, geometry.indices.data, static_cast<size_t>(count) * sizeof(uint16_t));
  target.indexBuffer.Unlock();
  return true;
}

bool ModelLoader::uploadvertices(RenderModel& target, MeshGeometry& geometry) {
  log_text("uploading vertices");
  const VertexRecordPlan layout = planVertexRecord(geometry);
  switch (layout.problem) {
    case VertexRecordPlan::Problem::NoPositions:
      log_text("<error> Vectors not loaded... phew!");
      return false;
    case VertexRecordPlan::Problem::BadWeightsPerVertex:
      log_int("<error> blendpervertex nonsense .ModelLoader::uploadvertices(). val:",
              static_cast<int32_t>(geometry.weightsPerVertex));
      return false;
    default:
      break;
  }
  if (layout.weights != VertexRecordPlan::kAbsent) {
    log_int("id.blendpervertex ", static_cast<int32_t>(geometry.weightsPerVertex));
  }
  if (layout.tangentsDropped) {
    log_text(
        "<info> text command specifies to compute tangent\nbut no texcoords in file..so no "
        "tangents!");
    geometry.hasTangents = 0;
  }
  if (layout.problem == VertexRecordPlan::Problem::TooManyTextureSets) {
    log_int("<error> SV vectors can't be put in vertex struct... texnum already: ",
            static_cast<int32_t>(layout.textureSets));
    return false;
  }

  const int32_t stride = static_cast<int32_t>(layout.stride);
  log_int("vertex len ", stride);
  // Lists hold at most 10,000,000 vertices of under 100 bytes, so this only guards.
  const int64_t length = int64_t(geometry.positions.count) * stride;
  log_int("buffer len ", static_cast<int32_t>(length));
  if (length > INT32_MAX ||
      !target.vertexBuffer.Create(static_cast<int32_t>(length), layout.stride, layout.fvf)) {
    log_int("<error> ModelLoader::uploadbuffers() vertex buffer not created size: ",
            static_cast<int32_t>(length));
    return false;
  }
  auto* vertices = static_cast<uint8_t*>(target.vertexBuffer.Lock(0, 0));
  if (vertices == nullptr) {
    log_int("<error> ModelLoader::uploadbuffers() vertex buffer not locked inum: ",
            static_cast<int32_t>(length));
    return false;
  }
  writeVertices(geometry, layout, vertices);
  target.vertexBuffer.Unlock();

  char text[kFVFDescriptionLength + 1];
  describeFVF(target, text);
  log_text2("Final FVF ", text);
  return true;
}

void ModelLoader::describeFVF(const RenderModel& target, char* text) {
  ::describeFVF(target.vertexBuffer.GetFVF(), text, kFVFDescriptionLength + 1);
}
