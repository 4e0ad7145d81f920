// Small helpers for tests that build a world by hand: surfaces of the
// analytic kinds with their shape data, features, contours and edges.
// References returned point into the model's lists and hold until the next
// addition to the same list.
#pragma once

#include <vector>

#include "sim/world.hpp"

namespace sim {

// A surface of the given host type with the next free surface id (from 1).
Surface& addSurface(Model& model, ProSrftype type, int orientation = 1);
// The shape's third direction vector is the normal or the axis.
Surface& addPlane(Model& model, Vec origin, Vec normal, int orientation = 1);
Surface& addCylinder(Model& model, Vec origin, Vec axis, double radius, int orientation = 1);
Surface& addCone(Model& model, Vec origin, Vec axis, double value, int orientation = 1);
Surface& addTorus(Model& model, Vec origin, Vec axis, double radius1, double radius2, int orientation = 1);

// A part of the world whose surfaces are owned by feature 2, whose parent is
// the datum feature 1: the shape of a part made of one solid feature.
Model& addSolidPart(const std::u16string& name, std::vector<Surface> surfaces);

// A feature of no particular type (not a component).
Feature& addFeature(Model& model, int id, std::vector<int> parents = {}, std::vector<Parameter> parameters = {});

// Edges by host curve type: 1, 10 or 30 for a point; 2 a line; 3 an arc
// given by its centre; 12, 19 or 40 a point array.
Edge pointEdge(ProEnttype type, Vec point);
Edge lineEdge(Vec end1, Vec end2);
Edge arcEdge(Vec centre);
Edge arrayEdge(ProEnttype type, std::vector<Vec> points);
Edge edgeOfType(ProEnttype type);  // no points

Contour makeContour(ProContourTraversal traversal, Vec boxMin, Vec boxMax, std::vector<Edge> edges = {});

}  // namespace sim
