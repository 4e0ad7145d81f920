// The simulated host's world: everything the CAD host would hold that the
// gateway asks about. Tests (and the demo, through scene files) set it up as
// plain data, then drive the gateway, which reaches it only through the
// toolkit functions of src/host. One world per process, because the toolkit
// functions take no context; sim::reset() starts a fresh one.
//
// Handles the gateway receives point into this world (a ProMdl is a Model*,
// a ProSurface a Surface*, a ProContour a Contour*, a ProEdge an Edge*), so
// the world must not be changed while the gateway runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/toolkit.h"
#include "sim/core.hpp"

namespace sim {

using Vec = std::array<double, 3>;
using Rgb = std::array<double, 3>;
// A 4x4 transform as the host gives it: rows one after another, points as
// row vectors, translation in the bottom row (elements 12, 13, 14).
using Transform = std::array<double, 16>;

constexpr Transform identityTransform() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

// ---------------------------------------------------------------------------
// Parameters

struct Parameter {
  std::u16string name;
  ProParamvalueType type = PRO_PARAM_INTEGER;  // 50 double, 51 string, 52 integer, or any other code
  double doubleValue = 0;
  int intValue = 0;
  std::u16string stringValue;

  static Parameter integer(std::u16string name, int value);
  static Parameter real(std::u16string name, double value);
  static Parameter text(std::u16string name, std::u16string value);
  static Parameter ofType(std::u16string name, ProParamvalueType type);
};

// ---------------------------------------------------------------------------
// Geometry

struct Model;

// An edge and the points of its curve data. Where they go in the curve data
// depends on the curve type: 1, 10, 30 one point; 2 the two ends; 3 the
// arc's centre (points[0]); 12, 19, 40 the whole point array. Other types
// carry no points.
struct Edge {
  ProEnttype curveType = 2;
  std::vector<Vec> points;
  std::optional<int> countOverride;  // the count the curve data states, when it is not points.size()
};

struct Contour {
  ProContourTraversal traversal = 1;
  Vec boxMin{};
  Vec boxMax{};
  std::vector<Edge> edges;
};

// A tessellation of one surface, in the part's own length unit.
struct Mesh {
  std::vector<Vec> vertices;
  std::vector<std::array<int, 3>> facets;
};

struct Surface {
  int id = 0;
  bool hasGeomitem = true;  // false: ProSurfaceToGeomitem fails
  ProSrftype type = PRO_SRF_PLANE;
  int orientation = 1;  // 1, -1, or 0 for none
  Vec e1{1, 0, 0};
  Vec e2{0, 1, 0};
  Vec e3{0, 0, 1};
  Vec origin{};
  std::array<double, 2> values{};  // radius, cone value, or a torus's two radii
  std::optional<Rgb> color;        // none: ProSurfaceAppearancepropsGet answers PRO_TK_NOT_EXIST
  double area = 0;
  StatusCode areaStatus = PRO_TK_NO_ERROR;  // non-zero: ProSurfaceAreaEval answers it and leaves the area alone
  int featureId = 0;                        // owning feature; 0: ProGeomitemFeatureGet answers PRO_TK_E_NOT_FOUND
  std::vector<Parameter> parameters;
  std::optional<Mesh> mesh;  // none: the host cannot tessellate it
  std::vector<Contour> contours;
};

struct FacetSet {
  int id = 0;
  int featureId = 0;  // owning feature
  std::vector<std::array<Vec, 3>> facets;
};

// ---------------------------------------------------------------------------
// Features and models

// Model items, as the sim hands them out and reads them back (sim/handles.hpp):
// - a model's own item is {PRO_TYPE_PART or PRO_TYPE_ASSEMBLY (PRO_TYPE_UNUSED
//   for any other model type), -1, the model};
// - a feature, a component included, is {PRO_TYPE_FEATURE, its id, the model
//   that holds it};
// - a surface's geometry item is {PRO_TYPE_SURFACE, its id, the model that
//   holds it}; surface ids are unique within a model (sim/builders.hpp hands
//   out the next free one).
// A feature without parents answers ProFeatureParentsGet with
// PRO_TK_E_NOT_FOUND and hands out no array; a geometry item whose featureId
// names no feature of its model answers ProGeomitemFeatureGet likewise.

struct Feature {
  int id = 0;
  ProFeattype type = 0;  // PRO_FEAT_COMPONENT for a component
  std::vector<int> parents;  // in host order
  std::vector<Parameter> parameters;
  bool hidden = false;   // ProModelitemIsHidden
  bool visible = true;   // ProFeatureVisibilityGet

  // Components only.
  Model* model = nullptr;  // null: ProAsmcompMdlGet answers PRO_TK_E_NOT_FOUND
  bool shown = true;       // ProAsmcompVisibilityGet of a path that ends here
  bool unplaced = false;
  bool bulk = false;
  bool placementReadable = true;  // false: ProAsmcomppathTrfGet fails for paths through it
  Transform placement = identityTransform();  // in the owning assembly, in its unit
  std::optional<Rgb> color;  // the occurrence's visible appearance; none: PRO_TK_NOT_EXIST
};

struct Model {
  std::u16string name;
  ProMdlType type = PRO_MDL_PART;

