// Surfaces that the host cannot tessellate are kept by their boundary: the
// surface's properties, its contours with their boxes and traversal, and the
// defining points of every edge.
#include "export/creo_export.hpp"
#include "messages/messages.hpp"

namespace veltrosan {

namespace {

Vec3 vec(const double (&v)[3]) { return Vec3(v[0], v[1], v[2]); }

// Every point of an array, or only its first and last. A count of 0 or less,
// or no array at all, gives no points: nothing outside the host's array is read.
void appendArray(EdgeRecord& edge, const double (*points)[3], int count, bool endsOnly) {
  if (points == nullptr || count <= 0) return;
  if (endsOnly) {
    edge.points.push_back(vec(points[0]));
    edge.points.push_back(vec(points[count - 1]));
    return;
  }
  for (int i = 0; i < count; ++i) edge.points.push_back(vec(points[i]));
}

// The edge's kind and defining points from its host curve type and curve data.
void fillEdge(EdgeRecord& edge, ProEnttype type, const ProCurvedata* curve) {
  struct Kind {
    ProEnttype host;
    std::int32_t edgeType;
  };
  static const Kind kKinds[] = {{-1, 0}, {1, 1},   {2, 2},   {3, 3},   {6, 4},   {8, 5},   {10, 6},
                                {12, 7}, {19, 8},  {30, 9},  {40, 10}, {41, 11}, {56, 12}, {62, 13}};
  // A curve type outside the table is written as an edge without a curve.
  edge.edgeType = 0;
  for (const Kind& k : kKinds) {
    if (k.host == type) edge.edgeType = k.edgeType;
  }
  if (curve == nullptr) return;
  switch (type) {
    case 1:
    case 10:
    case 30:
      edge.points.push_back(vec(curve->point.point));
      break;
    case 2:
      edge.points.push_back(vec(curve->line.end1));
      edge.points.push_back(vec(curve->line.end2));
      break;
    case 3:
      edge.points.push_back(vec(curve->arc.origin));
      break;
    case 12:
      appendArray(edge, curve->spline.points, curve->spline.num_points, false);
      break;
    case 19:
      appendArray(edge, curve->bspline.control_points, curve->bspline.num_control_points, true);
      break;
    case 40:
      appendArray(edge, curve->polyline.points, curve->polyline.num_points, false);
      break;
    default:
      break;
  }
}

// The repair surface that the running surfaceRepair appended, if any.
RepairSurfaceRecord* lastRepairSurface(const CreoExport* self) {
  if (self == nullptr || self->currentBody == nullptr || self->currentBody->repairSurfaces.empty()) return nullptr;
  return &self->currentBody->repairSurfaces.back();
}

}  // namespace

StatusCode CreoExport::surfaceRepair(ProSurface surface) {
  if (currentPart == nullptr || currentUnit == nullptr || currentFactor == nullptr || currentBody == nullptr) {
    return PRO_TK_BAD_CONTEXT;
  }
  const double factor = *currentFactor;
  auto& repairs = currentBody->repairSurfaces;
  repairs.emplace_back();
  const std::size_t position = repairs.size() - 1;
  repairs[position].index = static_cast<std::int32_t>(position);
  repairs[position].rgb = {0.0, 0.0, 0.0};

  StatusCode status = processSurface(*currentPart, surface, repairs[position]);
  if (status != PRO_TK_NO_ERROR) return failed("CreoExport::processSurface", status);

  RepairSurfaceRecord& record = repairs[position];
  if (*currentUnit != "mm") {
    record.origin.scale(factor);
    record.param1 *= factor;
    record.param2 *= factor;
  }

  double area = 0.0;
  status = ProSurfaceAreaEval(surface, &area);
  if (status != PRO_TK_NO_ERROR && status != -65) return failed("ProSurfaceAreaEval", status);
  currentBody->totalArea += area * factor * factor;

  status = ProSurfaceContourVisit(surface, visitContour, nullptr, nullptr);
  if (status != PRO_TK_NO_ERROR && status != PRO_TK_E_NOT_FOUND) return failed("ProSurfaceContourVisit", status);
  return PRO_TK_NO_ERROR;
}

StatusCode CreoExport::visitContour(ProContour contour, StatusCode /*status*/, ProAppData /*data*/) {
  CreoExport* self = currentExport;
  RepairSurfaceRecord* repair = lastRepairSurface(self);
  if (repair == nullptr || self->currentSurface == nullptr) return PRO_TK_BAD_CONTEXT;
  ProSurface surface = *self->currentSurface;
  repair->contours.emplace_back();
  const std::size_t position = repair->contours.size() - 1;

  ProOutline box{};
  StatusCode status = ProContourBoundbox3dCompute(surface, contour, box);
  if (status != PRO_TK_NO_ERROR) return failed("ProContourBoundbox3dCompute", status);
  repair->contours[position].bboxMin = vec(box[0]);
  repair->contours[position].bboxMax = vec(box[1]);

  ProContourTraversal traversal = 0;
  status = ProContourTraversalGet(contour, &traversal);
  if (status != PRO_TK_NO_ERROR) return failed("ProContourTraversalGet", status);
  repair->contours[position].traversal = traversal == 1 ? 2 : traversal == -1 ? 1 : 0;

  status = ProContourEdgeVisit(surface, contour, visitEdge, nullptr, nullptr);
  if (status != PRO_TK_NO_ERROR && status != PRO_TK_E_NOT_FOUND) return failed("ProContourEdgeVisit", status);
  return PRO_TK_NO_ERROR;
}

StatusCode CreoExport::visitEdge(ProEdge edge, StatusCode /*status*/, ProAppData /*data*/) {
  RepairSurfaceRecord* repair = lastRepairSurface(currentExport);
  if (repair == nullptr || repair->contours.empty()) return PRO_TK_BAD_CONTEXT;
  auto& edges = repair->contours.back().edges;
  edges.emplace_back();
  const std::size_t position = edges.size() - 1;

  ProEnttype type = 0;
  StatusCode status = ProEdgeTypeGet(edge, &type);
  if (status != PRO_TK_NO_ERROR) return failed("ProEdgeTypeGet", status);

  ProGeomitemdata* data = nullptr;
  status = ProEdgeDataGet(edge, &data);
  if (status != PRO_TK_NO_ERROR) return failed("ProEdgeDataGet", status);

  fillEdge(edges[position], type, data == nullptr ? nullptr : data->data.curve);

  if (data != nullptr) {
    status = ProGeomitemdataFree(&data);
    if (status != PRO_TK_NO_ERROR) return failed("ProGeomitemdataFree", status);
  }
  return PRO_TK_NO_ERROR;
}

}  // namespace veltrosan
