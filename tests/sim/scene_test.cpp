// Scene files: the samples load into the world they describe, and a bad file
// is refused with the file and the JSON path of the fault, leaving the world
// as it was.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <string>

#include "sim/scene.hpp"
#include "sim/text.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_dir.hpp"

namespace {

std::string example(const std::string& name) { return std::string(VELTROSAN_EXAMPLES_DIR) + "/" + name; }

sim::Model* model(const std::string& name) {
  for (auto& m : sim::world().models)
    if (sim::utf8(m->name) == name) return m.get();
  return nullptr;
}

class SceneTest : public testing_support::SimTest {};

TEST_F(SceneTest, RobotCellLoadsAsDescribed) {
  std::string error;
  ASSERT_TRUE(sim::loadScene(example("robot_cell.json"), error)) << error;
  auto& w = world();
  ASSERT_EQ(w.current, model("ROBOT_CELL"));
  EXPECT_EQ(w.currentDirectory, u"C:\\work\\robot_cell\\");
  EXPECT_EQ(w.releaseNumber, 3);

  sim::Model& top = *w.current;
  EXPECT_EQ(top.type, PRO_MDL_ASSEMBLY);
  ASSERT_EQ(top.parameters.size(), 4u);  // in the file's order
  EXPECT_EQ(top.parameters[0].name, u"CUSTOMER");
  EXPECT_EQ(top.parameters[0].type, PRO_PARAM_STRING);
  EXPECT_EQ(top.parameters[1].type, PRO_PARAM_INTEGER);
  EXPECT_EQ(top.parameters[3].type, PRO_PARAM_DOUBLE);
  EXPECT_EQ(top.features[0].type, 923);
  const sim::Feature& bolt = *top.feature(11);
  EXPECT_EQ(bolt.type, PRO_FEAT_COMPONENT);
  EXPECT_EQ(bolt.model, model("BOLT"));
  EXPECT_EQ(bolt.placement[12], -180);
  EXPECT_EQ(bolt.placement[14], 20);
  EXPECT_TRUE(top.feature(18)->hidden);
  EXPECT_FALSE(top.feature(19)->visible);
  EXPECT_TRUE(top.feature(20)->unplaced);
  EXPECT_TRUE(top.feature(21)->bulk);
  EXPECT_FALSE(top.feature(22)->shown);
  EXPECT_EQ(top.feature(26)->model, nullptr);
  ASSERT_TRUE(top.feature(14)->color.has_value());
  EXPECT_EQ((*top.feature(14)->color)[1], 0.75);

  EXPECT_EQ(*model("BOLT")->lengthUnit, u"in");
  EXPECT_EQ(model("BOLT")->surfaces.size(), 6u);  // two cylinders of three surfaces each
  EXPECT_TRUE(model("MOTOR")->wholeTessellationFails);
  const sim::Model& cover = *model("COVER");
  ASSERT_EQ(cover.surfaces.size(), 6u);
  EXPECT_FALSE(cover.surfaces[5].mesh.has_value());
  EXPECT_EQ(cover.surfaces[5].contours.size(), 1u);
  EXPECT_TRUE(cover.surfaces[4].mesh.has_value());
  const sim::Model& pad = *model("GRIP_PAD");
  ASSERT_EQ(pad.facetSets.size(), 2u);
  EXPECT_EQ(pad.facetSets[0].id, 1);
  EXPECT_EQ(pad.facetSets[0].featureId, 2);
  EXPECT_EQ(pad.facetSets[1].id, 2);
  EXPECT_EQ(pad.facetSets[1].facets.size(), 1u);
  EXPECT_EQ(pad.surfaces[0].featureId, 1);
}

TEST_F(SceneTest, EverySampleLoads) {
  int loaded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(VELTROSAN_EXAMPLES_DIR))) {
    if (entry.path().extension() != ".json") continue;
    sim::reset();
    std::string error;
    EXPECT_TRUE(sim::loadScene(entry.path().u8string(), error)) << error;
    EXPECT_NE(world().current, nullptr) << entry.path().u8string();
    ++loaded;
  }
  EXPECT_GE(loaded, 2);
}

TEST_F(SceneTest, ExplicitSurfacesKeepTheirDataAndIdsDoNotCollide) {
  std::string error;
  ASSERT_TRUE(sim::loadSceneText(R"({"models": [{"name": "P", "features": [{"id": 4}],
      "geometry": [{"box": {"size": [1, 1, 1]}}],
      "surfaces": [{"id": 2, "type": "torus", "values": [5, 1], "orientation": 0, "geomitem": false,
                    "areaStatus": -65, "feature": 4,
                    "mesh": {"vertices": [[0,0,0], [1,0,0], [0,1,0]], "facets": [[0, 1, 2]]},
                    "contours": [{"traversal": -1, "edges": [{"type": 12, "points": [[1,2,3]], "count": 0}]}]}]}]})",
                                  "inline", error))
      << error;
  const sim::Model& p = *world().models[0];
  ASSERT_EQ(p.surfaces.size(), 7u);
  std::set<int> ids;
  for (const auto& s : p.surfaces) ids.insert(s.id);
  EXPECT_EQ(ids.size(), 7u);
  const sim::Surface& s = p.surfaces[6];
  EXPECT_EQ(s.id, 2);
  EXPECT_EQ(s.type, PRO_SRF_TORUS);
  EXPECT_EQ(s.values[1], 1);
  EXPECT_EQ(s.orientation, 0);
  EXPECT_FALSE(s.hasGeomitem);
  EXPECT_EQ(s.areaStatus, -65);
  EXPECT_EQ(s.featureId, 4);
  EXPECT_EQ(s.mesh->facets.size(), 1u);
  EXPECT_EQ(s.contours[0].traversal, -1);
  EXPECT_EQ(s.contours[0].edges[0].countOverride, 0);
  EXPECT_EQ(world().current, nullptr);
}

