// Geometry for simulated worlds, so that tests and scene files describe parts
// by shape rather than by typed-in triangles. Each generator gives the
// surfaces of one shape with their analytic data (as the host's surface data
// holds it), area, contours and edges, and a mesh in which neighbouring
// facets share their vertices, wound counter-clockwise seen from outside.
// Lengths are in the part's own unit.
#pragma once

#include <array>
#include <vector>

#include "sim/world.hpp"

namespace sim {

// Surface ids are firstId, firstId + 1, ...; every surface gets the owning
// feature id given.
struct ShapeIds {
  int firstId = 1;
  int featureId = 0;
};

// Six planes, in the order -x, +x, -y, +y, -z, +z; each face one contour of
// four line edges.
std::vector<Surface> boxSurfaces(const Vec& size, const Vec& centre, ShapeIds ids);
// Side (a cylinder surface about +z from `base`), then the bottom and top
// caps; each circle is a contour of one arc edge.
std::vector<Surface> cylinderSurfaces(double radius, double height, int segments, const Vec& base, ShapeIds ids);
// One torus surface about +z; no contours.
std::vector<Surface> torusSurfaces(double major, double minor, int majorSegments, int minorSegments,
                                   const Vec& centre, ShapeIds ids);
// One free-form surface (host type 43, a surface of revolution) approximating
// a sphere with `segments` rings; no contours. The faceted shape of choice.
std::vector<Surface> sphereSurfaces(double radius, int segments, const Vec& centre, ShapeIds ids);

// The facets of the surfaces' meshes as corner triples: the content of a
// facet set with the same geometry.
std::vector<std::array<Vec, 3>> facetsOf(const std::vector<Surface>& surfaces);

// Host placements (rows one after another, translation in the bottom row).
Transform translation(const Vec& offset);
// A rotation by `degrees` about `axis` (right-handed), then the offset.
Transform rotation(const Vec& axis, double degrees, const Vec& offset = {0, 0, 0});

}  // namespace sim