  // Units: the principal unit system's length unit and its expression.
  bool hasUnitSystem = true;   // false: ProMdlPrincipalunitsystemGet answers PRO_TK_GENERAL_ERROR
  bool hasLengthUnit = true;   // false: ProUnitsystemUnitGet answers PRO_TK_E_NOT_FOUND
  std::optional<std::u16string> lengthUnit = u"mm";  // none: ProUnitExpressionGet answers PRO_TK_E_NOT_FOUND

  std::vector<Parameter> parameters;  // of the model item
  std::vector<Feature> features;      // in host order
  std::vector<Surface> surfaces;      // in host order
  std::vector<FacetSet> facetSets;    // in host order
  // ProPartTessellate answers PRO_TK_GENERAL_ERROR when this is set, or when
  // any surface has no mesh.
  bool wholeTessellationFails = false;

  Feature* feature(int id);
  Surface* surface(int id);
};

// The settings a per-surface tessellation was made with, one entry per
// ProSurfaceTessellationGet that the host answered, in call order.
struct SurfaceTessellationRequest {
  const Surface* surface = nullptr;
  double chordHeight = 0;
  double angleControl = 0;
  double stepSize = 0;
  int projection = 0;
  bool projectionData = false;  // whether data came with the projection type
};

// ---------------------------------------------------------------------------
// The user interface seen by the host: the message area and message dialogs.

struct MessageLine {
  std::string key;
  std::vector<std::string> args;
  std::string text;  // the key's format from the message file with the arguments put in
  // Where in the call log the ProMessageDisplay that showed it stands, so
  // that a test can tell which calls a line came after.
  std::size_t call = 0;
};

struct MessageDialog {
  int type = 0;
  std::u16string title;
  std::u16string text;
  std::vector<int> buttons;
  int defaultButton = 0;
  const void* buttonArray = nullptr;  // the host array the buttons were read from
  int answer = 0;                     // the button the dialog was closed with
};

struct MessageArea {
  std::vector<MessageLine> shown;  // every line shown, in order
  std::vector<MessageLine> current;  // what the area holds now: the lines since the last clear
  int clears = 0;
  std::vector<MessageDialog> dialogs;
  std::optional<int> answer;  // the button the user closes dialogs with; none: the default button
  // Every translation handed out by ProMessageWstringbufferAlloc, in order,
  // released or not: lets a test release what a failed free left behind.
  std::vector<const ProWchar*> translations;
};

// ---------------------------------------------------------------------------
// The operating system, off Windows: the registry and process start (see
// sim/win32.cpp). On Windows the gateway calls the real ones, and this part
// of the world stays unused.

struct RegistryValue {
  uint32_t type = 1;  // REG_SZ
  std::vector<unsigned char> data;  // as stored: UTF-16LE for strings
};

struct RegistryKey {
  std::map<std::u16string, RegistryValue> values;  // by name, folded to upper case
  // false: opening it with any right to change it is denied. Keys under
  // HKEY_LOCAL_MACHINE start so, as a user's process finds the machine's keys.
  bool writable = true;
};

struct StartedProcess {
  std::string commandLine;
  uint32_t startupInfoSize = 0;
  uint32_t creationFlags = 0;
  bool inheritHandles = false;
  bool applicationNameGiven = false;
  bool environmentGiven = false;
  bool directoryGiven = false;
  // The fields of the STARTUPINFOA other than cb, and of the
  // PROCESS_INFORMATION, that were not zero when the call came, by name.
  std::vector<std::string> startupInfoFieldsSet;
  std::vector<std::string> processInformationFieldsSet;
};

struct OperatingSystem {
  // Keys by their full path: the root ("HKEY_CURRENT_USER" or
  // "HKEY_LOCAL_MACHINE"), a backslash and the subkey, folded to upper case
  // as Windows compares them.
  std::map<std::u16string, RegistryKey> keys;
  bool processesStart = true;  // false: CreateProcessA fails
  std::vector<StartedProcess> processes;
  // Runs at every CreateProcessA, before the start succeeds or fails, with
  // the command line: lets a test change the world at that moment.
  std::function<void(const std::string& commandLine)> onStart;

  // Open key handles (full path, the access rights granted at the open)
  // and open process and thread handles, by handle value; tests expect both
  // empty at the end.
  struct OpenKey {
    std::u16string path;
    uint32_t access = 0;
  };
  std::map<uintptr_t, OpenKey> openKeys;
  std::map<uintptr_t, std::string> openHandles;
  // Keys and handles given to a RegCloseKey or CloseHandle made to fail:
  // they stay open, and they are the only ones that may.
  std::set<uintptr_t> keysKeptByFailedClose;
  std::set<uintptr_t> handlesKeptByFailedClose;
  uintptr_t nextHandle = 0x1000;

