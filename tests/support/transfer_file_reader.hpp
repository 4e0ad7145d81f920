// A test-side reader of transfer files. It parses a whole file into plain
// structs that mirror the layout, records where every block starts and how
// long it is, and throws ReadError (with the byte offset) on anything that
// does not fit: a short file, a negative count, trailing bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "model/geometry.hpp"

namespace veltrosan::vtq {

class ReadError : public std::runtime_error {
 public:
  ReadError(std::size_t offset, const std::string& what);
  std::size_t offset() const { return offset_; }

 private:
  std::size_t offset_;
};

// Where a block sits in the file.
struct Span {
  std::size_t offset = 0;
  std::size_t size = 0;
};

using WidePair = std::pair<std::u16string, std::u16string>;

struct Edge {
  Span span;
  std::int32_t edgeType = 0;
  std::vector<Vec3> points;
};

struct Contour {
  Span span;
  std::int32_t traversal = 0;
  Vec3 bboxMin;
  Vec3 bboxMax;
  std::vector<Edge> edges;
};

struct Surface {
  Span span;
  std::int32_t index = 0;
  std::int32_t cti = 0;
  Rgb rgb{};
  std::int32_t shapeClass = 0;
  Vec3 origin;
  Vec3 axis;
  double param1 = 0.0;
  double param2 = 0.0;
  std::uint8_t flag = 0;
};

struct RepairSurface {
  Span span;
  std::int32_t index = 0;
  std::int32_t cti = 0;
  std::int32_t shapeClass = 0;
  std::int32_t shapeClassAgain = 0;
  std::array<std::uint8_t, 4> padding1{};
  Vec3 origin;
  Vec3 axis;
  double param1 = 0.0;
  double param2 = 0.0;
  std::uint8_t flag = 0;
  std::array<std::uint8_t, 7> padding2{};
  Vec3 axisAgain;
  std::vector<Contour> contours;
};

struct Body {
  Span span;
  std::int32_t bodyTag = 0;
  double totalArea = 0.0;
  std::int32_t bodyMark = 0;
  Rgb rgb{};
  std::vector<Surface> surfaces;
  Span mesh;  // from the vertex count to the last triangle
  std::vector<Vec3> vertices;
  std::vector<Triangle> triangles;
  std::vector<RepairSurface> repairSurfaces;
};

struct Group {
  std::string name;
  std::vector<std::int32_t> members;
};

struct Part {
  Span span;
  std::string name;
  std::int32_t cti = 0;
  std::vector<WidePair> parameters;
  std::vector<Group> groups;
  std::vector<Body> bodies;
};

struct Instance {
  Span span;
  std::string partName;
  std::string label;
  Rgb rgb{};
  std::array<double, 16> matrix{};
};

struct Child {
  std::int32_t index = 0;
  std::int32_t isAssembly = 0;  // as stored: 1 or 0
};

struct Assembly {
  Span span;
  std::string name;
  std::vector<Child> children;
  std::vector<WidePair> parameters;
};

struct Header {
  Span span;  // version, creator and name
  std::string version;
  std::string creator;
  std::string name;
};

struct File {
  std::size_t size = 0;
  Header header;
  std::size_t assemblyCountOffset = 0;
  std::vector<Assembly> assemblies;
  std::size_t instanceCountOffset = 0;
  std::vector<Instance> instances;
  std::size_t partCountOffset = 0;
  std::vector<Part> parts;
};

// The raw bytes of a file (UTF-8 path); throws ReadError when it cannot be read.
std::vector<std::uint8_t> readBytes(const std::string& path);

// Parses a whole transfer file.
File parse(const std::vector<std::uint8_t>& bytes);
File readFile(const std::string& path);

}  // namespace veltrosan::vtq
