// Facet sets: the faceted geometry of a part. A facet set is the model item
// {PRO_TYPE_FACETSET, set id, part}; a facet is {PRO_TYPE_FACET, n, part},
// where n counts the facets of all the part's sets in host order; a facet
// vertex is {part, set id, 3 * n + corner}.
#include <string>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/visit.hpp"
#include "sim/handout.hpp"
#include "sim/world.hpp"

namespace sim {
namespace {

// The running number of the set's first facet.
int firstFacet(const Model& model, const FacetSet& set) {
  int n = 0;
  for (const auto& fs : model.facetSets) {
    if (&fs == &set) break;
    n += static_cast<int>(fs.facets.size());
  }
  return n;
}

// The corner points of facet n of the model, or null when there is none.
const std::array<Vec, 3>* facetOf(Model& model, int n, const FacetSet** set) {
  if (n < 0) return nullptr;
  for (const auto& fs : model.facetSets) {
    if (n < static_cast<int>(fs.facets.size())) {
      *set = &fs;
      return &fs.facets[static_cast<size_t>(n)];
    }
    n -= static_cast<int>(fs.facets.size());
  }
  return nullptr;
}

}  // namespace
}  // namespace sim

using sim::Allocation;
using sim::world;

extern "C" {

StatusCode ProSolidFacetsetVisit(ProSolid solid, ProFacetsetVisitAction action, ProModelitemFilterAction filter,
                                 ProAppData data) {
  SIM_ENTER("ProSolidFacetsetVisit", "");
  sim::Model* model = sim::findModel(solid);
  if (model == nullptr || action == nullptr) return PRO_TK_BAD_INPUTS;
  return sim::visitEach(model->facetSets, [solid](const sim::FacetSet& fs) {
    return ProFacetset{PRO_TYPE_FACETSET, fs.id, solid};
  }, filter, action, data);
}

StatusCode ProFacetsetFacetVisit(ProFacetset* facetset, ProFacetVisitAction action, ProModelitemFilterAction filter,
                                 ProAppData data) {
  SIM_ENTER("ProFacetsetFacetVisit", facetset != nullptr ? std::to_string(facetset->id) : std::string("?"));
  const sim::FacetSet* set = sim::facetSetOfItem(facetset);
  if (set == nullptr || action == nullptr) return PRO_TK_BAD_INPUTS;
  sim::Model* model = sim::itemOwner(facetset);
  const int first = sim::firstFacet(*model, *set);
  int next = first;
  const ProMdl owner = facetset->owner;
  return sim::visitEach(set->facets, [&next, owner](const auto&) { return ProFacet{PRO_TYPE_FACET, next++, owner}; },
                        filter, action, data);
}

StatusCode ProFacetVerticesGet(ProFacet* facet, ProFacetVertex** vertices) {
  SIM_ENTER("ProFacetVerticesGet", facet != nullptr ? std::to_string(facet->id) : std::string("?"));
  if (facet == nullptr || facet->type != PRO_TYPE_FACET || vertices == nullptr) return PRO_TK_BAD_INPUTS;
  sim::Model* model = sim::findModel(facet->owner);
  const sim::FacetSet* set = nullptr;
  if (model == nullptr || sim::facetOf(*model, facet->id, &set) == nullptr) return PRO_TK_BAD_INPUTS;
  auto* out = static_cast<ProFacetVertex*>(sim::handOutArray(3, static_cast<int>(sizeof(ProFacetVertex)),
                                                             "ProFacetVerticesGet", Allocation::FacetVertices));
  for (int k = 0; k < 3; ++k) out[k] = ProFacetVertex{facet->owner, set->id, 3 * facet->id + k};
  *vertices = out;
  return PRO_TK_NO_ERROR;
}

StatusCode ProFacetvertexPointGet(ProFacetVertex* vertex, ProVector point) {
  SIM_ENTER("ProFacetvertexPointGet", vertex != nullptr ? std::to_string(vertex->id) : std::string("?"));
  if (vertex == nullptr || point == nullptr || vertex->id < 0) return PRO_TK_BAD_INPUTS;
  sim::Model* model = sim::findModel(vertex->owner);
  const sim::FacetSet* set = nullptr;
  const auto* corners = model != nullptr ? sim::facetOf(*model, vertex->id / 3, &set) : nullptr;
  if (corners == nullptr || set->id != vertex->facetset_id) return PRO_TK_BAD_INPUTS;
  const sim::Vec& p = (*corners)[static_cast<size_t>(vertex->id % 3)];
  for (int k = 0; k < 3; ++k) point[k] = p[static_cast<size_t>(k)];
  return PRO_TK_NO_ERROR;
}

StatusCode ProFacetverticesFree(ProFacetVertex* vertices) {
  SIM_ENTER_RELEASE("ProFacetverticesFree", "", vertices, Allocation::FacetVertices);
  if (!world().ledger.remove(vertices, Allocation::FacetVertices, "ProFacetverticesFree")) return PRO_TK_BAD_INPUTS;
  sim::freeArrayBlock(vertices);
  return PRO_TK_NO_ERROR;
}

}  // extern "C"
