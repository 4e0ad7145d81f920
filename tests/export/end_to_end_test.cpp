// Whole exports from scene files to transfer files, and a fault sweep: every
// host call of a small export failing once, at each of its calls, must leave
// no host allocation behind and must not crash.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "walk_fixture.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;

std::string example(const std::string& name) { return std::string(VELTROSAN_EXAMPLES_DIR) + "/" + name; }

class EndToEnd : public WalkTest {};

TEST_F(EndToEnd, RobotCell) {
  const AttributeRequestList requests = {{kCtiName, 1}, {"MATERIAL", 1}, {"CUSTOMER", 2}, {"PROJECT_NO", 3}};
  ASSERT_EQ(runScene(example("robot_cell.json"), requests), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(),
              ElementsAre("Warning: There is a duplicate component 'BOLT'. Duplicate will be ignored.",
                          "Warning: Tessellation of a surface in part 'COVER' failed. This part may be incorrect.",
                          "Warning: Assembly 'FIXTURE_ASM'' has no components."));
  EXPECT_EQ(model->creator, "PTC_Creo_Parametric_3");
  EXPECT_EQ(model->folder, "C:\\work\\robot_cell\\");

  const vtq::File file = written();
  std::vector<std::string> assemblies;
  for (const auto& a : file.assemblies) assemblies.push_back(a.name);
  EXPECT_THAT(assemblies, ElementsAre("ROBOT_CELL", "ARM_ASM", "WRIST_ASM", "GRIPPER_ASM", "SPARES_ASM", "SPARES_ASM",
                                      "FIXTURE_ASM", "FIXTURE_ASM"));
  EXPECT_THAT(file.assemblies[0].parameters,
              ElementsAre(vtq::WidePair{u"CUSTOMER", u"Sample Automation Ltd"}, vtq::WidePair{u"PROJECT_NO", u"4711"}));

  std::map<std::string, int> instances;
  for (const auto& i : file.instances) ++instances[i.partName];
  EXPECT_EQ(instances, (std::map<std::string, int>{{"ARM_LINK", 2}, {"BASE_PLATE", 1}, {"BOLT", 4}, {"CABLE_GUIDE", 1},
                                                   {"COVER", 1}, {"GRIP_PAD", 2}, {"MOTOR", 1}, {"SERVICE_TOOL", 1}}));
  // One record per distinct part, each tessellated once.
  EXPECT_EQ(file.parts.size(), 8u);
  EXPECT_EQ(world().log.count("ProPartTessellate"), 8);

  const PartRecord& plate = part("BASE_PLATE");
  EXPECT_EQ(plate.cti, 600);
  EXPECT_EQ(plate.bodies[0].surfaces[0].cti, 400);  // from the surfaces' feature
  EXPECT_THAT(plate.parameters, ElementsAre(ParameterPair{u"MATERIAL", u"S235JR"}));

  // The bolt is modelled in inches: its body and placement are in millimetres.
  const PartRecord& bolt = part("BOLT");
  double top = 0;
  for (const Vec3& v : bolt.bodies[0].vertices) top = std::max(top, v.z);
  EXPECT_NEAR(top, 2.25 * 25.4, 1e-9);
  EXPECT_NEAR(bolt.bodies[0].surfaces[0].param1, 0.25 * 25.4, 1e-12);
  const InstanceRecord& first = model->instances[1];
  EXPECT_EQ(first.partName, "BOLT");
  EXPECT_NEAR(first.matrix[0], 1, 1e-12);
  EXPECT_EQ(first.matrix[3], -180);
  EXPECT_EQ(first.matrix[11], 20);
  EXPECT_EQ(model->instances[4].rgb, (Rgb{0.9, 0.75, 0.1}));

  // The gripper pads sit four levels down, under the wrist in centimetres.
  const InstanceRecord* pad = nullptr;
  for (const auto& i : model->instances)
    if (i.partName == "GRIP_PAD" && pad == nullptr) pad = &i;
  ASSERT_NE(pad, nullptr);
  EXPECT_NEAR(pad->matrix[11], 20 + 700 + 60, 1e-9);
  EXPECT_NEAR(pad->matrix[10], 1, 1e-12);

  const BodyRecord& padBody = part("GRIP_PAD").bodies[0];
  ASSERT_EQ(padBody.surfaces.size(), 8u);  // six faces, then the two facet sets
  EXPECT_EQ(padBody.surfaces[6].shapeClass, 6);
  EXPECT_EQ(padBody.surfaces[6].cti, 300);  // from the owning feature's parent
  EXPECT_EQ(padBody.surfaces[7].cti, 300);
  EXPECT_EQ(part("GRIP_PAD").cti, -1);

  const BodyRecord& cover = part("COVER").bodies[0];
  EXPECT_EQ(cover.surfaces.size(), 5u);
  ASSERT_EQ(cover.repairSurfaces.size(), 1u);
  EXPECT_EQ(cover.repairSurfaces[0].contours.at(0).edges.size(), 4u);
  EXPECT_EQ(part("MOTOR").bodies[0].rgb, (Rgb{0, 0, 0}));
  EXPECT_EQ(part("MOTOR").bodies[0].surfaces.size(), 3u);
}

