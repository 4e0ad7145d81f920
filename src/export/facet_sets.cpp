// Faceted geometry of a part: each facet set becomes one free-form surface
// record whose CTI comes from the feature that owns the set (or, failing
// that, from one of its parents), and each facet one triangle of the part's
// soup, corners in the host's order and in the part's own unit.
#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include "messages/status_names.hpp"

namespace veltrosan {
namespace {

constexpr std::int32_t kFreeFormShape = 6;

// Visits the item's parameters for the CTI request; 0 and "no parameters"
// both count as done.
StatusCode readCti(ProModelitem* item) {
  const StatusCode status = ProParameterVisit(item, nullptr, CreoExport::visitParameter, nullptr);
  if (status != PRO_TK_NO_ERROR && status != PRO_TK_E_NOT_FOUND) {
    warn("ProParameterVisit", status);
    return status;
  }
  return PRO_TK_NO_ERROR;
}

// The parents of the owning feature, from the last to the first, until one
// carries the CTI. The id array is released on every path.
StatusCode searchParents(CreoExport& self, ProFeature* feature) {
  int* parents = nullptr;
  int count = 0;
  StatusCode status = ProFeatureParentsGet(feature, &parents, &count);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProFeatureParentsGet", status);
    return status;
  }
  for (int i = count - 1; i >= 0 && self.foundCti == -1; --i) {
    ProFeature parent{};
    status = ProFeatureInit(*self.currentPart, parents[i], &parent);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProFeatureInit", status);
      break;
    }
    status = readCti(&parent);
    if (status != PRO_TK_NO_ERROR) break;
  }
  ProArray array = parents;
  const StatusCode released = array != nullptr ? ProArrayFree(&array) : PRO_TK_NO_ERROR;
  if (status != PRO_TK_NO_ERROR) return status;  // a release on a failure path changes nothing
  if (released != PRO_TK_NO_ERROR) {
    warn("ProFeatureParentsGet", released);  // named after the call that handed the array out
    return released;
  }
  return PRO_TK_NO_ERROR;
}

}  // namespace

StatusCode acceptAllFilter(ProModelitem* /*item*/, ProAppData /*data*/) { return PRO_TK_NO_ERROR; }

StatusCode CreoExport::visitFacetset(ProFacetset* facetset, StatusCode /*status*/, ProAppData /*data*/) {
  CreoExport* self = currentExport;
  if (self == nullptr || self->currentPart == nullptr || self->currentBody == nullptr ||
      self->currentSoup == nullptr) {
    return PRO_TK_BAD_CONTEXT;
  }
  BodyRecord& body = *self->currentBody;
  SurfaceRecord appended;
  appended.index = static_cast<std::int32_t>(body.surfaces.size());
  appended.cti = -1;
  appended.rgb = {-1.0, -1.0, -1.0};
  appended.shapeClass = kFreeFormShape;
  appended.flag = 1;
  body.surfaces.push_back(appended);
  const std::size_t position = body.surfaces.size() - 1;

  self->foundCti = -1;
  ProFeature feature{};
  StatusCode status = ProGeomitemFeatureGet(facetset, &feature);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProGeomitemFeatureGet", status);
    return status;
  }
  status = readCti(&feature);
  if (status != PRO_TK_NO_ERROR) return status;
  if (self->foundCti == -1) {
    status = searchParents(*self, &feature);
    if (status != PRO_TK_NO_ERROR) return status;
  }
  SurfaceRecord& record = body.surfaces[position];
  record.cti = self->foundCti >= 0 ? self->foundCti : -1;

  status = ProFacetsetFacetVisit(facetset, CreoExport::visitFacet, acceptAllFilter, &record);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProFacetsetFacetVisit", status);
    return status;
  }
  return PRO_TK_NO_ERROR;
}

StatusCode CreoExport::visitFacet(ProFacet* facet, StatusCode /*status*/, ProAppData data) {
  CreoExport* self = currentExport;
  const auto* record = static_cast<const SurfaceRecord*>(data);
  if (self == nullptr || self->currentSoup == nullptr || record == nullptr) return PRO_TK_BAD_CONTEXT;

  ProFacetVertex* vertices = nullptr;
  StatusCode status = ProFacetVerticesGet(facet, &vertices);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProFacetVerticesGet", status);
    return status;
  }
  ProVector points[3];
  for (int k = 0; k < 3; ++k) {
    status = ProFacetvertexPointGet(&vertices[k], points[k]);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProFacetvertexPointGet", status);
      (void)ProFacetverticesFree(vertices);
      return status;
    }
  }
  self->currentSoup->addTriangle(Vec3(points[0][0], points[0][1], points[0][2]),
                                 Vec3(points[1][0], points[1][1], points[1][2]),
                                 Vec3(points[2][0], points[2][1], points[2][2]), record->index);
  status = ProFacetverticesFree(vertices);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProFacetverticesFree", status);
    return status;
  }
  return PRO_TK_NO_ERROR;
}

}  // namespace veltrosan
