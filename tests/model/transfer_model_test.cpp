#include "model/transfer_model.hpp"

#include <gtest/gtest.h>

#include <string>

namespace veltrosan {
namespace {

PartRecord part(const std::string& name, std::int32_t cti = -1) {
  PartRecord p;
  p.name = name;
  p.cti = cti;
  return p;
}

const Rgb kNoColour{-1.0, -1.0, -1.0};

TEST(TransferModel, NewPartRecordIsEmpty) {
  const PartRecord p;
  EXPECT_TRUE(p.name.empty());
  EXPECT_EQ(p.cti, -1);
  EXPECT_TRUE(p.bodies.empty());
  EXPECT_TRUE(p.groups.empty());
  EXPECT_TRUE(p.parameters.empty());
}

TEST(TransferModel, SetCreatorTurnsOnlyBlanksIntoUnderscores) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"Host Modeller Suite 3", "Host_Modeller_Suite_3"},
      {"Host Modeller Suite -1", "Host_Modeller_Suite_-1"},
      {" lead and trail ", "_lead_and_trail_"},
      {"tab\there", "tab\there"},
      {"no\xc2\xa0" "break", "no\xc2\xa0" "break"},  // a no-break space is not a blank
      {"", ""},
  };
  for (const Case& c : cases) {
    TransferModel model;
    model.setCreator(c.in);
    EXPECT_EQ(model.creator, c.out) << c.in;
  }
}

TEST(TransferModel, TextsAreStoredAndCopiedOut) {
  TransferModel model;
  model.setName("gearbox");
  model.setFolder("C:\\work");
  EXPECT_EQ(model.getName(), "gearbox");
  EXPECT_EQ(model.getFolder(), "C:\\work");
  EXPECT_EQ(model.name, "gearbox");
  EXPECT_EQ(model.folder, "C:\\work");
}

TEST(TransferModel, AddPartKeepsFirstOfAName) {
  TransferModel model;
  EXPECT_TRUE(model.addPart(part("bolt", 100)));
  EXPECT_TRUE(model.addPart(part("nut", 200)));
  EXPECT_FALSE(model.addPart(part("bolt", 300)));

  ASSERT_EQ(model.parts.size(), 2u);
  EXPECT_EQ(model.parts[0].cti, 100);
  EXPECT_EQ(model.partIndex("bolt"), 0);
  EXPECT_EQ(model.partIndex("nut"), 1);
  EXPECT_EQ(model.partIndexByName.size(), 2u);
}

TEST(TransferModel, LookupsAreExactAndCaseSensitive) {
  TransferModel model;
  ASSERT_TRUE(model.addPart(part("Bolt")));
  EXPECT_TRUE(model.hasPart("Bolt"));
  for (const char* other : {"bolt", "BOLT", "Bolt ", " Bolt", "Bol", ""}) {
    EXPECT_FALSE(model.hasPart(other)) << '"' << other << '"';
    EXPECT_EQ(model.partIndex(other), -1) << '"' << other << '"';
  }
  // Names differing only in case are distinct parts.
  EXPECT_TRUE(model.addPart(part("bolt")));
  EXPECT_EQ(model.partIndex("bolt"), 1);
}

TEST(TransferModel, AddInstanceOfUnknownPartAppendsNothing) {
  TransferModel model;
  ASSERT_TRUE(model.addPart(part("bolt")));
  EXPECT_EQ(model.addInstance("nut", "Default", Matrix4::identity(), kNoColour), -1);
  EXPECT_EQ(model.addInstance("Bolt", "Default", Matrix4(), kNoColour), -1);
  EXPECT_TRUE(model.instances.empty());
}

TEST(TransferModel, AddInstanceStoresAllFiveValues) {
  TransferModel model;
  ASSERT_TRUE(model.addPart(part("bolt")));
  ASSERT_TRUE(model.addPart(part("nut")));
  Matrix4 placement = Matrix4::identity();
  placement[3] = 12.5;
  ASSERT_EQ(model.addInstance("nut", "Default", placement, Rgb{0.1, 0.2, 0.3}), 0);
  ASSERT_EQ(model.instances.size(), 1u);
  const InstanceRecord& inst = model.instances[0];
  EXPECT_EQ(inst.partIndex, 1);
  EXPECT_EQ(inst.partName, "nut");
  EXPECT_EQ(inst.label, "Default");
  EXPECT_EQ(inst.matrix.m, placement.m);
  EXPECT_EQ(inst.rgb, (Rgb{0.1, 0.2, 0.3}));
}

