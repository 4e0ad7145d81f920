// The scene loader on any text. It either loads a world that keeps the
// invariants scene files promise, or refuses the text with a message that
// names its origin and leaves every part of the world it would replace as
// it was. A text that loads loads the same again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fuzz_support.hpp"
#include "sim/scene.hpp"
#include "sim/text.hpp"
#include "sim/world.hpp"

namespace {

using veltrosan::fuzz::failCheck;

// Everything the loader replaces, written out field by field, with models
// and components by position in the world's list; reading it touches every
// object the world holds, so a dangling pointer shows.
class Description {
 public:
  explicit Description(const sim::World& w) {
    for (std::size_t i = 0; i < w.models.size(); ++i) position_[w.models[i].get()] = i;
    for (const auto& m : w.models) model(*m);
    out_ += "current " + reference(w.current) + "\ndirectory ";
    units(w.currentDirectory);
    out_ += "\nrelease " + std::to_string(w.releaseNumber) + " status " + std::to_string(w.releaseStatus) + "\n";
  }

  const std::string& text() const { return out_; }

 private:
  std::string reference(const sim::Model* m) {
    if (m == nullptr) return "none";
    const auto it = position_.find(m);
    FUZZ_CHECK(it != position_.end(), "a model pointer outside the world's models");
    return "#" + std::to_string(it->second);
  }
  void units(const std::u16string& s) {
    for (char16_t c : s) out_ += std::to_string(static_cast<unsigned>(c)) + ",";
  }
  void number(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    out_ += std::to_string(b) + " ";
  }
  void vec(const sim::Vec& v) {
    for (double d : v) number(d);
  }
  void parameters(const std::vector<sim::Parameter>& list) {
    for (const sim::Parameter& p : list) {
      out_ += "  param ";
      units(p.name);
      out_ += " type " + std::to_string(p.type) + " int " + std::to_string(p.intValue) + " real ";
      number(p.doubleValue);
      units(p.stringValue);
      out_ += "\n";
    }
  }
  void model(const sim::Model& m) {
    out_ += "model ";
    units(m.name);
    out_ += " type " + std::to_string(m.type) + " units " + std::to_string(m.hasUnitSystem) +
            std::to_string(m.hasLengthUnit) + std::to_string(m.lengthUnit.has_value()) + " ";
    if (m.lengthUnit) units(*m.lengthUnit);
    out_ += " fails " + std::to_string(m.wholeTessellationFails) + "\n";
    parameters(m.parameters);
    for (const sim::Feature& f : m.features) {
      out_ += " feature " + std::to_string(f.id) + " type " + std::to_string(f.type) + " parents";
      for (int p : f.parents) out_ += " " + std::to_string(p);
      out_ += " flags " + std::to_string(f.hidden) + std::to_string(f.visible) + std::to_string(f.shown) +
              std::to_string(f.unplaced) + std::to_string(f.bulk) + std::to_string(f.placementReadable) +
              " model " + reference(f.model) + " placement ";
      for (double d : f.placement) number(d);
      if (f.color) vec(*f.color);
      out_ += "\n";
      parameters(f.parameters);
    }
    for (const sim::Surface& s : m.surfaces) {
      out_ += " surface " + std::to_string(s.id) + " " + std::to_string(s.hasGeomitem) + " " +
              std::to_string(s.type) + " " + std::to_string(s.orientation) + " ";
      vec(s.e1);
      vec(s.e2);
      vec(s.e3);
      vec(s.origin);
      number(s.values[0]);
      number(s.values[1]);
      if (s.color) vec(*s.color);
      number(s.area);
      out_ += std::to_string(s.areaStatus) + " feature " + std::to_string(s.featureId) + "\n";
      parameters(s.parameters);
      if (s.mesh) {
        out_ += "  mesh ";
        for (const sim::Vec& v : s.mesh->vertices) vec(v);
        for (const auto& f : s.mesh->facets) {
          out_ += std::to_string(f[0]) + "," + std::to_string(f[1]) + "," + std::to_string(f[2]) + " ";
        }
        out_ += "\n";
      }
      for (const sim::Contour& c : s.contours) {
        out_ += "  contour " + std::to_string(c.traversal) + " ";
        vec(c.boxMin);
        vec(c.boxMax);
        for (const sim::Edge& e : c.edges) {
          out_ += " edge " + std::to_string(e.curveType) + " " +
                  (e.countOverride ? std::to_string(*e.countOverride) : std::string("-")) + " ";
          for (const sim::Vec& p : e.points) vec(p);
        }
        out_ += "\n";
      }
    }
    for (const sim::FacetSet& fs : m.facetSets) {
      out_ += " facets " + std::to_string(fs.id) + " feature " + std::to_string(fs.featureId) + " ";
      for (const auto& facet : fs.facets) {
        for (const sim::Vec& p : facet) vec(p);
      }
      out_ += "\n";
    }
  }

