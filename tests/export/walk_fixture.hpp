// Fixture of the tests that run whole exports through the simulated host:
// worlds built in C++ (parts made of generated shapes, assemblies placing
// them), the export run, its messages, and the transfer file read back.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "export/creo_export.hpp"
#include "messages/messages.hpp"
#include <gmock/gmock.h>

#include "messages/status_names.hpp"
#include "sim/builders.hpp"
#include "sim/handles.hpp"
#include "sim/scene.hpp"
#include "sim/shapes.hpp"
#include "sim/text.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_dir.hpp"
#include "support/transfer_file_reader.hpp"

namespace veltrosan::test {

inline constexpr char kCtiName[] = "COMPARATIVE_TRACKING_INDEX";
inline constexpr char16_t kCtiNameWide[] = u"COMPARATIVE_TRACKING_INDEX";

class WalkTest : public testing_support::SimTest {
 public:
  // A part made of one box (six planes of two facets each), owned by
  // feature 2, whose parent is the datum feature 1; no CTI anywhere.
  static sim::Model& boxPart(const std::u16string& name, const std::u16string& unit = u"mm",
                             const sim::Vec& size = {10, 20, 30}) {
    sim::Model& part = sim::addSolidPart(name, sim::boxSurfaces(size, {0, 0, 0}, {1, 2}));
    part.lengthUnit = unit;
    return part;
  }

  static sim::Model& assembly(const std::u16string& name, const std::u16string& unit = u"mm") {
    sim::Model& a = world().addModel(name, PRO_MDL_ASSEMBLY);
    a.lengthUnit = unit;
    return a;
  }

  // Places `child` in `parent` as component `id`; the reference holds until
  // the parent's next feature.
  static sim::Feature& place(sim::Model& parent, sim::Model& child, int id,
                             const sim::Transform& placement = sim::identityTransform()) {
    sim::Feature f;
    f.id = id;
    f.type = PRO_FEAT_COMPONENT;
    f.model = &child;
    f.placement = placement;
    parent.features.push_back(f);
    return parent.features.back();
  }

 protected:
  void SetUp() override {
    SimTest::SetUp();
    setMessageFile();
    model = std::make_unique<TransferModel>();
  }

  void TearDown() override {
    delete currentExport;
    currentExport = nullptr;
    SimTest::TearDown();
  }

  static AttributeRequestList ctiOnly() { return {AttributeRequest{kCtiName, 1}}; }

  StatusCode run(sim::Model& current, const AttributeRequestList& requests = ctiOnly()) {
    world().current = &current;
    return CreoExport::exportModel(model.get(), requests);
  }

  StatusCode runScene(const std::string& path, const AttributeRequestList& requests = ctiOnly()) {
    std::string error;
    if (!sim::loadScene(path, error)) {
      ADD_FAILURE() << error;
      return PRO_TK_GENERAL_ERROR;
    }
    return CreoExport::exportModel(model.get(), requests);
  }

  // Every line the message area has shown, oldest first.
  static std::vector<std::string> shown() {
    std::vector<std::string> out;
    for (const auto& line : world().messages.shown) out.push_back(line.text);
    return out;
  }

  // Writes the model and reads the file back.
  vtq::File written() {
    TempDir dir;
    const std::string path = dir.file("out.vtq");
    EXPECT_EQ(model->write(path), kWriteOk);
    return vtq::readFile(path);
  }

  // The part record of that name; an empty record (and a failure) when the
  // model holds none.
  const PartRecord& part(const std::string& name) const {
    static const PartRecord none = [] {
      PartRecord r;
      r.bodies.emplace_back();
      return r;
    }();
    const auto index = model->partIndex(name);
    if (index < 0) {
      ADD_FAILURE() << "no part " << name;
      return none;
    }
    return model->parts[static_cast<size_t>(index)];
  }

  std::unique_ptr<TransferModel> model;
};

}  // namespace veltrosan::test
