// The entry of the export: the host's current model, a part or an assembly
// walked depth-first through its component features, into the transfer model.
#include <string>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include "messages/status_names.hpp"

namespace veltrosan {

namespace {

constexpr std::int32_t kAssemblyRequest = 2;

void pushPath(ProAsmcomppath& path, int id) {
  path.comp_id_table[path.table_num] = id;
  ++path.table_num;
}

void popPath(ProAsmcomppath& path) {
  --path.table_num;
  path.comp_id_table[path.table_num] = -1;
}

std::int32_t appendAssembly(TransferModel& model, std::deque<std::int32_t>& stack, const std::string& name) {
  const auto index = static_cast<std::int32_t>(model.assemblies.size());
  stack.push_back(index);
  model.assemblies.emplace_back();
  model.assemblies.back().name = name;
  return index;
}

// The requested parameters of the top assembly, in request order.
StatusCode readAssemblyParameters(CreoExport& self, ProModelitem& item, AssemblyRecord& record) {
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(self.requests.size()); ++i) {
    self.foundValue.clear();
    const AttributeRequest& request = self.requests[static_cast<std::size_t>(i)];
    if ((request.flags & kAssemblyRequest) == 0) continue;
    std::int32_t index = i;
    const StatusCode status = ProParameterVisit(&item, nullptr, CreoExport::visitParameter, &index);
    if (status != PRO_TK_NO_ERROR && status != PRO_TK_E_NOT_FOUND) {
      warn("ProParameterVisit", status);
      return status;
    }
    if (!self.foundValue.empty()) record.parameters.emplace_back(toWide(request.name), self.foundValue);
  }
  return PRO_TK_NO_ERROR;
}

}  // namespace

StatusCode CreoExport::exportModel(TransferModel* model, const AttributeRequestList& requests) {
  delete currentExport;
  currentExport = new CreoExport();
  CreoExport& self = *currentExport;
  self.model = model;
  self.requests = requests;
  self.chordHeight = 0.06;
  self.angleControl = 0.6;
  self.tessellateFlag = 1;
  self.currentPart = nullptr;
  self.currentUnit = nullptr;
  self.currentFactor = nullptr;
  self.currentBody = nullptr;
  self.currentSoup = nullptr;
  self.surfaceFailed = false;
  self.currentSurface = nullptr;
  if (model == nullptr || requests.empty()) {
    warn("CreoExport::exportModel", PRO_TK_BAD_INPUTS);
    return PRO_TK_BAD_INPUTS;
  }

  int release = -1;
  StatusCode status = ProEngineerReleaseNumericversionGet(&release);
  if (status == PRO_TK_GENERAL_ERROR) {
    release = -1;
  } else if (status != PRO_TK_NO_ERROR) {
    warn("ProEngineerReleaseNumericversionGet", status);
    return status;
  }
  model->setCreator("PTC Creo Parametric " + std::to_string(release));

  status = ProMdlCurrentGet(&self.topModel);
  if (status == PRO_TK_BAD_CONTEXT) return status;
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMdlCurrentGet", status);
    return status;
  }
  ProName wideName{};
  status = ProMdlNameGet(self.topModel, wideName);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMdlNameGet", status);
    return status;
  }
  const std::string name = narrowCopy(wideName);
  model->setName(name);
  ProPath directory{};
  status = ProDirectoryCurrentGet(directory);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProDirectoryCurrentGet", status);
    return status;
  }
  model->setFolder(narrowCopy(directory));
  ProMdlType type = PRO_MDL_UNUSED;
  status = ProMdlTypeGet(self.topModel, &type);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMdlTypeGet", status);
    return status;
  }
  status = modelUnit(self.topModel, self.topUnit);
  if (status != PRO_TK_NO_ERROR) return status;  // modelUnit has shown its warning
  self.topFactor = unitFactor(self.topUnit);

  ProIdTable ids;
  for (int& id : ids) id = -1;
  status = ProAsmcomppathInit(self.topModel, ids, 0, &self.componentPath);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProAsmcomppathInit", status);
    return status;
  }

  if (type == PRO_MDL_ASSEMBLY) {
    const std::int32_t top = appendAssembly(*model, self.assemblyStack, name);
    ProModelitem item{};
    status = ProMdlToModelitem(self.topModel, &item);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProMdlToModelitem", status);
      return status;
    }
    status = readAssemblyParameters(self, item, model->assemblies[static_cast<std::size_t>(top)]);
    if (status != PRO_TK_NO_ERROR) return status;
    // An assembly without any feature to visit cannot be exported.
    status = ProSolidFeatVisit(self.topModel, CreoExport::visitAssemblyFeature, nullptr, nullptr);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProSolidFeatVisit", status);
      return status;
    }
    self.assemblyStack.pop_back();
    return PRO_TK_NO_ERROR;
  }
  if (type == PRO_MDL_PART) {
    status = self.processPart(self.topModel, nullptr);
    if (status != PRO_TK_NO_ERROR) {
      warn("CreoExport::processPart", status);
      return status;
    }
    return PRO_TK_NO_ERROR;
  }
  return VELTROSAN_NOT_SUPPORTED_TYPE;
}

