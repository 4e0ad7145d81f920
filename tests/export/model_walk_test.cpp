// The export entry and the walk of assembly features: what is read from the
// host first, the records of assemblies and sub-assemblies, the component
// path, and how the walk ends.
#include <gtest/gtest.h>

#include "walk_fixture.hpp"

namespace veltrosan::test {
namespace {

using ::testing::ElementsAre;

class ModelWalk : public WalkTest {};

TEST_F(ModelWalk, NoCurrentModelChangesOnlyTheCreator) {
  boxPart(u"UNUSED");
  model->setName("before");
  ASSERT_EQ(CreoExport::exportModel(model.get(), ctiOnly()), PRO_TK_BAD_CONTEXT);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(model->creator, "PTC_Creo_Parametric_3");
  EXPECT_EQ(model->name, "before");
  EXPECT_EQ(model->folder, "");
}

TEST_F(ModelWalk, ModelOfAnotherTypeIsNotSupportedSilently) {
  sim::Model& drawing = world().addModel(u"SHEET", PRO_MDL_DRAWING);
  world().currentDirectory = u"D:\\d\u00e9p\u00f4t\\";
  ASSERT_EQ(run(drawing), VELTROSAN_NOT_SUPPORTED_TYPE);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(model->name, "SHEET");
  EXPECT_EQ(model->folder, "D:\\d\xc3\xa9p\xc3\xb4t\\");
}

TEST_F(ModelWalk, CreatorCarriesTheReleaseOrMinusOne) {
  sim::Model& p = boxPart(u"P");
  world().releaseStatus = PRO_TK_GENERAL_ERROR;
  ASSERT_EQ(run(p), PRO_TK_NO_ERROR);
  EXPECT_EQ(model->creator, "PTC_Creo_Parametric_-1");
  EXPECT_TRUE(shown().empty());

  world().faults.failOn("ProEngineerReleaseNumericversionGet", 2, PRO_TK_BAD_INPUTS);
  EXPECT_EQ(run(p), PRO_TK_BAD_INPUTS);
  EXPECT_THAT(shown(), ElementsAre("Warning: ProEngineerReleaseNumericversionGet: (PRO_TK_BAD_INPUTS)"));
}

TEST_F(ModelWalk, AssemblyWithoutFeaturesFailsTheExport) {
  sim::Model& top = assembly(u"BARE");
  EXPECT_EQ(run(top), PRO_TK_E_NOT_FOUND);
  EXPECT_THAT(shown(), ElementsAre("Warning: ProSolidFeatVisit: (PRO_TK_E_NOT_FOUND)"));
  ASSERT_EQ(model->assemblies.size(), 1u);  // kept for the export action to clear
}

TEST_F(ModelWalk, SubAssembliesGetRecordsInWalkOrderAndEmptyOnesOneWarning) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& empty = assembly(u"EMPTY_ASM");
  sim::Model& datums = assembly(u"DATUMS_ASM");
  sim::Feature datum;
  datum.id = 1;
  datums.features.push_back(datum);
  sim::Model& sub = assembly(u"SUB");
  sim::Model& p = boxPart(u"P");
  place(sub, p, 1);
  place(top, empty, 1);
  place(top, sub, 2);
  place(top, datums, 3);
  place(top, empty, 4, sim::translation({9, 0, 0}));
  place(top, p, 5, sim::translation({0, 9, 0}));
  place(top, assembly(u"SPARE_ASM"), 6);  // another empty one: a warning of its own
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(), ElementsAre("Warning: Assembly 'EMPTY_ASM'' has no components.",
                                   "Warning: Assembly 'SPARE_ASM'' has no components."));
  ASSERT_EQ(model->assemblies.size(), 6u);
  const char* names[] = {"TOP", "EMPTY_ASM", "SUB", "DATUMS_ASM", "EMPTY_ASM", "SPARE_ASM"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(model->assemblies[i].name, names[i]);
  const auto& children = model->assemblies[0].children;
  ASSERT_EQ(children.size(), 6u);
  EXPECT_TRUE(children[0].isAssembly);
  EXPECT_EQ(children[0].index, 1);
  EXPECT_EQ(children[1].index, 2);
  EXPECT_EQ(children[2].index, 3);
  EXPECT_EQ(children[3].index, 4);
  EXPECT_FALSE(children[4].isAssembly);
  EXPECT_EQ(children[4].index, 1);
  ASSERT_EQ(model->assemblies[2].children.size(), 1u);
  EXPECT_EQ(model->assemblies[2].children[0].index, 0);
  EXPECT_TRUE(model->assemblies[1].children.empty());
  EXPECT_TRUE(model->assemblies[3].children.empty());
  EXPECT_TRUE(currentExport->assemblyStack.empty());
  EXPECT_EQ(currentExport->componentPath.table_num, 0);
  EXPECT_EQ(currentExport->componentPath.comp_id_table[0], -1);

  const vtq::File file = written();
  ASSERT_EQ(file.assemblies.size(), 6u);
  EXPECT_EQ(file.assemblies[4].name, "EMPTY_ASM");
}

TEST_F(ModelWalk, PartThreeSubAssembliesDeepHasFourIds) {
  sim::Model& top = assembly(u"TOP");
  sim::Model* parent = &top;
  for (int level = 1; level <= 3; ++level) {
    sim::Model& sub = assembly(u"SUB" + std::u16string(1, char16_t(u'0' + level)));
    place(*parent, sub, 10 * level, sim::translation({1, 0, 0}));
    parent = &sub;
  }
  place(*parent, boxPart(u"DEEP"), 99);
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  std::string pathLength;
  for (const auto& call : world().log.calls())
    if (call.function == "ProAsmcomppathTrfGet") pathLength = call.args;
  EXPECT_EQ(pathLength, "4");
  EXPECT_EQ(model->instances.at(0).matrix[3], 3);  // the three offsets add up
  EXPECT_EQ(model->assemblies.size(), 4u);
  EXPECT_EQ(model->assemblies[3].children.at(0).index, 0);
  EXPECT_TRUE(currentExport->assemblyStack.empty());
  EXPECT_EQ(currentExport->componentPath.table_num, 0);
}

// A chain of `levels` nested sub-assemblies under TOP with a part at its
// bottom: the part's path holds levels + 1 ids.
sim::Model& chain(int levels) {
  sim::Model& top = WalkTest::assembly(u"TOP");
  sim::Model* parent = &top;
  for (int level = 1; level <= levels; ++level) {
    sim::Model& sub = WalkTest::assembly(u"LEVEL_" + sim::utf16(std::to_string(level)));
    WalkTest::place(*parent, sub, 1);
    parent = &sub;
  }
  sim::Feature datum;
  datum.id = 2;
  parent->features.push_back(datum);
  WalkTest::place(*parent, WalkTest::boxPart(u"BOTTOM"), 3);
  return top;
}

TEST_F(ModelWalk, TwentyFiveIdsAreTheDeepestPath) {
  ASSERT_EQ(run(chain(24)), PRO_TK_NO_ERROR);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(model->instances.size(), 1u);
}

TEST_F(ModelWalk, ComponentNestedDeeperEndsTheWalk) {
  ASSERT_EQ(run(chain(25)), VELTROSAN_NOT_SUPPORTED);
  const auto lines = shown();
  ASSERT_EQ(lines.size(), 27u);  // the limit, then the 25 sub-assemblies and the top
  EXPECT_EQ(lines[0], "Warning: Components nested deeper than 25 levels are not supported.");
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i], "Warning: ProSolidFeatVisit: (VELTROSAN_NOT_SUPPORTED)");
  EXPECT_TRUE(model->instances.empty());
  EXPECT_EQ(currentExport->componentPath.table_num, 25);
  EXPECT_EQ(currentExport->componentPath.comp_id_table[24], 1);
  EXPECT_EQ(world().log.count("ProFeatureTypeGet"), 25 + 2);  // the datum below the limit passes
}

