// Assemblies: components, component paths, their transforms, visibility and
// appearance. A component is the feature item {PRO_TYPE_FEATURE, id, owning
// assembly}; a path's ids name component features from its owner down.
//
// A transform is what a real host gives: each level maps the component
// model's coordinates, in that model's length unit, into the owning
// assembly's coordinates and unit. So the sim scales the 3x3 block of each
// authored placement (whose translation is in the assembly's unit) by the
// ratio of the two units, and the composed transform of a path maps the part
// in its own unit into the top model in the top's unit.
#include <cstring>
#include <string>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/world.hpp"

namespace sim {
namespace {

// The component feature a component item names, or null.
Feature* componentOf(const ProAsmcomp* component) {
  Feature* f = featureOfItem(component);
  return f != nullptr && f->type == PRO_FEAT_COMPONENT ? f : nullptr;
}

// The component features down a path, or false when an id names none (or a
// component without a model has components below it).
bool walkPath(const ProAsmcomppath* path, std::vector<const Feature*>& chain) {
  if (path == nullptr || path->table_num < 0 || path->table_num > PRO_MAX_ASSEM_LEVEL) return false;
  Model* model = findModel(path->owner);
  if (model == nullptr) return false;
  for (int i = 0; i < path->table_num; ++i) {
    if (model == nullptr) return false;
    const Feature* f = model->feature(path->comp_id_table[i]);
    if (f == nullptr || f->type != PRO_FEAT_COMPONENT) return false;
    chain.push_back(f);
    model = f->model;
  }
  return true;
}

double millimetresPer(const Model& m) {
  if (!m.hasUnitSystem || !m.hasLengthUnit || !m.lengthUnit) return 1;
  static const struct {
    const char16_t* name;
    double factor;
  } table[] = {{u"mm", 1},       {u"in", 25.4}, {u"nm", 0.000001}, {u"micron", 0.001},
               {u"cm", 10},      {u"m", 1000},  {u"km", 1000000},  {u"mil", 0.0254},
               {u"ft", 304.8},   {u"mile", 1609344}};
  for (const auto& row : table)
    if (*m.lengthUnit == row.name) return row.factor;
  return 1;
}

Transform multiply(const Transform& a, const Transform& b) {
  Transform r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[static_cast<size_t>(4 * i + k)] * b[static_cast<size_t>(4 * k + j)];
      r[static_cast<size_t>(4 * i + j)] = sum;
    }
  return r;
}

// The placement of a component as the host gives it (see the top of the file).
Transform hostTransform(const Model& assembly, const Feature& component) {
  Transform t = component.placement;
  if (component.model != nullptr) {
    const double scale = millimetresPer(*component.model) / millimetresPer(assembly);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) t[static_cast<size_t>(4 * r + c)] *= scale;
  }
  return t;
}

}  // namespace
}  // namespace sim

using sim::world;

