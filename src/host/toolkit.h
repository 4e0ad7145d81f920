// The host toolkit as the gateway sees it: every type, code and function of
// the CAD host that the messages, export and shell subsystems call. The host
// (or, in tests and the demo, the simulated host) provides the definitions.
//
// Conventions of the host:
// - Functions return a StatusCode (0 success, failures negative).
// - Visits call an action once per item with the item, a status and the
//   caller's data; a non-zero action result ends the visit, which returns it.
//   A visit that visits nothing returns PRO_TK_E_NOT_FOUND.
// - Wide text is UTF-16; a model name holds at most 31 units before its
//   terminator.
// - Memory the host hands out is released with its matching free call.
// - Where the gateway reads host records at fixed byte positions, the
//   structs below are laid out so those positions hold (checked at the end).
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/status.h"

extern "C" {

// ---------------------------------------------------------------------------
// Basic types

typedef int ProBoolean;  // 0 false, 1 true
typedef void* ProAppData;
typedef char16_t ProWchar;

enum {
  PRO_NAME_SIZE = 32,  // 31 units and the terminator
  PRO_LINE_SIZE = 81,  // 80 units and the terminator
  PRO_PATH_SIZE = 260,
};

typedef ProWchar ProName[PRO_NAME_SIZE];
typedef ProWchar ProLine[PRO_LINE_SIZE];
typedef ProWchar ProPath[PRO_PATH_SIZE];

typedef double ProVector[3];
typedef double ProPoint3d[3];
typedef double ProMatrix[4][4];  // rows one after another; translation in row 3
typedef double ProOutline[2][3];  // two corner points of a box
typedef int ProTriangle[3];       // three vertex indices

// A host array: a block with a hidden header, made by ProArrayAlloc or handed
// out by the host, released with ProArrayFree.
typedef void* ProArray;

// ---------------------------------------------------------------------------
// Handles

typedef struct ProMdlObject* ProMdl;
typedef ProMdl ProSolid;
typedef ProMdl ProPart;
typedef ProMdl ProAssembly;

typedef struct ProSurfaceObject* ProSurface;
typedef struct ProContourObject* ProContour;
typedef struct ProEdgeObject* ProEdge;
typedef struct ProTessellationObject* ProTessellation;
typedef struct ProSurfaceTessellationInputObject* ProSurfaceTessellationInput;

// Model types.
typedef int ProMdlType;
enum : ProMdlType {
  PRO_MDL_UNUSED = 0,
  PRO_MDL_ASSEMBLY = 1,
  PRO_MDL_PART = 2,
  PRO_MDL_DRAWING = 3,
};

// Item types of model items.
typedef int ProType;
enum : ProType {
  PRO_TYPE_UNUSED = 0,
  PRO_TYPE_ASSEMBLY = 1,
  PRO_TYPE_PART = 2,
  PRO_TYPE_FEATURE = 3,
  PRO_TYPE_SURFACE = 4,
  PRO_TYPE_FACETSET = 5,
  PRO_TYPE_FACET = 6,
};

// An item of a model: a feature, a geometry item, a component, a facet set,
// a facet, or the model itself.
typedef struct ProModelitemRec {
  ProType type;
  int id;
  ProMdl owner;
} ProModelitem;

typedef ProModelitem ProGeomitem;
typedef ProModelitem ProFeature;
typedef ProModelitem ProAsmcomp;
typedef ProModelitem ProFacetset;
typedef ProModelitem ProFacet;

typedef struct ProFacetVertexRec {
  ProMdl owner;
  int facetset_id;
  int id;
} ProFacetVertex;

typedef int ProFeattype;
enum : ProFeattype { PRO_FEAT_COMPONENT = 1000 };

// Component paths: the chain of component feature ids from the owner down.
enum { PRO_MAX_ASSEM_LEVEL = 25 };
typedef int ProIdTable[PRO_MAX_ASSEM_LEVEL];

typedef struct ProAsmcomppathRec {
  ProSolid owner;
  ProIdTable comp_id_table;
  int table_num;
} ProAsmcomppath;

// A component's occurrence of an item, as seen from the top assembly.
typedef struct ProAsmitemRec {
  ProMdl owner;
  ProType type;
  int id;
  ProName name;
  ProAsmcomppath path;
} ProAsmitem;

// Appearance properties of a surface or of an occurrence: only the colour is
// read, the three doubles from byte 40.
typedef struct ProSurfaceAppearancePropsRec {
  double ambient;
  double diffuse;
  double highlight;
  double shininess;
  double transparency;
  double rgb[3];
  double highlight_rgb[3];
  double reflection;
} ProSurfaceAppearanceProps;

// ---------------------------------------------------------------------------
// Units and parameters

typedef struct ProUnitsystemRec {
  ProMdl owner;
  ProName name;
} ProUnitsystem;

typedef struct ProUnititemRec {
  ProMdl owner;
  ProName name;
} ProUnititem;

typedef int ProUnitType;
enum : ProUnitType { PRO_UNITTYPE_LENGTH = 0 };

typedef struct ProParameterRec {
  ProName id;          // the parameter's name
  ProModelitem owner;  // the item that carries it
  int index;           // the host's own position of the parameter on its owner
} ProParameter;

typedef int ProParamvalueType;
enum : ProParamvalueType {
  PRO_PARAM_DOUBLE = 50,
  PRO_PARAM_STRING = 51,
  PRO_PARAM_INTEGER = 52,
  PRO_PARAM_BOOLEAN = 53,
};

typedef struct ProParamvalueRec {
  ProParamvalueType type;
  union {
    double d_val;
    int i_val;
    ProBoolean l_val;
    ProLine s_val;
  } value;
} ProParamvalue;

// ---------------------------------------------------------------------------
// Geometry

typedef int ProSrftype;
enum : ProSrftype {
  PRO_SRF_NONE = -3,
  PRO_SRF_PLANE = 34,
  PRO_SRF_CYL = 36,
  PRO_SRF_CONE = 37,
  PRO_SRF_TORUS = 38,
};

typedef int ProEnttype;  // curve type of an edge

typedef int ProContourTraversal;  // 1, -1, or another value

// Analytic shape of a surface: three direction vectors, the origin, then the
// shape's values (a cylinder's radius, a cone's value in the same place, a
// torus's two radii).
typedef struct ProSurfaceshapedataRec {
  double e1[3];
  double e2[3];
  double e3[3];
  double origin[3];
  double values[2];
} ProSurfaceshapedata;

typedef struct ProSurfacedataRec {
  ProSrftype type;
  int orientation;  // 1, -1, or 0 for a surface without orientation
  ProSurfaceshapedata shape;
  int id;
} ProSurfacedata;

// Curve data of an edge, one layout per kind of curve.
typedef struct ProPointCurveRec {  // a point, or a curve given by its centre
  ProEnttype type;
  double point[3];
} ProPointCurve;

typedef struct ProLineCurveRec {
  ProEnttype type;
  double end1[3];
  double end2[3];
} ProLineCurve;

typedef struct ProArcCurveRec {
  ProEnttype type;
  double vector1[3];
  double vector2[3];
  double origin[3];
  double start_angle;
  double end_angle;
  double radius;
} ProArcCurve;

typedef struct ProSplineCurveRec {
  ProEnttype type;
  double* params;
  double (*points)[3];
  double (*tangents)[3];
  int num_points;
} ProSplineCurve;

typedef struct ProBsplineCurveRec {
  ProEnttype type;
  int degree;
  double* weights;
  double* knots;
  double (*control_points)[3];
  int num_knots;
  int num_control_points;
} ProBsplineCurve;

typedef struct ProPolylineCurveRec {
  ProEnttype type;
  double (*points)[3];
  int num_points;
} ProPolylineCurve;

typedef union ProCurvedataRec {
  ProEnttype type;
  ProPointCurve point;
  ProLineCurve line;
  ProArcCurve arc;
  ProSplineCurve spline;
  ProBsplineCurve bspline;
  ProPolylineCurve polyline;
} ProCurvedata;

// Geometry data handed out for a surface or an edge; ProGeomitemdataFree
// releases it with what it points to.
typedef struct ProGeomitemdataRec {
  ProType obj_type;
  union {
    ProCurvedata* curve;
    ProSurfacedata* surface;
  } data;
} ProGeomitemdata;

// One element of a whole-part tessellation (a host array of them).
typedef struct ProSurfaceTessellationDataRec {
  ProSurface surface;
  int n_vertices;
  double (*vertices)[3];
  double (*normals)[3];
  int n_facets;
  ProTriangle* facets;
} ProSurfaceTessellationData;

typedef int ProSurfaceTessellationProjection;
enum : ProSurfaceTessellationProjection { PRO_SRFTESS_NO_PROJECTION = 4 };

// ---------------------------------------------------------------------------
// Actions and filters

typedef StatusCode (*ProFeatureVisitAction)(ProFeature* feature, StatusCode status, ProAppData data);
typedef StatusCode (*ProFeatureFilterAction)(ProFeature* feature, ProAppData data);
typedef StatusCode (*ProParameterAction)(ProParameter* parameter, StatusCode status, ProAppData data);
typedef StatusCode (*ProParameterFilter)(ProParameter* parameter, ProAppData data);
typedef StatusCode (*ProSurfaceVisitAction)(ProSurface surface, StatusCode status, ProAppData data);
typedef StatusCode (*ProSurfaceFilterAction)(ProSurface surface, ProAppData data);
typedef StatusCode (*ProContourVisitAction)(ProContour contour, StatusCode status, ProAppData data);
typedef StatusCode (*ProContourFilterAction)(ProContour contour, ProAppData data);
typedef StatusCode (*ProEdgeVisitAction)(ProEdge edge, StatusCode status, ProAppData data);
typedef StatusCode (*ProEdgeFilterAction)(ProEdge edge, ProAppData data);
typedef StatusCode (*ProFacetsetVisitAction)(ProFacetset* facetset, StatusCode status, ProAppData data);
typedef StatusCode (*ProFacetVisitAction)(ProFacet* facet, StatusCode status, ProAppData data);
// Facet sets and facets are both model items, so one filter serves both.
typedef StatusCode (*ProModelitemFilterAction)(ProModelitem* item, ProAppData data);

// Dialog actions: dialog name, component name, the data bound with the action.
typedef void (*ProUIAction)(char* dialog, char* component, ProAppData data);

// Commands.
typedef int ProCmdId;
typedef int ProCmdAccessState;
enum : ProCmdAccessState { PRO_CMD_ACCESS_AVAILABLE = 3 };
typedef int ProCmdAccessMode;
typedef StatusCode (*ProCmdActionFn)(ProCmdId command, ProAppData value, ProAppData data);
typedef ProCmdAccessState (*ProCmdAccessFn)(ProCmdAccessMode mode);

// Message dialogs.
enum { PRO_UI_MESSAGE_ERROR = 2, PRO_UI_MESSAGE_OK = 6 };

// ---------------------------------------------------------------------------
// Host arrays and strings

StatusCode ProArrayAlloc(int n_objs, int obj_size, int reallocation_size, ProArray* p_array);
StatusCode ProArrayFree(ProArray* p_array);
StatusCode ProArraySizeGet(ProArray array, int* p_size);
StatusCode ProWstringFree(ProWchar* string);
StatusCode ProStringarrayFree(char** array, int n);

// The toolkit's narrow/wide copies (no host call): UTF-8 <-> UTF-16. The
// target must be large enough; both return the target.
ProWchar* ProStringToWstring(ProWchar* target, const char* source);
char* ProWstringToString(char* target, const ProWchar* source);

// ---------------------------------------------------------------------------
// Messages

void ProMessageClear(void);
// The key's narrow string arguments follow the key, as its format expects.
StatusCode ProMessageDisplay(const ProWchar* file, const char* key, ...);
StatusCode ProMessageWstringbufferAlloc(ProWchar** buffer, const ProWchar* file, const char* key, ...);
StatusCode ProUIMessageDialogDisplay(int type, const ProWchar* title, const ProWchar* text, int* buttons,
                                     int default_button, int* result);

// ---------------------------------------------------------------------------
// Models, units, session

StatusCode ProMdlCurrentGet(ProMdl* model);
StatusCode ProMdlNameGet(ProMdl model, ProName name);
StatusCode ProMdlTypeGet(ProMdl model, ProMdlType* type);
StatusCode ProMdlToModelitem(ProMdl model, ProModelitem* item);
StatusCode ProMdlPrincipalunitsystemGet(ProMdl model, ProUnitsystem* system);
StatusCode ProUnitsystemUnitGet(ProUnitsystem* system, ProUnitType type, ProUnititem* unit);
StatusCode ProUnitExpressionGet(ProUnititem* unit, ProLine expression);
StatusCode ProDirectoryCurrentGet(ProPath path);
StatusCode ProEngineerReleaseNumericversionGet(int* version);

// ---------------------------------------------------------------------------
// Features and parameters

StatusCode ProSolidFeatVisit(ProSolid solid, ProFeatureVisitAction action, ProFeatureFilterAction filter,
                             ProAppData data);
StatusCode ProFeatureInit(ProSolid owner, int feature_id, ProFeature* feature);
StatusCode ProFeatureTypeGet(ProFeature* feature, ProFeattype* type);
StatusCode ProFeatureVisibilityGet(ProFeature* feature, ProBoolean* visible);
// The parent ids come as a host array, released with ProArrayFree.
StatusCode ProFeatureParentsGet(ProFeature* feature, int** parent_ids, int* n_parents);
StatusCode ProGeomitemFeatureGet(ProGeomitem* item, ProFeature* feature);
StatusCode ProModelitemIsHidden(ProModelitem* item, ProBoolean* hidden);

StatusCode ProParameterVisit(ProModelitem* owner, ProParameterFilter filter, ProParameterAction action,
                             ProAppData data);
StatusCode ProParameterValueWithUnitsGet(ProParameter* parameter, ProParamvalue* value, ProUnititem* unit);
StatusCode ProParamvalueTypeGet(ProParamvalue* value, ProParamvalueType* type);
// Reads the value of the given type: a double, an int, or a copy of the
// string into a ProLine.
StatusCode ProParamvalueValueGet(ProParamvalue* value, ProParamvalueType type, void* target);

// ---------------------------------------------------------------------------
// Assemblies

StatusCode ProAsmcompMdlGet(ProAsmcomp* component, ProMdl* model);
StatusCode ProAsmcompVisibilityGet(ProAsmcomppath* path, ProAsmcomp* component, ProBoolean* visible);
StatusCode ProAsmcompIsUnplaced(ProAsmcomp* component, ProBoolean* unplaced);
StatusCode ProAsmcompIsBulkitem(ProAsmcomp* component, ProBoolean* bulk);
StatusCode ProAsmcomppathInit(ProSolid owner, ProIdTable ids, int n_ids, ProAsmcomppath* path);
StatusCode ProAsmcomppathTrfGet(ProAsmcomppath* path, ProBoolean bottom_up, ProMatrix transform);
StatusCode ProAsmcompAsmitemInit(ProMdl owner, int component_id, ProType type, const ProWchar* name,
                                 ProAsmcomppath* path, ProAsmitem* item);
StatusCode ProMdlVisibleAppearancepropsGet(ProAsmitem* item, ProSurfaceAppearanceProps* props);

// ---------------------------------------------------------------------------
// Surfaces, tessellation, contours, edges

StatusCode ProSolidSurfaceVisit(ProSolid solid, ProSurfaceVisitAction action, ProSurfaceFilterAction filter,
                                ProAppData data);
StatusCode ProSurfaceToGeomitem(ProSolid owner, ProSurface surface, ProGeomitem* item);
StatusCode ProSurfaceTypeGet(ProSurface surface, ProSrftype* type);
StatusCode ProSurfaceDataGet(ProSurface surface, ProGeomitemdata** data);
StatusCode ProSurfaceAreaEval(ProSurface surface, double* area);
StatusCode ProSurfaceAppearancepropsGet(ProGeomitem* item, ProSurfaceAppearanceProps* props);
StatusCode ProGeomitemdataFree(ProGeomitemdata** data);

// Whole-part tessellation: a host array of one element per surface.
StatusCode ProPartTessellate(ProPart part, double chord_height, double angle_control, ProBoolean include_quilts,
                             ProSurfaceTessellationData** tessellation);
StatusCode ProPartTessellationFree(ProSurfaceTessellationData** tessellation);

StatusCode ProSurfacetessellationinputAlloc(ProSurfaceTessellationInput* input);
StatusCode ProSurfacetessellationinputFree(ProSurfaceTessellationInput input);
StatusCode ProSurfacetessellationinputChordheightSet(ProSurfaceTessellationInput input, double chord_height);
StatusCode ProSurfacetessellationinputAnglecontrolSet(ProSurfaceTessellationInput input, double angle_control);
StatusCode ProSurfacetessellationinputStepsizeSet(ProSurfaceTessellationInput input, double step_size);
StatusCode ProSurfacetessellationinputUvprojectionSet(ProSurfaceTessellationInput input,
                                                      ProSurfaceTessellationProjection projection,
                                                      ProAppData projection_data);
StatusCode ProSurfaceTessellationGet(ProSurface surface, ProSurfaceTessellationInput input,
                                     ProTessellation* tessellation);
StatusCode ProTessellationFree(ProTessellation tessellation);
// Vertices and facets come as host arrays, released with ProArrayFree.
StatusCode ProTessellationVerticesGet(ProTessellation tessellation, ProVector** vertices);
StatusCode ProTessellationFacetsGet(ProTessellation tessellation, ProTriangle** facets);

StatusCode ProSurfaceContourVisit(ProSurface surface, ProContourVisitAction action, ProContourFilterAction filter,
                                  ProAppData data);
StatusCode ProContourBoundbox3dCompute(ProSurface surface, ProContour contour, ProOutline box);
StatusCode ProContourTraversalGet(ProContour contour, ProContourTraversal* traversal);
StatusCode ProContourEdgeVisit(ProSurface surface, ProContour contour, ProEdgeVisitAction action,
                               ProEdgeFilterAction filter, ProAppData data);
StatusCode ProEdgeTypeGet(ProEdge edge, ProEnttype* type);
StatusCode ProEdgeDataGet(ProEdge edge, ProGeomitemdata** data);

// ---------------------------------------------------------------------------
// Facet sets

StatusCode ProSolidFacetsetVisit(ProSolid solid, ProFacetsetVisitAction action, ProModelitemFilterAction filter,
                                 ProAppData data);
StatusCode ProFacetsetFacetVisit(ProFacetset* facetset, ProFacetVisitAction action, ProModelitemFilterAction filter,
                                 ProAppData data);
// The three vertex handles of a facet, released with ProFacetverticesFree.
StatusCode ProFacetVerticesGet(ProFacet* facet, ProFacetVertex** vertices);
StatusCode ProFacetvertexPointGet(ProFacetVertex* vertex, ProVector point);
StatusCode ProFacetverticesFree(ProFacetVertex* vertices);

// ---------------------------------------------------------------------------
// Commands and dialogs

StatusCode ProUITranslationFilesEnable(void);
StatusCode ProCmdActionAdd(const char* name, ProCmdActionFn action, int priority, ProCmdAccessFn access,
                           ProBoolean allow_in_non_active_window, ProBoolean allow_in_accessory_window,
                           ProCmdId* id);
StatusCode ProCmdDesignate(ProCmdId id, const char* label, const char* help, const char* description,
                           const ProWchar* message_file);
StatusCode ProCmdIconSet(ProCmdId id, const char* icon);

StatusCode ProUIDialogCreate(const char* dialog, const char* resource);
StatusCode ProUIDialogActivate(const char* dialog, int* exit_status);
StatusCode ProUIDialogExit(const char* dialog, int exit_status);
StatusCode ProUIDialogDestroy(const char* dialog);
StatusCode ProUIDialogCloseActionSet(const char* dialog, ProUIAction action, ProAppData data);

StatusCode ProUIPushbuttonActivateActionSet(const char* dialog, const char* component, ProUIAction action,
                                            ProAppData data);
StatusCode ProUIPushbuttonEnable(const char* dialog, const char* component);
StatusCode ProUIPushbuttonDisable(const char* dialog, const char* component);
StatusCode ProUICheckbuttonGetState(const char* dialog, const char* component, ProBoolean* state);

StatusCode ProUIInputpanelInputActionSet(const char* dialog, const char* component, ProUIAction action,
                                         ProAppData data);
StatusCode ProUIInputpanelActivateActionSet(const char* dialog, const char* component, ProUIAction action,
                                            ProAppData data);
StatusCode ProUIInputpanelWidestringSet(const char* dialog, const char* component, const ProWchar* text);
StatusCode ProUIInputpanelValueSet(const char* dialog, const char* component, const ProWchar* text);
// The text is host-allocated and released with ProWstringFree.
StatusCode ProUIInputpanelWidestringGet(const char* dialog, const char* component, ProWchar** text);

// Name lists that the host hands out are released with ProStringarrayFree.
StatusCode ProUITableColumnnamesGet(const char* dialog, const char* table, int* count, char*** names);
StatusCode ProUITableRownamesSet(const char* dialog, const char* table, int count, char** names);
StatusCode ProUITableCellComponentCopy(const char* dialog, const char* table, const char* row, const char* column,
                                       const char* source_dialog, const char* source_component,
                                       const char* new_component);
StatusCode ProUITableCellComponentDelete(const char* dialog, const char* table, const char* row,
                                         const char* column);

StatusCode ProUIOptionmenuNamesGet(const char* dialog, const char* component, int* count, char*** names);
StatusCode ProUIOptionmenuSelectednamesGet(const char* dialog, const char* component, int* count, char*** names);
StatusCode ProUIOptionmenuSelectednamesSet(const char* dialog, const char* component, int count, char** names);
StatusCode ProUIOptionmenuSelectActionSet(const char* dialog, const char* component, ProUIAction action,
                                          ProAppData data);

}  // extern "C"

