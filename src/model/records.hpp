// The records that one export's transfer model holds. Plain data: every record
// owns its members, and copying a record copies everything it holds.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/geometry.hpp"

namespace veltrosan {

// A requested parameter: its name and its value as text, both UTF-16.
using ParameterPair = std::pair<std::u16string, std::u16string>;

// One surface of a body, tessellated or faceted.
struct SurfaceRecord {
  std::int32_t index = 0;  // own position in its list; triangles refer to it
  std::int32_t cti = -1;   // -1: no comparative tracking index
  Rgb rgb{-1.0, -1.0, -1.0};
  std::int32_t shapeClass = 0;
  Vec3 origin;
  Vec3 axis;  // a plane's normal, the axis of a cylinder, cone or torus
  double param1 = 0.0;
  double param2 = 0.0;
  std::uint8_t flag = 1;
};

struct EdgeRecord {
  std::int32_t edgeType = 0;
  std::vector<Vec3> points;  // the points that define an edge of this type
};

struct ContourRecord {
  std::int32_t traversal = 0;
  Vec3 bboxMin;
  Vec3 bboxMax;
  std::vector<EdgeRecord> edges;
};

// A surface the host could not tessellate, kept by its contours.
struct RepairSurfaceRecord : SurfaceRecord {
  std::vector<ContourRecord> contours;
};

// The tessellated body of a part.
struct BodyRecord {
  std::int32_t bodyTag = 0;
  double totalArea = 0.0;  // square millimetres
  std::int32_t bodyMark = -1;
  Rgb rgb{0.0, 0.0, 0.0};
  std::vector<SurfaceRecord> surfaces;
  std::vector<Vec3> vertices;
  std::vector<Triangle> triangles;
  std::vector<RepairSurfaceRecord> repairSurfaces;
};

// One distinct part of the model.
struct PartRecord {
  std::string name;
  std::int32_t cti = -1;
  std::vector<BodyRecord> bodies;
  std::map<std::string, std::set<std::int32_t>> groups;  // group name -> body indices
  std::vector<ParameterPair> parameters;
};

// One placed occurrence of a part.
struct InstanceRecord {
  std::int32_t partIndex;
  std::string partName;  // what links the instance to its part in the file
  std::string label;
  Matrix4 matrix;  // placement in the top model, millimetres
  Rgb rgb;

  InstanceRecord(std::int32_t index, std::string part, std::string instanceLabel, const Matrix4& placement,
                 const Rgb& colour)
      : partIndex(index), partName(std::move(part)), label(std::move(instanceLabel)), matrix(placement), rgb(colour) {}
};

// A child of an assembly: an index into the assemblies or into the instances.
struct ChildRef {
  std::int32_t index = 0;
  bool isAssembly = false;
};

struct AssemblyRecord {
  std::string name;
  std::vector<ChildRef> children;
  std::vector<ParameterPair> parameters;  // only the top assembly gets any
};

}  // namespace veltrosan