TEST_F(ModelWalk, ComponentOfAnotherModelTypeEndsTheWalk) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& sub = assembly(u"SUB");
  place(top, sub, 1);
  place(sub, world().addModel(u"SHEET", PRO_MDL_DRAWING), 1);
  place(top, boxPart(u"NEVER"), 2);
  EXPECT_EQ(run(top), VELTROSAN_NOT_SUPPORTED_TYPE);
  EXPECT_THAT(shown(), ElementsAre("Warning: ProSolidFeatVisit: (VELTROSAN_NOT_SUPPORTED_TYPE)",
                                   "Warning: ProSolidFeatVisit: (VELTROSAN_NOT_SUPPORTED_TYPE)"));
  EXPECT_TRUE(model->parts.empty());
}

TEST_F(ModelWalk, FailingPartEndsTheWalkWithItsCascade) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& sub = assembly(u"SUB");
  sim::Model& p = boxPart(u"P");
  p.wholeTessellationFails = true;
  p.surfaces[1].orientation = 0;
  place(top, sub, 1);
  place(sub, p, 1);
  EXPECT_EQ(run(top), VELTROSAN_NOT_SUPPORTED);
  EXPECT_THAT(shown(), ElementsAre("Warning: CreoExport::processSurface: (VELTROSAN_NOT_SUPPORTED)",
                                   "Warning: ProSolidSurfaceVisit: (VELTROSAN_NOT_SUPPORTED)",
                                   "Warning: CreoExport::processPart: (VELTROSAN_NOT_SUPPORTED)",
                                   "Warning: ProSolidFeatVisit: (VELTROSAN_NOT_SUPPORTED)",
                                   "Warning: ProSolidFeatVisit: (VELTROSAN_NOT_SUPPORTED)"));
  EXPECT_TRUE(model->parts.empty());
  EXPECT_EQ(currentExport->currentBody, nullptr);  // no pointer into the failed part's locals
  EXPECT_EQ(currentExport->currentSurface, nullptr);
}