  std::map<const sim::Model*, std::size_t> position_;
  std::string out_;
};

// The world's parts that a load replaces, by identity and by content.
struct Snapshot {
  std::vector<const sim::Model*> models;
  const sim::Model* current;
  std::string content;

  explicit Snapshot(const sim::World& w) : current(w.current), content(Description(w).text()) {
    for (const auto& m : w.models) models.push_back(m.get());
  }
  bool operator==(const Snapshot& o) const {
    return models == o.models && current == o.current && content == o.content;
  }
};

// A small world unlike any default, so that a refused load that touched it
// shows.
void setUpWorld() {
  sim::reset();
  sim::World& w = sim::world();
  sim::Model& part = w.addModel(u"KEPT_PART", PRO_MDL_PART);
  part.parameters.push_back(sim::Parameter::integer(u"KEEP", 7));
  part.features.push_back(sim::Feature{});
  part.features.back().id = 3;
  sim::Surface surface;
  surface.id = 5;
  surface.featureId = 3;
  surface.mesh = sim::Mesh{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}};
  part.surfaces.push_back(surface);
  sim::Model& assembly = w.addModel(u"KEPT_ASM", PRO_MDL_ASSEMBLY);
  sim::Feature component;
  component.id = 1;
  component.type = PRO_FEAT_COMPONENT;
  component.model = &part;
  assembly.features.push_back(component);
  w.current = &assembly;
  w.currentDirectory = u"D:\\kept\\";
  w.releaseNumber = 11;
  w.releaseStatus = PRO_TK_NO_ERROR;
}

std::string nameOf(const std::u16string& s) { return sim::utf8(s); }

// What scene files promise of a loaded world (sim/scene.hpp, sim/world.hpp).
void checkLoadedWorld(const sim::World& w) {
  std::set<std::u16string> names;
  std::set<const sim::Model*> models;
  for (const auto& m : w.models) {
    FUZZ_CHECK(!m->name.empty() && m->name.size() < PRO_NAME_SIZE, "model name '" + nameOf(m->name) + "'");
    FUZZ_CHECK(names.insert(m->name).second, "two models named '" + nameOf(m->name) + "'");
    models.insert(m.get());
  }
  FUZZ_CHECK(w.current == nullptr || models.count(w.current) != 0, "current model outside the world");
  FUZZ_CHECK(w.currentDirectory.size() < PRO_PATH_SIZE, "directory too long");

  auto checkParameters = [](const std::vector<sim::Parameter>& list, const std::string& where) {
    for (const sim::Parameter& p : list) {
      FUZZ_CHECK(!p.name.empty() && p.name.size() < PRO_NAME_SIZE, where + ": parameter name '" + nameOf(p.name) + "'");
      FUZZ_CHECK(p.stringValue.size() < PRO_LINE_SIZE, where + ": parameter value too long");
    }
  };
  for (const auto& m : w.models) {
    const std::string where = "model '" + nameOf(m->name) + "'";
    checkParameters(m->parameters, where);
    std::set<int> features;
    for (const sim::Feature& f : m->features) {
      FUZZ_CHECK(features.insert(f.id).second, where + ": two features " + std::to_string(f.id));
      FUZZ_CHECK(f.model == nullptr || models.count(f.model) != 0, where + ": component outside the world");
      FUZZ_CHECK(f.model == nullptr || f.type == PRO_FEAT_COMPONENT, where + ": a model on a feature that is no component");
      checkParameters(f.parameters, where);
    }
    auto known = [&](int id) { return features.count(id) != 0; };
    for (const sim::Feature& f : m->features) {
      for (int p : f.parents) FUZZ_CHECK(known(p), where + ": parent " + std::to_string(p) + " is no feature");
    }
    std::set<int> surfaces;
    for (const sim::Surface& s : m->surfaces) {
      FUZZ_CHECK(surfaces.insert(s.id).second, where + ": two surfaces " + std::to_string(s.id));
      FUZZ_CHECK(s.featureId == 0 || known(s.featureId), where + ": surface of no feature");
      checkParameters(s.parameters, where);
      if (!s.mesh) continue;
      for (const auto& facet : s.mesh->facets) {
        for (int corner : facet) {
          FUZZ_CHECK(corner >= 0 && static_cast<std::size_t>(corner) < s.mesh->vertices.size(),
                     where + ": facet corner " + std::to_string(corner) + " outside the mesh");
        }
      }
    }
    std::set<int> facetSets;
    for (const sim::FacetSet& fs : m->facetSets) {
      FUZZ_CHECK(facetSets.insert(fs.id).second, where + ": two facet sets " + std::to_string(fs.id));
      FUZZ_CHECK(fs.featureId == 0 || known(fs.featureId), where + ": facet set of no feature");
    }
  }

  // No model contains itself through its components.
  std::map<const sim::Model*, int> state;  // 1 on the current chain, 2 done
  std::function<void(const sim::Model*)> visit = [&](const sim::Model* m) {
    int& s = state[m];
    FUZZ_CHECK(s != 1, "model '" + nameOf(m->name) + "' contains itself");
    if (s == 2) return;
    s = 1;
    for (const sim::Feature& f : m->features) {
      if (f.model != nullptr) visit(f.model);
    }
    state[m] = 2;
  };
  for (const auto& m : w.models) visit(m.get());
}

