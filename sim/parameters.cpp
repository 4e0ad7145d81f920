// Parameters of model items, features and surfaces, and their values.
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "sim/handles.hpp"
#include "sim/visit.hpp"
#include "sim/text.hpp"
#include "sim/world.hpp"

namespace {

// The world's parameter that a record handed to an action stands for.
const sim::Parameter* parameterOf(const ProParameter* record) {
  if (record == nullptr) return nullptr;
  const std::vector<sim::Parameter>* list = sim::parametersOfItem(&record->owner);
  if (list == nullptr || record->index < 0 || static_cast<size_t>(record->index) >= list->size()) return nullptr;
  const sim::Parameter& p = (*list)[static_cast<size_t>(record->index)];
  if (std::u16string(record->id) != p.name.substr(0, PRO_NAME_SIZE - 1)) return nullptr;
  return &p;
}

}  // namespace

extern "C" {

StatusCode ProParameterVisit(ProModelitem* owner, ProParameterFilter filter, ProParameterAction action,
                             ProAppData data) {
  SIM_ENTER("ProParameterVisit", sim::itemArg(owner));
  const std::vector<sim::Parameter>* list = sim::parametersOfItem(owner);
  if (list == nullptr || action == nullptr) return PRO_TK_BAD_INPUTS;
  int index = 0;
  auto recordOf = [owner, &index](const sim::Parameter& p) {
    ProParameter record{};
    sim::copyWide(record.id, PRO_NAME_SIZE, p.name);
    record.owner = *owner;
    record.index = index++;
    return record;
  };
  return sim::visitEach(*list, recordOf, filter, action, data);
}

StatusCode ProParameterValueWithUnitsGet(ProParameter* parameter, ProParamvalue* value, ProUnititem* unit) {
  SIM_ENTER("ProParameterValueWithUnitsGet", parameter == nullptr ? "null" : sim::utf8(parameter->id));
  const sim::Parameter* p = parameterOf(parameter);
  if (p == nullptr || value == nullptr || unit == nullptr) return PRO_TK_BAD_INPUTS;
  *value = ProParamvalue{};
  value->type = p->type;
  switch (p->type) {
    case PRO_PARAM_DOUBLE: value->value.d_val = p->doubleValue; break;
    case PRO_PARAM_STRING: sim::copyWide(value->value.s_val, PRO_LINE_SIZE, p->stringValue); break;
    case PRO_PARAM_BOOLEAN: value->value.l_val = p->intValue != 0 ? 1 : 0; break;
    default: value->value.i_val = p->intValue; break;
  }
  // Parameters in the world carry no unit.
  *unit = ProUnititem{};
  return PRO_TK_NO_ERROR;
}

StatusCode ProParamvalueTypeGet(ProParamvalue* value, ProParamvalueType* type) {
  SIM_ENTER("ProParamvalueTypeGet", "");
  if (value == nullptr || type == nullptr) return PRO_TK_BAD_INPUTS;
  *type = value->type;
  return PRO_TK_NO_ERROR;
}

StatusCode ProParamvalueValueGet(ProParamvalue* value, ProParamvalueType type, void* target) {
  SIM_ENTER("ProParamvalueValueGet", std::to_string(type));
  if (value == nullptr || target == nullptr) return PRO_TK_BAD_INPUTS;
  if (type != value->type) return PRO_TK_INVALID_TYPE;
  switch (type) {
    case PRO_PARAM_DOUBLE: *static_cast<double*>(target) = value->value.d_val; break;
    case PRO_PARAM_STRING: {
      auto* line = static_cast<ProWchar*>(target);
      int n = 0;
      while (n < PRO_LINE_SIZE - 1 && value->value.s_val[n] != 0) {
        line[n] = value->value.s_val[n];
        ++n;
      }
      line[n] = 0;
      break;
    }
    case PRO_PARAM_INTEGER: *static_cast<int*>(target) = value->value.i_val; break;
    case PRO_PARAM_BOOLEAN: *static_cast<ProBoolean*>(target) = value->value.l_val; break;
    default: return PRO_TK_INVALID_TYPE;
  }
  return PRO_TK_NO_ERROR;
}

}  // extern "C"
