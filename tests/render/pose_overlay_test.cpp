#include "render/pose_overlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "render/render_model.h"
#include "tests/render/drawable_model.h"
#include "tests/render/recorded_device_fixture.h"

namespace {

constexpr uint8_t kRoot = RenderModel::kNoParent;
// The loader's record for one weight: position, weight, four palette
// indices, normal, one texture set, the tangent as a three-float set.
constexpr uint32_t kSkinnedFVF = D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL |
                                 (2 << D3DFVF_TEXCOUNT_SHIFT) | D3DFVF_TEXCOORDSIZE3(1);

struct SkinnedVertex {
  Vector3 position;
  float weight;
  uint8_t bones[4];
  Vector3 normal;
  float u, v;
  Vector3 tangent;
};
static_assert(sizeof(SkinnedVertex) == 52);

void expectNear(const Vector3& actual, const Vector3& expected, const std::string& what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-5) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-5) << what;
}

class PoseOverlayTest : public RecordedDeviceTest {
 protected:
  // Fills the model's buffers with these vertices and triangles, marked ready.
  template <typename Vertex>
  void upload(RenderModel& model, const std::vector<Vertex>& vertices, uint32_t fvf,
              const std::vector<uint16_t>& indices) {
    const int32_t bytes = static_cast<int32_t>(vertices.size() * sizeof(Vertex));
    ASSERT_TRUE(model.vertexBuffer.Create(bytes, sizeof(Vertex), fvf));
    void* data = model.vertexBuffer.Lock(0, 0);
    ASSERT_NE(data, nullptr);
    std::memcpy(data, vertices.data(), static_cast<size_t>(bytes));
    model.vertexBuffer.Unlock();
    ASSERT_TRUE(model.indexBuffer.Create(static_cast<int32_t>(indices.size())));
    uint16_t* index = model.indexBuffer.Lock(0, 0);
    ASSERT_NE(index, nullptr);
    std::memcpy(index, indices.data(), indices.size() * sizeof(uint16_t));
    model.indexBuffer.Unlock();
    model.ready = 1;
  }

  // An arm: bone 0 at the origin, bone 1 two units up as its child. Key 0
  // is the bind pose; at key 1 the shoulder has turned 90 degrees about z.
  void buildArm(RenderModel& model, const std::vector<SkinnedVertex>& vertices,
                const std::vector<uint16_t>& indices) {
    ASSERT_TRUE(model.bones.resize(2));
    setTrack(model.bones[0], {Matrix4().setIdentity(), turnThenMove('z', 90)},
             Matrix4().setIdentity());
    setTrack(model.bones[1], {turnThenMove('z', 0, 0, 2, 0), turnThenMove('z', 0, 0, 2, 0)},
             turnThenMove('z', 0, 0, -2, 0));
    setSkeleton(model, {kRoot, 0}, {0, 1}, {0, 1}, 100);
    upload(model, vertices, kSkinnedFVF, indices);
    ASSERT_TRUE(model.PrepareForDraw());
  }

  bool poseAtKey(RenderModel& model, int32_t key) {
    DrawInstance instance;
    instance.now = static_cast<uint32_t>(key * 100);
    return model.Draw(instance, false, LightList{});
  }

  DataFolders folders;
};

SkinnedVertex vertexOn(uint8_t bone, Vector3 position) {
  return SkinnedVertex{position, 1.0f, {bone, 0, 0, 0}, {1, 0, 0}, 0, 0, {0, 0, 1}};
}

TEST_F(PoseOverlayTest, JointsLieWhereTheVerticesBoundOnlyToTheirBoneGo) {
  RenderModel model;
  // Vertices at each joint and one at the end of the forearm.
  buildArm(model, {vertexOn(0, {0, 0, 0}), vertexOn(1, {0, 2, 0}), vertexOn(1, {0, 4, 0})},
           {0, 1, 2});
  SkinnedMesh mesh;
  ASSERT_TRUE(mesh.Capture(model));
  ASSERT_TRUE(mesh.HasNormals());
  ASSERT_TRUE(mesh.HasTangents());

  struct Expected {
    Vector3 shoulder, elbow, hand, normal, tangent;
  };
  const Expected atKey[2] = {
      {{0, 0, 0}, {0, 2, 0}, {0, 4, 0}, {1, 0, 0}, {0, 0, 1}},
      {{0, 0, 0}, {-2, 0, 0}, {-4, 0, 0}, {0, 1, 0}, {0, 0, 1}},  // turned 90 degrees about z
  };
  for (int32_t key = 0; key < 2; ++key) {
    const std::string at = "key " + std::to_string(key);
    ASSERT_TRUE(poseAtKey(model, key));
    SkeletonPose pose;
    ASSERT_TRUE(BuildSkeletonPose(model, &pose));
    mesh.Pose(&model.palette);

    ASSERT_EQ(pose.joints.size(), 2u);
    expectNear(pose.joints[0], mesh.Positions()[0], at + " shoulder against its vertex");
    expectNear(pose.joints[1], mesh.Positions()[1], at + " elbow against its vertex");
    expectNear(pose.joints[1], atKey[key].elbow, at + " elbow");
    expectNear(mesh.Positions()[2], atKey[key].hand, at + " hand");
    // One bone line, from the parent's joint to the child's.
    ASSERT_EQ(pose.bones.size(), 2u);
    expectNear(pose.bones[0], atKey[key].shoulder, at + " bone start");
    expectNear(pose.bones[1], atKey[key].elbow, at + " bone end");

    const LineList normals = mesh.Normals(0.5f);
    ASSERT_EQ(normals.size(), 6u);
    const Vector3 hand = atKey[key].hand;
    const Vector3 n = atKey[key].normal, t = atKey[key].tangent;
    expectNear(normals[5], {hand.x + 0.5f * n.x, hand.y + 0.5f * n.y, hand.z + 0.5f * n.z},
               at + " normal tip");
    const LineList tangents = mesh.Tangents(2.0f);
    expectNear(tangents[5], {hand.x + 2 * t.x, hand.y + 2 * t.y, hand.z + 2 * t.z},
               at + " tangent tip");
  }
}

