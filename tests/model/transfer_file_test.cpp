#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/binary_writer.hpp"
#include "model/mesh.hpp"
#include "model/platform.hpp"
#include "model/transfer_file.hpp"
#include "model/transfer_model.hpp"
#include "support/geometry_printing.hpp"
#include "support/temp_dir.hpp"
#include "support/transfer_file_reader.hpp"

namespace veltrosan {
namespace {

using test::TempDir;

bool sameVec(const Vec3& p, const Vec3& q) { return p == q; }

std::string asString(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// One part "bracket" with one body of one surface and one triangle, one
// instance of it, a 22-byte creator and a 7-byte name.
TransferModel workedExample() {
  TransferModel model;
  model.setCreator("Host Application 3.0.1");
  model.setName("bracket");
  PartRecord part;
  part.name = "bracket";
  part.cti = 175;
  part.groups["Default"] = {0};
  BodyRecord body;
  SurfaceRecord surface;
  surface.index = 0;
  surface.cti = 250;
  surface.rgb = {0.25, 0.5, 0.75};
  surface.shapeClass = 1;
  surface.origin = Vec3(1, 2, 3);
  surface.axis = Vec3(0, 0, 1);
  body.surfaces.push_back(surface);
  body.vertices = {Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(0, 10, 0)};
  body.triangles = {Triangle{0, 1, 2, 0}};
  body.totalArea = 50.0;
  part.bodies.push_back(body);
  EXPECT_TRUE(model.addPart(part));
  Matrix4 placement = Matrix4::identity();
  placement[3] = 5.0;
  EXPECT_EQ(model.addInstance("bracket", "Default", placement, Rgb{-1.0, -1.0, -1.0}), 0);
  return model;
}

RepairSurfaceRecord repairSurface(std::int32_t index) {
  RepairSurfaceRecord r;
  r.index = index;
  r.cti = 600;
  r.rgb = {0.9, 0.9, 0.9};  // not written
  r.shapeClass = 2;
  r.origin = Vec3(1.5, 2.5, 3.5);
  r.axis = Vec3(0.0, -1.0, 0.25);
  r.param1 = 4.0;
  r.param2 = -8.0;
  r.flag = 0;
  return r;
}

// A model that exercises every block kind.
TransferModel richModel() {
  TransferModel model;
  model.setCreator("Host 3");
  model.setName("gearbox");

  PartRecord shaft;
  shaft.name = "shaft";
  shaft.cti = -1;
  shaft.parameters = {{u"MATERIAL", u"steel"}, {u"MASS", u""}};
  shaft.groups["b"] = {2, 0, 1};
  shaft.groups["Default"] = {0};
  shaft.groups["A"] = {};
  BodyRecord body;
  for (std::int32_t i = 0; i < 3; ++i) {
    SurfaceRecord s;
    s.index = i;
    s.cti = 100 * i;
    s.shapeClass = i;
    s.param1 = 0.5 * i;
    s.flag = static_cast<std::uint8_t>(i % 2);
    body.surfaces.push_back(s);
  }
  body.vertices = {Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(1, 1, 0)};
  body.triangles = {Triangle{0, 1, 2, 0}, Triangle{1, 3, 2, 2}};
  body.repairSurfaces.push_back(repairSurface(0));  // no contours
  RepairSurfaceRecord withContours = repairSurface(1);
  ContourRecord empty;
  empty.traversal = 2;
  empty.bboxMin = Vec3(-1, -2, -3);
  empty.bboxMax = Vec3(1, 2, 3);
  ContourRecord full;
  full.traversal = 1;
  full.edges.push_back(EdgeRecord{3, {Vec3(0, 0, 0), Vec3(1, 1, 1)}});
  full.edges.push_back(EdgeRecord{4, {}});
  full.edges.push_back(EdgeRecord{5, {Vec3(7, 8, 9)}});
  withContours.contours = {empty, full};
  body.repairSurfaces.push_back(withContours);
  shaft.bodies.push_back(body);
  shaft.bodies.push_back(BodyRecord());
  EXPECT_TRUE(model.addPart(shaft));

  PartRecord gear;
  gear.name = "gear";
  gear.cti = 400;
  EXPECT_TRUE(model.addPart(gear));

  EXPECT_EQ(model.addInstance("shaft", "Default", Matrix4::identity(), Rgb{0.1, 0.2, 0.3}), 0);
  Matrix4 moved = Matrix4::identity();
  moved[11] = -20.0;
  EXPECT_EQ(model.addInstance("gear", "Default", moved, Rgb{-1, -1, -1}), 0);

  model.assemblies.push_back(AssemblyRecord{"gearbox", {{1, true}, {0, false}}, {{u"REVISION", u"B"}}});
  model.assemblies.push_back(AssemblyRecord{"sub", {{1, false}}, {}});
  return model;
}

TEST(TransferFile, WorkedExampleLayout) {
  TempDir dir;
  TransferModel model = workedExample();
  const std::string path = dir.file("bracket.vtq");
  ASSERT_EQ(model.write(path), kWriteOk);

  const vtq::File f = vtq::readFile(path);
  EXPECT_EQ(f.size, 517u);
  EXPECT_EQ(f.header.span.size, 40u);
  EXPECT_EQ(f.assemblyCountOffset, 40u);
  ASSERT_EQ(f.instances.size(), 1u);
  EXPECT_EQ(f.instances[0].span.offset, 48u);
  EXPECT_EQ(f.instances[0].span.size, 174u);
  EXPECT_EQ(f.partCountOffset, 222u);
  ASSERT_EQ(f.parts.size(), 1u);
  EXPECT_EQ(f.parts[0].span.size, 291u);
  ASSERT_EQ(f.parts[0].bodies.size(), 1u);
  EXPECT_EQ(f.parts[0].bodies[0].span.size, 245u);

  EXPECT_EQ(f.header.creator, "Host_Application_3.0.1");
  EXPECT_EQ(f.header.name, "bracket");
  const vtq::Instance& inst = f.instances[0];
  EXPECT_EQ(inst.partName, "bracket");
  EXPECT_EQ(inst.label, "Default");
  EXPECT_EQ(inst.rgb, (Rgb{-1, -1, -1}));
  EXPECT_EQ(inst.matrix, model.instances[0].matrix.m);
  const vtq::Part& part = f.parts[0];
  EXPECT_EQ(part.name, "bracket");
  EXPECT_EQ(part.cti, 175);
  ASSERT_EQ(part.groups.size(), 1u);
  EXPECT_EQ(part.groups[0].name, "Default");
  EXPECT_EQ(part.groups[0].members, (std::vector<std::int32_t>{0}));
  const vtq::Body& body = part.bodies[0];
  EXPECT_EQ(body.bodyTag, 0);
  EXPECT_EQ(body.totalArea, 50.0);
  EXPECT_EQ(body.bodyMark, -1);
  EXPECT_EQ(body.rgb, (Rgb{0, 0, 0}));
  ASSERT_EQ(body.surfaces.size(), 1u);
  EXPECT_EQ(body.surfaces[0].cti, 250);
  EXPECT_EQ(body.surfaces[0].rgb, (Rgb{0.25, 0.5, 0.75}));
  EXPECT_EQ(body.surfaces[0].shapeClass, 1);
  EXPECT_TRUE(sameVec(body.surfaces[0].origin, Vec3(1, 2, 3)));
  EXPECT_TRUE(sameVec(body.surfaces[0].axis, Vec3(0, 0, 1)));
  EXPECT_EQ(body.surfaces[0].flag, 1);
  ASSERT_EQ(body.vertices.size(), 3u);
  EXPECT_TRUE(sameVec(body.vertices[1], Vec3(10, 0, 0)));
  ASSERT_EQ(body.triangles.size(), 1u);
  EXPECT_EQ(body.triangles[0].c, 2);
}

// Byte for byte, independent of the reader: a part without bodies and the
// default instance the writer adds for it.
TEST(TransferFile, ExactBytesOfASmallFile) {
  TempDir dir;
  TransferModel model;
  model.creator = "c";
  model.name = "m";
  PartRecord part;
  part.name = "p";
  part.cti = -2;
  ASSERT_TRUE(model.addPart(part));
  const std::string path = dir.file("m.vtq");
  ASSERT_EQ(model.write(path), kWriteOk);

  const std::string one("\x00\x00\x00\x00\x00\x00\xf0\x3f", 8);
  const std::string zero(8, '\0');
  std::string expected("1.3\x01\x00\x00\x00" "c" "\x01\x00\x00\x00" "m", 13);
  expected += std::string("\x00\x00\x00\x00", 4);                                // assemblies
  expected += std::string("\x01\x00\x00\x00" "\x01\x00\x00\x00" "p", 9);         // instances, part name
  expected += std::string("\x07\x00\x00\x00", 4) + "DEFAULT";
  expected += zero + zero + zero;                                                // colour
  for (int i = 0; i < 16; ++i) expected += (i % 5 == 0) ? one : zero;           // identity
  expected += std::string("\x01\x00\x00\x00" "\x01\x00\x00\x00" "p", 9);         // parts, name
  expected += std::string("\xfe\xff\xff\xff", 4);                                // cti -2
  expected += std::string(12, '\0');                                             // parameters, groups, bodies
  EXPECT_EQ(asString(vtq::readBytes(path)), expected);
}

TEST(TransferFile, EveryBlockKindRoundTrips) {
  TempDir dir;
  TransferModel model = richModel();
  const std::string path = dir.file("gearbox.vtq");
  ASSERT_EQ(model.write(path), kWriteOk);
  const vtq::File f = vtq::readFile(path);

  ASSERT_EQ(f.assemblies.size(), 2u);
  EXPECT_EQ(f.assemblies[0].name, "gearbox");
  ASSERT_EQ(f.assemblies[0].children.size(), 2u);
  EXPECT_EQ(f.assemblies[0].children[0].index, 1);
  EXPECT_EQ(f.assemblies[0].children[0].isAssembly, 1);
  EXPECT_EQ(f.assemblies[0].children[1].index, 0);
  EXPECT_EQ(f.assemblies[0].children[1].isAssembly, 0);
  EXPECT_EQ(f.assemblies[0].parameters, (std::vector<vtq::WidePair>{{u"REVISION", u"B"}}));
  EXPECT_EQ(f.assemblies[1].name, "sub");
  EXPECT_TRUE(f.assemblies[1].parameters.empty());

  ASSERT_EQ(f.instances.size(), 2u);
  EXPECT_EQ(f.instances[0].partName, "shaft");
  EXPECT_EQ(f.instances[0].rgb, (Rgb{0.1, 0.2, 0.3}));
  EXPECT_EQ(f.instances[1].partName, "gear");
  EXPECT_EQ(f.instances[1].matrix[11], -20.0);
  for (const vtq::Instance& inst : f.instances) {
    EXPECT_EQ(inst.span.size, 160 + inst.partName.size() + inst.label.size());
  }

  ASSERT_EQ(f.parts.size(), 2u);
  const vtq::Part& shaft = f.parts[0];
  EXPECT_EQ(shaft.cti, -1);
  EXPECT_EQ(shaft.parameters, (std::vector<vtq::WidePair>{{u"MATERIAL", u"steel"}, {u"MASS", u""}}));
  // Groups in byte order of their names, members ascending.
  ASSERT_EQ(shaft.groups.size(), 3u);
  EXPECT_EQ(shaft.groups[0].name, "A");
  EXPECT_TRUE(shaft.groups[0].members.empty());
  EXPECT_EQ(shaft.groups[1].name, "Default");
  EXPECT_EQ(shaft.groups[2].name, "b");
  EXPECT_EQ(shaft.groups[2].members, (std::vector<std::int32_t>{0, 1, 2}));
  ASSERT_EQ(shaft.bodies.size(), 2u);
  EXPECT_EQ(shaft.bodies[1].span.size, 56u);  // an empty body

  const vtq::Body& body = shaft.bodies[0];
  ASSERT_EQ(body.surfaces.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(body.surfaces[i].span.size, 101u);
    EXPECT_EQ(body.surfaces[i].index, static_cast<std::int32_t>(i));
    EXPECT_EQ(body.surfaces[i].cti, static_cast<std::int32_t>(100 * i));
    EXPECT_EQ(body.surfaces[i].param1, 0.5 * static_cast<double>(i));
    EXPECT_EQ(body.surfaces[i].flag, i % 2);
  }
  EXPECT_EQ(body.mesh.size, 8u + 4 * 24 + 2 * 16);
  ASSERT_EQ(body.triangles.size(), 2u);
  EXPECT_EQ(body.triangles[1].b, 3);
  EXPECT_EQ(body.triangles[1].surfaceIndex, 2);

  ASSERT_EQ(body.repairSurfaces.size(), 2u);
  const vtq::RepairSurface& bare = body.repairSurfaces[0];
  EXPECT_EQ(bare.span.size, 120u);
  EXPECT_EQ(bare.index, 0);
  EXPECT_EQ(bare.cti, 600);
  EXPECT_EQ(bare.shapeClass, 2);
  EXPECT_EQ(bare.shapeClassAgain, 2);
  EXPECT_TRUE(sameVec(bare.origin, Vec3(1.5, 2.5, 3.5)));
  EXPECT_TRUE(sameVec(bare.axis, Vec3(0.0, -1.0, 0.25)));
  EXPECT_TRUE(sameVec(bare.axisAgain, bare.axis));
  EXPECT_EQ(bare.param1, 4.0);
  EXPECT_EQ(bare.param2, -8.0);
  EXPECT_EQ(bare.flag, 0);
  EXPECT_EQ(bare.padding1, (std::array<std::uint8_t, 4>{}));
  EXPECT_EQ(bare.padding2, (std::array<std::uint8_t, 7>{}));

  const vtq::RepairSurface& rich = body.repairSurfaces[1];
  EXPECT_EQ(rich.index, 1);
  ASSERT_EQ(rich.contours.size(), 2u);
  EXPECT_EQ(rich.contours[0].span.size, 56u);
  EXPECT_EQ(rich.contours[0].traversal, 2);
  EXPECT_TRUE(sameVec(rich.contours[0].bboxMin, Vec3(-1, -2, -3)));
  EXPECT_TRUE(sameVec(rich.contours[0].bboxMax, Vec3(1, 2, 3)));
  const vtq::Contour& full = rich.contours[1];
  ASSERT_EQ(full.edges.size(), 3u);
  EXPECT_EQ(full.edges[0].span.size, 56u);
  EXPECT_EQ(full.edges[0].edgeType, 3);
  EXPECT_TRUE(sameVec(full.edges[0].points[1], Vec3(1, 1, 1)));
  EXPECT_EQ(full.edges[1].span.size, 8u);
  EXPECT_EQ(full.edges[2].span.size, 32u);
  EXPECT_EQ(full.span.size, 56u + 56 + 8 + 32);
  EXPECT_EQ(rich.span.size, 120u + 56 + full.span.size);

  EXPECT_EQ(f.parts[1].name, "gear");
  EXPECT_EQ(f.parts[1].cti, 400);
}

// The fixed positions inside a repair-surface block, checked on the raw bytes.
TEST(TransferFile, RepairSurfaceBlockRepeatsShapeClassAndAxis) {
  TempDir dir;
  TransferModel model = richModel();
  const std::string path = dir.file("gearbox.vtq");
  ASSERT_EQ(model.write(path), kWriteOk);
  const std::vector<std::uint8_t> bytes = vtq::readBytes(path);
  const vtq::File f = vtq::parse(bytes);
  for (const vtq::RepairSurface& r : f.parts[0].bodies[0].repairSurfaces) {
    const std::uint8_t* block = bytes.data() + r.span.offset;
    EXPECT_EQ(std::memcmp(block + 8, block + 12, 4), 0);
    EXPECT_EQ(block[8], 2);
    EXPECT_EQ(std::memcmp(block + 44, block + 92, 24), 0);
    for (std::size_t i : {16, 17, 18, 19, 85, 86, 87, 88, 89, 90, 91}) EXPECT_EQ(block[i], 0) << i;
    EXPECT_EQ(block[84], 0);  // the flag
  }
}

TEST(TransferFile, TextsAreCountedInBytesAndUnits) {
  TempDir dir;
  TransferModel model;
  model.creator = "Ma\xc3\x9f";  // "Maß": four bytes
  model.name = "";
  PartRecord part;
  part.name = "p";
  part.parameters = {{u"NOTE", u"\U0001F600"}, {u"", u"\u00e9"}};
  ASSERT_TRUE(model.addPart(part));
  const std::string path = dir.file("texts.vtq");
  ASSERT_EQ(model.write(path), kWriteOk);

  const std::vector<std::uint8_t> bytes = vtq::readBytes(path);
  EXPECT_EQ(asString(std::vector<std::uint8_t>(bytes.begin() + 3, bytes.begin() + 15)),
            std::string("\x04\x00\x00\x00" "Ma\xc3\x9f" "\x00\x00\x00\x00", 12));
  const vtq::File f = vtq::parse(bytes);
  EXPECT_EQ(f.header.creator, "Ma\xc3\x9f");
  EXPECT_EQ(f.header.name, "");
  ASSERT_EQ(f.parts[0].parameters.size(), 2u);
  EXPECT_EQ(f.parts[0].parameters[0].second.size(), 2u);
  EXPECT_EQ(f.parts[0].parameters[0].second, u"\U0001F600");
  EXPECT_EQ(f.parts[0].parameters[1].first, u"");

  // The surrogate pair as UTF-16LE, right after its count of 2.
  const std::string pair("\x02\x00\x00\x00\x3d\xd8\x00\xde", 8);
  EXPECT_NE(asString(bytes).find(pair), std::string::npos);
}

TEST(TransferFile, DefaultInstanceNamesTheFirstPartAndIsAddedOnce) {
  TempDir dir;
  TransferModel model;
  model.name = "bracket_3";  // a numbered file name, not the part's
  PartRecord first;
  first.name = "bracket";
  PartRecord second;
  second.name = "bolt";
  ASSERT_TRUE(model.addPart(first));
  ASSERT_TRUE(model.addPart(second));

  const std::string path = dir.file("bracket_3.vtq");
  ASSERT_EQ(model.write(path), kWriteOk);
  ASSERT_EQ(model.instances.size(), 1u);
  const InstanceRecord& inst = model.instances[0];
  EXPECT_EQ(inst.partIndex, 0);
  EXPECT_EQ(inst.partName, "bracket");
  EXPECT_EQ(inst.label, "DEFAULT");
  EXPECT_EQ(inst.matrix.m, Matrix4::identity().m);
  EXPECT_EQ(inst.rgb, (Rgb{0, 0, 0}));

  vtq::File f = vtq::readFile(path);
  ASSERT_EQ(f.instances.size(), 1u);
  EXPECT_EQ(f.instances[0].partName, f.parts[0].name);
  EXPECT_EQ(f.instances[0].label, "DEFAULT");

  // Written again, it is an ordinary instance and no second one appears.
  ASSERT_EQ(model.write(path), kWriteOk);
  EXPECT_EQ(model.instances.size(), 1u);
  f = vtq::readFile(path);
  EXPECT_EQ(f.instances.size(), 1u);
}

TEST(TransferFile, EmptyModelWritesNothing) {
  TempDir dir;
  TransferModel model;
  model.name = "empty";
  model.assemblies.push_back(AssemblyRecord{"top", {}, {}});  // assemblies alone are nothing to write
  EXPECT_EQ(model.write(dir.file("new.vtq")), kWriteNothing);
  EXPECT_FALSE(test::exists(dir.file("new.vtq")));

  const std::string existing = dir.file("old.vtq");
  test::writeBytes(existing, "keep me");
  EXPECT_EQ(model.write(existing), kWriteNothing);
  EXPECT_EQ(asString(vtq::readBytes(existing)), "keep me");
  EXPECT_TRUE(model.instances.empty());
}

TEST(TransferFile, InstancesWithoutPartsAreWritten) {
  TempDir dir;
  TransferModel model = workedExample();
  model.parts.clear();
  model.partIndexByName.clear();
  const std::string path = dir.file("x.vtq");
  ASSERT_EQ(model.write(path), kWriteOk);
  const vtq::File f = vtq::readFile(path);
  EXPECT_EQ(f.instances.size(), 1u);
  EXPECT_TRUE(f.parts.empty());
}

TEST(TransferFile, ExportFileJoinsFolderNameAndExtensionAsTheyAre) {
  TempDir dir;
  struct Case {
    std::string folder;
    std::string name;
  };
  const Case cases[] = {
      {dir.path(), "bracket"},
      {dir.path() + "/trailing\\", "bracket"},       // the backslash stays, then "/"
      {dir.path() + "/Ma\xc3\x9f" "e", "Gr\xc3\xb6\xc3\x9f" "e_2"},  // UTF-8 folder and name
      {dir.path() + "/dotted", "a.b"},
  };
  for (const Case& c : cases) {
    test::makeDirectory(c.folder);
    TransferModel model = workedExample();
    model.setFolder(c.folder);
    model.setName(c.name);
    ASSERT_EQ(model.exportFile(), kWriteOk) << c.folder;
    const std::string path = c.folder + "/" + c.name + ".vtq";
    ASSERT_TRUE(test::exists(path)) << path;
    EXPECT_EQ(vtq::readFile(path).header.name, c.name);
  }
}

TEST(TransferFile, UnopenablePathFailsAndKeepsTheDefaultInstance) {
  TempDir dir;
  TransferModel model;
  PartRecord part;
  part.name = "bracket";
  ASSERT_TRUE(model.addPart(part));
  model.setFolder(dir.file("missing"));
  model.setName("bracket");
  EXPECT_EQ(model.exportFile(), kWriteFailed);
  EXPECT_FALSE(test::exists(dir.file("missing")));
  ASSERT_EQ(model.instances.size(), 1u);
  EXPECT_EQ(model.instances[0].label, "DEFAULT");
}

// A sink over a real file that accepts `budget` bytes and then fails, or
// whose close fails.
class FailingSink final : public ByteSink {
 public:
  FailingSink(std::unique_ptr<ByteSink> file, std::size_t budget, bool failClose)
      : file_(std::move(file)), budget_(budget), failClose_(failClose) {}
  bool write(const char* data, std::size_t size) override {
    const std::size_t n = size < budget_ ? size : budget_;
    if (n > 0 && !file_->write(data, n)) return false;
    budget_ -= n;
    return n == size;
  }
  bool close() override { return file_->close() && !failClose_; }

 private:
  std::unique_ptr<ByteSink> file_;
  std::size_t budget_;
  bool failClose_;
};

// A body large enough that the writer flushes several full buffers and
// sends arrays to the file directly.
TransferModel largeModel(std::size_t quads) {
  TransferModel model = workedExample();
  TriangleSoup soup;
  for (std::size_t i = 0; i < quads; ++i) {
    const double x = static_cast<double>(i);
    soup.addTriangle(Vec3(x, 0, 0), Vec3(x + 1, 0, 0), Vec3(x, 1, 0), 0);
    soup.addTriangle(Vec3(x + 1, 0, 0), Vec3(x + 1, 1, 0), Vec3(x, 1, 0), 0);
  }
  weldMesh(soup, model.parts[0].bodies[0]);
  return model;
}

TEST(TransferFile, LargeBodyRoundTrips) {
  TempDir dir;
  TransferModel model = largeModel(20000);
  const std::string path = dir.file("large.vtq");
  ASSERT_EQ(model.write(path), kWriteOk);
  const vtq::File f = vtq::readFile(path);
  const BodyRecord& body = model.parts[0].bodies[0];
  const vtq::Body& read = f.parts[0].bodies[0];
  ASSERT_EQ(read.vertices.size(), body.vertices.size());
  ASSERT_EQ(read.triangles.size(), body.triangles.size());
  for (std::size_t i = 0; i < body.vertices.size(); ++i) {
    ASSERT_TRUE(sameVec(read.vertices[i], body.vertices[i])) << i;
  }
  for (std::size_t i = 0; i < body.triangles.size(); ++i) {
    const Triangle& t = body.triangles[i];
    const Triangle& r = read.triangles[i];
    ASSERT_TRUE(t.a == r.a && t.b == r.b && t.c == r.c && t.surfaceIndex == r.surfaceIndex) << i;
  }
}

TEST(TransferFile, FailedWriteReportsFailureAndLeavesNoFile) {
  TempDir dir;
  const std::size_t smallSize = 517;
  const std::size_t largeSize = vtq::parse([&] {
    TransferModel probe = largeModel(20000);
    const std::string path = dir.file("probe.vtq");
    EXPECT_EQ(probe.write(path), kWriteOk);
    return vtq::readBytes(path);
  }()).size;
  ASSERT_GT(largeSize, 4 * BinaryWriter::kBufferSize);

  struct Case {
    bool large;
    std::size_t budget;
    bool failClose;
  };
  const Case cases[] = {
      {false, 0, false},
      {false, 1, false},
      {false, smallSize - 1, false},
      {false, smallSize, true},  // every byte written, then the close fails
      {true, 0, false},
      {true, BinaryWriter::kBufferSize, false},
      {true, BinaryWriter::kBufferSize + 1, false},
      {true, largeSize / 2, false},
      {true, largeSize - 1, false},
      {true, largeSize, true},
  };
  for (const Case& c : cases) {
    TransferModel model = c.large ? largeModel(20000) : workedExample();
    const std::string path = dir.file("failing.vtq");
    const detail::SinkOpener open = [&c](const std::string& p) -> std::unique_ptr<ByteSink> {
      std::unique_ptr<ByteSink> file = detail::openFileSink(p);
      if (!file) return nullptr;
      return std::make_unique<FailingSink>(std::move(file), c.budget, c.failClose);
    };
    EXPECT_EQ(detail::writeTransferFile(model, path, open), kWriteFailed)
        << (c.large ? "large" : "small") << " budget " << c.budget;
    EXPECT_FALSE(test::exists(path)) << (c.large ? "large" : "small") << " budget " << c.budget;
  }

  // With a budget that covers the file, the same path is written.
  TransferModel model = workedExample();
  const std::string path = dir.file("fits.vtq");
  const detail::SinkOpener open = [smallSize](const std::string& p) -> std::unique_ptr<ByteSink> {
    return std::make_unique<FailingSink>(detail::openFileSink(p), smallSize, false);
  };
  EXPECT_EQ(detail::writeTransferFile(model, path, open), kWriteOk);
  EXPECT_EQ(vtq::readFile(path).size, smallSize);
}

TEST(TransferFile, FullDeviceIsAFailedWrite) {
  // Under Wine the Linux device would look like an ordinary file.
  if (platform::kWindows) GTEST_SKIP() << "no full device on Windows";
  if (!test::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TransferModel model = largeModel(100);
  EXPECT_EQ(model.write("/dev/full"), kWriteFailed);
  EXPECT_TRUE(test::exists("/dev/full"));  // a device is never removed
}

// A sink that keeps everything in memory and counts the writes it gets.
class MemorySink final : public ByteSink {
 public:
  bool write(const char* data, std::size_t size) override {
    bytes.append(data, size);
    ++writes;
    return true;
  }
  bool close() override { return true; }
  std::string bytes;
  int writes = 0;
};

TEST(BinaryWriter, EncodesLittleEndianAcrossBufferBoundaries) {
  MemorySink sink;
  {
    BinaryWriter out(sink);
    out.zeros(BinaryWriter::kBufferSize - 2);
    out.i32(0x01020304);  // straddles the first buffer's end
    out.f64(-2.0);
    const std::vector<double> big(BinaryWriter::kBufferSize / 8 + 3, 0.5);
    out.f64s(big.data(), big.size());  // larger than the buffer: written directly
    out.u8(0xab);
    ASSERT_TRUE(out.flush());
  }
  const std::size_t base = BinaryWriter::kBufferSize - 2;
  ASSERT_EQ(sink.bytes.size(), base + 4 + 8 + (BinaryWriter::kBufferSize / 8 + 3) * 8 + 1);
  EXPECT_EQ(sink.bytes.substr(base, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(sink.bytes.substr(base + 4, 8), std::string("\x00\x00\x00\x00\x00\x00\x00\xc0", 8));
  EXPECT_EQ(sink.bytes.substr(base + 12, 8), std::string("\x00\x00\x00\x00\x00\x00\xe0\x3f", 8));
  EXPECT_EQ(static_cast<unsigned char>(sink.bytes.back()), 0xab);
  EXPECT_EQ(sink.bytes.find_first_not_of('\0'), base);
  EXPECT_LE(sink.writes, 4);
}

TEST(BinaryWriter, CountBeyondInt32FailsTheWrite) {
  MemorySink sink;
  BinaryWriter out(sink);
  out.count(0x7fffffff);
  EXPECT_FALSE(out.failed());
  out.count(std::size_t{0x80000000u});
  EXPECT_TRUE(out.failed());
  EXPECT_FALSE(out.flush());
  EXPECT_TRUE(sink.bytes.empty());  // nothing reaches the sink after a failure
}

}  // namespace
}  // namespace veltrosan
