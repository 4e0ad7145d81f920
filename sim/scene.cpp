#include "sim/scene.hpp"

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/shapes.hpp"
#include "sim/text.hpp"
#include "sim/text_file.hpp"
#include "sim/world.hpp"

namespace sim {
namespace {

// Keeps the file's order of keys, which is the host's order of parameters.
using Json = nlohmann::ordered_json;

// A fault in the scene: where (a JSON pointer) and what. Thrown inside the
// loader only and turned into its error text at the loader's boundary.
struct Fault {
  std::string where;
  std::string what;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) { throw Fault{where, what}; }

std::string child(const std::string& path, const std::string& key) {
  std::string escaped;
  for (char c : key) {
    if (c == '~') escaped += "~0";
    else if (c == '/') escaped += "~1";
    else escaped += c;
  }
  return path + "/" + escaped;
}

std::string child(const std::string& path, size_t index) { return path + "/" + std::to_string(index); }

const char* kindOf(const Json& j) {
  switch (j.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "an array";
    case Json::value_t::string: return "a string";
    case Json::value_t::boolean: return "true or false";
    case Json::value_t::binary: return "binary data";
    case Json::value_t::discarded: return "nothing";
    default: return "a number";
  }
}

[[noreturn]] void wrongType(const Json& j, const std::string& path, const char* expected) {
  fail(path, std::string("expected ") + expected + ", found " + kindOf(j));
}

// An object whose keys are all among `allowed`.
const Json& object(const Json& j, const std::string& path, std::initializer_list<const char*> allowed) {
  if (!j.is_object()) wrongType(j, path, "an object");
  for (auto it = j.begin(); it != j.end(); ++it) {
    bool known = false;
    for (const char* name : allowed) known = known || it.key() == name;
    if (!known) fail(child(path, it.key()), "unknown field '" + it.key() + "'");
  }
  return j;
}

const Json& array(const Json& j, const std::string& path) {
  if (!j.is_array()) wrongType(j, path, "an array");
  return j;
}

double number(const Json& j, const std::string& path) {
  if (!j.is_number()) wrongType(j, path, "a number");
  return j.get<double>();
}

double positive(const Json& j, const std::string& path) {
  const double v = number(j, path);
  if (!(v > 0)) fail(path, "expected a number above 0");
  return v;
}

int integer(const Json& j, const std::string& path) {
  if (!j.is_number_integer()) wrongType(j, path, "an integer");
  if (j.is_number_unsigned()) {
    if (j.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
      fail(path, "integer out of range");
    return static_cast<int>(j.get<std::uint64_t>());
  }
  const auto v = j.get<std::int64_t>();
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) fail(path, "integer out of range");
  return static_cast<int>(v);
}

bool boolean(const Json& j, const std::string& path) {
  if (!j.is_boolean()) wrongType(j, path, "true or false");
  return j.get<bool>();
}

std::string text(const Json& j, const std::string& path) {
  if (!j.is_string()) wrongType(j, path, "a string");
  return j.get<std::string>();
}

// A host name: at most 31 UTF-16 units.
std::u16string hostName(const Json& j, const std::string& path) {
  const std::u16string name = utf16(text(j, path));
  if (name.empty()) fail(path, "a name cannot be empty");
  if (name.size() >= PRO_NAME_SIZE) fail(path, "a name holds at most 31 characters");
  return name;
}

Vec vec3(const Json& j, const std::string& path) {
  if (!j.is_array() || j.size() != 3) fail(path, std::string("expected three numbers, found ") + kindOf(j));
  return {number(j[0], child(path, 0)), number(j[1], child(path, 1)), number(j[2], child(path, 2))};
}

const Json* find(const Json& j, const char* key) {
  auto it = j.find(key);
  return it == j.end() ? nullptr : &*it;
}

template <typename T, typename F>
T optional(const Json& j, const std::string& path, const char* key, T fallback, F read) {
  const Json* v = find(j, key);
  return v == nullptr ? fallback : read(*v, child(path, key));
}

std::vector<Parameter> parameters(const Json& j, const std::string& path) {
  if (!j.is_object()) wrongType(j, path, "an object of parameter names and values");
  std::vector<Parameter> out;
  for (auto it = j.begin(); it != j.end(); ++it) {
    const std::string at = child(path, it.key());
    const std::u16string name = hostName(Json(it.key()), at);
    const Json& v = it.value();
    if (v.is_number_integer()) out.push_back(Parameter::integer(name, integer(v, at)));
    else if (v.is_number()) out.push_back(Parameter::real(name, v.get<double>()));
    else if (v.is_string()) {
      const std::u16string value = utf16(v.get<std::string>());
      if (value.size() >= PRO_LINE_SIZE) fail(at, "a string value holds at most 80 characters");
      out.push_back(Parameter::text(name, value));
    } else if (v.is_boolean()) out.push_back(Parameter::ofType(name, PRO_PARAM_BOOLEAN));
    else wrongType(v, at, "an integer, a number, a string or true/false");
  }
  return out;
}

Rgb colour(const Json& j, const std::string& path) { return vec3(j, path); }

ProMdlType modelType(const Json& j, const std::string& path) {
  if (j.is_string()) {
    const std::string t = j.get<std::string>();
    if (t == "part") return PRO_MDL_PART;
    if (t == "assembly") return PRO_MDL_ASSEMBLY;
    if (t == "drawing") return PRO_MDL_DRAWING;
    fail(path, "unknown model type '" + t + "' (part, assembly, drawing or a host code)");
  }
  return integer(j, path);
}

ProSrftype surfaceType(const Json& j, const std::string& path) {
  if (j.is_string()) {
    const std::string t = j.get<std::string>();
    if (t == "plane") return PRO_SRF_PLANE;
    if (t == "cylinder") return PRO_SRF_CYL;
    if (t == "cone") return PRO_SRF_CONE;
    if (t == "torus") return PRO_SRF_TORUS;
    fail(path, "unknown surface type '" + t + "' (plane, cylinder, cone, torus or a host code)");
  }
  return integer(j, path);
}

Transform placement(const Json& feature, const std::string& path) {
  const Json* matrix = find(feature, "matrix");
  const Json* offset = find(feature, "translation");
  const Json* turn = find(feature, "rotation");
  if (matrix != nullptr) {
    if (offset != nullptr || turn != nullptr)
      fail(child(path, "matrix"), "give either \"matrix\" or \"translation\"/\"rotation\", not both");
    const std::string at = child(path, "matrix");
    if (!matrix->is_array() || matrix->size() != 16)
      fail(at, std::string("expected 16 numbers, found ") + kindOf(*matrix));
    Transform t{};
    for (size_t i = 0; i < 16; ++i) t[i] = number((*matrix)[i], child(at, i));
    return t;
  }
  const Vec move = offset != nullptr ? vec3(*offset, child(path, "translation")) : Vec{0, 0, 0};
  if (turn == nullptr) return translation(move);
  const std::string at = child(path, "rotation");
  object(*turn, at, {"axis", "degrees"});
  if (find(*turn, "axis") == nullptr || find(*turn, "degrees") == nullptr)
    fail(at, "a rotation needs \"axis\" and \"degrees\"");
  const Vec axis = vec3((*turn)["axis"], child(at, "axis"));
  if (axis[0] == 0 && axis[1] == 0 && axis[2] == 0) fail(child(at, "axis"), "the axis cannot be zero");
  return rotation(axis, number((*turn)["degrees"], child(at, "degrees")), move);
}

Mesh mesh(const Json& j, const std::string& path) {
  object(j, path, {"vertices", "facets"});
  Mesh m;
  if (const Json* v = find(j, "vertices")) {
    const std::string at = child(path, "vertices");
    for (size_t i = 0; i < array(*v, at).size(); ++i) m.vertices.push_back(vec3((*v)[i], child(at, i)));
  }
  if (const Json* f = find(j, "facets")) {
    const std::string at = child(path, "facets");
    for (size_t i = 0; i < array(*f, at).size(); ++i) {
      const std::string fat = child(at, i);
      const Json& facet = (*f)[i];
      if (!facet.is_array() || facet.size() != 3) fail(fat, "expected three vertex indices");
      std::array<int, 3> corners{};
      for (size_t k = 0; k < 3; ++k) {
        corners[k] = integer(facet[k], child(fat, k));
        if (corners[k] < 0 || corners[k] >= static_cast<int>(m.vertices.size()))
          fail(child(fat, k), "no vertex " + std::to_string(corners[k]) + " in this mesh");
      }
      m.facets.push_back(corners);
    }
  }
  return m;
}

Edge edge(const Json& j, const std::string& path) {
  object(j, path, {"type", "points", "count"});
  Edge e;
  e.curveType = optional(j, path, "type", 2, integer);
  if (const Json* p = find(j, "points")) {
    const std::string at = child(path, "points");
    for (size_t i = 0; i < array(*p, at).size(); ++i) e.points.push_back(vec3((*p)[i], child(at, i)));
  }
  if (const Json* c = find(j, "count")) e.countOverride = integer(*c, child(path, "count"));
  return e;
}

Contour contour(const Json& j, const std::string& path) {
  object(j, path, {"traversal", "min", "max", "edges"});
  Contour c;
  c.traversal = optional(j, path, "traversal", 1, integer);
  c.boxMin = optional(j, path, "min", Vec{0, 0, 0}, vec3);
  c.boxMax = optional(j, path, "max", Vec{0, 0, 0}, vec3);
  if (const Json* e = find(j, "edges")) {
    const std::string at = child(path, "edges");
    for (size_t i = 0; i < array(*e, at).size(); ++i) c.edges.push_back(edge((*e)[i], child(at, i)));
  }
  return c;
}

// Builds one model's content once every model exists, so that components can
// name models defined later in the file.
class ModelReader {
 public:
  ModelReader(Model& model, const std::map<std::string, Model*>& byName) : model_(model), byName_(byName) {}

