// Surfaces of a solid: their visit, geometry items, type, shape data, area
// and appearance, and the release of geometry data (of surfaces and edges).
#include <string>

#include "host/toolkit.h"
#include "sim/geomdata.hpp"
#include "sim/handles.hpp"
#include "sim/visit.hpp"
#include "sim/world.hpp"

using sim::world;

namespace {

std::string surfaceArg(const void* p) {
  const sim::Surface* s = sim::findSurface(p);
  return s == nullptr ? std::string("?") : std::to_string(s->id);
}

}  // namespace

extern "C" {

StatusCode ProSolidSurfaceVisit(ProSolid solid, ProSurfaceVisitAction action, ProSurfaceFilterAction filter,
                                ProAppData data) {
  SIM_ENTER("ProSolidSurfaceVisit", "");
  sim::Model* m = sim::findModel(solid);
  if (m == nullptr || action == nullptr) return PRO_TK_BAD_INPUTS;
  return sim::visitEach(m->surfaces, [](sim::Surface& s) { return sim::handle(s); }, filter, action, data);
}

StatusCode ProSurfaceToGeomitem(ProSolid owner, ProSurface surface, ProGeomitem* item) {
  SIM_ENTER("ProSurfaceToGeomitem", surfaceArg(surface));
  sim::Model* surfaceOwner = nullptr;
  const sim::Surface* s = sim::findSurface(surface, &surfaceOwner);
  sim::Model* m = sim::findModel(owner);
  if (s == nullptr || m == nullptr || m != surfaceOwner || item == nullptr) return PRO_TK_BAD_INPUTS;
  if (!s->hasGeomitem) return PRO_TK_E_NOT_FOUND;
  *item = sim::surfaceItem(*m, *s);
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfaceTypeGet(ProSurface surface, ProSrftype* type) {
  SIM_ENTER("ProSurfaceTypeGet", surfaceArg(surface));
  const sim::Surface* s = sim::findSurface(surface);
  if (s == nullptr || type == nullptr) return PRO_TK_BAD_INPUTS;
  *type = s->type;
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfaceDataGet(ProSurface surface, ProGeomitemdata** data) {
  SIM_ENTER("ProSurfaceDataGet", surfaceArg(surface));
  const sim::Surface* s = sim::findSurface(surface);
  if (s == nullptr || data == nullptr) return PRO_TK_BAD_INPUTS;
  *data = sim::handOutSurfaceData(*s, "ProSurfaceDataGet");
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfaceAreaEval(ProSurface surface, double* area) {
  SIM_ENTER("ProSurfaceAreaEval", surfaceArg(surface));
  const sim::Surface* s = sim::findSurface(surface);
  if (s == nullptr || area == nullptr) return PRO_TK_BAD_INPUTS;
  if (s->areaStatus != PRO_TK_NO_ERROR) return s->areaStatus;
  *area = s->area;
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfaceAppearancepropsGet(ProGeomitem* item, ProSurfaceAppearanceProps* props) {
  SIM_ENTER("ProSurfaceAppearancepropsGet", item == nullptr ? "null" : std::to_string(item->id));
  const sim::Surface* s = sim::surfaceOfItem(item);
  if (s == nullptr || props == nullptr) return PRO_TK_BAD_INPUTS;
  if (!s->color) return PRO_TK_NOT_EXIST;
  *props = ProSurfaceAppearanceProps{};
  props->ambient = 0.2;
  props->diffuse = 0.8;
  props->highlight = 0.5;
  props->shininess = 0.3;
  for (int i = 0; i < 3; ++i) {
    props->rgb[i] = (*s->color)[static_cast<size_t>(i)];
    props->highlight_rgb[i] = 1.0;
  }
  return PRO_TK_NO_ERROR;
}

StatusCode ProGeomitemdataFree(ProGeomitemdata** data) {
  SIM_ENTER_RELEASE("ProGeomitemdataFree", "", data == nullptr ? nullptr : *data, sim::Allocation::Geomitemdata);
  if (data == nullptr || !world().ledger.remove(*data, sim::Allocation::Geomitemdata, "ProGeomitemdataFree")) {
    return PRO_TK_BAD_INPUTS;
  }
  sim::freeGeomitemdata(*data);
  *data = nullptr;
  return PRO_TK_NO_ERROR;
}

}  // extern "C"