// Whether the text's shapes come to more facets than the fuzzer can afford.
// The loader allows 4096 segments a direction, and one torus of 4096 by 4096
// (33 million facets) outgrows the fuzzer's memory limit on its own; such a
// text tells nothing that the same shapes at a smaller size do not.
bool asksForHugeShapes(const std::string& text) {
  if (text.find("segments") == std::string::npos) return false;
  const nlohmann::json root = nlohmann::json::parse(text, nullptr, false);
  if (root.is_discarded()) return false;
  double facets = 0;
  auto count = [](const nlohmann::json& j) { return j.is_number() ? std::fabs(j.get<double>()) : 0.0; };
  std::function<void(const nlohmann::json&, int)> walk = [&](const nlohmann::json& j, int depth) {
    if (depth > 32) return;  // far deeper than any scene
    if (j.is_array()) {
      for (const auto& e : j) walk(e, depth + 1);
      return;
    }
    if (!j.is_object()) return;
    for (auto it = j.begin(); it != j.end(); ++it) {
      const nlohmann::json& shape = it.value();
      const auto segments = shape.is_object() ? shape.find("segments") : shape.end();
      if (shape.is_object() && segments != shape.end()) {
        const nlohmann::json& n = *segments;
        if (it.key() == "sphere") facets += 4 * count(n) * count(n);
        if (it.key() == "cylinder") facets += 4 * count(n);
        if (it.key() == "torus" && n.is_array() && n.size() == 2) facets += 2 * count(n[0]) * count(n[1]);
      }
      walk(shape, depth + 1);
    }
  };
  walk(root, 0);
  return facets > 250000;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (asksForHugeShapes(text)) return -1;  // not kept in the corpus either
  const std::string origin = "fuzz.json";
  setUpWorld();
  const Snapshot before(sim::world());

  std::string error = "left over";
  if (!sim::loadSceneText(text, origin, error)) {
    FUZZ_CHECK(error.size() > origin.size() + 2 && error.compare(0, origin.size() + 2, origin + ": ") == 0,
               "error without its origin: '" + error + "'");
    FUZZ_CHECK(Snapshot(sim::world()) == before, "a refused scene changed the world: " + error);
    return 0;
  }
  FUZZ_CHECK(error.empty(), "a loaded scene with an error: " + error);
  checkLoadedWorld(sim::world());

  // Loading the same text again, over what it loaded, gives the same world.
  const std::string loaded = Description(sim::world()).text();
  const bool again = sim::loadSceneText(text, origin, error);
  FUZZ_CHECK(again, "a scene that loaded once is refused the second time: " + error);
  FUZZ_CHECK(Description(sim::world()).text() == loaded, "the same scene loaded twice gives two worlds");
  return 0;
}