  void read(const Json& j, const std::string& path) {
    if (const Json* f = find(j, "features")) readFeatures(*f, child(path, "features"));
    // Explicit surface ids first, so that generated ones avoid them.
    const Json* explicitSurfaces = find(j, "surfaces");
    if (explicitSurfaces != nullptr) {
      const std::string at = child(path, "surfaces");
      array(*explicitSurfaces, at);
      for (size_t i = 0; i < explicitSurfaces->size(); ++i) {
        const Json& s = (*explicitSurfaces)[i];
        if (s.is_object() && s.contains("id")) {
          const int id = integer(s["id"], child(child(at, i), "id"));
          if (!usedSurfaceIds_.insert(id).second) fail(child(child(at, i), "id"), "duplicate surface id " + std::to_string(id));
        }
      }
    }
    if (const Json* g = find(j, "geometry")) {
      const std::string at = child(path, "geometry");
      for (size_t i = 0; i < array(*g, at).size(); ++i) readGenerator((*g)[i], child(at, i));
    }
    if (explicitSurfaces != nullptr) {
      const std::string at = child(path, "surfaces");
      for (size_t i = 0; i < explicitSurfaces->size(); ++i) readSurface((*explicitSurfaces)[i], child(at, i));
    }
    if (const Json* fs = find(j, "facetSets")) {
      const std::string at = child(path, "facetSets");
      for (size_t i = 0; i < array(*fs, at).size(); ++i) readFacetSet((*fs)[i], child(at, i));
    }
    for (const auto& [where, id] : featureRefs_)
      if (model_.feature(id) == nullptr) fail(where, "no feature " + std::to_string(id) + " in this model");
  }

