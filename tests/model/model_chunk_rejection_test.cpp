#include <gtest/gtest.h>

#include "tests/model/model_test_support.h"

namespace {

std::vector<uint8_t> fileOf(std::initializer_list<RawChunk> chunks) {
  std::vector<uint8_t> bytes(kModelMagic, kModelMagic + 4);
  for (const RawChunk& chunk : chunks) appendChunk(bytes, chunk);
  return bytes;
}

std::vector<uint8_t> u32Bytes(uint32_t value) {
  std::vector<uint8_t> bytes;
  appendU32(bytes, value);
  return bytes;
}

RawChunk rawHeader(uint32_t id, uint32_t chunkdatasize, uint32_t datasize) {
  RawChunk chunk;
  chunk.id = id;
  chunk.chunkdatasize = chunkdatasize;
  chunk.datasize = datasize;
  return chunk;
}

// One vertex and one degenerate triangle: enough mesh for the upload.
RawChunk oneVertex() { return makeChunk(CHUNK_VECTORS, {}, std::vector<uint8_t>(12, 0)); }
RawChunk oneTriangle() { return makeChunk(CHUNK_INDICES, {}, std::vector<uint8_t>(6, 0)); }

RawChunk animationChunk(int32_t boneCount, std::vector<uint8_t> payload) {
  std::vector<uint8_t> header;
  appendI32(header, boneCount);
  return makeChunk(CHUNK_ANIMATION, header, std::move(payload));
}

class ChunkRejectionTest : public ::testing::Test {
 protected:
  // Loads bytes into model_ and returns the load's log lines.
  std::vector<std::string> load(const std::vector<uint8_t>& bytes, bool withModel = true) {
    log_.restart();
    ModelLoader loader;
    LoadTargets targets{1, withModel ? &model_ : nullptr, nullptr};
    result_ = loader.loadFromBytes(bytes.data(), bytes.size(), folder_.modelPath().c_str(), targets);
    return log_.lines();
  }

