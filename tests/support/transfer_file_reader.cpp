#include "support/transfer_file_reader.hpp"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace veltrosan::vtq {

ReadError::ReadError(std::size_t offset, const std::string& what)
    : std::runtime_error("offset " + std::to_string(offset) + ": " + what), offset_(offset) {}

namespace {

class Cursor {
 public:
  explicit Cursor(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

  std::size_t offset() const { return pos_; }
  std::size_t remaining() const { return bytes_.size() - pos_; }

  void need(std::size_t n, const char* what) const {
    if (remaining() < n) {
      throw ReadError(pos_, std::string("short file: ") + what + " needs " + std::to_string(n) + " bytes, " +
                                std::to_string(remaining()) + " left");
    }
  }

  std::uint8_t u8(const char* what) {
    need(1, what);
    return bytes_[pos_++];
  }
  std::int32_t i32(const char* what) {
    need(4, what);
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{bytes_[pos_ + static_cast<std::size_t>(i)]} << (8 * i);
    pos_ += 4;
    return static_cast<std::int32_t>(v);
  }
  double f64(const char* what) {
    need(8, what);
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= std::uint64_t{bytes_[pos_ + static_cast<std::size_t>(i)]} << (8 * i);
    pos_ += 8;
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
  }
  // A count that must be non-negative and whose entries (each at least
  // `entrySize` bytes) must fit in what is left of the file.
  std::size_t count(const char* what, std::size_t entrySize) {
    const std::size_t at = pos_;
    const std::int32_t n = i32(what);
    if (n < 0) throw ReadError(at, std::string("negative count for ") + what + ": " + std::to_string(n));
    const auto un = static_cast<std::size_t>(n);
    if (entrySize > 0 && un > remaining() / entrySize) {
      throw ReadError(at, std::string("short file: ") + what + " count " + std::to_string(n) + " does not fit in " +
                              std::to_string(remaining()) + " bytes");
    }
    return un;
  }
  Vec3 vec3(const char* what) {
    const double x = f64(what);
    const double y = f64(what);
    const double z = f64(what);
    return Vec3(x, y, z);
  }
  Rgb rgb(const char* what) {
    Rgb c{};
    for (double& v : c) v = f64(what);
    return c;
  }
  std::string text(const char* what) {
    const std::size_t n = count(what, 1);
    std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
    pos_ += n;
    return s;
  }
  std::u16string wideText(const char* what) {
    const std::size_t n = count(what, 2);
    std::u16string s(n, u'\0');
    for (std::size_t i = 0; i < n; ++i) {
      s[i] = static_cast<char16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
      pos_ += 2;
    }
    return s;
  }
  template <std::size_t N>
  std::array<std::uint8_t, N> raw(const char* what) {
    need(N, what);
    std::array<std::uint8_t, N> a{};
    std::memcpy(a.data(), bytes_.data() + pos_, N);
    pos_ += N;
    return a;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

std::vector<WidePair> readParameters(Cursor& in, const char* what) {
  std::vector<WidePair> list(in.count(what, 8));
  for (WidePair& p : list) {
    p.first = in.wideText("parameter name");
    p.second = in.wideText("parameter value");
  }
  return list;
}

Edge readEdge(Cursor& in) {
  Edge e;
  e.span.offset = in.offset();
  e.edgeType = in.i32("edge type");
  e.points.resize(in.count("edge points", 24));
  for (Vec3& p : e.points) p = in.vec3("edge point");
  e.span.size = in.offset() - e.span.offset;
  return e;
}

Contour readContour(Cursor& in) {
  Contour c;
  c.span.offset = in.offset();
  c.traversal = in.i32("contour traversal");
  const std::size_t edges = in.count("contour edges", 8);
  c.bboxMin = in.vec3("contour bbox min");
  c.bboxMax = in.vec3("contour bbox max");
  for (std::size_t i = 0; i < edges; ++i) c.edges.push_back(readEdge(in));
  c.span.size = in.offset() - c.span.offset;
  return c;
}

Surface readSurface(Cursor& in) {
  Surface s;
  s.span.offset = in.offset();
  s.index = in.i32("surface index");
  s.cti = in.i32("surface cti");
  s.rgb = in.rgb("surface rgb");
  s.shapeClass = in.i32("surface shape class");
  s.origin = in.vec3("surface origin");
  s.axis = in.vec3("surface axis");
  s.param1 = in.f64("surface param1");
  s.param2 = in.f64("surface param2");
  s.flag = in.u8("surface flag");
  s.span.size = in.offset() - s.span.offset;
  return s;
}

RepairSurface readRepairSurface(Cursor& in) {
  RepairSurface r;
  r.span.offset = in.offset();
  r.index = in.i32("repair surface index");
  r.cti = in.i32("repair surface cti");
  r.shapeClass = in.i32("repair surface shape class");
  r.shapeClassAgain = in.i32("repair surface shape class again");
  r.padding1 = in.raw<4>("repair surface padding");
  r.origin = in.vec3("repair surface origin");
  r.axis = in.vec3("repair surface axis");
  r.param1 = in.f64("repair surface param1");
  r.param2 = in.f64("repair surface param2");
  r.flag = in.u8("repair surface flag");
  r.padding2 = in.raw<7>("repair surface padding");
  r.axisAgain = in.vec3("repair surface axis again");
  const std::size_t contours = in.count("repair surface contours", 56);
  for (std::size_t i = 0; i < contours; ++i) r.contours.push_back(readContour(in));
  r.span.size = in.offset() - r.span.offset;
  return r;
}

Body readBody(Cursor& in) {
  Body b;
  b.span.offset = in.offset();
  b.bodyTag = in.i32("body tag");
  b.totalArea = in.f64("body area");
  b.bodyMark = in.i32("body mark");
  b.rgb = in.rgb("body rgb");
  const std::size_t surfaces = in.count("body surfaces", 101);
  const std::size_t repairs = in.count("body repair surfaces", 120);
  for (std::size_t i = 0; i < surfaces; ++i) b.surfaces.push_back(readSurface(in));
  b.mesh.offset = in.offset();
  const std::size_t vertices = in.count("body vertices", 24);
  const std::size_t triangles = in.count("body triangles", 16);
  in.need(vertices * 24 + triangles * 16, "body mesh");
  b.vertices.resize(vertices);
  for (Vec3& v : b.vertices) v = in.vec3("vertex");
  b.triangles.resize(triangles);
  for (Triangle& t : b.triangles) {
    t.a = in.i32("triangle a");
    t.b = in.i32("triangle b");
    t.c = in.i32("triangle c");
    t.surfaceIndex = in.i32("triangle surface index");
  }
  b.mesh.size = in.offset() - b.mesh.offset;
  for (std::size_t i = 0; i < repairs; ++i) b.repairSurfaces.push_back(readRepairSurface(in));
  b.span.size = in.offset() - b.span.offset;
  return b;
}

Part readPart(Cursor& in) {
  Part p;
  p.span.offset = in.offset();
  p.name = in.text("part name");
  p.cti = in.i32("part cti");
  p.parameters = readParameters(in, "part parameters");
  p.groups.resize(in.count("part groups", 8));
  for (Group& g : p.groups) {
    g.name = in.text("group name");
    g.members.resize(in.count("group members", 4));
    for (std::int32_t& m : g.members) m = in.i32("group member");
  }
  const std::size_t bodies = in.count("part bodies", 48);
  for (std::size_t i = 0; i < bodies; ++i) p.bodies.push_back(readBody(in));
  p.span.size = in.offset() - p.span.offset;
  return p;
}

Instance readInstance(Cursor& in) {
  Instance inst;
  inst.span.offset = in.offset();
  inst.partName = in.text("instance part name");
  inst.label = in.text("instance label");
  inst.rgb = in.rgb("instance rgb");
  for (double& m : inst.matrix) m = in.f64("instance matrix");
  inst.span.size = in.offset() - inst.span.offset;
  return inst;
}

Assembly readAssembly(Cursor& in) {
  Assembly a;
  a.span.offset = in.offset();
  a.name = in.text("assembly name");
  a.children.resize(in.count("assembly children", 8));
  for (Child& c : a.children) {
    c.index = in.i32("child index");
    c.isAssembly = in.i32("child is-assembly flag");
  }
  a.parameters = readParameters(in, "assembly parameters");
  a.span.size = in.offset() - a.span.offset;
  return a;
}

}  // namespace

std::vector<std::uint8_t> readBytes(const std::string& path) {
  std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
  if (!file) throw ReadError(0, "cannot open " + path);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

File parse(const std::vector<std::uint8_t>& bytes) {
  Cursor in(bytes);
  File f;
  f.size = bytes.size();
  const auto version = in.raw<3>("version");
  f.header.version.assign(version.begin(), version.end());
  if (f.header.version != "1.3") throw ReadError(0, "unknown version \"" + f.header.version + "\"");
  f.header.creator = in.text("creator");
  f.header.name = in.text("model name");
  f.header.span.size = in.offset();

  f.assemblyCountOffset = in.offset();
  const std::size_t assemblies = in.count("assemblies", 12);
  for (std::size_t i = 0; i < assemblies; ++i) f.assemblies.push_back(readAssembly(in));
  f.instanceCountOffset = in.offset();
  const std::size_t instances = in.count("instances", 160);
  for (std::size_t i = 0; i < instances; ++i) f.instances.push_back(readInstance(in));
  f.partCountOffset = in.offset();
  const std::size_t parts = in.count("parts", 20);
  for (std::size_t i = 0; i < parts; ++i) f.parts.push_back(readPart(in));

  if (in.remaining() != 0) {
    throw ReadError(in.offset(), std::to_string(in.remaining()) + " trailing bytes after the last part");
  }
  return f;
}

File readFile(const std::string& path) { return parse(readBytes(path)); }

}  // namespace veltrosan::vtq