 private:
  int featureRef(const Json& j, const std::string& path) {
    const int id = integer(j, path);
    featureRefs_.emplace_back(path, id);
    return id;
  }

  void readFeatures(const Json& list, const std::string& path) {
    std::int64_t next = 1;
    for (size_t i = 0; i < array(list, path).size(); ++i) {
      const std::string at = child(path, i);
      const Json& j = object(list[i], at,
                             {"id", "type", "parents", "parameters", "hidden", "visible", "component", "translation",
                              "rotation", "matrix", "shown", "unplaced", "bulk", "placementReadable", "color"});
      Feature f;
      f.id = idOrNext(j, at, next);
      if (model_.feature(f.id) != nullptr) fail(child(at, "id"), "duplicate feature id " + std::to_string(f.id));
      next = std::int64_t{f.id} + 1;
      const Json* component = find(j, "component");
      f.type = optional(j, at, "type", component != nullptr ? static_cast<int>(PRO_FEAT_COMPONENT) : 0, integerOrComponent);
      if (const Json* p = find(j, "parents")) {
        const std::string pat = child(at, "parents");
        for (size_t k = 0; k < array(*p, pat).size(); ++k) f.parents.push_back(featureRef((*p)[k], child(pat, k)));
      }
      f.parameters = optional(j, at, "parameters", std::vector<Parameter>{}, parameters);
      f.hidden = optional(j, at, "hidden", false, boolean);
      f.visible = optional(j, at, "visible", true, boolean);
      const bool isComponent = f.type == PRO_FEAT_COMPONENT;
      for (const char* key : {"component", "translation", "rotation", "matrix", "shown", "unplaced", "bulk",
                              "placementReadable", "color"}) {
        if (!isComponent && find(j, key) != nullptr) fail(child(at, key), std::string("only a component has \"") + key + "\"");
      }
      if (isComponent) {
        if (component != nullptr && !component->is_null()) {
          const std::string name = text(*component, child(at, "component"));
          auto it = byName_.find(name);
          if (it == byName_.end()) fail(child(at, "component"), "no model named '" + name + "'");
          f.model = it->second;
        }
        f.placement = placement(j, at);
        f.shown = optional(j, at, "shown", true, boolean);
        f.unplaced = optional(j, at, "unplaced", false, boolean);
        f.bulk = optional(j, at, "bulk", false, boolean);
        f.placementReadable = optional(j, at, "placementReadable", true, boolean);
        if (const Json* c = find(j, "color")) f.color = colour(*c, child(at, "color"));
      }
      model_.features.push_back(std::move(f));
    }
  }

