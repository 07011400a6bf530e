// The up axis: names, the turn that stands each one upright, what a file
// declares, and real Z-up models converted standing.
#include "import/up_axis.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/import/conversion_support.h"

namespace {

Vec3d row(const Mat4d& m, int r) { return {m.at(r, 0), m.at(r, 1), m.at(r, 2)}; }

double dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(UpAxis, EachAxisAndSignTurnsToPlusYByAProperRotation) {
  const struct {
    const char* name;
    Vec3d up;
  } cases[] = {{"+Y", {0, 1, 0}},  {"-Y", {0, -1, 0}}, {"+Z", {0, 0, 1}},
               {"-Z", {0, 0, -1}}, {"+X", {1, 0, 0}},  {"-X", {-1, 0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UpAxis up;
    ASSERT_TRUE(parseUpAxis(c.name, &up));
    EXPECT_EQ(upAxisName(up), c.name);
    const Mat4d turn = uprightRotation(up);
    const Vec3d upright = turn.transformDirection(c.up);
    EXPECT_NEAR(upright.x, 0.0, 1e-12);
    EXPECT_NEAR(upright.y, 1.0, 1e-12);
    EXPECT_NEAR(upright.z, 0.0, 1e-12);
    // A rotation, not a mirror: orthonormal rows and determinant +1, so the
    // model keeps its handedness and its faces their winding.
    EXPECT_NEAR(turn.determinant3(), 1.0, 1e-12);
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) EXPECT_NEAR(dot(row(turn, a), row(turn, b)), a == b, 1e-12);
    }
    // In the viewer's mirrored space the same turn takes the mirrored up to +Y.
    const Vec3d outputUp = outputOrientation(up).transformDirection(mirrorZ(c.up));
    EXPECT_NEAR(outputUp.y, 1.0, 1e-12);
  }
}

TEST(UpAxis, ADeclaredFrontFacesPlusZ) {
  const struct {
    int up, upSign, front, frontSign;
  } cases[] = {{2, 1, 1, -1}, {2, 1, 0, 1}, {1, 1, 2, 1}, {0, -1, 2, -1}, {1, -1, 0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.up << c.upSign << c.front << c.frontSign);
    aiScene scene;
    scene.mMetaData = aiMetadata::Alloc(4);
    scene.mMetaData->Set(0, "UpAxis", int32_t(c.up));
    scene.mMetaData->Set(1, "UpAxisSign", int32_t(c.upSign));
    scene.mMetaData->Set(2, "FrontAxis", int32_t(c.front));
    scene.mMetaData->Set(3, "FrontAxisSign", int32_t(c.frontSign));
    const Mat4d turn = uprightRotation(declaredUpAxis(scene, "model.fbx"));
    Vec3d up, front;
    (c.up == 0 ? up.x : c.up == 1 ? up.y : up.z) = c.upSign;
    (c.front == 0 ? front.x : c.front == 1 ? front.y : front.z) = c.frontSign;
    const Vec3d upright = turn.transformDirection(up);
    const Vec3d facing = turn.transformDirection(front);
    EXPECT_NEAR(upright.y, 1.0, 1e-12);
    EXPECT_NEAR(facing.z, 1.0, 1e-12);
    EXPECT_NEAR(turn.determinant3(), 1.0, 1e-12);
  }
  // The usual Z-up file faces -Y; with or without saying so it turns the same way.
  UpAxis zUp;
  parseUpAxis("+Z", &zUp);
  UpAxis zUpFacingMinusY = zUp;
  zUpFacingMinusY.frontAxis = 1;
  zUpFacingMinusY.frontSign = -1;
  EXPECT_EQ(uprightRotation(zUp).maxDifference(uprightRotation(zUpFacingMinusY)), 0.0);
}

TEST(UpAxis, NamesTakeAnOptionalSignAndAnyCase) {
  UpAxis up;
  ASSERT_TRUE(parseUpAxis("z", &up));
  EXPECT_EQ(upAxisName(up), "+Z");
  ASSERT_TRUE(parseUpAxis("-x", &up));
  EXPECT_EQ(upAxisName(up), "-X");
  for (const char* bad : {"", "+", "-", "Y+", "+W", "++Y", "up", "+YY", "1"}) {
    EXPECT_FALSE(parseUpAxis(bad, &up)) << '"' << bad << '"';
  }
}

TEST(UpAxis, DeclaredByMetadataElseByTheFormatsConvention) {
  aiScene declared;
  declared.mMetaData = aiMetadata::Alloc(2);
  declared.mMetaData->Set(0, "UpAxis", int32_t(2));
  declared.mMetaData->Set(1, "UpAxisSign", int32_t(-1));
  EXPECT_EQ(upAxisName(declaredUpAxis(declared, "model.smd")), "-Z") << "metadata wins";
  EXPECT_EQ(upAxisName(declaredUpAxis(declared, "model.fbx")), "-Z");

  aiScene plain;
  EXPECT_EQ(upAxisName(declaredUpAxis(plain, "dir.v2/Model.SMD")), "+Z");
  EXPECT_EQ(upAxisName(declaredUpAxis(plain, "model.q3o")), "+Z");
  EXPECT_EQ(upAxisName(declaredUpAxis(plain, "model.obj")), "+Y");
  EXPECT_EQ(upAxisName(declaredUpAxis(plain, "model")), "+Y");

  aiScene outOfRange;
  outOfRange.mMetaData = aiMetadata::Alloc(1);
  outOfRange.mMetaData->Set(0, "UpAxis", int32_t(7));
  EXPECT_EQ(upAxisName(declaredUpAxis(outOfRange, "model.obj")), "+Y");
}

struct Extent {
  Vector3 low{1e30f, 1e30f, 1e30f};
  Vector3 high{-1e30f, -1e30f, -1e30f};
  int highestVertex = -1;
  int lowestVertex = -1;
};

// Converts (without writing) and measures the written vertices.
Extent convertedExtent(const std::string& model, const std::string& up, std::string* chosen) {
  ConvertOptions options = optionsFor(testModel(model), "");
  options.up = up;
  ModelConversion conversion(options);
  Extent extent;
  if (!conversion.read() || !conversion.assemble()) {
    ADD_FAILURE() << conversion.error();
    return extent;
  }
  *chosen = conversion.upAxis();
  const auto& positions = conversion.assembled().model.positions;
  for (size_t i = 0; i < positions.size(); ++i) {
    const Vector3& p = positions[i];
    if (p.y > extent.high.y) extent.highestVertex = static_cast<int>(i);
    if (p.y < extent.low.y) extent.lowestVertex = static_cast<int>(i);
    extent.low = {std::min(extent.low.x, p.x), std::min(extent.low.y, p.y),
                  std::min(extent.low.z, p.z)};
    extent.high = {std::max(extent.high.x, p.x), std::max(extent.high.y, p.y),
                   std::max(extent.high.z, p.z)};
  }
  return extent;
}

// The grail of assimp's SMD samples is a Z-up file, tallest along its z.
TEST(UpAxis, AZUpFileStandsUprightAndAChosenAxisOverridesIt) {
  const std::string grail = "SMD/holy_grailref.smd";
  SKIP_WITHOUT_TEST_MODEL(grail);
  std::string chosen;
  const Extent declared = convertedExtent(grail, "", &chosen);
  EXPECT_EQ(chosen, "+Z");
  const float height = declared.high.y - declared.low.y;
  EXPECT_GT(height, declared.high.x - declared.low.x);
  EXPECT_GT(height, declared.high.z - declared.low.z);

  const Extent asWritten = convertedExtent(grail, "+Y", &chosen);
  EXPECT_EQ(chosen, "+Y");
  EXPECT_LT(asWritten.high.y - asWritten.low.y, height * 0.9f) << "+Y lays it down";

  // Upside down: the top vertex of the upright grail is the bottom one.
  const Extent upsideDown = convertedExtent(grail, "-Z", &chosen);
  EXPECT_EQ(chosen, "-Z");
  EXPECT_EQ(upsideDown.lowestVertex, declared.highestVertex);
  EXPECT_EQ(upsideDown.highestVertex, declared.lowestVertex);
}

TEST(UpAxis, AnUnknownAxisIsRefusedWithItsName) {
  ConvertOptions options = optionsFor(testModel("X/anim_test.x"), "");
  options.up = "+Q";
  ModelConversion conversion(options);
  EXPECT_FALSE(conversion.read());
  EXPECT_NE(conversion.error().find("+Q"), std::string::npos) << conversion.error();
}

}  // namespace
