// Tessellation: of a whole part (one element per surface) and of one surface
// with the settings of a tessellation input. Everything handed out goes
// through the ledger; the whole-part array owns the blocks its elements point
// to and ProPartTessellationFree releases them with it.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/handout.hpp"
#include "sim/world.hpp"

namespace sim {
namespace {

// What a ProSurfaceTessellationInput points to.
struct TessellationInput {
  double chordHeight = 0;
  double angleControl = 0;
  double stepSize = 0;
  int projection = PRO_SRFTESS_NO_PROJECTION;
  bool projectionData = false;
};

// What a ProTessellation points to: the surface's mesh at the time it was made.
struct Tessellation {
  const Surface* surface = nullptr;
  Mesh mesh;
};

TessellationInput* findInput(ProSurfaceTessellationInput handle) {
  const auto* entry = world().ledger.find(handle);
  if (entry == nullptr || entry->kind != Allocation::TessellationInput) return nullptr;
  return reinterpret_cast<TessellationInput*>(handle);
}

Tessellation* findTessellation(ProTessellation handle) {
  const auto* entry = world().ledger.find(handle);
  if (entry == nullptr || entry->kind != Allocation::SurfaceTessellation) return nullptr;
  return reinterpret_cast<Tessellation*>(handle);
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace
}  // namespace sim

using sim::Allocation;
using sim::world;

extern "C" {

StatusCode ProPartTessellate(ProPart part, double chord_height, double angle_control, ProBoolean include_quilts,
                             ProSurfaceTessellationData** tessellation) {
  SIM_ENTER("ProPartTessellate", sim::number(chord_height) + "," + sim::number(angle_control) + "," +
                                     std::to_string(include_quilts));
  sim::Model* model = sim::findModel(part);
  if (model == nullptr || model->type != PRO_MDL_PART || tessellation == nullptr || !(chord_height > 0) ||
      !(angle_control >= 0)) {
    return PRO_TK_BAD_INPUTS;
  }
  if (model->wholeTessellationFails) return PRO_TK_GENERAL_ERROR;
  for (const auto& s : model->surfaces)
    if (!s.mesh) return PRO_TK_GENERAL_ERROR;

  const int n = static_cast<int>(model->surfaces.size());
  auto* elements = static_cast<ProSurfaceTessellationData*>(sim::handOutArray(
      n, static_cast<int>(sizeof(ProSurfaceTessellationData)), "ProPartTessellate", Allocation::PartTessellation));
  for (int i = 0; i < n; ++i) {
    sim::Surface& s = model->surfaces[static_cast<size_t>(i)];
    const sim::Mesh& mesh = *s.mesh;
    ProSurfaceTessellationData& e = elements[i];
    e.surface = sim::handle(s);
    e.n_vertices = static_cast<int>(mesh.vertices.size());
    e.vertices = new double[mesh.vertices.size()][3];
    e.normals = nullptr;  // the gateway reads no normals
    for (size_t v = 0; v < mesh.vertices.size(); ++v)
      for (int k = 0; k < 3; ++k) e.vertices[v][k] = mesh.vertices[v][static_cast<size_t>(k)];
    e.n_facets = static_cast<int>(mesh.facets.size());
    e.facets = new ProTriangle[mesh.facets.size()];
    for (size_t f = 0; f < mesh.facets.size(); ++f)
      for (int k = 0; k < 3; ++k) e.facets[f][k] = mesh.facets[f][static_cast<size_t>(k)];
  }
  *tessellation = elements;
  return PRO_TK_NO_ERROR;
}

StatusCode ProPartTessellationFree(ProSurfaceTessellationData** tessellation) {
  SIM_ENTER_RELEASE("ProPartTessellationFree", "", tessellation == nullptr ? nullptr : *tessellation,
                    Allocation::PartTessellation);
  if (tessellation == nullptr) return PRO_TK_BAD_INPUTS;
  const auto* entry = world().ledger.find(*tessellation);
  const int n = entry != nullptr && entry->kind == Allocation::PartTessellation ? entry->elements : 0;
  if (!world().ledger.remove(*tessellation, Allocation::PartTessellation, "ProPartTessellationFree")) {
    return PRO_TK_BAD_INPUTS;
  }
  for (int i = 0; i < n; ++i) {
    delete[] (*tessellation)[i].vertices;
    delete[] (*tessellation)[i].facets;
  }
  sim::freeArrayBlock(*tessellation);
  *tessellation = nullptr;
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfacetessellationinputAlloc(ProSurfaceTessellationInput* input) {
  SIM_ENTER("ProSurfacetessellationinputAlloc", "");
  if (input == nullptr) return PRO_TK_BAD_INPUTS;
  auto* made = new sim::TessellationInput();
  world().ledger.add(made, Allocation::TessellationInput, "ProSurfacetessellationinputAlloc");
  *input = reinterpret_cast<ProSurfaceTessellationInput>(made);
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfacetessellationinputFree(ProSurfaceTessellationInput input) {
  SIM_ENTER_RELEASE("ProSurfacetessellationinputFree", "", input, Allocation::TessellationInput);
  if (!world().ledger.remove(input, Allocation::TessellationInput, "ProSurfacetessellationinputFree")) {
    return PRO_TK_BAD_INPUTS;
  }
  delete reinterpret_cast<sim::TessellationInput*>(input);
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfacetessellationinputChordheightSet(ProSurfaceTessellationInput input, double chord_height) {
  SIM_ENTER("ProSurfacetessellationinputChordheightSet", sim::number(chord_height));
  sim::TessellationInput* in = sim::findInput(input);
  if (in == nullptr || !(chord_height > 0)) return PRO_TK_BAD_INPUTS;
  in->chordHeight = chord_height;
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfacetessellationinputAnglecontrolSet(ProSurfaceTessellationInput input, double angle_control) {
  SIM_ENTER("ProSurfacetessellationinputAnglecontrolSet", sim::number(angle_control));
  sim::TessellationInput* in = sim::findInput(input);
  if (in == nullptr || !(angle_control >= 0 && angle_control <= 1)) return PRO_TK_BAD_INPUTS;
  in->angleControl = angle_control;
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfacetessellationinputStepsizeSet(ProSurfaceTessellationInput input, double step_size) {
  SIM_ENTER("ProSurfacetessellationinputStepsizeSet", sim::number(step_size));
  sim::TessellationInput* in = sim::findInput(input);
  if (in == nullptr || !(step_size >= 0)) return PRO_TK_BAD_INPUTS;
  in->stepSize = step_size;
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfacetessellationinputUvprojectionSet(ProSurfaceTessellationInput input,
                                                      ProSurfaceTessellationProjection projection,
                                                      ProAppData projection_data) {
  SIM_ENTER("ProSurfacetessellationinputUvprojectionSet", std::to_string(projection));
  sim::TessellationInput* in = sim::findInput(input);
  if (in == nullptr) return PRO_TK_BAD_INPUTS;
  in->projection = projection;
  in->projectionData = projection_data != nullptr;
  return PRO_TK_NO_ERROR;
}

StatusCode ProSurfaceTessellationGet(ProSurface surface, ProSurfaceTessellationInput input,
                                     ProTessellation* tessellation) {
  const sim::Surface* s = sim::findSurface(surface);
  SIM_ENTER("ProSurfaceTessellationGet", s != nullptr ? std::to_string(s->id) : std::string("?"));
  const sim::TessellationInput* in = sim::findInput(input);
  if (s == nullptr || in == nullptr || tessellation == nullptr || !(in->chordHeight > 0)) return PRO_TK_BAD_INPUTS;
  if (!s->mesh) return PRO_TK_GENERAL_ERROR;
  world().surfaceTessellations.push_back(
      sim::SurfaceTessellationRequest{s, in->chordHeight, in->angleControl, in->stepSize, in->projection,
                                      in->projectionData});
  auto* made = new sim::Tessellation{s, *s->mesh};
  world().ledger.add(made, Allocation::SurfaceTessellation, "ProSurfaceTessellationGet");
  *tessellation = reinterpret_cast<ProTessellation>(made);
  return PRO_TK_NO_ERROR;
}

StatusCode ProTessellationFree(ProTessellation tessellation) {
  SIM_ENTER_RELEASE("ProTessellationFree", "", tessellation, Allocation::SurfaceTessellation);
  if (!world().ledger.remove(tessellation, Allocation::SurfaceTessellation, "ProTessellationFree")) {
    return PRO_TK_BAD_INPUTS;
  }
  delete reinterpret_cast<sim::Tessellation*>(tessellation);
  return PRO_TK_NO_ERROR;
}

StatusCode ProTessellationVerticesGet(ProTessellation tessellation, ProVector** vertices) {
  SIM_ENTER("ProTessellationVerticesGet", "");
  const sim::Tessellation* t = sim::findTessellation(tessellation);
  if (t == nullptr || vertices == nullptr) return PRO_TK_BAD_INPUTS;
  const auto& points = t->mesh.vertices;
  auto* out = static_cast<ProVector*>(sim::handOutArray(static_cast<int>(points.size()),
                                                        static_cast<int>(sizeof(ProVector)),
                                                        "ProTessellationVerticesGet"));
  for (size_t i = 0; i < points.size(); ++i) std::memcpy(out[i], points[i].data(), sizeof(ProVector));
  *vertices = out;
  return PRO_TK_NO_ERROR;
}

StatusCode ProTessellationFacetsGet(ProTessellation tessellation, ProTriangle** facets) {
  SIM_ENTER("ProTessellationFacetsGet", "");
  const sim::Tessellation* t = sim::findTessellation(tessellation);
  if (t == nullptr || facets == nullptr) return PRO_TK_BAD_INPUTS;
  const auto& list = t->mesh.facets;
  auto* out = static_cast<ProTriangle*>(sim::handOutArray(static_cast<int>(list.size()),
                                                          static_cast<int>(sizeof(ProTriangle)),
                                                          "ProTessellationFacetsGet"));
  for (size_t i = 0; i < list.size(); ++i) std::memcpy(out[i], list[i].data(), sizeof(ProTriangle));
  *facets = out;
  return PRO_TK_NO_ERROR;
}

}  // extern "C"
