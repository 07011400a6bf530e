#include "model/model_loader.h"

#include <cstring>

#include "geometry/shadow_volume.h"
#include "geometry/tangent.h"
#include "model/model_consistency.h"
#include "render/render_model.h"

ModelLoader::ModelLoader() { reset(); }

ModelLoader::~ModelLoader() = default;

void ModelLoader::reset() {
  mesh.positions.free();
  mesh.blendWeights.free();
  mesh.paletteIndices.free();
  mesh.normals.free();
  mesh.texCoords0.free();
  mesh.texCoords1.free();
  mesh.indices.free();
  mesh.weightsPerVertex = 0;
  mesh.paletteIndicesPerVertex = 0;
  std::memset(mesh.chunkFlags, 0, sizeof mesh.chunkFlags);
  mesh.reserved = 0;
  mesh.hasTangents = 0;
  mesh.isShadowVolume = 0;
  shadowRequested = false;
}

uint32_t ModelLoader::load(const char* path, const LoadTargets& targets) {
  reset();
  model = targets.model;
  shadowModel = targets.shadowModel;
  FileByteSource file;
  if (!file.open(path)) {
    log_text("<error> Bad filename!");
    return 0;
  }
  return loadFrom(file, path, targets);
}

uint32_t ModelLoader::loadFromBytes(const uint8_t* bytes, size_t size, const char* path,
                                    const LoadTargets& targets) {
  reset();
  model = targets.model;
  shadowModel = targets.shadowModel;
  MemoryByteSource memory(bytes, bytes ? size : 0);
  return loadFrom(memory, path, targets);
}

uint32_t ModelLoader::loadFrom(ByteSource& source, const char* path, const LoadTargets& targets) {
  keepInRam_ = targets.keepInRam;
  chunkTable_.clear();
  if (!readMagic(source)) return finishLoad(0);
  if (!readChunks(source)) return finishLoad(0);
  if (!loadscript(path)) return finishLoad(0);
  // The builders and the upload below index the lists by each other's counts.
  if (!checkConsistency()) return finishLoad(0);

  if (shadowRequested && !buildShadowVolume()) return finishLoad(0);
  if (mesh.hasTangents != 0) buildTangents();
  if (model != nullptr && !uploadNormalModel()) return finishLoad(0);
  if (model != nullptr && model->partCommands.count > 0 && !loadParts(path)) return finishLoad(0);

  if (keepInRam_ != 0) save_geom_to_model();
  return finishLoad(1);
}

uint32_t ModelLoader::finishLoad(uint32_t result) {
  chunkHeaderData_.free();
  return result;
}

bool ModelLoader::readMagic(ByteSource& source) {
  char magic[5] = {};
  source.read(magic, 4);
  if (std::strcmp(magic, kModelMagic) == 0) return true;
  log_text2("<error> (not my model file format?) ModelLoader wrong magic word: ", magic);
  return false;
}

bool ModelLoader::readChunks(ByteSource& source) {
  for (;;) {
    ChunkRecord record;
    record.offset = source.position();
    // Fewer than 12 bytes left ends the stream; a trailing fragment is ignored.
    if (!source.read(&record.header, sizeof record.header)) return true;
    chunkTable_.push_back(record);
    const ChunkHeader& header = record.header;

    if (header.Id > kMaxChunkId || header.Chunkdatasize > kMaxChunkdatasize ||
        header.Datasize > kMaxDatasize) {
      log_text("<error> ModelLoader error in file data!!!\n Chunk:");
      log_uint("   Id: ", header.Id);
      log_uint("   Chunkdatasize: ", header.Chunkdatasize);
      log_uint("   Datasize: ", header.Datasize);
      return false;
    }

    if (header.Chunkdatasize > 0) {
      if (header.Chunkdatasize > source.remaining() ||
          !chunkHeaderData_.resize(header.Chunkdatasize) ||
          !source.read(chunkHeaderData_.data, header.Chunkdatasize)) {
        log_uint("<error> ModelLoader failed to load chunkheader data size: ",
                 header.Chunkdatasize);
        return false;
      }
    } else {
      chunkHeaderData_.free();
    }

    if (!runChunkStep(source, header)) return false;
    mesh.chunkFlags[header.Id] = 1;
  }
}

