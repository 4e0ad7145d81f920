// Contours of a surface and their edges: visits, bounding boxes, traversal,
// curve types and curve data.
#include <string>

#include "host/toolkit.h"
#include "sim/geomdata.hpp"
#include "sim/handles.hpp"
#include "sim/visit.hpp"
#include "sim/world.hpp"

extern "C" {

StatusCode ProSurfaceContourVisit(ProSurface surface, ProContourVisitAction action, ProContourFilterAction filter,
                                  ProAppData data) {
  SIM_ENTER("ProSurfaceContourVisit", "");
  sim::Surface* s = sim::findSurface(surface);
  if (s == nullptr || action == nullptr) return PRO_TK_BAD_INPUTS;
  return sim::visitEach(s->contours, [](sim::Contour& c) { return sim::handle(c); }, filter, action, data);
}

StatusCode ProContourBoundbox3dCompute(ProSurface surface, ProContour contour, ProOutline box) {
  SIM_ENTER("ProContourBoundbox3dCompute", "");
  const sim::Surface* s = sim::findSurface(surface);
  const sim::Contour* c = sim::findContour(contour);
  if (s == nullptr || c == nullptr || !sim::holdsContour(*s, *c) || box == nullptr) return PRO_TK_BAD_INPUTS;
  for (size_t i = 0; i < 3; ++i) {
    box[0][i] = c->boxMin[i];
    box[1][i] = c->boxMax[i];
  }
  return PRO_TK_NO_ERROR;
}

StatusCode ProContourTraversalGet(ProContour contour, ProContourTraversal* traversal) {
  SIM_ENTER("ProContourTraversalGet", "");
  const sim::Contour* c = sim::findContour(contour);
  if (c == nullptr || traversal == nullptr) return PRO_TK_BAD_INPUTS;
  *traversal = c->traversal;
  return PRO_TK_NO_ERROR;
}

StatusCode ProContourEdgeVisit(ProSurface surface, ProContour contour, ProEdgeVisitAction action,
                               ProEdgeFilterAction filter, ProAppData data) {
  SIM_ENTER("ProContourEdgeVisit", "");
  const sim::Surface* s = sim::findSurface(surface);
  sim::Contour* c = sim::findContour(contour);
  if (s == nullptr || c == nullptr || !sim::holdsContour(*s, *c) || action == nullptr) return PRO_TK_BAD_INPUTS;
  return sim::visitEach(c->edges, [](sim::Edge& e) { return sim::handle(e); }, filter, action, data);
}

StatusCode ProEdgeTypeGet(ProEdge edge, ProEnttype* type) {
  SIM_ENTER("ProEdgeTypeGet", "");
  const sim::Edge* e = sim::findEdge(edge);
  if (e == nullptr || type == nullptr) return PRO_TK_BAD_INPUTS;
  *type = e->curveType;
  return PRO_TK_NO_ERROR;
}

StatusCode ProEdgeDataGet(ProEdge edge, ProGeomitemdata** data) {
  SIM_ENTER("ProEdgeDataGet", "");
  const sim::Edge* e = sim::findEdge(edge);
  if (e == nullptr || data == nullptr) return PRO_TK_BAD_INPUTS;
  *data = sim::handOutEdgeData(*e, "ProEdgeDataGet");
  return PRO_TK_NO_ERROR;
}

}  // extern "C"