  RecordedDevice device_;
  LoaderLog log_;
  ScriptFolder folder_;
  RenderModel model_;
  uint32_t result_ = 0;
};

TEST_F(ChunkRejectionTest, HeaderLimitsAreInclusiveAndABrokenHeaderStopsTheFile) {
  const RawChunk vectors = makeChunk(CHUNK_VECTORS, {}, std::vector<uint8_t>(12, 0));
  struct Case {
    uint32_t id, chunkdatasize, datasize;
  };
  for (const Case& c : {Case{11, 0, 12}, Case{0, 1'000'001, 12}, Case{0, 0, 10'000'001},
                        Case{0xFFFFFFFF, 0, 0}}) {
    const std::vector<std::string> expected = {
        "<error> ModelLoader error in file data!!!",
        " Chunk:",
        "   Id:  " + std::to_string(c.id),
        "   Chunkdatasize:  " + std::to_string(c.chunkdatasize),
        "   Datasize:  " + std::to_string(c.datasize),
    };
    EXPECT_EQ(load(fileOf({rawHeader(c.id, c.chunkdatasize, c.datasize), vectors})), expected);
    EXPECT_EQ(result_, 0u);
  }

  // The largest header data and payload are read.
  RawChunk bigHeader = makeChunk(CHUNK_VECTORS, std::vector<uint8_t>(1'000'000, 7),
                                 std::vector<uint8_t>(12, 0));
  EXPECT_EQ(load(fileOf({bigHeader, oneTriangle()})).front(), "Vectors loaded.");
  EXPECT_EQ(result_, 1u);
  RawChunk bigPayload = makeChunk(CHUNK_MATERIALOFSETS, {}, std::vector<uint8_t>(10'000'000, 0));
  EXPECT_EQ(load(fileOf({bigPayload, oneVertex(), oneTriangle()})).front(), "materialofsets loaded.");
  EXPECT_EQ(model_.materialOffsets.count, 2'500'000);
  EXPECT_EQ(result_, 1u);
}

TEST_F(ChunkRejectionTest, MagicAndMissingFile) {
  EXPECT_EQ(load({'M', 'e', 'S', 'x', 0, 0, 0, 0}),
            std::vector<std::string>{"<error> (not my model file format?) ModelLoader wrong magic word: MeSx"});
  EXPECT_EQ(load({'M', 'e'}),
            std::vector<std::string>{"<error> (not my model file format?) ModelLoader wrong magic word: Me"});
  EXPECT_EQ(result_, 0u);

  log_.restart();
  ModelLoader loader;
  LoadTargets targets{1, &model_, nullptr};
  EXPECT_EQ(loader.load(folder_.file("absent.x_out").c_str(), targets), 0u);
  EXPECT_EQ(log_.lines(), std::vector<std::string>{"<error> Bad filename!"});
}

TEST_F(ChunkRejectionTest, AnimationHeaderAndBoneCounts) {
  RawChunk eightBytes = makeChunk(CHUNK_ANIMATION, std::vector<uint8_t>(8, 0), {});
  EXPECT_EQ(load(fileOf({eightBytes})),
            (std::vector<std::string>{"<error> File is a newer version than me!!",
                                      "tSave_animheader size<>anim header size fdatanum:  8"}));

  for (int32_t bones : {-1, 1001}) {
    EXPECT_EQ(load(fileOf({animationChunk(bones, {})})),
              std::vector<std::string>{"<error> ModelLoader::load_5_animation framenum:  " +
                                       std::to_string(bones)});
  }

  const std::vector<std::string> zeroBones =
      load(fileOf({animationChunk(0, {}), oneVertex(), oneTriangle()}));
  ASSERT_GE(zeroBones.size(), 3u);
  EXPECT_EQ(zeroBones[0], "Bone Num:  0");
  EXPECT_EQ(zeroBones[1], "animation loaded.");
  EXPECT_EQ(zeroBones[2], "Vectors loaded.");
  EXPECT_EQ(result_, 1u);
  // A skeleton without bones has no frames to count.
  for (const std::string& line : zeroBones) EXPECT_EQ(line.rfind(" framenum:", 0), std::string::npos);

  // 1000 empty tracks are read; the missing armature then fails the check.
  std::vector<WrittenTrack> tracks(1000);
  const std::vector<std::string> lines = load(fileOf({animationChunk(1000, animationPayload(tracks))}));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Bone Num:  1000");
  EXPECT_EQ(lines[1], "animation loaded.");
  EXPECT_EQ(lines[2], " framenum: 0");
  EXPECT_EQ(lines.back(),
            "<error> ModelLoader::checkconsistency() armature bone count 0 differs from animation bone count 1000");
  EXPECT_EQ(model_.bones.count, 1000);

  EXPECT_EQ(load(fileOf({animationChunk(0, {})}), false),
            std::vector<std::string>{"<error> ModelLoader load_5_animation no model, no loading!"});
}

TEST_F(ChunkRejectionTest, ShortHeaderDataAndArmatureWithoutModel) {
  const std::vector<uint8_t> payload(8, 0);
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_BLENDWEIGHTS, {}, payload)})),
            std::vector<std::string>{"<error> ModelLoader::load_1a_blendweights() chunk header data too short:  0"});
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_BLENDWEIGHTS, {1, 0, 0}, payload)})),
            std::vector<std::string>{"<error> ModelLoader::load_1a_blendweights() chunk header data too short:  3"});
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_MATRIXPALETTE, {1, 0}, payload)})),
            std::vector<std::string>{"<error> ModelLoader::load_1b_matrixpalette() chunk header data too short:  2"});
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_ARMATURE, {}, {255, 0})})),
            std::vector<std::string>{"<error> ModelLoader::load_6_armature() chunk header data too short:  0"});
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_ARMATURE, u32Bytes(1), {255, 0})}), false),
            std::vector<std::string>{"<error> ModelLoader load_6_armature no model, no loading!"});
  EXPECT_EQ(result_, 0u);
}

