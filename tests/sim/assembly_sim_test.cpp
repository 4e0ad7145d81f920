// The simulated host's assemblies: paths, composed transforms (row vectors,
// the bottom component first, unit ratios in the 3x3 blocks), visibility down
// a path and the colour of the component at its end.
#include <gtest/gtest.h>

#include <array>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/shapes.hpp"
#include "support/sim_fixture.hpp"

namespace {

using sim::Vec;

// p' = p * M for a point p as a row vector (1 in the fourth place).
Vec apply(const ProMatrix m, const Vec& p) {
  Vec out{};
  for (int c = 0; c < 3; ++c) out[static_cast<size_t>(c)] = p[0] * m[0][c] + p[1] * m[1][c] + p[2] * m[2][c] + m[3][c];
  return out;
}

class AssemblySim : public testing_support::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    top = &world().addModel(u"TOP", PRO_MDL_ASSEMBLY);
    sub = &world().addModel(u"SUB", PRO_MDL_ASSEMBLY);
    part = &world().addModel(u"PIN", PRO_MDL_PART);
    top->features.push_back(component(10, sub, sim::rotation({0, 0, 1}, 90, {100, 0, 0})));
    sub->features.push_back(component(20, part, sim::translation({0, 5, 0})));
  }

  static sim::Feature component(int id, sim::Model* model, const sim::Transform& placement) {
    sim::Feature f;
    f.id = id;
    f.type = PRO_FEAT_COMPONENT;
    f.model = model;
    f.placement = placement;
    return f;
  }

  ProAsmcomppath path(std::vector<int> ids) {
    ProIdTable table{};
    for (size_t i = 0; i < ids.size(); ++i) table[i] = ids[i];
    ProAsmcomppath p{};
    EXPECT_EQ(ProAsmcomppathInit(sim::handle(*top), table, static_cast<int>(ids.size()), &p), PRO_TK_NO_ERROR);
    return p;
  }

  sim::Model* top = nullptr;
  sim::Model* sub = nullptr;
  sim::Model* part = nullptr;
};

TEST_F(AssemblySim, PathTransformAppliesTheBottomPlacementFirst) {
  ProAsmcomppath p = path({10, 20});
  ProMatrix m;
  ASSERT_EQ(ProAsmcomppathTrfGet(&p, 1, m), PRO_TK_NO_ERROR);
  // The pin's origin is (0, 5, 0) in SUB, which is turned 90 degrees about z
  // and moved by 100 along x in TOP: (-5, 0, 0) + (100, 0, 0).
  const Vec origin = apply(m, {0, 0, 0});
  EXPECT_NEAR(origin[0], 95, 1e-12);
  EXPECT_NEAR(origin[1], 0, 1e-12);
  EXPECT_NEAR(origin[2], 0, 1e-12);
  const Vec tip = apply(m, {1, 0, 0});  // the pin's x axis becomes TOP's y axis
  EXPECT_NEAR(tip[0], 95, 1e-12);
  EXPECT_NEAR(tip[1], 1, 1e-12);
  EXPECT_EQ(m[0][3], 0);
  EXPECT_EQ(m[3][3], 1);
}

TEST_F(AssemblySim, TransformCarriesTheRatioOfTheUnits) {
  part->lengthUnit = u"in";
  sub->lengthUnit = u"cm";
  ProAsmcomppath p = path({10, 20});
  ProMatrix m;
  ASSERT_EQ(ProAsmcomppathTrfGet(&p, 1, m), PRO_TK_NO_ERROR);
  // One inch along the pin's x axis is 25.4 mm along TOP's y axis; the pin's
  // offset of 5 is in SUB's centimetres.
  const Vec origin = apply(m, {0, 0, 0});
  const Vec tip = apply(m, {1, 0, 0});
  EXPECT_NEAR(origin[0], 100 - 50, 1e-9);
  EXPECT_NEAR(tip[1] - origin[1], 25.4, 1e-9);
}