struct BadScene {
  const char* what;
  const char* text;
  const char* message;  // expected within the error, after "bad.json: "
};

class BadSceneTest : public SceneTest, public ::testing::WithParamInterface<BadScene> {};

TEST_P(BadSceneTest, IsRefusedWithItsPlaceAndTheWorldStaysAsItWas) {
  sim::Model& before = world().addModel(u"KEPT", PRO_MDL_PART);
  world().current = &before;
  std::string error;
  EXPECT_FALSE(sim::loadSceneText(GetParam().text, "bad.json", error));
  EXPECT_EQ(error.rfind("bad.json: ", 0), 0u) << error;
  EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
  ASSERT_EQ(world().models.size(), 1u);
  EXPECT_EQ(world().current, &before);
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, BadSceneTest,
    ::testing::Values(
        BadScene{"malformed", R"({"models": [ {"name": "A"} )", "malformed JSON"},
        BadScene{"not an object", R"([1, 2])", "expected an object, found an array"},
        BadScene{"unknown top field", R"({"model": []})", "/model: unknown field 'model'"},
        BadScene{"unknown model field", R"({"models": [{"name": "A", "colour": [1, 0, 0]}]})",
                 "/models/0/colour: unknown field 'colour'"},
        BadScene{"wrong type", R"({"models": [{"name": "A", "unit": 25.4}]})",
                 "/models/0/unit: expected a string, found a number"},
        BadScene{"dangling component", R"({"models": [{"name": "A", "type": "assembly",
                 "features": [{"component": "B"}]}]})",
                 "/models/0/features/0/component: no model named 'B'"},
        BadScene{"dangling feature", R"({"models": [{"name": "A", "geometry": [{"box": {"size": [1, 1, 1]}, "feature": 3}]}]})",
                 "/models/0/geometry/0/feature: no feature 3 in this model"},
        BadScene{"dangling current", R"({"current": "X", "models": [{"name": "A"}]})", "/current: no model named 'X'"},
        BadScene{"duplicate name", R"({"models": [{"name": "A"}, {"name": "A"}]})",
                 "/models/1/name: duplicate model name 'A'"},
        BadScene{"duplicate key", R"({"models": [{"name": "A", "name": "B"}]})", "duplicate field 'name' inside /models"},
        BadScene{"duplicate feature", R"({"models": [{"name": "A", "features": [{"id": 2}, {"id": 2}]}]})",
                 "/models/0/features/1/id: duplicate feature id 2"},
        BadScene{"no feature id left", R"({"models": [{"name": "A", "features": [{"id": 2147483647}, {}]}]})",
                 "/models/0/features/1: no id above 2147483647 is left to give"},
        BadScene{"no facet set id left", R"({"models": [{"name": "A", "facetSets": [{"id": 2147483647, "facets": []}, {"facets": []}]}]})",
                 "/models/0/facetSets/1: no id above 2147483647 is left to give"},
        BadScene{"self containing", R"({"models": [{"name": "A", "type": "assembly", "features": [{"component": "B"}]},
                 {"name": "B", "type": "assembly", "features": [{"component": "A"}]}]})",
                 "contains itself"},
        BadScene{"facet index", R"({"models": [{"name": "A", "surfaces": [{"mesh": {"vertices": [[0,0,0]], "facets": [[0, 0, 1]]}}]}]})",
                 "/models/0/surfaces/0/mesh/facets/0/2: no vertex 1 in this mesh"},
        BadScene{"short vector", R"({"models": [{"name": "A", "geometry": [{"box": {"size": [1, 1]}}]}]})",
                 "/models/0/geometry/0/box/size: expected three numbers"},
        BadScene{"two shapes", R"({"models": [{"name": "A", "geometry": [{"box": {"size": [1, 1, 1]}, "sphere": {"radius": 1}}]}]})",
                 "/models/0/geometry/0: give one shape"},
        BadScene{"placement twice", R"({"models": [{"name": "A", "type": "assembly", "features": [{"component": "A2",
                 "matrix": [1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1], "translation": [1, 2, 3]}]}, {"name": "A2"}]})",
                 "/models/0/features/0/matrix: give either"},
        BadScene{"placement on a datum", R"({"models": [{"name": "A", "features": [{"type": 923, "translation": [1, 2, 3]}]}]})",
                 "/models/0/features/0/translation: only a component"},
        BadScene{"long name", R"({"models": [{"name": "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456"}]})",
                 "/models/0/name: a name holds at most 31 characters"},
        BadScene{"out of range", R"({"release": 3000000000})", "/release: integer out of range"},
        BadScene{"zero size", R"({"models": [{"name": "A", "geometry": [{"cylinder": {"radius": 0, "height": 1}}]}]})",
                 "/models/0/geometry/0/cylinder/radius: expected a number above 0"}),
    [](const ::testing::TestParamInfo<BadScene>& param) {
      std::string name;
      for (const char* c = param.param.what; *c != 0; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
      return name;
    });

TEST_F(SceneTest, FileErrorsNameTheFile) {
  veltrosan::test::TempDir dir;
  std::string error;
  EXPECT_FALSE(sim::loadScene(dir.file("missing.json"), error));
  EXPECT_NE(error.find("missing.json: cannot open the file"), std::string::npos) << error;
  veltrosan::test::writeBytes(dir.file("broken.json"), "{\"models\": [{\"name\": 5}]}");
  EXPECT_FALSE(sim::loadScene(dir.file("broken.json"), error));
  EXPECT_EQ(error, dir.file("broken.json") + ": /models/0/name: expected a string, found a number");
}

}  // namespace