TEST_F(EndToEnd, PartInInchesAsTheTopModel) {
  ASSERT_EQ(runScene(example("bracket_part.json")), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(), ElementsAre("Warning: Tessellation of a surface in part 'BRACKET' failed. This part may be incorrect."));
  const vtq::File file = written();
  ASSERT_EQ(file.parts.size(), 1u);
  EXPECT_EQ(file.parts[0].cti, 400);
  const vtq::Body& body = file.parts[0].bodies.at(0);
  EXPECT_EQ(body.surfaces.size(), 12u);
  EXPECT_EQ(body.surfaces[6].cti, 600);
  ASSERT_EQ(body.repairSurfaces.size(), 1u);
  EXPECT_NEAR(body.repairSurfaces[0].param1, 0.2 * 25.4, 1e-12);
  EXPECT_EQ(body.repairSurfaces[0].flag, 0);  // a cylinder of orientation -1
  EXPECT_EQ(body.repairSurfaces[0].contours.at(1).bboxMax.z, 0.25);  // contours stay in inches
  EXPECT_NEAR(body.totalArea, (2 * (8 + 1 + 0.5) + 2 * (0.5 + 0.75 + 6) + 0.314159) * 25.4 * 25.4, 1e-6);
  ASSERT_EQ(file.instances.size(), 1u);
  EXPECT_EQ(file.instances[0].rgb, (Rgb{-1, -1, -1}));
  // Rows times 25.4 for the top's inches, the block divided by 25.4 for the part's.
  for (size_t i = 0; i < 16; ++i) EXPECT_NEAR(file.instances[0].matrix[i], Matrix4::identity()[i], 1e-15) << i;
}

TEST_F(EndToEnd, ConveyorLinePlacesOneRollerPartSeventyTwoTimes) {
  const AttributeRequestList requests = {{kCtiName, 1}, {"MATERIAL", 1}, {"CUSTOMER", 2}, {"LINE_NO", 3}};
  ASSERT_EQ(runScene(example("conveyor_line.json"), requests), PRO_TK_NO_ERROR);
  // Where two sections meet, the end beam of one lies on the first beam of
  // the next.
  EXPECT_THAT(shown(),
              ElementsAre("Warning: There is a duplicate component 'CROSS_BEAM'. Duplicate will be ignored.",
                          "Warning: Tessellation of a surface in part 'PHOTO_SENSOR' failed. This part may be incorrect."));
  EXPECT_EQ(world().log.count("ProPartTessellate"), 6) << "each distinct part is tessellated once";

  const vtq::File file = written();
  std::map<std::string, int> instances;
  for (const auto& i : file.instances) ++instances[i.partName];
  EXPECT_EQ(instances, (std::map<std::string, int>{{"CROSS_BEAM", 4},
                                                   {"GEAR_MOTOR", 1},
                                                   {"GUARD", 1},
                                                   {"PHOTO_SENSOR", 2},
                                                   {"ROLLER", 72},
                                                   {"SIDE_FRAME", 6}}));
  ASSERT_EQ(file.assemblies.size(), 5u);  // the line, three sections, the drive
  EXPECT_EQ(file.assemblies[1].children.size(), 28u);
  EXPECT_THAT(file.assemblies[0].parameters,
              ElementsAre(vtq::WidePair{u"CUSTOMER", u"Sample Logistics Ltd"}, vtq::WidePair{u"LINE_NO", u"3"}));
  EXPECT_THAT(part("ROLLER").parameters, ElementsAre(ParameterPair{u"MATERIAL", u"PA6"}));
  // The guard is faceted only: one facet-set record, its CTI from its feature.
  const BodyRecord& guard = part("GUARD").bodies.at(0);
  ASSERT_EQ(guard.surfaces.size(), 1u);
  EXPECT_EQ(guard.surfaces[0].shapeClass, 6);
  EXPECT_EQ(guard.surfaces[0].cti, 600);
  EXPECT_GT(guard.triangles.size(), 1000u);
  // The sensor is modelled in inches and kept by its contours where it fails.
  EXPECT_EQ(part("PHOTO_SENSOR").bodies.at(0).repairSurfaces.size(), 1u);
}