// The duplicate test compares |new - stored| with 0.01 as computed in double
// precision, so the boundary falls where the rounding puts it.
TEST(TransferModel, DuplicatePlacementBoundary) {
  struct Case {
    std::size_t element;
    double stored;
    double added;
    int expected;
  };
  const Case cases[] = {
      {0, 0.0, 0.01, -2},      // difference exactly 0.01
      {0, 0.0, -0.01, -2},
      {5, 1.0, 1.01, 0},       // 1.01 - 1.0 rounds slightly above 0.01
      {3, 100.0, 100.005, -2},
      {3, 100.0, 100.02, 0},
      {15, 0.0, 0.0100001, 0},
      {11, 5.0, 5.0, -2},
  };
  for (const Case& c : cases) {
    TransferModel model;
    ASSERT_TRUE(model.addPart(part("bolt")));
    Matrix4 first;
    first[c.element] = c.stored;
    ASSERT_EQ(model.addInstance("bolt", "Default", first, kNoColour), 0);
    Matrix4 second;
    second[c.element] = c.added;
    EXPECT_EQ(model.addInstance("bolt", "Default", second, kNoColour), c.expected)
        << "element " << c.element << ": " << c.stored << " then " << c.added;
    EXPECT_EQ(model.instances.size(), c.expected == 0 ? 2u : 1u);
  }
}

TEST(TransferModel, DuplicateTestIgnoresLabelAndColourButNotPart) {
  TransferModel model;
  ASSERT_TRUE(model.addPart(part("bolt")));
  ASSERT_TRUE(model.addPart(part("nut")));
  Matrix4 placement = Matrix4::identity();
  placement[7] = 40.0;
  ASSERT_EQ(model.addInstance("bolt", "Default", placement, kNoColour), 0);
  EXPECT_EQ(model.addInstance("bolt", "Other", placement, Rgb{1.0, 0.0, 0.0}), -2);
  EXPECT_EQ(model.addInstance("nut", "Default", placement, kNoColour), 0);
  // Another placement of the first part is found past an instance of another part.
  Matrix4 moved = placement;
  moved[7] = 80.0;
  EXPECT_EQ(model.addInstance("bolt", "Default", moved, kNoColour), 0);
  EXPECT_EQ(model.addInstance("bolt", "Default", moved, kNoColour), -2);
  EXPECT_EQ(model.instances.size(), 3u);
}

TEST(TransferModel, ClearEmptiesListsButKeepsTexts) {
  TransferModel model;
  model.setName("gearbox");
  model.setFolder("/tmp/out");
  model.setCreator("Host 3");
  ASSERT_TRUE(model.addPart(part("bolt")));
  ASSERT_TRUE(model.addPart(part("nut")));
  ASSERT_EQ(model.addInstance("nut", "Default", Matrix4::identity(), kNoColour), 0);
  model.assemblies.push_back(AssemblyRecord{"top", {ChildRef{0, false}}, {}});

  model.clear();
  EXPECT_TRUE(model.parts.empty());
  EXPECT_TRUE(model.instances.empty());
  EXPECT_TRUE(model.assemblies.empty());
  EXPECT_TRUE(model.partIndexByName.empty());
  EXPECT_FALSE(model.hasPart("bolt"));
  EXPECT_FALSE(model.hasPart("nut"));
  EXPECT_EQ(model.name, "gearbox");
  EXPECT_EQ(model.folder, "/tmp/out");
  EXPECT_EQ(model.creator, "Host_3");

  ASSERT_TRUE(model.addPart(part("nut")));
  EXPECT_EQ(model.partIndex("nut"), 0);
}

}  // namespace
}  // namespace veltrosan