TEST_F(ModelWalk, NotFoundFromBelowKeepsThePathOfTheLevelsAbove) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& sub = assembly(u"SUB");
  sim::Model& inner = assembly(u"INNER");
  sim::Model& lost = boxPart(u"LOST");
  sim::Model& kept = boxPart(u"KEPT");
  place(top, sub, 1, sim::translation({100, 0, 0}));
  place(sub, inner, 1);
  place(inner, lost, 1);
  place(sub, kept, 2, sim::translation({0, 10, 0}));
  place(top, kept, 2, sim::translation({0, 0, 7}));
  // LOST fails with PRO_TK_E_NOT_FOUND, which INNER's level takes for an
  // empty visit; KEPT's occurrences after it must still get their own paths.
  world().faults.failOn("ProMdlToModelitem", 2, PRO_TK_E_NOT_FOUND);  // 1 is the top's
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_THAT(shown(), ElementsAre("Warning: ProMdlToModelitem: (PRO_TK_E_NOT_FOUND)",
                                   "Warning: CreoExport::processPart: (PRO_TK_E_NOT_FOUND)",
                                   "Warning: Assembly 'INNER'' has no components."));
  ASSERT_EQ(model->instances.size(), 2u);
  EXPECT_EQ(model->instances[0].matrix[3], 100);
  EXPECT_EQ(model->instances[0].matrix[7], 10);
  EXPECT_EQ(model->instances[1].matrix[3], 0);
  EXPECT_EQ(model->instances[1].matrix[11], 7);
  // Each instance is the child of the assembly that holds it.
  ASSERT_EQ(model->assemblies.size(), 3u);
  EXPECT_EQ(model->assemblies[1].children.size(), 2u);  // INNER, then KEPT
  EXPECT_EQ(model->assemblies[0].children.size(), 2u);  // SUB, then KEPT
  EXPECT_EQ(model->assemblies[0].children[1].index, 1);
  EXPECT_TRUE(currentExport->assemblyStack.empty());
  EXPECT_EQ(currentExport->componentPath.table_num, 0);
}