  // The entry's "id", else one above the previous entry's. Above the largest
  // int there is none to give: such an entry has to name its own.
  static int idOrNext(const Json& j, const std::string& path, std::int64_t next) {
    if (const Json* id = find(j, "id")) return integer(*id, child(path, "id"));
    if (next > std::numeric_limits<int>::max())
      fail(path, "no id above " + std::to_string(std::numeric_limits<int>::max()) + " is left to give; give \"id\"");
    return static_cast<int>(next);
  }

  static int integerOrComponent(const Json& j, const std::string& path) {
    if (j.is_string()) {
      if (j.get<std::string>() == "component") return PRO_FEAT_COMPONENT;
      fail(path, "unknown feature type '" + j.get<std::string>() + "' (component or a host code)");
    }
    return integer(j, path);
  }

  int nextSurfaceId() {
    while (usedSurfaceIds_.count(nextSurfaceId_) != 0) ++nextSurfaceId_;
    usedSurfaceIds_.insert(nextSurfaceId_);
    return nextSurfaceId_;
  }

  // The surfaces of the one generator key the object holds, or false when it holds none.
  bool generate(const Json& j, const std::string& path, int featureId, std::vector<Surface>& out) {
    const ShapeIds ids{0, featureId};
    if (const Json* g = find(j, "box")) {
      const std::string at = child(path, "box");
      object(*g, at, {"size", "center"});
      if (find(*g, "size") == nullptr) fail(at, "a box needs \"size\"");
      const Vec size = vec3((*g)["size"], child(at, "size"));
      for (size_t k = 0; k < 3; ++k)
        if (!(size[k] > 0)) fail(child(child(at, "size"), k), "expected a number above 0");
      out = boxSurfaces(size, optional(*g, at, "center", Vec{0, 0, 0}, vec3), ids);
    } else if (const Json* c = find(j, "cylinder")) {
      const std::string at = child(path, "cylinder");
      object(*c, at, {"radius", "height", "segments", "base"});
      if (find(*c, "radius") == nullptr || find(*c, "height") == nullptr)
        fail(at, "a cylinder needs \"radius\" and \"height\"");
      out = cylinderSurfaces(positive((*c)["radius"], child(at, "radius")), positive((*c)["height"], child(at, "height")),
                             segments(*c, at, 24), optional(*c, at, "base", Vec{0, 0, 0}, vec3), ids);
    } else if (const Json* t = find(j, "torus")) {
      const std::string at = child(path, "torus");
      object(*t, at, {"major", "minor", "segments", "center"});
      if (find(*t, "major") == nullptr || find(*t, "minor") == nullptr)
        fail(at, "a torus needs \"major\" and \"minor\"");
      int around = 24, tube = 12;
      if (const Json* s = find(*t, "segments")) {
        const std::string sat = child(at, "segments");
        if (!s->is_array() || s->size() != 2) fail(sat, "expected two integers: around and tube segments");
        around = segmentCount((*s)[0], child(sat, 0));
        tube = segmentCount((*s)[1], child(sat, 1));
      }
      out = torusSurfaces(positive((*t)["major"], child(at, "major")), positive((*t)["minor"], child(at, "minor")),
                          around, tube, optional(*t, at, "center", Vec{0, 0, 0}, vec3), ids);
    } else if (const Json* s = find(j, "sphere")) {
      const std::string at = child(path, "sphere");
      object(*s, at, {"radius", "segments", "center"});
      if (find(*s, "radius") == nullptr) fail(at, "a sphere needs \"radius\"");
      out = sphereSurfaces(positive((*s)["radius"], child(at, "radius")), segments(*s, at, 12),
                           optional(*s, at, "center", Vec{0, 0, 0}, vec3), ids);
    } else {
      return false;
    }
    int keys = 0;
    for (const char* key : {"box", "cylinder", "torus", "sphere"}) keys += find(j, key) != nullptr ? 1 : 0;
    if (keys > 1) fail(path, "give one shape (box, cylinder, torus or sphere) per entry");
    return true;
  }

