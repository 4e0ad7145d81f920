// Part occurrences through whole exports: which occurrences count, one part
// record per name with its welded body in millimetres, placements in
// millimetres, duplicates, colours, parameters, and parts left out.
#include <gtest/gtest.h>

#include <cmath>

#include "walk_fixture.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;

class PartProcessing : public WalkTest {};

TEST_F(PartProcessing, TopPartInMillimetres) {
  sim::Model& p = boxPart(u"BLOCK");
  ASSERT_EQ(run(p), PRO_TK_NO_ERROR);
  EXPECT_TRUE(shown().empty());
  // No component: no component queries and no colour.
  EXPECT_EQ(world().log.count("ProModelitemIsHidden"), 0);
  EXPECT_EQ(world().log.count("ProAsmcompAsmitemInit"), 0);
  EXPECT_TRUE(model->assemblies.empty());
  ASSERT_EQ(model->parts.size(), 1u);
  const PartRecord& part = model->parts[0];
  EXPECT_EQ(part.name, "BLOCK");
  EXPECT_EQ(part.cti, -1);
  ASSERT_EQ(part.bodies.size(), 1u);
  const BodyRecord& body = part.bodies[0];
  EXPECT_EQ(body.bodyTag, 0);
  EXPECT_EQ(body.bodyMark, -1);
  EXPECT_EQ(body.rgb, (Rgb{0, 0, 0}));
  EXPECT_EQ(body.surfaces.size(), 6u);
  EXPECT_EQ(body.vertices.size(), 8u);  // the faces' corners welded
  EXPECT_EQ(body.triangles.size(), 12u);
  EXPECT_DOUBLE_EQ(body.totalArea, 2 * (200 + 600 + 300));
  EXPECT_EQ(part.groups, (std::map<std::string, std::set<std::int32_t>>{{"Default", {0}}}));
  ASSERT_EQ(model->instances.size(), 1u);
  EXPECT_EQ(model->instances[0].rgb, (Rgb{-1, -1, -1}));
  EXPECT_EQ(model->instances[0].label, "Default");
  EXPECT_EQ(model->instances[0].matrix.m, Matrix4::identity().m);
}

TEST_F(PartProcessing, PartPlacedThreeTimesIsTessellatedOnceWithThreeInstances) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& bolt = boxPart(u"BOLT");
  place(top, bolt, 1, sim::translation({10, 0, 0}));
  place(top, bolt, 2, sim::translation({20, 0, 0})).color = sim::Rgb{1, 0, 0};
  place(top, bolt, 3, sim::translation({30, 0, 0}));
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_EQ(world().log.count("ProPartTessellate"), 1);
  ASSERT_EQ(model->parts.size(), 1u);
  ASSERT_EQ(model->instances.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(model->instances[i].matrix[3], 10.0 * double(i + 1));
  EXPECT_EQ(model->instances[1].rgb, (Rgb{1, 0, 0}));
  ASSERT_EQ(model->assemblies.size(), 1u);
  const auto& children = model->assemblies[0].children;
  ASSERT_EQ(children.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(children[static_cast<size_t>(i)].index, i);
    EXPECT_FALSE(children[static_cast<size_t>(i)].isAssembly);
  }

  const vtq::File file = written();
  ASSERT_EQ(file.parts.size(), 1u);
  ASSERT_EQ(file.instances.size(), 3u);
  EXPECT_EQ(file.instances[2].partName, "BOLT");
}

struct UnitCase {
  const char16_t* partUnit;
  const char16_t* topUnit;
  double vertexScale;  // the part's factor
  double offsetScale;  // the top's factor
};

class PartUnits : public PartProcessing, public ::testing::WithParamInterface<UnitCase> {};

