#include "sim/geomdata.hpp"

#include <algorithm>
#include <cstddef>

namespace sim {

namespace {

void put(double (&target)[3], const Vec& p) { std::copy(p.begin(), p.end(), target); }

Vec pointAt(const Edge& edge, std::size_t i) { return i < edge.points.size() ? edge.points[i] : Vec{}; }

// The edge's points as a point array of the curve data, and the count the
// curve data states.
double (*pointArray(const Edge& edge))[3] {
  if (edge.points.empty()) return nullptr;
  auto* array = new double[edge.points.size()][3];
  for (std::size_t i = 0; i < edge.points.size(); ++i) put(array[i], edge.points[i]);
  return array;
}

int statedCount(const Edge& edge) { return edge.countOverride.value_or(static_cast<int>(edge.points.size())); }

}  // namespace

ProGeomitemdata* handOutSurfaceData(const Surface& surface, const char* origin) {
  auto* data = new ProSurfacedata{};
  data->type = surface.type;
  data->orientation = surface.orientation;
  put(data->shape.e1, surface.e1);
  put(data->shape.e2, surface.e2);
  put(data->shape.e3, surface.e3);
  put(data->shape.origin, surface.origin);
  data->shape.values[0] = surface.values[0];
  data->shape.values[1] = surface.values[1];
  data->id = surface.id;

  auto* head = new ProGeomitemdata{};
  head->obj_type = PRO_TYPE_SURFACE;
  head->data.surface = data;
  world().ledger.add(head, Allocation::Geomitemdata, origin);
  return head;
}

ProGeomitemdata* handOutEdgeData(const Edge& edge, const char* origin) {
  auto* curve = new ProCurvedata{};
  switch (edge.curveType) {
    case 1:
    case 10:
    case 30: {
      ProPointCurve c{};
      c.type = edge.curveType;
      put(c.point, pointAt(edge, 0));
      curve->point = c;
      break;
    }
    case 2: {
      ProLineCurve c{};
      c.type = edge.curveType;
      put(c.end1, pointAt(edge, 0));
      put(c.end2, pointAt(edge, 1));
      curve->line = c;
      break;
    }
    case 3: {
      ProArcCurve c{};
      c.type = edge.curveType;
      put(c.origin, pointAt(edge, 0));
      curve->arc = c;
      break;
    }
    case 12: {
      ProSplineCurve c{};
      c.type = edge.curveType;
      c.points = pointArray(edge);
      c.num_points = statedCount(edge);
      curve->spline = c;
      break;
    }
    case 19: {
      ProBsplineCurve c{};
      c.type = edge.curveType;
      c.control_points = pointArray(edge);
      c.num_control_points = statedCount(edge);
      curve->bspline = c;
      break;
    }
    case 40: {
      ProPolylineCurve c{};
      c.type = edge.curveType;
      c.points = pointArray(edge);
      c.num_points = statedCount(edge);
      curve->polyline = c;
      break;
    }
    default:
      curve->type = edge.curveType;
      break;
  }

  auto* head = new ProGeomitemdata{};
  head->obj_type = kEdgeDataType;
  head->data.curve = curve;
  world().ledger.add(head, Allocation::Geomitemdata, origin);
  return head;
}

void freeGeomitemdata(ProGeomitemdata* data) {
  if (data->obj_type == PRO_TYPE_SURFACE) {
    delete data->data.surface;
  } else {
    ProCurvedata* curve = data->data.curve;
    switch (curve->type) {
      case 12: delete[] curve->spline.points; break;
      case 19: delete[] curve->bspline.control_points; break;
      case 40: delete[] curve->polyline.points; break;
      default: break;
    }
    delete curve;
  }
  delete data;
}

}  // namespace sim
