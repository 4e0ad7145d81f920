// A part's tessellated surfaces: from the host's whole-part tessellation, or
// surface by surface when the host cannot tessellate the whole part. Each
// surface becomes a record with its properties in millimetres, its area is
// added to the body, and its facets go into the part's triangle soup in the
// part's own unit (the welded vertices are scaled afterwards).
#include <string>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include "messages/status_names.hpp"

namespace veltrosan {
namespace {

// The host reports this for a surface whose area it cannot evaluate; the
// area then counts as 0.
constexpr StatusCode kAreaNotEvaluated = -65;

// Lengths of a surface record reach millimetres; directions, colour and CTI
// have no unit.
void scaleToMillimetres(SurfaceRecord& record, const std::string& unit, double factor) {
  if (unit == "mm") return;
  record.origin.scale(factor);
  record.param1 *= factor;
  record.param2 *= factor;
}

StatusCode addSurfaceArea(ProSurface surface, double factor, BodyRecord& body) {
  double area = 0.0;
  const StatusCode status = ProSurfaceAreaEval(surface, &area);
  if (status != PRO_TK_NO_ERROR && status != kAreaNotEvaluated) {
    warn("ProSurfaceAreaEval", status);
    return status;
  }
  body.totalArea += area * factor * factor;
  return PRO_TK_NO_ERROR;
}

// One host facet as a triangle of the soup, its winding reversed. A facet
// that names a vertex the host did not give is passed over rather than read
// out of bounds.
void addFacet(const double (*vertices)[3], int vertexCount, const int facet[3], std::int32_t surfaceIndex,
              TriangleSoup& soup) {
  for (int k = 0; k < 3; ++k)
    if (facet[k] < 0 || facet[k] >= vertexCount) return;
  const double* p0 = vertices[facet[0]];
  const double* p1 = vertices[facet[1]];
  const double* p2 = vertices[facet[2]];
  soup.addTriangle(Vec3(p0[0], p0[1], p0[2]), Vec3(p2[0], p2[1], p2[2]), Vec3(p1[0], p1[1], p1[2]), surfaceIndex);
}

SurfaceRecord& appendSurface(BodyRecord& body) {
  body.surfaces.emplace_back();
  SurfaceRecord& record = body.surfaces.back();
  record.index = static_cast<std::int32_t>(body.surfaces.size() - 1);
  return record;
}

}  // namespace

StatusCode CreoExport::tessellationSuccess(ProMdl part, ProSurfaceTessellationData* tessellation,
                                           const std::string& unit, double factor, BodyRecord& body,
                                           TriangleSoup& soup) {
  int count = 0;
  StatusCode status = ProArraySizeGet(tessellation, &count);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProArraySizeGet", status);
    return status;
  }
  for (int i = 0; i < count; ++i) {
    const ProSurfaceTessellationData& element = tessellation[i];
    SurfaceRecord& record = appendSurface(body);
    status = processSurface(part, element.surface, record);
    if (status == VELTROSAN_TESSELLATION_FAILED) return status;  // the caller drops this tessellation
    if (status != PRO_TK_NO_ERROR) {
      warn("CreoExport::processSurface", status);
      return status;
    }
    scaleToMillimetres(record, unit, factor);
    status = addSurfaceArea(element.surface, factor, body);
    if (status != PRO_TK_NO_ERROR) return status;
    if (element.vertices == nullptr || element.facets == nullptr) continue;
    for (int f = 0; f < element.n_facets; ++f)
      addFacet(element.vertices, element.n_vertices, element.facets[f], record.index, soup);
  }
  return PRO_TK_NO_ERROR;
}

namespace {

// What one per-surface tessellation holds from the host; the destructor
// releases whatever is still held, unreported, for the early returns.
struct SurfaceTessellationHold {
  ProSurfaceTessellationInput input = nullptr;
  ProTessellation tessellation = nullptr;
  ProVector* vertices = nullptr;
  ProTriangle* facets = nullptr;

  ~SurfaceTessellationHold() { release(false); }