// However the units combine, the body ends in millimetres and the placement
// maps it into the top model in millimetres: its block is the rotation
// itself and its translation the top's offset in millimetres.
TEST_P(PartUnits, BodyAndPlacementEndInMillimetres) {
  const UnitCase c = GetParam();
  sim::Model& top = assembly(u"TOP", c.topUnit);
  sim::Model& p = boxPart(u"PIECE", c.partUnit, {1, 2, 3});
  place(top, p, 1, sim::rotation({0, 0, 1}, 90, {4, 5, 6}));
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  const BodyRecord& body = part("PIECE").bodies[0];
  double maxZ = 0;
  for (const Vec3& v : body.vertices) maxZ = std::max(maxZ, v.z);
  EXPECT_NEAR(maxZ, 1.5 * c.vertexScale, 1e-9);
  EXPECT_NEAR(body.totalArea, 2 * (2 + 6 + 3) * c.vertexScale * c.vertexScale, 1e-9);

  const Matrix4& m = model->instances.at(0).matrix;
  const double expected[16] = {0, -1, 0, 4 * c.offsetScale, 1, 0, 0, 5 * c.offsetScale,
                               0, 0, 1, 6 * c.offsetScale, 0, 0, 0, 1};
  for (size_t i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-9) << "element " << i;
}

INSTANTIATE_TEST_SUITE_P(Units, PartUnits,
                         ::testing::Values(UnitCase{u"mm", u"mm", 1, 1}, UnitCase{u"in", u"mm", 25.4, 1},
                                           UnitCase{u"mm", u"cm", 1, 10}, UnitCase{u"in", u"cm", 25.4, 10},
                                           UnitCase{u"dm", u"mm", 1, 1}));

TEST_F(PartProcessing, PartInInchesUnderMillimetresKeepsTheHostTranslation) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& p = boxPart(u"PIECE", u"in");
  place(top, p, 1, sim::translation({7, 8, 9}));
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  ProAsmcomppath path{};
  ProIdTable ids{1};
  ASSERT_EQ(ProAsmcomppathInit(sim::handle(top), ids, 1, &path), PRO_TK_NO_ERROR);
  ProMatrix host;
  ASSERT_EQ(ProAsmcomppathTrfGet(&path, 1, host), PRO_TK_NO_ERROR);
  const Matrix4& m = model->instances.at(0).matrix;
  EXPECT_DOUBLE_EQ(host[0][0], 25.4);  // the host's block carries the unit ratio
  EXPECT_DOUBLE_EQ(m[0], 25.4 / 25.4);
  EXPECT_EQ(m[3], host[3][0]);
  EXPECT_EQ(m[7], host[3][1]);
  EXPECT_EQ(m[11], host[3][2]);
}

TEST_F(PartProcessing, DuplicateOccurrencesAreDroppedWithOneWarningPerName) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& bolt = boxPart(u"BOLT");
  place(top, bolt, 1, sim::translation({1, 2, 3}));
  place(top, bolt, 2, sim::translation({1, 2, 3.01}));
  place(top, bolt, 3, sim::translation({1.005, 2, 3}));
  place(top, bolt, 4, sim::translation({1, 2, 3.5}));
  // Another name gets its own warning, and a name already warned about for
  // another reason is still warned about as a duplicate.
  sim::Model& nut = boxPart(u"NUT");
  place(top, nut, 5).placementReadable = false;
  place(top, nut, 6);
  place(top, nut, 7);
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(),
              ElementsAre("Warning: There is a duplicate component 'BOLT'. Duplicate will be ignored.",
                          "Warning: Loading of part 'NUT' failed. The part is left out in further computation.",
                          "Warning: There is a duplicate component 'NUT'. Duplicate will be ignored."));
  ASSERT_EQ(model->instances.size(), 3u);
  EXPECT_EQ(model->instances[1].matrix[11], 3.5);
  EXPECT_EQ(model->assemblies[0].children.size(), 3u);
}

struct Passed {
  const char* what;
  void (*mark)(sim::Feature&);
};

class PassedOver : public PartProcessing, public ::testing::WithParamInterface<Passed> {};

