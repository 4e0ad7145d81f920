#include "model/geometry.hpp"

#include <gtest/gtest.h>

namespace veltrosan {
namespace {

Matrix4 numbered() {
  Matrix4 m;
  for (std::size_t i = 0; i < 16; ++i) m[i] = static_cast<double>(i);
  return m;
}

TEST(Matrix4, TransposeMovesTranslationRowIntoLastColumn) {
  Matrix4 m = numbered();
  m.transpose();
  for (std::size_t r = 0; r < 4; ++r) {
    for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(m[4 * r + c], static_cast<double>(4 * c + r)) << r << "," << c;
  }
  // A placement whose translation sits in the bottom row ends with it in 3, 7, 11.
  Matrix4 placement = Matrix4::identity();
  placement[12] = 10.0;
  placement[13] = 20.0;
  placement[14] = 30.0;
  placement.transpose();
  EXPECT_EQ(placement[3], 10.0);
  EXPECT_EQ(placement[7], 20.0);
  EXPECT_EQ(placement[11], 30.0);
  EXPECT_EQ(placement[12], 0.0);
  EXPECT_EQ(placement[15], 1.0);
}

TEST(Matrix4, IdentityAndCopy) {
  const Matrix4 id = Matrix4::identity();
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(id[i], (i % 5 == 0) ? 1.0 : 0.0) << i;
  Matrix4 original = numbered();
  const Matrix4 copy(original);
  original[3] = -1.0;
  EXPECT_EQ(copy[3], 3.0);
  EXPECT_EQ(Matrix4()[0], 0.0);
}

TEST(Vec3, ScaleMultipliesEveryCoordinate) {
  Vec3 v(1.0, -2.0, 0.5);
  v.scale(25.4);
  EXPECT_DOUBLE_EQ(v.x, 25.4);
  EXPECT_DOUBLE_EQ(v.y, -50.8);
  EXPECT_DOUBLE_EQ(v.z, 12.7);
}

}  // namespace
}  // namespace veltrosan
