// One occurrence of a part: occurrences that do not count are passed over;
// the first that does gives the part its record (parameters, CTI and one
// welded body in millimetres); every counted occurrence of a part in the
// model adds a placed, coloured instance under the assembly being walked.
#include <string>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include "messages/status_names.hpp"

namespace veltrosan {
namespace {

constexpr std::int32_t kPartRequest = 1;

void warnLoadFailed(CreoExport& self, const std::string& name) {
  if (self.warnedLoadParts.insert(name).second)
    showWarning("Loading of part '" + name + "' failed. The part is left out in further computation.");
}

// Points the current-part context at one part's locals for a visit; the
// destructor empties it again, so that no pointer outlives the locals.
class PartContext {
 public:
  PartContext(CreoExport& self, ProMdl& part, std::string& unit, double& factor, BodyRecord& body,
              TriangleSoup& soup)
      : self_(self) {
    self.currentPart = &part;
    self.currentUnit = &unit;
    self.currentFactor = &factor;
    self.currentBody = &body;
    self.currentSoup = &soup;
    self.surfaceFailed = false;
  }
  ~PartContext() {
    self_.currentPart = nullptr;
    self_.currentUnit = nullptr;
    self_.currentFactor = nullptr;
    self_.currentBody = nullptr;
    self_.currentSoup = nullptr;
  }
  PartContext(const PartContext&) = delete;
  PartContext& operator=(const PartContext&) = delete;

 private:
  CreoExport& self_;
};

// Starts the body over, as after a whole-part tessellation that was dropped.
void restartBody(BodyRecord& body, TriangleSoup& soup) {
  body = BodyRecord();
  body.bodyTag = 0;
  body.totalArea = 0.0;
  body.bodyMark = -1;
  body.rgb = {-1.0, -1.0, -1.0};
  soup.clear();
}

// The geometry of a part seen for the first time. `added` tells whether the
// part went into the model; a part without geometry is left out with a
// warning and tried again at its next occurrence.
StatusCode addPart(CreoExport& self, ProMdl part, const std::string& name, ProModelitem& item, std::string& unit,
                   double& factor, bool& added) {
  added = false;
  PartRecord record;
  record.name = name;
  record.cti = -1;
  record.bodies.emplace_back();
  BodyRecord& body = record.bodies.front();
  body.rgb = {0.0, 0.0, 0.0};

  self.foundCti = -1;
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(self.requests.size()); ++i) {
    self.foundValue.clear();
    const AttributeRequest& request = self.requests[static_cast<std::size_t>(i)];
    if ((request.flags & kPartRequest) == 0) continue;
    std::int32_t index = i;
    const StatusCode status = ProParameterVisit(&item, nullptr, CreoExport::visitParameter, &index);
    if (status != PRO_TK_NO_ERROR && status != PRO_TK_E_NOT_FOUND) {
      warn("ProParameterVisit", status);
      return status;
    }
    if (i == 0) {
      record.cti = self.foundCti >= 0 ? self.foundCti : -1;
    } else if (!self.foundValue.empty()) {
      record.parameters.emplace_back(toWide(request.name), self.foundValue);
    }
  }

  body.bodyTag = 0;
  body.totalArea = 0.0;
  body.bodyMark = -1;
  TriangleSoup soup;

  bool perSurface = false;
  ProSurfaceTessellationData* tessellation = nullptr;
  StatusCode status = ProPartTessellate(part, self.chordHeight, self.angleControl, self.tessellateFlag, &tessellation);
  if (status == PRO_TK_GENERAL_ERROR) {
    perSurface = true;
  } else if (status != PRO_TK_NO_ERROR) {
    warn("ProPartTessellate", status);
    return status;
  } else {
    status = self.tessellationSuccess(part, tessellation, unit, factor, body, soup);
    if (status == VELTROSAN_TESSELLATION_FAILED) {
      restartBody(body, soup);
      perSurface = true;
    } else if (status != PRO_TK_NO_ERROR) {
      warn("CreoExport::tessellationSuccess", status);
      (void)ProPartTessellationFree(&tessellation);
      return status;
    }
    status = ProPartTessellationFree(&tessellation);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProPartTessellationFree", status);
      return status;
    }
  }

  if (perSurface) {
    PartContext context(self, part, unit, factor, body, soup);
    status = ProSolidSurfaceVisit(part, CreoExport::visitSurface, nullptr, nullptr);
    if (self.surfaceFailed && self.warnedSurfaceParts.insert(name).second)
      showWarning("Tessellation of a surface in part '" + name + "' failed. This part may be incorrect.");
    if (status != PRO_TK_NO_ERROR && status != PRO_TK_E_NOT_FOUND) {
      warn("ProSolidSurfaceVisit", status);
      return status;
    }
    self.surfaceFailed = false;
  }