TEST_P(PassedOver, OccurrenceAddsNothingAndALaterOneTakesTheGeometry) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& p = boxPart(u"PIECE");
  GetParam().mark(place(top, p, 1, sim::translation({1, 0, 0})));
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_TRUE(model->parts.empty());
  EXPECT_TRUE(model->instances.empty());
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(world().log.count("ProPartTessellate"), 0);

  place(top, p, 2, sim::translation({2, 0, 0}));
  delete currentExport;
  currentExport = nullptr;
  model = std::make_unique<TransferModel>();
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_EQ(model->parts.size(), 1u);
  ASSERT_EQ(model->instances.size(), 1u);
  EXPECT_EQ(model->instances[0].matrix[3], 2);
  EXPECT_TRUE(shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Flags, PassedOver,
    ::testing::Values(Passed{"hidden", [](sim::Feature& f) { f.hidden = true; }},
                      Passed{"not_visible", [](sim::Feature& f) { f.visible = false; }},
                      Passed{"not_shown", [](sim::Feature& f) { f.shown = false; }},
                      Passed{"unplaced", [](sim::Feature& f) { f.unplaced = true; }},
                      Passed{"bulk", [](sim::Feature& f) { f.bulk = true; }},
                      Passed{"no_model", [](sim::Feature& f) { f.model = nullptr; }}),
    [](const ::testing::TestParamInfo<Passed>& param) { return std::string(param.param.what); });

TEST_F(PartProcessing, PartWithoutGeometryIsWarnedOnceAndTriedAgain) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& empty = world().addModel(u"EMPTY", PRO_MDL_PART);
  sim::Model& lost = boxPart(u"LOST");
  place(top, lost, 1).placementReadable = false;
  place(top, empty, 2);
  place(top, empty, 3, sim::translation({5, 0, 0}));
  place(top, lost, 4, sim::translation({5, 0, 0}));
  // Left out again for the other cause: both causes share the one message.
  place(top, empty, 5, sim::translation({9, 0, 0})).placementReadable = false;
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(), ElementsAre("Warning: Loading of part 'LOST' failed. The part is left out in further computation.",
                                   "Warning: Loading of part 'EMPTY' failed. The part is left out in further computation."));
  EXPECT_EQ(world().log.count("ProPartTessellate"), 3);  // EMPTY twice, LOST at its readable occurrence
  EXPECT_EQ(model->parts.size(), 1u);
  ASSERT_EQ(model->instances.size(), 1u);
  EXPECT_EQ(model->instances[0].partName, "LOST");
}

TEST_F(PartProcessing, WholePartFailureFallsBackToSurfaces) {
  sim::Model& p = boxPart(u"CAST");
  p.wholeTessellationFails = true;
  ASSERT_EQ(run(p), PRO_TK_NO_ERROR);
  EXPECT_EQ(world().log.count("ProSurfaceTessellationGet"), 6);
  const BodyRecord& body = part("CAST").bodies[0];
  EXPECT_EQ(body.rgb, (Rgb{0, 0, 0}));
  EXPECT_EQ(body.triangles.size(), 12u);
  for (const auto& request : world().surfaceTessellations) {
    EXPECT_DOUBLE_EQ(request.chordHeight, 0.06);
    EXPECT_DOUBLE_EQ(request.angleControl, 0.6);
    EXPECT_EQ(request.stepSize, 0);
    EXPECT_EQ(request.projection, 4);
    EXPECT_FALSE(request.projectionData);
  }
}

TEST_F(PartProcessing, DroppedWholePartTessellationStartsTheBodyOver) {
  sim::Model& p = boxPart(u"CAST");
  // The third surface of the whole-part tessellation has no geometry item;
  // surface by surface it has one.
  world().faults.failOn("ProSurfaceToGeomitem", 3, PRO_TK_BAD_INPUTS);
  ASSERT_EQ(run(p), PRO_TK_NO_ERROR);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(world().log.count("ProPartTessellationFree"), 1);
  EXPECT_EQ(world().log.count("ProSurfaceTessellationGet"), 6);
  const BodyRecord& body = part("CAST").bodies[0];
  EXPECT_EQ(body.rgb, (Rgb{-1, -1, -1}));
  ASSERT_EQ(body.surfaces.size(), 6u);
  EXPECT_EQ(body.surfaces[5].index, 5);
  EXPECT_DOUBLE_EQ(body.totalArea, 2200);  // the dropped surfaces' area is not counted twice
  EXPECT_EQ(body.triangles.size(), 12u);
}

