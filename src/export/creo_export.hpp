// The export of the host's current model into a TransferModel: one CreoExport
// object per export, reached by the host's visit callbacks through the
// process-wide pointer currentExport.
#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "model/mesh.hpp"
#include "model/records.hpp"
#include "model/transfer_model.hpp"

namespace veltrosan {

// One parameter that the export is to read: its UTF-8 name, and flags whose
// bit 1 asks for it on parts and bit 2 on the top assembly.
struct AttributeRequest {
  std::string name;
  std::int32_t flags = 1;
};
// Entry 0 is always the CTI parameter, with flags 1.
using AttributeRequestList = std::vector<AttributeRequest>;

class CreoExport {
 public:
  // Entry of the export: replaces the object behind currentExport with a new
  // one and walks the host's current model into `model`.
  static StatusCode exportModel(TransferModel* model, const AttributeRequestList& requests);

  // One occurrence of a part; `component` is null for a part that is the top model.
  StatusCode processPart(ProMdl part, ProAsmcomp* component);

  // Whole-part tessellation into the body and the soup.
  StatusCode tessellationSuccess(ProMdl part, ProSurfaceTessellationData* tessellation, const std::string& unit,
                                 double factor, BodyRecord& body, TriangleSoup& soup);
  // Fills the properties of one surface into its record.
  StatusCode processSurface(ProMdl part, ProSurface surface, SurfaceRecord& record);
  // Keeps a surface that the host cannot tessellate by its contours.
  StatusCode surfaceRepair(ProSurface surface);

  // Visit actions, called by the host as plain functions.
  static StatusCode visitParameter(ProParameter* parameter, StatusCode status, ProAppData data);
  static StatusCode visitSurface(ProSurface surface, StatusCode status, ProAppData data);
  static StatusCode visitFacetset(ProFacetset* facetset, StatusCode status, ProAppData data);
  static StatusCode visitFacet(ProFacet* facet, StatusCode status, ProAppData data);
  static StatusCode visitContour(ProContour contour, StatusCode status, ProAppData data);
  static StatusCode visitEdge(ProEdge edge, StatusCode status, ProAppData data);
  static StatusCode visitAssemblyFeature(ProFeature* feature, StatusCode status, ProAppData data);

  // Members, in this order.
  TransferModel* model = nullptr;  // not owned
  double chordHeight = 0.06;
  double angleControl = 0.6;
  std::int32_t tessellateFlag = 1;
  AttributeRequestList requests;

  // The part being processed, while its surface or facet-set visit runs.
  ProMdl* currentPart = nullptr;
  std::string* currentUnit = nullptr;
  double* currentFactor = nullptr;
  BodyRecord* currentBody = nullptr;
  TriangleSoup* currentSoup = nullptr;
  bool surfaceFailed = false;
  ProSurface* currentSurface = nullptr;  // the surface being repaired

  std::string topUnit;
  double topFactor = 1.0;
  ProMdl topModel = nullptr;
  ProAsmcomppath componentPath{};

  std::int32_t foundCti = -1;  // -1: none found
  std::u16string foundValue;   // empty: none found

  std::deque<std::int32_t> assemblyStack;  // indexes into model->assemblies; innermost on top (back)
  std::set<std::string> warnedEmptyAssemblies;
  std::set<std::string> warnedDuplicateParts;
  std::set<std::string> warnedSurfaceParts;
  std::set<std::string> warnedLoadParts;
};

// The object of the latest export; null until the first one.
extern CreoExport* currentExport;

// The filter of the facet-set and facet visits: every item is visited.
StatusCode acceptAllFilter(ProModelitem* item, ProAppData data);

// UTF-8 to UTF-16.
std::u16string toWide(const std::string& text);
// The whole narrow (UTF-8) form of a host wide text, through the toolkit's
// wide-to-narrow copy.
std::string narrowCopy(const ProWchar* text);
// The length unit of a model's principal unit system; "mm" when it has none.
StatusCode modelUnit(ProMdl model, std::string& unit);
// Millimetres per unit; 1 for any name outside the table.
double unitFactor(const std::string& unit);

}  // namespace veltrosan