TEST_F(PoseOverlayTest, BlendWeightsFollowTheShippedEffects) {
  // Bone 0 stays, bone 1 moves two units along x at key 1.
  struct TwoWeightVertex {
    Vector3 position;
    float weights[2];
    uint8_t bones[4];
  };
  RenderModel model;
  ASSERT_TRUE(model.bones.resize(2));
  setTrack(model.bones[0], {Matrix4().setIdentity(), Matrix4().setIdentity()},
           Matrix4().setIdentity());
  setTrack(model.bones[1], {Matrix4().setIdentity(), turnThenMove('z', 0, 2, 0, 0)},
           Matrix4().setIdentity());
  setSkeleton(model, {kRoot, kRoot}, {0, 1}, {0, 1}, 100);
  const std::vector<TwoWeightVertex> vertices = {
      {{0, 0, 0}, {0.25f, 0.75f}, {0, 1, 0, 0}},  // a quarter on the still bone
      {{0, 1, 0}, {0.5f, 0.5f}, {1, 1, 0, 0}},    // both weights on the moving bone
      {{0, 2, 0}, {1.0f, 0.0f}, {7, 0, 0, 0}},    // past the palette: identity
  };
  upload(model, vertices, D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4, {0, 1, 2});
  ASSERT_TRUE(model.PrepareForDraw());
  ASSERT_TRUE(poseAtKey(model, 1));

  SkinnedMesh mesh;
  ASSERT_TRUE(mesh.Capture(model));
  EXPECT_FALSE(mesh.HasNormals());
  mesh.Pose(&model.palette);
  expectNear(mesh.Positions()[0], {1.5f, 0, 0}, "three quarters of the move");
  expectNear(mesh.Positions()[1], {2, 1, 0}, "all of the move");
  expectNear(mesh.Positions()[2], {0, 2, 0}, "identity past the palette");
  // Without a palette (a rigid model) the vertices stay as stored.
  mesh.Pose(nullptr);
  expectNear(mesh.Positions()[0], {0, 0, 0}, "unposed");
}

TEST_F(PoseOverlayTest, EdgesCoverEveryTriangleAndSkipBrokenOnes) {
  RenderModel model;
  const std::vector<Vector3> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  // Two triangles, a third naming a vertex that is not there, and two
  // indices left over.
  upload(model, square, D3DFVF_XYZ, {0, 1, 2, 0, 2, 3, 0, 9, 1, 2, 3});
  SkinnedMesh mesh;
  ASSERT_TRUE(mesh.Capture(model));
  EXPECT_NEAR(mesh.Extent(), std::sqrt(2.0f), 1e-6);
  const LineList edges = mesh.Edges();
  ASSERT_EQ(edges.size(), 12u);
  expectNear(edges[0], square[0], "first edge start");
  expectNear(edges[1], square[1], "first edge end");
  expectNear(edges[11], square[0], "last edge closes the second triangle");
  EXPECT_TRUE(mesh.Normals(1.0f).empty());

  // No bones, no pose; buffers that were never made, no mesh.
  SkeletonPose pose;
  EXPECT_FALSE(BuildSkeletonPose(model, &pose));
  RenderModel empty;
  EXPECT_FALSE(mesh.Capture(empty));
  EXPECT_TRUE(mesh.Empty());
}

TEST(StreamLayoutTest, ComponentsSitWhereTheCodeSays) {
  struct Case {
    const char* name;
    uint32_t fvf;
    bool readable;
    uint32_t stride;
    int32_t weights, weightCount, indices, normal, tangent;
  };
  constexpr int32_t no = StreamLayout::kAbsent;
  const std::vector<Case> cases = {
      {"position only", D3DFVF_XYZ, true, 12, no, 0, no, no, no},
      {"rigid with normal and one set", D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, true, 32, no, 0,
       no, 12, no},
      {"one weight", kSkinnedFVF, true, 52, 12, 1, 16, 20, 40},
      {"four weights, tangent as first set",
       D3DFVF_XYZB5 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1 |
           D3DFVF_TEXCOORDSIZE3(0),
       true, 56, 12, 4, 28, 32, 44},
      {"betas without packed indices", D3DFVF_XYZB2, true, 20, 12, 2, no, no, no},
      {"colours skipped", D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1, true, 28, no,
       0, no, no, no},
      {"pre-transformed", D3DFVF_XYZRHW | D3DFVF_DIFFUSE, false, 0, no, 0, no, no, no},
  };
  for (const Case& c : cases) {
    StreamLayout layout;
    EXPECT_EQ(DescribeStream(c.fvf, &layout), c.readable) << c.name;
    if (!c.readable) continue;
    EXPECT_EQ(layout.stride, c.stride) << c.name;
    EXPECT_EQ(layout.weights, c.weights) << c.name;
    EXPECT_EQ(layout.weightCount, c.weightCount) << c.name;
    EXPECT_EQ(layout.indices, c.indices) << c.name;
    EXPECT_EQ(layout.normal, c.normal) << c.name;
    EXPECT_EQ(layout.tangent, c.tangent) << c.name;
  }
}

}  // namespace