TEST_F(PartProcessing, SurfaceKeptByItsContoursIsWarnedOncePerPart) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& cover = boxPart(u"COVER");
  cover.surfaces[2].mesh.reset();
  cover.surfaces[4].mesh.reset();
  place(top, cover, 1);
  place(top, cover, 2, sim::translation({0, 0, 50}));
  // Another part is warned about for itself, even after a warning of
  // another kind for its name.
  sim::Model& lid = boxPart(u"LID");
  lid.surfaces[0].mesh.reset();
  place(top, lid, 3).placementReadable = false;
  place(top, lid, 4);
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(),
              ElementsAre("Warning: Tessellation of a surface in part 'COVER' failed. This part may be incorrect.",
                          "Warning: Loading of part 'LID' failed. The part is left out in further computation.",
                          "Warning: Tessellation of a surface in part 'LID' failed. This part may be incorrect."));
  const BodyRecord& body = part("COVER").bodies[0];
  EXPECT_EQ(body.surfaces.size(), 4u);
  ASSERT_EQ(body.repairSurfaces.size(), 2u);
  EXPECT_EQ(body.repairSurfaces[1].index, 1);
  EXPECT_EQ(body.repairSurfaces[1].contours.size(), 1u);
  EXPECT_EQ(body.triangles.size(), 8u);
  EXPECT_EQ(model->instances.size(), 3u);
}

TEST_F(PartProcessing, PartWhoseSurfacesAllFailIsKeptByItsRepairSurfaces) {
  sim::Model& p = boxPart(u"SHELL");
  for (auto& s : p.surfaces) s.mesh.reset();
  ASSERT_EQ(run(p), PRO_TK_NO_ERROR);
  const BodyRecord& body = part("SHELL").bodies.at(0);
  EXPECT_TRUE(body.triangles.empty());
  EXPECT_TRUE(body.vertices.empty());
  EXPECT_EQ(body.repairSurfaces.size(), 6u);
  EXPECT_EQ(model->instances.size(), 1u);
}

TEST_F(PartProcessing, RequestsAreReadByTheirFlags) {
  sim::Model& top = assembly(u"TOP");
  top.parameters = {sim::Parameter::text(u"CUSTOMER", u"ACME"), sim::Parameter::integer(u"BOTH", 7),
                    sim::Parameter::text(u"MATERIAL", u"top material")};
  sim::Model& a = boxPart(u"A");
  a.parameters = {sim::Parameter::integer(kCtiNameWide, 600), sim::Parameter::text(u"MATERIAL", u"PA6"),
                  sim::Parameter::text(u"CUSTOMER", u"part customer"), sim::Parameter::real(u"BOTH", 0.5),
                  sim::Parameter::text(u"EMPTY", u"")};
  sim::Model& b = boxPart(u"B");
  b.parameters = {sim::Parameter::integer(kCtiNameWide, -5)};
  place(top, a, 1);
  place(top, b, 2);
  const AttributeRequestList requests = {{kCtiName, 1}, {"MATERIAL", 1}, {"CUSTOMER", 2}, {"BOTH", 3}, {"EMPTY", 1}};
  ASSERT_EQ(run(top, requests), PRO_TK_NO_ERROR);
  EXPECT_EQ(part("A").cti, 600);
  EXPECT_THAT(part("A").parameters, ElementsAre(ParameterPair{u"MATERIAL", u"PA6"}, ParameterPair{u"BOTH", u"0.5"}));
  EXPECT_EQ(part("B").cti, -1);
  EXPECT_TRUE(part("B").parameters.empty());
  EXPECT_THAT(model->assemblies[0].parameters,
              ElementsAre(ParameterPair{u"CUSTOMER", u"ACME"}, ParameterPair{u"BOTH", u"7"}));
}

TEST_F(PartProcessing, PartNameOfNonAsciiCharactersStaysWhole) {
  std::u16string name(31, u'\u00e9');
  name[30] = u'\u20ac';
  sim::Model& p = boxPart(name);
  p.surfaces.clear();
  ASSERT_EQ(run(p), PRO_TK_NO_ERROR);
  std::string narrow;
  for (int i = 0; i < 30; ++i) narrow += "\xc3\xa9";
  narrow += "\xe2\x82\xac";
  EXPECT_THAT(shown(), ElementsAre("Warning: Loading of part '" + narrow +
                                   "' failed. The part is left out in further computation."));
  EXPECT_EQ(model->name, narrow);
}

}  // namespace
}  // namespace veltrosan::test
