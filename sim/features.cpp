// Features of a solid: their visit, type, visibility, parents, and the
// feature that owns a geometry item.
#include <string>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/visit.hpp"
#include "sim/handout.hpp"
#include "sim/world.hpp"

extern "C" {

StatusCode ProSolidFeatVisit(ProSolid solid, ProFeatureVisitAction action, ProFeatureFilterAction filter,
                             ProAppData data) {
  SIM_ENTER("ProSolidFeatVisit", "");
  sim::Model* m = sim::findModel(solid);
  if (m == nullptr || action == nullptr) return PRO_TK_BAD_INPUTS;
  return sim::visitEach(m->features, [m](const sim::Feature& f) { return sim::featureItem(*m, f); }, filter, action,
                       data);
}

StatusCode ProFeatureInit(ProSolid owner, int feature_id, ProFeature* feature) {
  SIM_ENTER("ProFeatureInit", std::to_string(feature_id));
  sim::Model* m = sim::findModel(owner);
  if (m == nullptr || feature == nullptr) return PRO_TK_BAD_INPUTS;
  const sim::Feature* f = m->feature(feature_id);
  if (f == nullptr) return PRO_TK_E_NOT_FOUND;
  *feature = sim::featureItem(*m, *f);
  return PRO_TK_NO_ERROR;
}

StatusCode ProFeatureTypeGet(ProFeature* feature, ProFeattype* type) {
  SIM_ENTER("ProFeatureTypeGet", sim::itemArg(feature));
  const sim::Feature* f = sim::featureOfItem(feature);
  if (f == nullptr || type == nullptr) return PRO_TK_BAD_INPUTS;
  *type = f->type;
  return PRO_TK_NO_ERROR;
}

StatusCode ProFeatureVisibilityGet(ProFeature* feature, ProBoolean* visible) {
  SIM_ENTER("ProFeatureVisibilityGet", sim::itemArg(feature));
  const sim::Feature* f = sim::featureOfItem(feature);
  if (f == nullptr || visible == nullptr) return PRO_TK_BAD_INPUTS;
  *visible = f->visible ? 1 : 0;
  return PRO_TK_NO_ERROR;
}

StatusCode ProFeatureParentsGet(ProFeature* feature, int** parent_ids, int* n_parents) {
  SIM_ENTER("ProFeatureParentsGet", sim::itemArg(feature));
  const sim::Feature* f = sim::featureOfItem(feature);
  if (f == nullptr || parent_ids == nullptr || n_parents == nullptr) return PRO_TK_BAD_INPUTS;
  if (f->parents.empty()) return PRO_TK_E_NOT_FOUND;  // a base feature; nothing is handed out
  *parent_ids = sim::handOutArrayOf(f->parents, "ProFeatureParentsGet");
  *n_parents = static_cast<int>(f->parents.size());
  return PRO_TK_NO_ERROR;
}

StatusCode ProGeomitemFeatureGet(ProGeomitem* item, ProFeature* feature) {
  SIM_ENTER("ProGeomitemFeatureGet", sim::itemArg(item));
  if (feature == nullptr) return PRO_TK_BAD_INPUTS;
  int featureId = 0;
  if (const sim::Surface* s = sim::surfaceOfItem(item)) {
    featureId = s->featureId;
  } else if (const sim::FacetSet* fs = sim::facetSetOfItem(item)) {
    featureId = fs->featureId;
  } else {
    return PRO_TK_BAD_INPUTS;
  }
  sim::Model* owner = sim::itemOwner(item);
  const sim::Feature* f = featureId == 0 ? nullptr : owner->feature(featureId);
  if (f == nullptr) return PRO_TK_E_NOT_FOUND;
  *feature = sim::featureItem(*owner, *f);
  return PRO_TK_NO_ERROR;
}

StatusCode ProModelitemIsHidden(ProModelitem* item, ProBoolean* hidden) {
  SIM_ENTER("ProModelitemIsHidden", sim::itemArg(item));
  if (hidden == nullptr || sim::itemOwner(item) == nullptr) return PRO_TK_BAD_INPUTS;
  if (const sim::Feature* f = sim::featureOfItem(item)) {
    *hidden = f->hidden ? 1 : 0;
    return PRO_TK_NO_ERROR;
  }
  if (sim::modelOfItem(item) != nullptr || sim::surfaceOfItem(item) != nullptr ||
      sim::facetSetOfItem(item) != nullptr) {
    *hidden = 0;  // only features can be hidden in the world
    return PRO_TK_NO_ERROR;
  }
  return PRO_TK_BAD_INPUTS;
}

}  // extern "C"