  static int segmentCount(const Json& j, const std::string& path) {
    const int n = integer(j, path);
    if (n < 3 || n > 4096) fail(path, "expected from 3 to 4096 segments");
    return n;
  }

  static int segments(const Json& j, const std::string& path, int fallback) {
    const Json* s = find(j, "segments");
    return s == nullptr ? fallback : segmentCount(*s, child(path, "segments"));
  }

  void readGenerator(const Json& j, const std::string& path) {
    object(j, path, {"box", "cylinder", "torus", "sphere", "feature", "parameters", "color", "fail"});
    const int featureId = optional(j, path, "feature", 0, [this](const Json& v, const std::string& p) {
      return featureRef(v, p);
    });
    std::vector<Surface> made;
    if (!generate(j, path, featureId, made)) fail(path, "expected one shape: box, cylinder, torus or sphere");
    const auto params = optional(j, path, "parameters", std::vector<Parameter>{}, parameters);
    std::optional<Rgb> rgb;
    if (const Json* c = find(j, "color")) rgb = colour(*c, child(path, "color"));
    if (const Json* f = find(j, "fail")) {
      const std::string at = child(path, "fail");
      if (f->is_boolean()) {
        if (f->get<bool>())
          for (auto& s : made) s.mesh.reset();
      } else if (f->is_array()) {
        for (size_t i = 0; i < f->size(); ++i) {
          const int k = integer((*f)[i], child(at, i));
          if (k < 0 || k >= static_cast<int>(made.size()))
            fail(child(at, i), "this shape has surfaces 0 to " + std::to_string(made.size() - 1));
          made[static_cast<size_t>(k)].mesh.reset();
        }
      } else {
        wrongType(*f, at, "true/false or a list of surface positions");
      }
    }
    for (auto& s : made) {
      s.id = nextSurfaceId();
      s.parameters = params;
      s.color = rgb;
      model_.surfaces.push_back(std::move(s));
    }
  }