  // Makes the key when it is missing. `path` is the full path as above.
  RegistryKey& key(const std::u16string& path);
  const RegistryKey* findKey(const std::u16string& path) const;
  // A string value as UTF-16LE, with its terminating NUL unit when `terminated`.
  void setString(const std::u16string& path, const std::u16string& name, const std::u16string& value,
                 bool terminated = true, uint32_t type = 1);
  void setValue(const std::u16string& path, const std::u16string& name, uint32_t type,
                std::vector<unsigned char> data);
  const RegistryValue* value(const std::u16string& path, const std::u16string& name) const;
};

// ---------------------------------------------------------------------------
// Commands and dialogs (sim/ui.cpp; helpers for tests in sim/ui.hpp)

// A command added with ProCmdActionAdd, as the host keeps it.
struct Command {
  ProCmdId id = 0;
  std::string name;
  ProCmdActionFn action = nullptr;
  int priority = 0;
  ProCmdAccessFn access = nullptr;
  ProBoolean allowInNonActiveWindow = 0;
  ProBoolean allowInAccessoryWindow = 0;
  // ProCmdDesignate: the keys, the message file and the texts found there.
  bool designated = false;
  std::string labelKey, helpKey, descriptionKey;
  std::u16string messageFile;
  std::string label, help, description;
  std::string icon;  // ProCmdIconSet's file name; empty: no icon
};

// An action bound to a component or to a dialog, with its data.
struct UIBinding {
  ProUIAction action = nullptr;
  ProAppData data = nullptr;
};

enum class ComponentKind { InputPanel, PushButton, CheckButton, OptionMenu, Table };

// One component of a dialog; only the members of its kind are used.
struct Component {
  std::string name;
  ComponentKind kind = ComponentKind::PushButton;
  std::string label;  // the text the resource shows with it
  std::u16string text;                        // input panel
  bool enabled = true;                        // push button
  bool checked = false;                       // check button
  // Check button: a state the host reports in place of 0 or 1 (a host may
  // hand out any ProBoolean value); none: it reports `checked`.
  std::optional<int> reportedState;
  std::vector<std::string> items, selected;   // option menu: item names, selected names
  std::vector<std::string> columns, rows;     // table: column names, row names
  // Table: the component in each cell that has one, by (row, column).
  std::map<std::pair<std::string, std::string>, std::string> cells;
  UIBinding activate;  // push button, input panel
  UIBinding input;     // input panel
  UIBinding select;    // option menu
};

struct Dialog {
  std::string name;
  std::string resource;
  std::string title;
  std::map<std::string, Component> components;  // by name, cell components included
  UIBinding close;
  bool running = false;     // inside ProUIDialogActivate
  bool exitCalled = false;  // ProUIDialogExit was called during the present run
  int exitStatus = 0;
};

// One thing the user does while a dialog runs modally. Steps apply to the
// dialog whose ProUIDialogActivate plays them.
struct UserStep {
  enum class Kind {
    Type,    // types `text` into the input panel: sets it, then its input action
    Enter,   // presses Enter in the input panel: its activate action
    Press,   // presses the push button: its activate action, when enabled
    Check,   // sets (`checked`) or clears the check button
    Select,  // selects `items` in the option menu: sets them, then its select action
    Close,   // closes the dialog's window: its close action
    Run,     // runs `check`, a test's own look at the world inside the run
  };
  Kind kind = Kind::Press;
  std::string component;
  std::u16string text;
  bool checked = false;
  std::vector<std::string> items;
  std::function<void()> check;
};

struct UserInterface {
  // The resource folder, once ProUITranslationFilesEnable has registered it.
  std::optional<std::string> resourceDirectory;
  std::vector<Command> commands;
  ProCmdId nextCommandId = 1;
  std::map<std::string, Dialog> dialogs;  // by dialog name
  std::deque<UserStep> script;            // the user's next steps, played by ProUIDialogActivate
  // Steps the user could not carry out (no such component, not of that
  // kind, no such item), described; a well-made scenario leaves it empty.
  std::vector<std::string> missedSteps;
  std::string resourceError;  // why the last resource could not be read
};

// ---------------------------------------------------------------------------
// The world

// The installation's text folder in this source tree (install/text).
std::string defaultTextDirectory();

struct World {
  std::vector<std::unique_ptr<Model>> models;
  Model* current = nullptr;  // null: ProMdlCurrentGet answers PRO_TK_BAD_CONTEXT
  std::u16string currentDirectory = u"C:\\work\\";
  int releaseNumber = 3;
  StatusCode releaseStatus = PRO_TK_NO_ERROR;

  // The application's text directory, where the host finds the message file
  // (and, in its resource folder, the dialog resource and the icon).
  std::string textDirectory = defaultTextDirectory();
  MessageArea messages;
  std::vector<SurfaceTessellationRequest> surfaceTessellations;
  OperatingSystem os;
  UserInterface ui;

  CallLog log;
  Ledger ledger;
  Faults faults;

  Model& addModel(std::u16string name, ProMdlType type);
};

World& world();
void reset();

}  // namespace sim
