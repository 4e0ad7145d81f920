// Any transfer model, written with the model's writer and read back with the
// test-side reader, gives the same model: every field, doubles by their bits,
// narrow texts as their bytes and wide texts as their UTF-16 units (lone
// surrogates and NULs included). The writer's documented behaviours hold: a
// model without instances but with parts gets one default instance of the
// first part, which stays in the model; a model with neither writes nothing
// and touches no file; the creator's blanks become "_". Parts and instances
// go in through addPart and (mostly) addInstance, whose answers are checked
// too.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "model/transfer_model.hpp"
#include "support/temp_dir.hpp"
#include "support/transfer_file_reader.hpp"

namespace {

using namespace veltrosan;
using veltrosan::fuzz::Input;

std::uint64_t bitsOf(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

bool same(double a, double b) { return bitsOf(a) == bitsOf(b); }
bool same(const Vec3& p, const Vec3& q) { return same(p.x, q.x) && same(p.y, q.y) && same(p.z, q.z); }
bool same(const Rgb& a, const Rgb& b) { return same(a[0], b[0]) && same(a[1], b[1]) && same(a[2], b[2]); }

// ---------------------------------------------------------------------------
// Decoding a model

Vec3 vec3(Input& in) {
  const double x = in.f64();
  const double y = in.f64();
  return Vec3(x, y, in.f64());
}

Rgb rgb(Input& in) {
  const double r = in.f64();
  const double g = in.f64();
  return Rgb{r, g, in.f64()};
}

std::vector<ParameterPair> parameters(Input& in) {
  std::vector<ParameterPair> list(in.below(4));
  for (ParameterPair& p : list) {
    p.first = in.units(24);
    p.second = in.units(24);
  }
  return list;
}

// A few decoded items, then, on request, copies of them up to a few thousand
// in all, so that arrays cross the writer's 64 KiB buffer.
template <typename T, typename F>
std::vector<T> list(Input& in, std::size_t max, F item) {
  std::vector<T> out(in.below(max));
  for (T& t : out) t = item(in);
  if (!out.empty() && in.below(8) == 0) {
    const std::size_t target = in.below(16) * 250;
    for (std::size_t i = 0; out.size() < target; ++i) out.push_back(out[i]);
  }
  return out;
}

void surfaceFields(Input& in, SurfaceRecord& s) {
  s.index = in.i32();
  s.cti = in.i32();
  s.rgb = rgb(in);
  s.shapeClass = in.i32();
  s.origin = vec3(in);
  s.axis = vec3(in);
  s.param1 = in.f64();
  s.param2 = in.f64();
  s.flag = in.byte();
}

BodyRecord decodeBody(Input& in) {
  BodyRecord b;
  b.bodyTag = in.i32();
  b.totalArea = in.f64();
  b.bodyMark = in.i32();
  b.rgb = rgb(in);
  b.surfaces.resize(in.below(4));
  for (SurfaceRecord& s : b.surfaces) surfaceFields(in, s);
  b.vertices = list<Vec3>(in, 6, vec3);
  b.triangles = list<Triangle>(in, 6, [](Input& i) {
    Triangle t;
    t.a = i.i32();
    t.b = i.i32();
    t.c = i.i32();
    t.surfaceIndex = i.i32();
    return t;
  });
  b.repairSurfaces.resize(in.below(3));
  for (RepairSurfaceRecord& r : b.repairSurfaces) {
    surfaceFields(in, r);
    r.contours.resize(in.below(3));
    for (ContourRecord& c : r.contours) {
      c.traversal = in.i32();
      c.bboxMin = vec3(in);
      c.bboxMax = vec3(in);
      c.edges.resize(in.below(4));
      for (EdgeRecord& e : c.edges) {
        e.edgeType = in.i32();
        e.points = list<Vec3>(in, 4, vec3);
      }
    }
  }
  return b;
}

// Short names, so that parts and instances often share one.
std::string shortName(Input& in) { return in.bytes(4); }

PartRecord decodePart(Input& in) {
  PartRecord p;
  p.name = shortName(in);
  p.cti = in.i32();
  p.parameters = parameters(in);
  for (std::size_t g = in.below(4); g > 0; --g) {
    std::set<std::int32_t>& members = p.groups[in.bytes(6)];
    for (std::size_t m = in.below(5); m > 0; --m) members.insert(in.flag() ? in.i32() : static_cast<std::int32_t>(in.below(4)));
  }
  p.bodies.resize(in.below(3));
  for (BodyRecord& b : p.bodies) b = decodeBody(in);
  return p;
}

Matrix4 matrix(Input& in, const std::vector<InstanceRecord>& earlier) {
  Matrix4 m;
  if (!earlier.empty() && in.below(3) == 0) {
    // Near an earlier placement: some elements moved by about the tolerance.
    m = earlier[in.below(earlier.size())].matrix;
    for (std::size_t k = in.below(4); k > 0; --k) {
      static constexpr double kMoves[] = {0.005, 0.01, -0.01, 0.0100001, 0.02, -0.5};
      const std::size_t element = in.below(16);
      m[element] += kMoves[in.below(std::size(kMoves))];
    }
    return m;
  }
  m = in.flag() ? Matrix4::identity() : Matrix4();
  for (std::size_t k = in.below(17); k > 0; --k) {
    const std::size_t element = in.below(16);
    m[element] = in.f64();
  }
  return m;
}

// What addInstance answers by its contract.
int expectedAnswer(const TransferModel& model, const std::string& partName, const Matrix4& m) {
  std::int32_t index = -1;
  for (std::size_t i = 0; i < model.parts.size(); ++i) {
    if (model.parts[i].name == partName) index = static_cast<std::int32_t>(i);
  }
  if (index == -1) return -1;
  for (const InstanceRecord& stored : model.instances) {
    if (stored.partIndex != index) continue;
    bool within = true;
    for (std::size_t i = 0; i < 16; ++i) within = within && std::fabs(m[i] - stored.matrix[i]) <= 0.01;
    if (within) return -2;
  }
  return 0;
}

TransferModel decodeModel(Input& in) {
  TransferModel model;
  model.setCreator(in.bytes(24));
  model.setName(in.bytes(24));

  for (std::size_t n = in.below(4); n > 0; --n) {
    PartRecord p = decodePart(in);
    const bool fresh = std::none_of(model.parts.begin(), model.parts.end(),
                                    [&](const PartRecord& held) { return held.name == p.name; });
    const std::size_t before = model.parts.size();
    FUZZ_CHECK(model.addPart(p) == fresh, "addPart's answer for '" + p.name + "'");
    FUZZ_CHECK(model.parts.size() == before + (fresh ? 1 : 0), "addPart's parts");
    FUZZ_CHECK(model.hasPart(p.name), "hasPart after addPart");
  }
  for (std::size_t i = 0; i < model.parts.size(); ++i) {
    FUZZ_CHECK(model.partIndex(model.parts[i].name) == static_cast<std::int32_t>(i), "partIndex of a held part");
  }

  for (std::size_t n = in.below(5); n > 0; --n) {
    const bool held = !model.parts.empty() && in.below(4) != 0;
    const std::string name = held ? model.parts[in.below(model.parts.size())].name : shortName(in);
    const std::string label = in.bytes(8);
    const Matrix4 m = matrix(in, model.instances);
    const Rgb colour = rgb(in);
    if (in.below(4) == 0) {
      // Straight into the list, as a caller may: any index, any name.
      model.instances.emplace_back(in.i32(), name, label, m, colour);
      continue;
    }
    const int expected = expectedAnswer(model, name, m);
    const std::size_t before = model.instances.size();
    FUZZ_CHECK(model.addInstance(name, label, m, colour) == expected, "addInstance's answer");
    FUZZ_CHECK(model.instances.size() == before + (expected == 0 ? 1 : 0), "addInstance's instances");
  }

  model.assemblies.resize(in.below(3));
  for (AssemblyRecord& a : model.assemblies) {
    a.name = in.bytes(8);
    a.children.resize(in.below(4));
    for (ChildRef& c : a.children) {
      c.index = in.i32();
      c.isAssembly = in.flag();
    }
    a.parameters = parameters(in);
  }
  return model;
}

// ---------------------------------------------------------------------------
// Comparing the file with the model

void checkParameters(const std::vector<vtq::WidePair>& read, const std::vector<ParameterPair>& held,
                     const std::string& where) {
  FUZZ_CHECK(read.size() == held.size(), where + ": parameter count");
  for (std::size_t i = 0; i < held.size(); ++i) {
    FUZZ_CHECK(read[i].first == held[i].first && read[i].second == held[i].second, where + ": parameter " + std::to_string(i));
  }
}

void checkPoints(const std::vector<Vec3>& read, const std::vector<Vec3>& held, const std::string& where) {
  FUZZ_CHECK(read.size() == held.size(), where + ": point count");
  for (std::size_t i = 0; i < held.size(); ++i) FUZZ_CHECK(same(read[i], held[i]), where + ": point " + std::to_string(i));
}

void checkSurface(const vtq::Surface& r, const SurfaceRecord& s, const std::string& where) {
  FUZZ_CHECK(r.index == s.index && r.cti == s.cti && same(r.rgb, s.rgb) && r.shapeClass == s.shapeClass &&
                 same(r.origin, s.origin) && same(r.axis, s.axis) && same(r.param1, s.param1) &&
                 same(r.param2, s.param2) && r.flag == s.flag,
             where);
}

// A repair surface: shape class and axis twice, no colour, zero padding.
void checkRepairSurface(const vtq::RepairSurface& r, const RepairSurfaceRecord& s, const std::string& where) {
  FUZZ_CHECK(r.index == s.index && r.cti == s.cti && r.shapeClass == s.shapeClass && r.shapeClassAgain == s.shapeClass &&
                 same(r.origin, s.origin) && same(r.axis, s.axis) && same(r.axisAgain, s.axis) &&
                 same(r.param1, s.param1) && same(r.param2, s.param2) && r.flag == s.flag,
             where);
  FUZZ_CHECK(r.padding1 == (std::array<std::uint8_t, 4>{}) && r.padding2 == (std::array<std::uint8_t, 7>{}),
             where + ": padding not zero");
  FUZZ_CHECK(r.contours.size() == s.contours.size(), where + ": contour count");
  for (std::size_t c = 0; c < s.contours.size(); ++c) {
    const vtq::Contour& rc = r.contours[c];
    const ContourRecord& sc = s.contours[c];
    const std::string at = where + " contour " + std::to_string(c);
    FUZZ_CHECK(rc.traversal == sc.traversal && same(rc.bboxMin, sc.bboxMin) && same(rc.bboxMax, sc.bboxMax), at);
    FUZZ_CHECK(rc.edges.size() == sc.edges.size(), at + ": edge count");
    for (std::size_t e = 0; e < sc.edges.size(); ++e) {
      FUZZ_CHECK(rc.edges[e].edgeType == sc.edges[e].edgeType, at + ": edge type");
      checkPoints(rc.edges[e].points, sc.edges[e].points, at + " edge " + std::to_string(e));
    }
  }
}

void checkBody(const vtq::Body& r, const BodyRecord& b, const std::string& where) {
  FUZZ_CHECK(r.bodyTag == b.bodyTag && same(r.totalArea, b.totalArea) && r.bodyMark == b.bodyMark && same(r.rgb, b.rgb),
             where);
  FUZZ_CHECK(r.surfaces.size() == b.surfaces.size(), where + ": surface count");
  for (std::size_t i = 0; i < b.surfaces.size(); ++i) checkSurface(r.surfaces[i], b.surfaces[i], where + " surface " + std::to_string(i));
  checkPoints(r.vertices, b.vertices, where + " vertices");
  FUZZ_CHECK(r.triangles.size() == b.triangles.size(), where + ": triangle count");
  for (std::size_t i = 0; i < b.triangles.size(); ++i) {
    const Triangle& s = r.triangles[i];
    const Triangle& t = b.triangles[i];
    FUZZ_CHECK(s.a == t.a && s.b == t.b && s.c == t.c && s.surfaceIndex == t.surfaceIndex,
               where + ": triangle " + std::to_string(i));
  }
  FUZZ_CHECK(r.repairSurfaces.size() == b.repairSurfaces.size(), where + ": repair surface count");
  for (std::size_t i = 0; i < b.repairSurfaces.size(); ++i) {
    checkRepairSurface(r.repairSurfaces[i], b.repairSurfaces[i], where + " repair surface " + std::to_string(i));
  }
}

bool byteLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

// Groups go in byte order of their names, members ascending.
void checkGroups(const std::vector<vtq::Group>& read, const PartRecord& p, const std::string& where) {
  std::vector<std::string> names;
  for (const auto& group : p.groups) names.push_back(group.first);
  std::sort(names.begin(), names.end(), byteLess);
  FUZZ_CHECK(read.size() == names.size(), where + ": group count");
  for (std::size_t g = 0; g < names.size(); ++g) {
    const std::set<std::int32_t>& held = p.groups.at(names[g]);
    std::vector<std::int32_t> members(held.begin(), held.end());
    std::sort(members.begin(), members.end());
    FUZZ_CHECK(read[g].name == names[g] && read[g].members == members, where + ": group " + std::to_string(g));
  }
}

void checkFile(const vtq::File& f, const TransferModel& m, const std::string& creator) {
  FUZZ_CHECK(f.header.version == "1.3", "version");
  FUZZ_CHECK(f.header.creator == creator, "creator");
  FUZZ_CHECK(f.header.name == m.name, "model name");

  FUZZ_CHECK(f.assemblies.size() == m.assemblies.size(), "assembly count");
  for (std::size_t i = 0; i < m.assemblies.size(); ++i) {
    const vtq::Assembly& r = f.assemblies[i];
    const AssemblyRecord& a = m.assemblies[i];
    const std::string where = "assembly " + std::to_string(i);
    FUZZ_CHECK(r.name == a.name, where + ": name");
    FUZZ_CHECK(r.children.size() == a.children.size(), where + ": child count");
    for (std::size_t c = 0; c < a.children.size(); ++c) {
      FUZZ_CHECK(r.children[c].index == a.children[c].index && r.children[c].isAssembly == (a.children[c].isAssembly ? 1 : 0),
                 where + ": child " + std::to_string(c));
    }
    checkParameters(r.parameters, a.parameters, where);
  }

  FUZZ_CHECK(f.instances.size() == m.instances.size(), "instance count");
  for (std::size_t i = 0; i < m.instances.size(); ++i) {
    const vtq::Instance& r = f.instances[i];
    const InstanceRecord& inst = m.instances[i];
    bool matrixSame = true;
    for (std::size_t k = 0; k < 16; ++k) matrixSame = matrixSame && same(r.matrix[k], inst.matrix[k]);
    FUZZ_CHECK(r.partName == inst.partName && r.label == inst.label && same(r.rgb, inst.rgb) && matrixSame,
               "instance " + std::to_string(i));
  }

  FUZZ_CHECK(f.parts.size() == m.parts.size(), "part count");
  for (std::size_t i = 0; i < m.parts.size(); ++i) {
    const vtq::Part& r = f.parts[i];
    const PartRecord& p = m.parts[i];
    const std::string where = "part " + std::to_string(i);
    FUZZ_CHECK(r.name == p.name && r.cti == p.cti, where);
    checkParameters(r.parameters, p.parameters, where);
    checkGroups(r.groups, p, where);
    FUZZ_CHECK(r.bodies.size() == p.bodies.size(), where + ": body count");
    for (std::size_t b = 0; b < p.bodies.size(); ++b) checkBody(r.bodies[b], p.bodies[b], where + " body " + std::to_string(b));
  }
}

const veltrosan::test::TempDir& scratch() {
  static const veltrosan::test::TempDir dir;
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  TransferModel written = decodeModel(in);
  std::string creator = written.creator;
  std::replace(creator.begin(), creator.end(), ' ', '_');
  FUZZ_CHECK(written.creator == creator, "setCreator left a blank");

  // What the file must hold: the model as built, plus the default instance
  // of the first part where there is no instance.
  TransferModel expected = written;
  if (expected.instances.empty() && !expected.parts.empty()) {
    expected.instances.emplace_back(0, expected.parts.front().name, "DEFAULT", Matrix4::identity(), Rgb{0.0, 0.0, 0.0});
  }

  const std::string path = scratch().file("model.vtq");
  std::remove(path.c_str());
  const WriteResult result = written.write(path);
  if (expected.instances.empty()) {
    FUZZ_CHECK(result == kWriteNothing, "a model without instances and parts was written");
    FUZZ_CHECK(!veltrosan::test::exists(path), "writing nothing left a file");
    FUZZ_CHECK(written.instances.empty(), "writing nothing added an instance");
    return 0;
  }
  FUZZ_CHECK(result == kWriteOk, "write failed: " + std::to_string(result));

  vtq::File file;
  try {
    file = vtq::readFile(path);
  } catch (const std::exception& e) {
    FUZZ_CHECK(false, std::string("the file does not read back: ") + e.what());
  }
  checkFile(file, expected, creator);
  // The model keeps the default instance and is otherwise as it was.
  checkFile(file, written, creator);
  FUZZ_CHECK(written.instances.size() == expected.instances.size(), "instances after the write");
  return 0;
}