// A small assembly that takes every road: whole-part and per-surface
// tessellation, a repaired surface with contours and edges, facet sets with
// a CTI search through parents, a sub-assembly, a part placed twice,
// colours, and parameters on parts and on the top.
void smallWorld() {
  sim::Model& top = WalkTest::assembly(u"TOP", u"cm");
  top.parameters = {sim::Parameter::text(u"CUSTOMER", u"ACME")};
  sim::Model& sub = WalkTest::assembly(u"SUB");
  sim::Model& a = WalkTest::boxPart(u"A", u"in", {1, 2, 3});
  a.parameters = {sim::Parameter::integer(kCtiNameWide, 250), sim::Parameter::real(u"MASS", 1.5)};
  sim::Model& b = WalkTest::boxPart(u"B");
  b.surfaces[1].mesh.reset();
  b.surfaces[1].contours[0].edges.push_back(sim::Edge{12, {{0, 0, 0}, {1, 1, 1}}, std::nullopt});
  b.features[0].parameters = {sim::Parameter::integer(kCtiNameWide, 175)};
  sim::FacetSet fs;
  fs.id = 1;
  fs.featureId = 2;
  fs.facets = sim::facetsOf(sim::boxSurfaces({1, 1, 1}, {0, 0, 40}, {}));
  b.facetSets.push_back(fs);
  WalkTest::place(top, a, 1, sim::translation({1, 2, 3})).color = sim::Rgb{0, 1, 0};
  WalkTest::place(top, sub, 2, sim::rotation({1, 0, 0}, 90, {0, 0, 5}));
  WalkTest::place(sub, a, 1);
  WalkTest::place(sub, b, 2, sim::translation({0, 50, 0}));
  sim::world().current = &top;
}

TEST_F(EndToEnd, SmallWorldExportsCleanly) {
  smallWorld();
  const AttributeRequestList requests = {{kCtiName, 1}, {"MASS", 1}, {"CUSTOMER", 2}};
  ASSERT_EQ(CreoExport::exportModel(model.get(), requests), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(), ElementsAre("Warning: Tessellation of a surface in part 'B' failed. This part may be incorrect."));
  EXPECT_EQ(model->instances.size(), 3u);
  EXPECT_EQ(part("B").bodies[0].surfaces.size(), 6u);  // five faces and the facet set
  EXPECT_EQ(part("B").bodies[0].surfaces[5].cti, 175);
  const vtq::File file = written();
  EXPECT_EQ(file.parts.size(), 2u);
}

TEST_F(EndToEnd, EveryHostCallFailingOnceLeavesNothingBehind) {
  smallWorld();
  const AttributeRequestList requests = {{kCtiName, 1}, {"MASS", 1}, {"CUSTOMER", 2}};
  ASSERT_EQ(CreoExport::exportModel(model.get(), requests), PRO_TK_NO_ERROR);
  const std::map<std::string, int> counts = world().log.counts();
  ASSERT_GT(counts.size(), 40u);

  std::vector<std::string> problems;
  int runs = 0;
  for (const auto& [function, count] : counts) {
    for (int n = 1; n <= count; ++n) {
      for (StatusCode status : {PRO_TK_GENERAL_ERROR, PRO_TK_E_NOT_FOUND, PRO_TK_BAD_INPUTS}) {
        sim::reset();
        smallWorld();
        world().faults.failOn(function, n, status);
        TransferModel fresh;
        const StatusCode result = CreoExport::exportModel(&fresh, requests);
        ++runs;
        const std::string where = function + " #" + std::to_string(n) + " failing with " + std::to_string(status);
        // Only the block a release made to fail was given may stay with the host.
        releaseLeftovers();
        const auto& ledger = world().ledger;
        if (!ledger.outstanding().empty())
          problems.push_back(where + ": leaked " + testing_support::joinLines(ledger.outstanding()));
        if (!ledger.violations().empty())
          problems.push_back(where + ": violations " + testing_support::joinLines(ledger.violations()));
        if (result != PRO_TK_NO_ERROR && world().messages.shown.empty() && result != PRO_TK_BAD_CONTEXT &&
            function != "ProMessageDisplay")
          problems.push_back(where + ": failed with " + std::to_string(result) + " and showed nothing");
      }
    }
  }
  EXPECT_GT(runs, 500);
  EXPECT_TRUE(problems.empty()) << problems.size() << " problems:\n" << testing_support::joinLines(problems);
  sim::reset();
}

}  // namespace
}  // namespace veltrosan::test
