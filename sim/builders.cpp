#include "sim/builders.hpp"

#include <algorithm>
#include <utility>

namespace sim {

Surface& addSurface(Model& model, ProSrftype type, int orientation) {
  int id = 0;
  for (const auto& s : model.surfaces) id = std::max(id, s.id);
  Surface s;
  s.id = id + 1;
  s.type = type;
  s.orientation = orientation;
  model.surfaces.push_back(std::move(s));
  return model.surfaces.back();
}

namespace {

Surface& addShaped(Model& model, ProSrftype type, Vec origin, Vec axis, double v1, double v2, int orientation) {
  Surface& s = addSurface(model, type, orientation);
  s.origin = origin;
  s.e3 = axis;
  s.values = {v1, v2};
  return s;
}

}  // namespace

Surface& addPlane(Model& model, Vec origin, Vec normal, int orientation) {
  return addShaped(model, PRO_SRF_PLANE, origin, normal, 0, 0, orientation);
}

Surface& addCylinder(Model& model, Vec origin, Vec axis, double radius, int orientation) {
  return addShaped(model, PRO_SRF_CYL, origin, axis, radius, 0, orientation);
}

Surface& addCone(Model& model, Vec origin, Vec axis, double value, int orientation) {
  return addShaped(model, PRO_SRF_CONE, origin, axis, value, 0, orientation);
}

Surface& addTorus(Model& model, Vec origin, Vec axis, double radius1, double radius2, int orientation) {
  return addShaped(model, PRO_SRF_TORUS, origin, axis, radius1, radius2, orientation);
}

Model& addSolidPart(const std::u16string& name, std::vector<Surface> surfaces) {
  Model& part = world().addModel(name, PRO_MDL_PART);
  addFeature(part, 1);
  addFeature(part, 2, {1});
  part.surfaces = std::move(surfaces);
  return part;
}

Feature& addFeature(Model& model, int id, std::vector<int> parents, std::vector<Parameter> parameters) {
  Feature f;
  f.id = id;
  f.parents = std::move(parents);
  f.parameters = std::move(parameters);
  model.features.push_back(std::move(f));
  return model.features.back();
}

Edge pointEdge(ProEnttype type, Vec point) {
  Edge e;
  e.curveType = type;
  e.points = {point};
  return e;
}

Edge lineEdge(Vec end1, Vec end2) {
  Edge e;
  e.curveType = 2;
  e.points = {end1, end2};
  return e;
}

Edge arcEdge(Vec centre) {
  Edge e;
  e.curveType = 3;
  e.points = {centre};
  return e;
}

Edge arrayEdge(ProEnttype type, std::vector<Vec> points) {
  Edge e;
  e.curveType = type;
  e.points = std::move(points);
  return e;
}

Edge edgeOfType(ProEnttype type) {
  Edge e;
  e.curveType = type;
  return e;
}

Contour makeContour(ProContourTraversal traversal, Vec boxMin, Vec boxMax, std::vector<Edge> edges) {
  Contour c;
  c.traversal = traversal;
  c.boxMin = boxMin;
  c.boxMax = boxMax;
  c.edges = std::move(edges);
  return c;
}

}  // namespace sim