  // Releases in the host's order: tessellation, input, vertices, facets.
  // Reported, the first failure is returned; every block is released either way.
  StatusCode release(bool report) {
    StatusCode first = PRO_TK_NO_ERROR;
    auto note = [&](const char* name, StatusCode status) {
      if (status == PRO_TK_NO_ERROR || !report) return;
      warn(name, status);
      if (first == PRO_TK_NO_ERROR) first = status;
    };
    if (tessellation != nullptr) note("ProTessellationFree", ProTessellationFree(tessellation));
    tessellation = nullptr;
    if (input != nullptr) note("ProSurfacetessellationinputFree", ProSurfacetessellationinputFree(input));
    input = nullptr;
    if (vertices != nullptr) {
      ProArray array = vertices;
      note("ProArrayFree", ProArrayFree(&array));
      vertices = nullptr;
    }
    if (facets != nullptr) {
      ProArray array = facets;
      note("ProArrayFree", ProArrayFree(&array));
      facets = nullptr;
    }
    return first;
  }
};

}  // namespace

StatusCode CreoExport::visitSurface(ProSurface surface, StatusCode /*status*/, ProAppData /*data*/) {
  CreoExport* self = currentExport;
  if (self == nullptr || self->currentPart == nullptr || self->currentUnit == nullptr ||
      self->currentFactor == nullptr || self->currentBody == nullptr || self->currentSoup == nullptr) {
    return PRO_TK_BAD_CONTEXT;
  }
  SurfaceTessellationHold hold;
  StatusCode status = ProSurfacetessellationinputAlloc(&hold.input);
  if (status != PRO_TK_NO_ERROR) {
    hold.input = nullptr;
    warn("ProSurfacetessellationinputAlloc", status);
    return status;
  }
  status = ProSurfacetessellationinputChordheightSet(hold.input, self->chordHeight);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProSurfacetessellationinputChordheightSet", status);
    return status;
  }
  status = ProSurfacetessellationinputAnglecontrolSet(hold.input, self->angleControl);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProSurfacetessellationinputAnglecontrolSet", status);
    return status;
  }
  (void)ProSurfacetessellationinputStepsizeSet(hold.input, 0.0);  // the host picks its own step
  status = ProSurfacetessellationinputUvprojectionSet(hold.input, PRO_SRFTESS_NO_PROJECTION, nullptr);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProSurfacetessellationinputUvprojectionSet", status);
    return status;
  }

  status = ProSurfaceTessellationGet(surface, hold.input, &hold.tessellation);
  if (status == PRO_TK_GENERAL_ERROR) {
    // The host cannot tessellate this surface: keep it by its contours.
    hold.tessellation = nullptr;
    self->surfaceFailed = true;
    self->currentSurface = &surface;
    status = self->surfaceRepair(surface);
    // The handle lives in this call only, so the pointer must not outlast it.
    self->currentSurface = nullptr;
    if (status != PRO_TK_NO_ERROR) {
      warn("CreoExport::surfaceRepair", status);
      return status;
    }
    return hold.release(true);
  }
  if (status != PRO_TK_NO_ERROR) {
    hold.tessellation = nullptr;
    warn("ProSurfaceTessellationGet", status);
    return status;
  }

  status = ProTessellationVerticesGet(hold.tessellation, &hold.vertices);
  if (status != PRO_TK_NO_ERROR) {
    hold.vertices = nullptr;
    warn("ProTessellationVerticesGet", status);
    return status;
  }
  status = ProTessellationFacetsGet(hold.tessellation, &hold.facets);
  if (status != PRO_TK_NO_ERROR) {
    hold.facets = nullptr;
    warn("ProTessellationFacetsGet", status);
    return status;
  }
  int vertexCount = 0;
  int facetCount = 0;
  status = ProArraySizeGet(hold.vertices, &vertexCount);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProArraySizeGet", status);
    return status;
  }
  status = ProArraySizeGet(hold.facets, &facetCount);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProArraySizeGet", status);
    return status;
  }

  BodyRecord& body = *self->currentBody;
  SurfaceRecord& record = appendSurface(body);
  status = self->processSurface(*self->currentPart, surface, record);
  if (status != PRO_TK_NO_ERROR) {
    warn("CreoExport::processSurface", status);
    return status;
  }
  scaleToMillimetres(record, *self->currentUnit, *self->currentFactor);
  status = addSurfaceArea(surface, *self->currentFactor, body);
  if (status != PRO_TK_NO_ERROR) return status;
  for (int f = 0; f < facetCount; ++f)
    addFacet(hold.vertices, vertexCount, hold.facets[f], record.index, *self->currentSoup);

  return hold.release(true);
}

}  // namespace veltrosan