extern "C" {

StatusCode ProAsmcompMdlGet(ProAsmcomp* component, ProMdl* model) {
  SIM_ENTER("ProAsmcompMdlGet", component != nullptr ? std::to_string(component->id) : std::string("?"));
  const sim::Feature* f = sim::componentOf(component);
  if (f == nullptr || model == nullptr) return PRO_TK_BAD_INPUTS;
  if (f->model == nullptr) return PRO_TK_E_NOT_FOUND;
  *model = sim::handle(*f->model);
  return PRO_TK_NO_ERROR;
}

StatusCode ProAsmcompVisibilityGet(ProAsmcomppath* path, ProAsmcomp* component, ProBoolean* visible) {
  SIM_ENTER("ProAsmcompVisibilityGet", path != nullptr ? std::to_string(path->table_num) : std::string("?"));
  (void)component;  // the path alone names the occurrence
  std::vector<const sim::Feature*> chain;
  if (visible == nullptr || !sim::walkPath(path, chain)) return PRO_TK_BAD_INPUTS;
  if (chain.empty()) return PRO_TK_BAD_CONTEXT;  // the top model is no component
  bool shown = true;
  for (const auto* f : chain) shown = shown && f->shown;
  *visible = shown ? 1 : 0;
  return PRO_TK_NO_ERROR;
}

StatusCode ProAsmcompIsUnplaced(ProAsmcomp* component, ProBoolean* unplaced) {
  SIM_ENTER("ProAsmcompIsUnplaced", component != nullptr ? std::to_string(component->id) : std::string("?"));
  const sim::Feature* f = sim::componentOf(component);
  if (f == nullptr || unplaced == nullptr) return PRO_TK_BAD_INPUTS;
  *unplaced = f->unplaced ? 1 : 0;
  return PRO_TK_NO_ERROR;
}

StatusCode ProAsmcompIsBulkitem(ProAsmcomp* component, ProBoolean* bulk) {
  SIM_ENTER("ProAsmcompIsBulkitem", component != nullptr ? std::to_string(component->id) : std::string("?"));
  const sim::Feature* f = sim::componentOf(component);
  if (f == nullptr || bulk == nullptr) return PRO_TK_BAD_INPUTS;
  *bulk = f->bulk ? 1 : 0;
  return PRO_TK_NO_ERROR;
}

StatusCode ProAsmcomppathInit(ProSolid owner, ProIdTable ids, int n_ids, ProAsmcomppath* path) {
  SIM_ENTER("ProAsmcomppathInit", std::to_string(n_ids));
  if (sim::findModel(owner) == nullptr || path == nullptr || n_ids < 0 || n_ids > PRO_MAX_ASSEM_LEVEL ||
      (n_ids > 0 && ids == nullptr)) {
    return PRO_TK_BAD_INPUTS;
  }
  ProAsmcomppath made{};
  made.owner = owner;
  for (int i = 0; i < PRO_MAX_ASSEM_LEVEL; ++i) made.comp_id_table[i] = i < n_ids ? ids[i] : -1;
  made.table_num = n_ids;
  std::vector<const sim::Feature*> chain;
  if (!sim::walkPath(&made, chain)) return PRO_TK_BAD_INPUTS;
  *path = made;
  return PRO_TK_NO_ERROR;
}

StatusCode ProAsmcomppathTrfGet(ProAsmcomppath* path, ProBoolean bottom_up, ProMatrix transform) {
  SIM_ENTER("ProAsmcomppathTrfGet", path != nullptr ? std::to_string(path->table_num) : std::string("?"));
  std::vector<const sim::Feature*> chain;
  if (transform == nullptr || !sim::walkPath(path, chain)) return PRO_TK_BAD_INPUTS;
  if (bottom_up != 1) return PRO_TK_NOT_IMPLEMENTED;  // only the component-to-top direction is simulated
  sim::Transform result = sim::identityTransform();
  // Row vectors: the bottom component's placement applies first, so the path
  // c1 (top) ... cn gives M(cn) * ... * M(c1).
  sim::Model* owner = sim::findModel(path->owner);
  std::vector<sim::Transform> levels;
  for (const auto* f : chain) {
    if (!f->placementReadable) return PRO_TK_GENERAL_ERROR;
    levels.push_back(sim::hostTransform(*owner, *f));
    owner = f->model;
  }
  for (size_t i = levels.size(); i-- > 0;) result = sim::multiply(result, levels[i]);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) transform[r][c] = result[static_cast<size_t>(4 * r + c)];
  return PRO_TK_NO_ERROR;
}

StatusCode ProAsmcompAsmitemInit(ProMdl owner, int component_id, ProType type, const ProWchar* name,
                                 ProAsmcomppath* path, ProAsmitem* item) {
  SIM_ENTER("ProAsmcompAsmitemInit", std::to_string(component_id) + "," + std::to_string(type));
  sim::Model* m = sim::findModel(owner);
  const sim::Feature* f = m != nullptr ? m->feature(component_id) : nullptr;
  std::vector<const sim::Feature*> chain;
  if (f == nullptr || f->type != PRO_FEAT_COMPONENT || item == nullptr || !sim::walkPath(path, chain)) {
    return PRO_TK_BAD_INPUTS;
  }
  const std::u16string text = name != nullptr ? std::u16string(name) : std::u16string();
  if (text.size() >= PRO_NAME_SIZE) return PRO_TK_LINE_TOO_LONG;
  ProAsmitem made{};
  made.owner = owner;
  made.type = type;
  made.id = component_id;
  std::memcpy(made.name, text.c_str(), (text.size() + 1) * sizeof(ProWchar));
  made.path = *path;
  *item = made;
  return PRO_TK_NO_ERROR;
}

StatusCode ProMdlVisibleAppearancepropsGet(ProAsmitem* item, ProSurfaceAppearanceProps* props) {
  SIM_ENTER("ProMdlVisibleAppearancepropsGet", item != nullptr ? std::to_string(item->id) : std::string("?"));
  std::vector<const sim::Feature*> chain;
  if (item == nullptr || props == nullptr || !sim::walkPath(&item->path, chain)) return PRO_TK_BAD_INPUTS;
  if (chain.empty() || !chain.back()->color) return PRO_TK_NOT_EXIST;
  ProSurfaceAppearanceProps made{};
  made.ambient = 0.5;
  made.diffuse = 0.8;
  made.highlight = 0.4;
  made.shininess = 0.6;
  made.transparency = 0;
  for (int k = 0; k < 3; ++k) {
    made.rgb[k] = (*chain.back()->color)[static_cast<size_t>(k)];
    made.highlight_rgb[k] = 1;
  }
  *props = made;
  return PRO_TK_NO_ERROR;
}

}  // extern "C"