  void readSurface(const Json& j, const std::string& path) {
    object(j, path, {"id", "type", "orientation", "e1", "e2", "e3", "origin", "values", "color", "area", "areaStatus",
                     "feature", "geomitem", "parameters", "mesh", "contours"});
    Surface s;
    s.id = j.contains("id") ? integer(j["id"], child(path, "id")) : nextSurfaceId();
    s.type = optional(j, path, "type", static_cast<int>(PRO_SRF_PLANE), surfaceType);
    s.orientation = optional(j, path, "orientation", 1, integer);
    s.e1 = optional(j, path, "e1", s.e1, vec3);
    s.e2 = optional(j, path, "e2", s.e2, vec3);
    s.e3 = optional(j, path, "e3", s.e3, vec3);
    s.origin = optional(j, path, "origin", s.origin, vec3);
    if (const Json* v = find(j, "values")) {
      const std::string at = child(path, "values");
      if (!v->is_array() || v->size() > 2) fail(at, "expected up to two numbers");
      for (size_t k = 0; k < v->size(); ++k) s.values[k] = number((*v)[k], child(at, k));
    }
    if (const Json* c = find(j, "color")) s.color = colour(*c, child(path, "color"));
    s.area = optional(j, path, "area", 0.0, number);
    s.areaStatus = optional(j, path, "areaStatus", 0, integer);
    if (const Json* f = find(j, "feature")) s.featureId = featureRef(*f, child(path, "feature"));
    s.hasGeomitem = optional(j, path, "geomitem", true, boolean);
    s.parameters = optional(j, path, "parameters", std::vector<Parameter>{}, parameters);
    if (const Json* m = find(j, "mesh")) s.mesh = mesh(*m, child(path, "mesh"));
    if (const Json* c = find(j, "contours")) {
      const std::string at = child(path, "contours");
      for (size_t i = 0; i < array(*c, at).size(); ++i) s.contours.push_back(contour((*c)[i], child(at, i)));
    }
    model_.surfaces.push_back(std::move(s));
  }

  void readFacetSet(const Json& j, const std::string& path) {
    object(j, path, {"id", "feature", "facets", "box", "cylinder", "torus", "sphere"});
    FacetSet fs;
    fs.id = idOrNext(j, path, nextFacetSetId_);
    for (const auto& other : model_.facetSets)
      if (other.id == fs.id) fail(child(path, "id"), "duplicate facet set id " + std::to_string(fs.id));
    nextFacetSetId_ = std::int64_t{fs.id} + 1;
    if (const Json* f = find(j, "feature")) fs.featureId = featureRef(*f, child(path, "feature"));
    std::vector<Surface> shape;
    const bool generated = generate(j, path, 0, shape);
    const Json* facets = find(j, "facets");
    if (generated == (facets != nullptr)) fail(path, "give either \"facets\" or one shape (box, cylinder, torus or sphere)");
    if (generated) {
      fs.facets = facetsOf(shape);
    } else {
      const std::string at = child(path, "facets");
      for (size_t i = 0; i < array(*facets, at).size(); ++i) {
        const std::string fat = child(at, i);
        const Json& facet = (*facets)[i];
        if (!facet.is_array() || facet.size() != 3) fail(fat, "expected three corner points");
        fs.facets.push_back({vec3(facet[0], child(fat, 0)), vec3(facet[1], child(fat, 1)), vec3(facet[2], child(fat, 2))});
      }
    }
    model_.facetSets.push_back(std::move(fs));
  }

  Model& model_;
  const std::map<std::string, Model*>& byName_;
  std::set<int> usedSurfaceIds_;
  int nextSurfaceId_ = 1;
  std::int64_t nextFacetSetId_ = 1;
  std::vector<std::pair<std::string, int>> featureRefs_;
};

// A model that contains itself through its components would make the walk endless.
void checkCycles(const std::vector<std::unique_ptr<Model>>& models, const std::vector<std::string>& paths) {
  std::map<const Model*, int> state;  // 1 on the current chain, 2 done
  std::function<bool(const Model*)> visit = [&](const Model* m) {
    int& s = state[m];
    if (s == 1) return false;
    if (s == 2) return true;
    s = 1;
    for (const auto& f : m->features)
      if (f.model != nullptr && !visit(f.model)) return false;
    state[m] = 2;
    return true;
  };
  for (size_t i = 0; i < models.size(); ++i)
    if (!visit(models[i].get())) fail(paths[i], "model '" + utf8(models[i]->name) + "' contains itself through its components");
}

// Refuses objects that name a field twice, which a JSON reader would
// otherwise settle silently by keeping one of them.
struct DuplicateKeys {
  std::vector<std::set<std::string>> open;
  std::vector<std::string> keys;  // the key being read at each open object
  std::string found;

