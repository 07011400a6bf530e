#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bounded_array.h"
#include "base/cbase.h"
#include "geometry/mesh_geometry.h"
#include "model/byte_source.h"
#include "model/load_targets.h"
#include "render/model_records.h"

class RenderModel;

// One chunk header as it was met in the file, for tools that show a file's
// layout; offset is where its 12 header bytes start.
struct ChunkRecord {
  uint64_t offset = 0;
  ChunkHeader header;
};

// Turns one model file and the script beside it into RenderModel records.
// A loader serves one load; every step writes its line to the loader log and
// the first failure ends the load (what was already stored stays).
class ModelLoader : public CBase {
 public:
  ModelLoader();
  ~ModelLoader() override;
  ModelLoader(const ModelLoader&) = delete;
  ModelLoader& operator=(const ModelLoader&) = delete;

  // 1 on success, 0 on failure (the log says why).
  uint32_t load(const char* path, const LoadTargets& targets);
  // The same from bytes already in memory; path names the model for its script.
  uint32_t loadFromBytes(const uint8_t* bytes, size_t size, const char* path,
                         const LoadTargets& targets);

  void reset();

  // Chunk steps: each reads its payload from source and stores it.
  using ChunkData = BoundedArray<uint8_t>;
  bool load_1_vectors(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_1a_blendweights(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_1b_matrixpalette(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_1c_normals(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_1d_texco0(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_1e_texco1(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_2_indices(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_3_materialofsets(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_4_material(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_5_animation(ByteSource& source, const ChunkHeader& header, const ChunkData& data);
  bool load_6_armature(ByteSource& source, const ChunkHeader& header, const ChunkData& data);

  // The script beside modelPath: everything after the first "." becomes "txt".
  bool loadscript(const char* modelPath);
  bool parsetextcommands(const char* scriptPath);

  // The index list into target's index buffer.
  bool uploadbuffers(RenderModel& target, const MeshGeometry& geometry);
  // The vertex lists, interleaved, into target's vertex buffer with their FVF
  // code; clears geometry.hasTangents when no texture set can carry tangents.
  bool uploadvertices(RenderModel& target, MeshGeometry& geometry);
  // The readable FVF of target's vertex buffer; text holds at least 135 bytes.
  void describeFVF(const RenderModel& target, char* text);

  // Copies positions and indices into the model's RAM lists.
  void save_geom_to_model();

  // Every chunk header read by the last load, in file order.
  const std::vector<ChunkRecord>& chunkTable() const { return chunkTable_; }

  MeshGeometry mesh;        // the model's mesh as read (later with tangents)
  MeshGeometry shadowMesh;  // output of the shadow-volume builder
  RenderModel* model = nullptr;
  RenderModel* shadowModel = nullptr;
  bool shadowRequested = false;
  float meltingDegree = 30.0f;  // tangent smoothing angle, degrees

 private:
  uint32_t loadFrom(ByteSource& source, const char* path, const LoadTargets& targets);
  bool readMagic(ByteSource& source);
  bool readChunks(ByteSource& source);
  bool runChunkStep(ByteSource& source, const ChunkHeader& header);
  bool checkConsistency();
  // Loader steps after the script: shadow volume, tangents, normal model.
  bool buildShadowVolume();
  void buildTangents();
  bool uploadNormalModel();
  // The model files the script names with 'p', each loaded into a part of
  // the normal model (model/model_parts.cpp).
  bool loadParts(const char* path);
  uint32_t finishLoad(uint32_t result);

  uint8_t keepInRam_ = 0;
  bool loadingPart_ = false;  // a part may not name parts of its own
  ChunkData chunkHeaderData_;
  std::vector<ChunkRecord> chunkTable_;
};