  {
    PartContext context(self, part, unit, factor, body, soup);
    status = ProSolidFacetsetVisit(part, CreoExport::visitFacetset, acceptAllFilter, nullptr);
    if (status != PRO_TK_NO_ERROR && status != PRO_TK_E_NOT_FOUND) {
      warn("ProSolidFacetsetVisit", status);
      return status;
    }
    self.surfaceFailed = false;
  }

  if (soup.points.empty() && body.repairSurfaces.empty()) {
    warnLoadFailed(self, name);
    return PRO_TK_NO_ERROR;
  }
  weldMesh(soup, body);
  if (unit != "mm")
    for (Vec3& v : body.vertices) v.scale(factor);
  record.groups["Default"] = {0};
  self.model->addPart(std::move(record));
  soup.clear();
  added = true;
  return PRO_TK_NO_ERROR;
}

// The host's transform of the occurrence as the model keeps it: transposed
// (translation in elements 3, 7, 11) and in millimetres.
Matrix4 placement(const ProMatrix transform, const CreoExport& self, const std::string& unit, double factor) {
  Matrix4 matrix;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) matrix[static_cast<std::size_t>(4 * r + c)] = transform[r][c];
  matrix.transpose();
  if (self.topUnit != "mm")
    for (std::size_t i = 0; i < 12; ++i) matrix[i] *= self.topFactor;
  if (unit != "mm") {
    const double inverse = 1.0 / factor;
    for (std::size_t i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) matrix[i] *= inverse;
  }
  return matrix;
}

}  // namespace

StatusCode CreoExport::processPart(ProMdl part, ProAsmcomp* component) {
  ProBoolean visible = 1;
  StatusCode status = ProAsmcompVisibilityGet(&componentPath, nullptr, &visible);
  if (status != PRO_TK_NO_ERROR && status != PRO_TK_BAD_CONTEXT) {
    warn("ProAsmcompVisibilityGet", status);
    return status;
  }
  if (visible == 0) return PRO_TK_NO_ERROR;

  if (component != nullptr) {
    ProBoolean flag = 0;
    status = ProModelitemIsHidden(component, &flag);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProModelitemIsHidden", status);
      return status;
    }
    if (flag != 0) return PRO_TK_NO_ERROR;
    flag = 0;
    status = ProAsmcompIsUnplaced(component, &flag);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProAsmcompIsUnplaced", status);
      return status;
    }
    if (flag != 0) return PRO_TK_NO_ERROR;
    flag = 0;
    status = ProAsmcompIsBulkitem(component, &flag);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProAsmcompIsBulkitem", status);
      return status;
    }
    if (flag != 0) return PRO_TK_NO_ERROR;
  }

  ProName wideName{};
  status = ProMdlNameGet(part, wideName);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMdlNameGet", status);
    return status;
  }
  const std::string name = narrowCopy(wideName);

  ProMatrix transform{};
  status = ProAsmcomppathTrfGet(&componentPath, 1, transform);
  if (status != PRO_TK_NO_ERROR) {
    warnLoadFailed(*this, name);
    return PRO_TK_NO_ERROR;
  }

  ProModelitem item{};
  status = ProMdlToModelitem(part, &item);
  if (status != PRO_TK_NO_ERROR) {
    warn("ProMdlToModelitem", status);
    return status;
  }
  std::string unit;
  status = modelUnit(part, unit);
  if (status != PRO_TK_NO_ERROR) return status;  // modelUnit has shown its warning
  double factor = unitFactor(unit);

  if (!(model->hasPart(name) && model->partIndex(name) != -1)) {
    bool added = false;
    status = addPart(*this, part, name, item, unit, factor, added);
    if (status != PRO_TK_NO_ERROR || !added) return status;
  }

  Rgb colour{-1.0, -1.0, -1.0};
  if (component != nullptr) {
    ProAsmitem occurrence{};
    status = ProAsmcompAsmitemInit(component->owner, component->id, PRO_TYPE_PART, wideName, &componentPath,
                                   &occurrence);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProAsmcompAsmitemInit", status);
      return status;
    }
    ProSurfaceAppearanceProps appearance{};
    status = ProMdlVisibleAppearancepropsGet(&occurrence, &appearance);
    if (status == PRO_TK_NO_ERROR) {
      colour = {appearance.rgb[0], appearance.rgb[1], appearance.rgb[2]};
    } else if (status != PRO_TK_NOT_EXIST) {
      warn("ProMdlVisibleAppearancepropsGet", status);
      return status;
    }
  }

  const Matrix4 matrix = placement(transform, *this, unit, factor);
  const int added = model->addInstance(name, "Default", matrix, colour);
  if (added == 0) {
    if (!assemblyStack.empty()) {
      const auto instance = static_cast<std::int32_t>(model->instances.size() - 1);
      model->assemblies[static_cast<std::size_t>(assemblyStack.back())].children.push_back(ChildRef{instance, false});
    }
  } else if (added == -2) {
    if (warnedDuplicateParts.insert(name).second)
      showWarning("There is a duplicate component '" + name + "'. Duplicate will be ignored.");
  }
  return PRO_TK_NO_ERROR;
}

}  // namespace veltrosan
