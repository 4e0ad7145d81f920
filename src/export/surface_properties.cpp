// The properties of one surface: its CTI (from the surface, its feature or
// the feature's parents), its colour, its shape class and its shape data.
#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include "messages/status_names.hpp"

namespace veltrosan {

namespace {

// One stage of the CTI search: the CTI parameters of one item.
StatusCode visitCti(ProModelitem& item) {
  const StatusCode status = ProParameterVisit(&item, nullptr, CreoExport::visitParameter, nullptr);
  if (status != PRO_TK_NO_ERROR && status != PRO_TK_E_NOT_FOUND) return failed("ProParameterVisit", status);
  return PRO_TK_NO_ERROR;
}

Vec3 vec(const double (&v)[3]) { return Vec3(v[0], v[1], v[2]); }

std::int32_t shapeClassOf(ProSrftype type) {
  switch (type) {
    case PRO_SRF_PLANE: return 1;
    case PRO_SRF_CYL: return 2;
    case PRO_SRF_CONE: return 3;
    case PRO_SRF_TORUS: return 5;
    case 39: case 40: case 41: case 42: case 43: case 44: case 45: case 46: case 48: case 50: return 6;
    default: return 0;
  }
}

// The feature's parents from the last to the first, until one carries the
// CTI. The id array is released on every path; a failed release is reported
// under the call that handed the array out.
StatusCode searchParents(CreoExport& self, ProMdl part, ProFeature& feature) {
  int* ids = nullptr;
  int count = 0;
  StatusCode status = ProFeatureParentsGet(&feature, &ids, &count);
  if (status != PRO_TK_NO_ERROR) return failed("ProFeatureParentsGet", status);
  if (ids == nullptr) count = 0;

  for (int k = count - 1; k >= 0 && self.foundCti == -1; --k) {
    ProFeature parent{};
    status = ProFeatureInit(part, ids[k], &parent);
    if (status != PRO_TK_NO_ERROR) {
      warn("ProFeatureInit", status);
      break;
    }
    status = visitCti(parent);
    if (status != PRO_TK_NO_ERROR) break;
  }

  ProArray array = ids;
  const StatusCode released = ids == nullptr ? PRO_TK_NO_ERROR : ProArrayFree(&array);
  if (status != PRO_TK_NO_ERROR) return status;
  if (released != PRO_TK_NO_ERROR) return failed("ProFeatureParentsGet", released);
  return PRO_TK_NO_ERROR;
}

}  // namespace

StatusCode CreoExport::processSurface(ProMdl part, ProSurface surface, SurfaceRecord& record) {
  foundCti = -1;
  ProGeomitem item{};
  if (ProSurfaceToGeomitem(part, surface, &item) != PRO_TK_NO_ERROR) return VELTROSAN_TESSELLATION_FAILED;

  // CTI: the surface itself, then its feature, then the feature's parents.
  StatusCode status = visitCti(item);
  if (status != PRO_TK_NO_ERROR) return status;
  if (foundCti == -1) {
    ProFeature feature{};
    status = ProGeomitemFeatureGet(&item, &feature);
    if (status != PRO_TK_NO_ERROR) return failed("ProGeomitemFeatureGet", status);
    status = visitCti(feature);
    if (status != PRO_TK_NO_ERROR) return status;
    if (foundCti == -1) {
      status = searchParents(*this, part, feature);
      if (status != PRO_TK_NO_ERROR) return status;
    }
  }
  record.cti = foundCti >= 0 ? foundCti : -1;

  ProSurfaceAppearanceProps props{};
  status = ProSurfaceAppearancepropsGet(&item, &props);
  if (status == PRO_TK_NOT_EXIST) {
    record.rgb = {-1.0, -1.0, -1.0};
  } else if (status == PRO_TK_NO_ERROR) {
    record.rgb = {props.rgb[0], props.rgb[1], props.rgb[2]};
  } else {
    return failed("ProSurfaceAppearancepropsGet", status);
  }

  ProSrftype type = 0;
  status = ProSurfaceTypeGet(surface, &type);
  if (status != PRO_TK_NO_ERROR) return failed("ProSurfaceTypeGet", status);

  ProGeomitemdata* data = nullptr;
  status = ProSurfaceDataGet(surface, &data);
  if (status != PRO_TK_NO_ERROR) return failed("ProSurfaceDataGet", status);
  if (data == nullptr || data->data.surface == nullptr) {
    // Nothing to read the shape from; not a state a working host hands out.
    if (data != nullptr) ProGeomitemdataFree(&data);
    return failed("ProSurfaceDataGet", PRO_TK_GENERAL_ERROR);
  }
  const ProSurfacedata& shape = *data->data.surface;

  if (shape.orientation == 0) {
    ProGeomitemdataFree(&data);
    return VELTROSAN_NOT_SUPPORTED;
  }

  record.shapeClass = 0;
  record.origin = Vec3();
  record.axis = Vec3();
  record.param1 = 0.0;
  record.param2 = 0.0;
  record.flag = 1;
  if (type == PRO_SRF_NONE) {
    ProGeomitemdataFree(&data);
    return VELTROSAN_NOT_SUPPORTED;
  }

  record.shapeClass = shapeClassOf(type);
  switch (type) {
    case PRO_SRF_PLANE:
      record.origin = vec(shape.shape.origin);
      record.axis = vec(shape.shape.e3);
      if (shape.orientation == -1) record.axis.scale(-1.0);
      break;
    case PRO_SRF_CYL:
      record.origin = vec(shape.shape.origin);
      record.axis = vec(shape.shape.e3);
      record.param1 = shape.shape.values[0];
      record.flag = shape.orientation == 1 ? 1 : 0;
      break;
    case PRO_SRF_CONE:
      record.origin = vec(shape.shape.origin);
      record.axis = vec(shape.shape.e3);
      record.param1 = shape.shape.values[0];
      break;
    case PRO_SRF_TORUS:
      record.origin = vec(shape.shape.origin);
      record.axis = vec(shape.shape.e3);
      record.param1 = shape.shape.values[0];
      record.param2 = shape.shape.values[1];
      break;
    default:
      break;
  }

  status = ProGeomitemdataFree(&data);
  if (status != PRO_TK_NO_ERROR) return failed("ProGeomitemdataFree", status);
  return PRO_TK_NO_ERROR;
}

}  // namespace veltrosan
