#include "model/transfer_model.hpp"

#include <cmath>
#include <utility>

namespace veltrosan {

namespace {
// Placements closer than this in every element are the same occurrence.
constexpr double kDuplicateTolerance = 0.01;
}  // namespace

TransferModel::~TransferModel() { clear(); }

void TransferModel::clear() {
  partIndexByName.clear();
  instances.clear();
  parts.clear();
  assemblies.clear();
}

void TransferModel::setCreator(const std::string& text) {
  creator = text;
  for (char& ch : creator) {
    if (ch == ' ') ch = '_';
  }
}

bool TransferModel::hasPart(const std::string& partName) const { return partIndexByName.count(partName) != 0; }

std::int32_t TransferModel::partIndex(const std::string& partName) const {
  const auto it = partIndexByName.find(partName);
  return it == partIndexByName.end() ? -1 : it->second;
}

bool TransferModel::addPart(PartRecord part) {
  if (hasPart(part.name)) return false;
  partIndexByName.emplace(part.name, static_cast<std::int32_t>(parts.size()));
  parts.push_back(std::move(part));
  return true;
}

int TransferModel::addInstance(const std::string& partName, const std::string& label, const Matrix4& matrix,
                               const Rgb& rgb) {
  const std::int32_t index = partIndex(partName);
  if (index == -1) return -1;
  for (const InstanceRecord& stored : instances) {
    if (stored.partIndex != index) continue;
    bool same = true;
    for (std::size_t i = 0; i < 16 && same; ++i) {
      same = std::fabs(matrix[i] - stored.matrix[i]) <= kDuplicateTolerance;
    }
    if (same) return -2;
  }
  instances.emplace_back(index, partName, label, matrix, rgb);
  return 0;
}

}  // namespace veltrosan
