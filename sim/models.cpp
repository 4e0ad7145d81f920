// Models, their units, and the session: the current model, the current
// directory and the host's release.
#include <string>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/text.hpp"
#include "sim/world.hpp"

using sim::world;

namespace {

std::string modelArg(const void* p) {
  const sim::Model* m = sim::findModel(p);
  return m == nullptr ? std::string("?") : sim::utf8(m->name);
}

}  // namespace

extern "C" {

StatusCode ProMdlCurrentGet(ProMdl* model) {
  SIM_ENTER("ProMdlCurrentGet", "");
  if (model == nullptr) return PRO_TK_BAD_INPUTS;
  if (world().current == nullptr) return PRO_TK_BAD_CONTEXT;
  *model = sim::handle(*world().current);
  return PRO_TK_NO_ERROR;
}

StatusCode ProMdlNameGet(ProMdl model, ProName name) {
  SIM_ENTER("ProMdlNameGet", modelArg(model));
  sim::Model* m = sim::findModel(model);
  if (m == nullptr || name == nullptr) return PRO_TK_BAD_INPUTS;
  sim::copyWide(name, PRO_NAME_SIZE, m->name);
  return PRO_TK_NO_ERROR;
}

StatusCode ProMdlTypeGet(ProMdl model, ProMdlType* type) {
  SIM_ENTER("ProMdlTypeGet", modelArg(model));
  sim::Model* m = sim::findModel(model);
  if (m == nullptr || type == nullptr) return PRO_TK_BAD_INPUTS;
  *type = m->type;
  return PRO_TK_NO_ERROR;
}

StatusCode ProMdlToModelitem(ProMdl model, ProModelitem* item) {
  SIM_ENTER("ProMdlToModelitem", modelArg(model));
  sim::Model* m = sim::findModel(model);
  if (m == nullptr || item == nullptr) return PRO_TK_BAD_INPUTS;
  *item = sim::modelItem(*m);
  return PRO_TK_NO_ERROR;
}

StatusCode ProMdlPrincipalunitsystemGet(ProMdl model, ProUnitsystem* system) {
  SIM_ENTER("ProMdlPrincipalunitsystemGet", modelArg(model));
  sim::Model* m = sim::findModel(model);
  if (m == nullptr || system == nullptr) return PRO_TK_BAD_INPUTS;
  if (!m->hasUnitSystem) return PRO_TK_GENERAL_ERROR;
  system->owner = model;
  sim::copyWide(system->name, PRO_NAME_SIZE, u"principal");
  return PRO_TK_NO_ERROR;
}

StatusCode ProUnitsystemUnitGet(ProUnitsystem* system, ProUnitType type, ProUnititem* unit) {
  SIM_ENTER("ProUnitsystemUnitGet", std::to_string(type));
  sim::Model* m = system == nullptr ? nullptr : sim::findModel(system->owner);
  if (m == nullptr || unit == nullptr) return PRO_TK_BAD_INPUTS;
  // The world knows length units only.
  if (type != PRO_UNITTYPE_LENGTH || !m->hasLengthUnit) return PRO_TK_E_NOT_FOUND;
  unit->owner = system->owner;
  sim::copyWide(unit->name, PRO_NAME_SIZE, m->lengthUnit.value_or(u""));
  return PRO_TK_NO_ERROR;
}

StatusCode ProUnitExpressionGet(ProUnititem* unit, ProLine expression) {
  SIM_ENTER("ProUnitExpressionGet", "");
  sim::Model* m = unit == nullptr ? nullptr : sim::findModel(unit->owner);
  if (m == nullptr || expression == nullptr || !m->hasLengthUnit) return PRO_TK_BAD_INPUTS;
  if (!m->lengthUnit) return PRO_TK_E_NOT_FOUND;
  sim::copyWide(expression, PRO_LINE_SIZE, *m->lengthUnit);
  return PRO_TK_NO_ERROR;
}

StatusCode ProDirectoryCurrentGet(ProPath path) {
  SIM_ENTER("ProDirectoryCurrentGet", "");
  if (path == nullptr) return PRO_TK_BAD_INPUTS;
  sim::copyWide(path, PRO_PATH_SIZE, world().currentDirectory);
  return PRO_TK_NO_ERROR;
}

StatusCode ProEngineerReleaseNumericversionGet(int* version) {
  SIM_ENTER("ProEngineerReleaseNumericversionGet", "");
  if (version == nullptr) return PRO_TK_BAD_INPUTS;
  if (world().releaseStatus != PRO_TK_NO_ERROR) return world().releaseStatus;
  *version = world().releaseNumber;
  return PRO_TK_NO_ERROR;
}

}  // extern "C"