bool ModelLoader::runChunkStep(ByteSource& source, const ChunkHeader& header) {
  const ChunkData& data = chunkHeaderData_;
  switch (header.Id) {
    case CHUNK_VECTORS:
      return load_1_vectors(source, header, data);
    case CHUNK_BLENDWEIGHTS:
      return load_1a_blendweights(source, header, data);
    case CHUNK_MATRIXPALETTE:
      return load_1b_matrixpalette(source, header, data);
    case CHUNK_NORMALS:
      return load_1c_normals(source, header, data);
    case CHUNK_TEXCO0:
      return load_1d_texco0(source, header, data);
    case CHUNK_TEXCO1:
      return load_1e_texco1(source, header, data);
    case CHUNK_INDICES:
      return load_2_indices(source, header, data);
    case CHUNK_MATERIALOFSETS:
      return load_3_materialofsets(source, header, data);
    case CHUNK_MATERIAL:
      return load_4_material(source, header, data);
    case CHUNK_ANIMATION:
      return load_5_animation(source, header, data);
    case CHUNK_ARMATURE:
      return load_6_armature(source, header, data);
    default:
      return false;  // the limit check keeps Id within the table
  }
}

bool ModelLoader::checkConsistency() {
  // The load stops at the first violation; tools that want them all call the checker themselves.
  const int violations = checkModelConsistency(mesh, model, [](const char* line) {
    log_text(line);
    return false;
  });
  return violations == 0;
}

bool ModelLoader::buildShadowVolume() {
  // Only a given shadow model lets the script request one; checked all the same.
  if (shadowModel == nullptr) {
    shadowRequested = false;
    return true;
  }
  CShadowVolume builder;
  if (!builder.create(mesh, shadowMesh)) {
    // The model loads on without a shadow volume.
    log_text("<error> creating shadow volume");
    shadowRequested = false;
    return true;
  }
  log_text("Uploading ShadowVolume vertices&indices");
  if (!uploadbuffers(*shadowModel, shadowMesh) || !uploadvertices(*shadowModel, shadowMesh)) {
    return false;
  }
  shadowModel->kind = RenderModel::kShadowVolumeModel;
  shadowModel->ready = 1;
  shadowModel->PrepareForDraw();  // a missing effect does not fail the load
  return true;
}

void ModelLoader::buildTangents() {
  // Without any texture set the upload reports the request and drops it.
  if (mesh.texCoords0.empty() && mesh.texCoords1.empty()) return;
  MeshGeometry rebuilt;
  CTangent builder;
  if (!builder.create(mesh, rebuilt, meltingDegree)) {
    // The mesh stays as read: a failed build leaves nothing worth taking over.
    log_text("<error> creating tangent data");
    mesh.hasTangents = 0;
    return;
  }
  mesh.copyFrom(rebuilt);
}

bool ModelLoader::uploadNormalModel() {
  log_text("Uploading NormalMesh vertices&indices");
  if (!uploadbuffers(*model, mesh) || !uploadvertices(*model, mesh)) return false;
  model->kind = RenderModel::kNormalModel;
  model->ready = 1;
  model->PrepareForDraw();  // a missing effect does not fail the load
  return true;
}

void ModelLoader::save_geom_to_model() {
  if (model == nullptr) return;
  if (!model->ramPositions.assign(mesh.positions)) {
    log_text("<error> save_geom_to_model() no memory for RAM vectors!");
    return;
  }
  if (!model->ramIndices.assign(mesh.indices)) {
    log_text("<error> save_geom_to_model() no memory for RAM indices!");
    return;
  }
  log_text("vectors & indices uploaded in normal ram too.");
}