  bool operator()(int, Json::parse_event_t event, Json& parsed) {
    using E = Json::parse_event_t;
    if (event == E::object_start) {
      open.emplace_back();
      keys.emplace_back();
    } else if (event == E::object_end && !open.empty()) {
      open.pop_back();
      keys.pop_back();
    } else if (event == E::key && !open.empty()) {
      const std::string key = parsed.get<std::string>();
      if (!open.back().insert(key).second && found.empty()) {
        std::string where;
        for (size_t i = 0; i + 1 < keys.size(); ++i) where += "/" + keys[i];
        found = "duplicate field '" + key + "'" + (where.empty() ? "" : " inside " + where);
      }
      keys.back() = key;
    }
    return true;
  }
};

void load(const std::string& content, World& target) {
  DuplicateKeys duplicates;
  Json root;
  try {
    root = Json::parse(content, std::ref(duplicates));
  } catch (const nlohmann::json::parse_error& e) {
    fail("", std::string("malformed JSON: ") + e.what());
  }
  if (!duplicates.found.empty()) fail("", duplicates.found);
  object(root, "", {"current", "directory", "release", "models"});

  std::vector<std::unique_ptr<Model>> models;
  std::map<std::string, Model*> byName;
  std::vector<std::string> paths;
  const Json* list = find(root, "models");
  if (list != nullptr) {
    array(*list, "/models");
    for (size_t i = 0; i < list->size(); ++i) {
      const std::string at = child("/models", i);
      const Json& j = object((*list)[i], at,
                             {"name", "type", "unit", "lengthUnit", "unitSystem", "parameters", "features", "geometry",
                              "surfaces", "facetSets", "wholeTessellationFails"});
      if (find(j, "name") == nullptr) fail(at, "a model needs \"name\"");
      auto m = std::make_unique<Model>();
      m->name = hostName(j["name"], child(at, "name"));
      const std::string name = utf8(m->name);
      if (!byName.emplace(name, m.get()).second) fail(child(at, "name"), "duplicate model name '" + name + "'");
      paths.push_back(at);
      models.push_back(std::move(m));
    }
    for (size_t i = 0; i < list->size(); ++i) {
      const std::string& at = paths[i];
      const Json& j = (*list)[i];
      Model& m = *models[i];
      m.type = optional(j, at, "type", static_cast<int>(PRO_MDL_PART), modelType);
      if (const Json* u = find(j, "unit")) {
        if (u->is_null()) m.lengthUnit.reset();
        else m.lengthUnit = utf16(text(*u, child(at, "unit")));
      }
      m.hasLengthUnit = optional(j, at, "lengthUnit", true, boolean);
      m.hasUnitSystem = optional(j, at, "unitSystem", true, boolean);
      m.parameters = optional(j, at, "parameters", std::vector<Parameter>{}, parameters);
      m.wholeTessellationFails = optional(j, at, "wholeTessellationFails", false, boolean);
      ModelReader(m, byName).read(j, at);
    }
    checkCycles(models, paths);
  }

  Model* current = nullptr;
  if (const Json* c = find(root, "current"); c != nullptr && !c->is_null()) {
    const std::string name = text(*c, "/current");
    auto it = byName.find(name);
    if (it == byName.end()) fail("/current", "no model named '" + name + "'");
    current = it->second;
  }
  std::u16string directory = target.currentDirectory;
  if (const Json* d = find(root, "directory")) directory = utf16(text(*d, "/directory"));
  if (directory.size() >= PRO_PATH_SIZE) fail("/directory", "a directory holds at most 259 characters");
  int release = target.releaseNumber;
  StatusCode releaseStatus = PRO_TK_NO_ERROR;
  if (const Json* r = find(root, "release")) {
    if (r->is_null()) releaseStatus = PRO_TK_GENERAL_ERROR;
    else release = integer(*r, "/release");
  }

  // Everything checked: only now does the world change.
  target.models = std::move(models);
  target.current = current;
  target.currentDirectory = directory;
  target.releaseNumber = release;
  target.releaseStatus = releaseStatus;
}

}  // namespace

bool loadSceneText(const std::string& text, const std::string& origin, std::string& error) {
  error.clear();
  try {
    load(text, world());
    return true;
  } catch (const Fault& f) {
    error = origin + ": " + (f.where.empty() ? "" : f.where + ": ") + f.what;
  } catch (const std::exception& e) {
    error = origin + ": " + e.what();
  } catch (...) {
    error = origin + ": the scene could not be read";
  }
  return false;
}

bool loadScene(const std::string& path, std::string& error) {
  std::string content;
  if (!readTextFile(path, content, error)) return false;
  return loadSceneText(content, path, error);
}

}  // namespace sim
