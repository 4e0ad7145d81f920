#include "sim/world.hpp"

namespace sim {

Parameter Parameter::integer(std::u16string name, int value) {
  Parameter p;
  p.name = std::move(name);
  p.type = PRO_PARAM_INTEGER;
  p.intValue = value;
  return p;
}

Parameter Parameter::real(std::u16string name, double value) {
  Parameter p;
  p.name = std::move(name);
  p.type = PRO_PARAM_DOUBLE;
  p.doubleValue = value;
  return p;
}

Parameter Parameter::text(std::u16string name, std::u16string value) {
  Parameter p;
  p.name = std::move(name);
  p.type = PRO_PARAM_STRING;
  p.stringValue = std::move(value);
  return p;
}

Parameter Parameter::ofType(std::u16string name, ProParamvalueType type) {
  Parameter p;
  p.name = std::move(name);
  p.type = type;
  return p;
}

Feature* Model::feature(int id) {
  for (auto& f : features)
    if (f.id == id) return &f;
  return nullptr;
}

Surface* Model::surface(int id) {
  for (auto& s : surfaces)
    if (s.id == id) return &s;
  return nullptr;
}

Model& World::addModel(std::u16string name, ProMdlType type) {
  models.push_back(std::make_unique<Model>());
  Model& m = *models.back();
  m.name = std::move(name);
  m.type = type;
  return m;
}

std::string defaultTextDirectory() { return VELTROSAN_SIM_TEXT_DIR; }

namespace {
World*& instance() {
  static World* w = new World();  // never destroyed: the gateway may call in until exit
  return w;
}
}  // namespace

World& world() { return *instance(); }

void reset() {
  delete instance();
  instance() = new World();
}

}  // namespace sim