TEST_F(AssemblySim, PathAndTransformFailures) {
  ProAsmcomppath empty = path({});
  ProMatrix m;
  ASSERT_EQ(ProAsmcomppathTrfGet(&empty, 1, m), PRO_TK_NO_ERROR);
  EXPECT_EQ(m[0][0], 1);
  EXPECT_EQ(m[3][0], 0);

  ProIdTable table{10, 99};
  ProAsmcomppath bad{};
  EXPECT_EQ(ProAsmcomppathInit(sim::handle(*top), table, 2, &bad), PRO_TK_BAD_INPUTS);
  EXPECT_EQ(ProAsmcomppathInit(sim::handle(*top), table, 26, &bad), PRO_TK_BAD_INPUTS);

  sub->features[0].placementReadable = false;
  ProAsmcomppath p = path({10, 20});
  EXPECT_EQ(ProAsmcomppathTrfGet(&p, 1, m), PRO_TK_GENERAL_ERROR);
  ProAsmcomppath upper = path({10});
  EXPECT_EQ(ProAsmcomppathTrfGet(&upper, 1, m), PRO_TK_NO_ERROR);
}

TEST_F(AssemblySim, VisibilityIsThatOfEveryComponentDownThePath) {
  ProBoolean visible = 7;
  ProAsmcomppath empty = path({});
  EXPECT_EQ(ProAsmcompVisibilityGet(&empty, nullptr, &visible), PRO_TK_BAD_CONTEXT);
  EXPECT_EQ(visible, 7);

  ProAsmcomppath p = path({10, 20});
  ASSERT_EQ(ProAsmcompVisibilityGet(&p, nullptr, &visible), PRO_TK_NO_ERROR);
  EXPECT_EQ(visible, 1);
  top->features[0].shown = false;  // hiding the sub-assembly hides what it holds
  ASSERT_EQ(ProAsmcompVisibilityGet(&p, nullptr, &visible), PRO_TK_NO_ERROR);
  EXPECT_EQ(visible, 0);
}

TEST_F(AssemblySim, ComponentQueriesAndAppearanceOfThePathsEnd) {
  sub->features[0].unplaced = true;
  sub->features[0].color = sim::Rgb{0.25, 0.5, 1};
  sub->features.push_back(component(21, nullptr, sim::identityTransform()));
  sub->features.push_back(sim::Feature{});  // a plain feature, id 0

  ProAsmcomp pin{PRO_TYPE_FEATURE, 20, sim::handle(*sub)};
  ProBoolean flag = 0;
  ASSERT_EQ(ProAsmcompIsUnplaced(&pin, &flag), PRO_TK_NO_ERROR);
  EXPECT_EQ(flag, 1);
  ASSERT_EQ(ProAsmcompIsBulkitem(&pin, &flag), PRO_TK_NO_ERROR);
  EXPECT_EQ(flag, 0);
  ProMdl model = nullptr;
  ASSERT_EQ(ProAsmcompMdlGet(&pin, &model), PRO_TK_NO_ERROR);
  EXPECT_EQ(model, sim::handle(*part));
  ProAsmcomp empty{PRO_TYPE_FEATURE, 21, sim::handle(*sub)};
  EXPECT_EQ(ProAsmcompMdlGet(&empty, &model), PRO_TK_E_NOT_FOUND);
  ProAsmcomp plain{PRO_TYPE_FEATURE, 0, sim::handle(*sub)};
  EXPECT_EQ(ProAsmcompMdlGet(&plain, &model), PRO_TK_BAD_INPUTS);

  ProAsmcomppath p = path({10, 20});
  ProAsmitem item{};
  ASSERT_EQ(ProAsmcompAsmitemInit(sim::handle(*sub), 20, PRO_TYPE_PART, u"PIN", &p, &item), PRO_TK_NO_ERROR);
  ProSurfaceAppearanceProps props{};
  ASSERT_EQ(ProMdlVisibleAppearancepropsGet(&item, &props), PRO_TK_NO_ERROR);
  EXPECT_EQ(props.rgb[0], 0.25);
  EXPECT_EQ(props.rgb[2], 1);

  ProAsmcomppath upper = path({10});
  ASSERT_EQ(ProAsmcompAsmitemInit(sim::handle(*top), 10, PRO_TYPE_ASSEMBLY, u"SUB", &upper, &item), PRO_TK_NO_ERROR);
  EXPECT_EQ(ProMdlVisibleAppearancepropsGet(&item, &props), PRO_TK_NOT_EXIST);
}

}  // namespace