StatusCode CreoExport::visitAssemblyFeature(ProFeature* feature, StatusCode /*status*/, ProAppData data) {
  CreoExport* self = currentExport;
  if (self == nullptr || self->model == nullptr || feature == nullptr) return PRO_TK_BAD_CONTEXT;
  ProAsmcomppath& path = self->componentPath;

  if (path.table_num >= PRO_MAX_ASSEM_LEVEL) {
    // The path has no slot for this feature. Features that are no components
    // need none and are passed over; a component this deep cannot be placed,
    // so the walk ends rather than export the assembly without it.
    ProFeattype type = 0;
    StatusCode status = ProFeatureTypeGet(feature, &type);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProFeatureTypeGet", status);
      return status;
    }
    if (type != PRO_FEAT_COMPONENT) return PRO_TK_NO_ERROR;
    showWarning("Components nested deeper than 25 levels are not supported.");
    return VELTROSAN_NOT_SUPPORTED;
  }

  pushPath(path, feature->id);
  ProFeattype type = 0;
  StatusCode status = ProFeatureTypeGet(feature, &type);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProFeatureTypeGet", status);
    return status;
  }
  if (type != PRO_FEAT_COMPONENT) {
    popPath(path);
    return PRO_TK_NO_ERROR;
  }
  ProBoolean hidden = 0;
  status = ProModelitemIsHidden(feature, &hidden);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProModelitemIsHidden", status);
    return status;
  }
  if (hidden != 0) {
    popPath(path);
    return PRO_TK_NO_ERROR;
  }
  ProBoolean visible = 1;
  status = ProFeatureVisibilityGet(feature, &visible);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProFeatureVisibilityGet", status);
    return status;
  }
  if (visible == 0) {
    popPath(path);
    return PRO_TK_NO_ERROR;
  }
  ProMdl component = nullptr;
  status = ProAsmcompMdlGet(feature, &component);
  if (status == PRO_TK_E_NOT_FOUND) {
    popPath(path);
    return PRO_TK_NO_ERROR;
  }
  if (status != PRO_TK_NO_ERROR) {
    warn("ProAsmcompMdlGet", status);
    return status;
  }
  ProMdlType modelType = PRO_MDL_UNUSED;
  status = ProMdlTypeGet(component, &modelType);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMdlTypeGet", status);
    return status;
  }
  ProName wideName{};
  status = ProMdlNameGet(component, wideName);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMdlNameGet", status);
    return status;
  }
  const std::string name = narrowCopy(wideName);

  if (modelType == PRO_MDL_ASSEMBLY) {
    TransferModel& model = *self->model;
    const auto index = static_cast<std::int32_t>(model.assemblies.size());
    if (!self->assemblyStack.empty())
      model.assemblies[static_cast<std::size_t>(self->assemblyStack.back())].children.push_back(ChildRef{index, true});
    appendAssembly(model, self->assemblyStack, name);
    const int depth = path.table_num;
    const std::size_t stackDepth = self->assemblyStack.size();
    status = ProSolidFeatVisit(component, CreoExport::visitAssemblyFeature, nullptr, data);
    if (status == PRO_TK_E_NOT_FOUND) {
      // An action below that failed with PRO_TK_E_NOT_FOUND ends this visit
      // like an empty one, but left its own id and assembly behind; the walk
      // goes on from this level, so both go back to where this level had them.
      while (path.table_num > depth) popPath(path);
      while (self->assemblyStack.size() > stackDepth) self->assemblyStack.pop_back();
      ProName again{};
      status = ProMdlNameGet(component, again);
      if (status != PRO_TK_NO_ERROR) {
        warn("ProMdlNameGet", status);
        return status;
      }
      const std::string emptyName = narrowCopy(again);
      if (self->warnedEmptyAssemblies.insert(emptyName).second)
        showWarning("Assembly '" + emptyName + "'' has no components.");
    } else if (status != PRO_TK_NO_ERROR) {
      warn("ProSolidFeatVisit", status);
      return status;
    }
    self->assemblyStack.pop_back();
    popPath(path);
    return PRO_TK_NO_ERROR;
  }
  if (modelType == PRO_MDL_PART) {
    status = self->processPart(component, feature);
    if (status != PRO_TK_NO_ERROR) {
      warn("CreoExport::processPart", status);
      return status;
    }
    popPath(path);
    return PRO_TK_NO_ERROR;
  }
  return VELTROSAN_NOT_SUPPORTED_TYPE;
}

}  // namespace veltrosan
