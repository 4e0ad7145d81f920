#include "sim/handles.hpp"

#include <algorithm>

namespace sim {

ProMdl handle(Model& model) { return reinterpret_cast<ProMdl>(&model); }
ProSurface handle(Surface& surface) { return reinterpret_cast<ProSurface>(&surface); }
ProContour handle(Contour& contour) { return reinterpret_cast<ProContour>(&contour); }
ProEdge handle(Edge& edge) { return reinterpret_cast<ProEdge>(&edge); }

Model* findModel(const void* p) {
  if (p == nullptr) return nullptr;
  for (auto& m : world().models) {
    if (m.get() == p) return m.get();
  }
  return nullptr;
}

Surface* findSurface(const void* p, Model** owner) {
  if (p == nullptr) return nullptr;
  for (auto& m : world().models) {
    for (auto& s : m->surfaces) {
      if (&s == p) {
        if (owner != nullptr) *owner = m.get();
        return &s;
      }
    }
  }
  return nullptr;
}

Contour* findContour(const void* p, Surface** surface) {
  if (p == nullptr) return nullptr;
  for (auto& m : world().models) {
    for (auto& s : m->surfaces) {
      for (auto& c : s.contours) {
        if (&c == p) {
          if (surface != nullptr) *surface = &s;
          return &c;
        }
      }
    }
  }
  return nullptr;
}

Edge* findEdge(const void* p) {
  if (p == nullptr) return nullptr;
  for (auto& m : world().models) {
    for (auto& s : m->surfaces) {
      for (auto& c : s.contours) {
        for (auto& e : c.edges) {
          if (&e == p) return &e;
        }
      }
    }
  }
  return nullptr;
}

bool holdsContour(const Surface& surface, const Contour& contour) {
  return std::any_of(surface.contours.begin(), surface.contours.end(),
                     [&](const Contour& c) { return &c == &contour; });
}

namespace {

ProType modelItemType(const Model& model) {
  switch (model.type) {
    case PRO_MDL_ASSEMBLY: return PRO_TYPE_ASSEMBLY;
    case PRO_MDL_PART: return PRO_TYPE_PART;
    default: return PRO_TYPE_UNUSED;
  }
}

}  // namespace

ProModelitem modelItem(Model& model) { return ProModelitem{modelItemType(model), -1, handle(model)}; }

ProModelitem featureItem(Model& owner, const Feature& feature) {
  return ProModelitem{PRO_TYPE_FEATURE, feature.id, handle(owner)};
}

ProModelitem surfaceItem(Model& owner, const Surface& surface) {
  return ProModelitem{PRO_TYPE_SURFACE, surface.id, handle(owner)};
}

Model* itemOwner(const ProModelitem* item) { return item == nullptr ? nullptr : findModel(item->owner); }

Model* modelOfItem(const ProModelitem* item) {
  Model* owner = itemOwner(item);
  if (owner == nullptr || item->type != modelItemType(*owner) || item->id != -1) return nullptr;
  return owner;
}

Feature* featureOfItem(const ProModelitem* item) {
  Model* owner = itemOwner(item);
  if (owner == nullptr || item->type != PRO_TYPE_FEATURE) return nullptr;
  return owner->feature(item->id);
}

Surface* surfaceOfItem(const ProModelitem* item) {
  Model* owner = itemOwner(item);
  if (owner == nullptr || item->type != PRO_TYPE_SURFACE) return nullptr;
  return owner->surface(item->id);
}

FacetSet* facetSetOfItem(const ProModelitem* item) {
  Model* owner = itemOwner(item);
  if (owner == nullptr || item->type != PRO_TYPE_FACETSET) return nullptr;
  for (auto& f : owner->facetSets) {
    if (f.id == item->id) return &f;
  }
  return nullptr;
}

std::vector<Parameter>* parametersOfItem(const ProModelitem* item) {
  if (Model* m = modelOfItem(item)) return &m->parameters;
  if (Feature* f = featureOfItem(item)) return &f->parameters;
  if (Surface* s = surfaceOfItem(item)) return &s->parameters;
  return nullptr;
}

void copyWide(ProWchar* target, int capacity, const std::u16string& text) {
  const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), target);
  target[n] = 0;
}

std::string itemArg(const ProModelitem* item) {
  if (item == nullptr) return "null";
  return std::to_string(item->type) + ":" + std::to_string(item->id);
}

}  // namespace sim