// ---------------------------------------------------------------------------
// Byte positions that the gateway relies on.

static_assert(sizeof(int) == 4 && sizeof(void*) == 8, "the host is a 64-bit toolkit");
static_assert(sizeof(ProWchar) == 2, "host wide text is UTF-16");
static_assert(offsetof(ProSurfaceAppearanceProps, rgb) == 40, "appearance colour at byte 40");
static_assert(offsetof(ProGeomitemdata, data) == 8, "curve and surface data address at byte 8");
static_assert(offsetof(ProPointCurve, point) == 8, "point at byte 8");
static_assert(offsetof(ProLineCurve, end1) == 8 && offsetof(ProLineCurve, end2) == 32, "line ends at 8 and 32");
static_assert(offsetof(ProArcCurve, origin) == 56, "arc centre at byte 56");
static_assert(offsetof(ProSplineCurve, points) == 16 && offsetof(ProSplineCurve, num_points) == 32,
              "spline points at 16, count at 32");
static_assert(offsetof(ProBsplineCurve, control_points) == 24 && offsetof(ProBsplineCurve, num_control_points) == 36,
              "control points at 24, count at 36");
static_assert(offsetof(ProPolylineCurve, points) == 8 && offsetof(ProPolylineCurve, num_points) == 16,
              "polyline points at 8, count at 16");
static_assert(offsetof(ProSurfacedata, orientation) == 4 && offsetof(ProSurfacedata, shape) == 8,
              "orientation then shape");
static_assert(offsetof(ProSurfaceshapedata, e3) == 48 && offsetof(ProSurfaceshapedata, origin) == 72 &&
                  offsetof(ProSurfaceshapedata, values) == 96,
              "three vectors, origin, then the shape values");
static_assert(sizeof(ProAsmcomppath) == 8 + 4 * PRO_MAX_ASSEM_LEVEL + 4, "owner, 25 ids, count");