TEST_F(ChunkRejectionTest, PayloadsThatAreNotWholeElementsOrEmpty) {
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_VECTORS, {}, std::vector<uint8_t>(13, 0))})),
            std::vector<std::string>{"<error> ModelLoader::load_1_vectors() datasize not a multiple of 12: 13"});
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_INDICES, {}, std::vector<uint8_t>(3, 0))})),
            std::vector<std::string>{"<error> ModelLoader::load_2_indices() datasize not a multiple of 2: 3"});
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_MATERIAL, {}, std::vector<uint8_t>(70, 0))})),
            std::vector<std::string>{"<error> ModelLoader::load_4_material() datasize not a multiple of 68: 70"});
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_VECTORS, {}, {})})),
            std::vector<std::string>{"<error> ModelLoader::load_1_vectors() vectors not loaded vecnum:  0"});
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_INDICES, {}, {})})),
            std::vector<std::string>{"<error> ModelLoader no mem for WORDs num:  0"});
}

TEST_F(ChunkRejectionTest, CountsBeyondTheBytesLeftFailBeforeAllocating) {
  // Announced counts larger than what follows fail the track, whether or not
  // the owned-array limit would have allowed them.
  std::vector<uint8_t> hugeKeys;
  appendI32(hugeKeys, 0);
  appendI32(hugeKeys, 10'000'000);
  const std::string noKeys = "<error> load_5_animation() keyframes not loaded!! frameindex:  0";
  EXPECT_EQ(load(fileOf({animationChunk(1, hugeKeys)})).back(), noKeys);

  std::vector<uint8_t> hugeValues = {};
  for (int32_t word : {0, 1, 0, 9'999'999}) appendI32(hugeValues, word);
  EXPECT_EQ(load(fileOf({animationChunk(1, hugeValues)})).back(), noKeys);

  // A track cut inside its offset matrix.
  std::vector<WrittenTrack> track(1);
  std::vector<uint8_t> cutTrack = animationPayload(track);
  cutTrack.resize(cutTrack.size() - 1);
  EXPECT_EQ(load(fileOf({animationChunk(1, cutTrack)})).back(), noKeys);

  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_ARMATURE, u32Bytes(9'000'000), {255, 0})})).back(),
            "<error> ModelLoader::load_6_armature() armature not loaded bonenum:  9000000");
  EXPECT_EQ(load(fileOf({makeChunk(CHUNK_ARMATURE, u32Bytes(10'000'001), {})})).back(),
            "<error> ModelLoader::load_6_armature() no mem for 2*BYTE* 10000001");

  RawChunk cutIndices = makeChunk(CHUNK_INDICES, {}, {0, 0, 0, 0});
  cutIndices.datasize = 6;
  EXPECT_EQ(load(fileOf({cutIndices})).back(),
            "<error> ModelLoader::load_2_indices() indices not loaded inum:  3");
  RawChunk cutVectors = makeChunk(CHUNK_VECTORS, {}, std::vector<uint8_t>(12, 0));
  cutVectors.datasize = 24;
  EXPECT_EQ(load(fileOf({cutVectors})).back(),
            "<error> ModelLoader::load_1_vectors() vectors not loaded vecnum:  2");
  RawChunk cutHeaderData = rawHeader(CHUNK_BLENDWEIGHTS, 4, 4);
  cutHeaderData.headerData = {1, 0};
  EXPECT_EQ(load(fileOf({cutHeaderData})).back(),
            "<error> ModelLoader failed to load chunkheader data size:  4");
  EXPECT_EQ(result_, 0u);
}

TEST_F(ChunkRejectionTest, ASkinnedFileCutAtEveryLengthLoadsOrFailsWithAnErrorLine) {
  const std::vector<uint8_t> whole = writeModelBytes(sampleSkinnedModel());
  int loaded = 0;
  for (size_t length = 0; length <= whole.size(); ++length) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(length));
    load(cut);
    if (result_ == 1) {
      ++loaded;
      EXPECT_TRUE(log_.errors().empty()) << length;
    } else {
      EXPECT_FALSE(log_.errors().empty()) << "no error line at length " << length;
    }
  }
  EXPECT_EQ(result_, 1u);  // the whole file
  // Every shorter cut loses part of the mesh or of the skeleton; even the bare
  // magic fails, in the upload, for want of vertices.
  EXPECT_EQ(loaded, 1);
}

}  // namespace