TEST_F(ModelWalk, WalkAppendsToWhatTheModelHolds) {
  sim::Model& p = boxPart(u"P");
  ASSERT_EQ(run(p), PRO_TK_NO_ERROR);
  ASSERT_EQ(run(p), PRO_TK_NO_ERROR);
  // The part is already held, so it is not tessellated again, and the same
  // placement is a duplicate of the first export's instance.
  EXPECT_EQ(world().log.count("ProPartTessellate"), 1);
  EXPECT_EQ(model->parts.size(), 1u);
  EXPECT_EQ(model->instances.size(), 1u);
  EXPECT_THAT(shown(), ElementsAre("Warning: There is a duplicate component 'P'. Duplicate will be ignored."));
}

// What an export has warned about belongs to that export: pressing "Export"
// again after a failed export, into the cleared model, warns again.
TEST_F(ModelWalk, ANewExportAfterAFailedOneWarnsAgain) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& bolt = boxPart(u"BOLT");
  sim::Model& cover = boxPart(u"COVER");
  cover.surfaces[2].mesh.reset();
  place(top, assembly(u"EMPTY_ASM"), 1);
  place(top, bolt, 2);
  place(top, bolt, 3);
  place(top, cover, 4);
  place(top, world().addModel(u"HOLLOW", PRO_MDL_PART), 5);
  sim::Model& sub = assembly(u"SUB");
  place(sub, world().addModel(u"SHEET", PRO_MDL_DRAWING), 1);
  place(top, sub, 6);
  const std::vector<std::string> warnings = {
      "Warning: Assembly 'EMPTY_ASM'' has no components.",
      "Warning: There is a duplicate component 'BOLT'. Duplicate will be ignored.",
      "Warning: Tessellation of a surface in part 'COVER' failed. This part may be incorrect.",
      "Warning: Loading of part 'HOLLOW' failed. The part is left out in further computation."};

  EXPECT_EQ(run(top), VELTROSAN_NOT_SUPPORTED_TYPE);
  std::vector<std::string> failed = warnings;
  failed.insert(failed.end(), 2, "Warning: ProSolidFeatVisit: (VELTROSAN_NOT_SUPPORTED_TYPE)");
  EXPECT_EQ(shown(), failed);

  // The export action clears the model; the user mends the assembly.
  model->clear();
  world().messages.shown.clear();
  top.features.pop_back();
  ASSERT_EQ(run(top), PRO_TK_NO_ERROR);
  EXPECT_EQ(shown(), warnings);
  EXPECT_EQ(model->parts.size(), 2u);
  EXPECT_EQ(model->instances.size(), 2u);
  EXPECT_EQ(model->assemblies.size(), 2u);
}

// A failed walk leaves its position behind (the assemblies it was in); the
// next export starts from none. Here a part, as the next current model, is
// appended to the model of the failed export, which holds those assemblies.
TEST_F(ModelWalk, AnExportAfterAFailedOneIsNoChildOfTheFailedWalk) {
  sim::Model& top = assembly(u"TOP");
  sim::Model& sub = assembly(u"SUB");
  place(top, sub, 1);
  place(sub, world().addModel(u"SHEET", PRO_MDL_DRAWING), 1);
  ASSERT_EQ(run(top), VELTROSAN_NOT_SUPPORTED_TYPE);
  ASSERT_EQ(model->assemblies.size(), 2u);

  ASSERT_EQ(run(boxPart(u"LOOSE")), PRO_TK_NO_ERROR);
  ASSERT_EQ(model->instances.size(), 1u);
  EXPECT_EQ(model->assemblies[0].children.size(), 1u);  // SUB alone
  EXPECT_TRUE(model->assemblies[1].children.empty());
  EXPECT_TRUE(currentExport->assemblyStack.empty());
}

}  // namespace
}  // namespace veltrosan::test
