// The in-memory model of one export and the writer of its transfer file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/geometry.hpp"
#include "model/records.hpp"

namespace veltrosan {

class BinaryWriter;

// The outcome of writing the transfer file. Callers treat anything but
// kWriteOk as a failed write.
enum WriteResult : int {
  kWriteOk = 0,         // the file was written completely
  kWriteNothing = 1,    // the model holds no instances and no parts; no file is touched
  kWriteFailed = 2,     // the file could not be opened or written; none is left behind
};

class TransferModel {
 public:
  TransferModel() = default;
  ~TransferModel();
  TransferModel(const TransferModel&) = default;
  TransferModel& operator=(const TransferModel&) = default;
  TransferModel(TransferModel&&) = default;
  TransferModel& operator=(TransferModel&&) = default;

  // Empties the parts, instances and assemblies; the three texts stay.
  void clear();

  // Stores the text with every blank turned into "_".
  void setCreator(const std::string& text);
  void setName(const std::string& text) { name = text; }
  void setFolder(const std::string& text) { folder = text; }
  std::string getName() const { return name; }
  std::string getFolder() const { return folder; }

  // Exact, case-sensitive lookups by part name.
  bool hasPart(const std::string& partName) const;
  std::int32_t partIndex(const std::string& partName) const;  // -1 when not held

  // Adds the part unless one of that name is held (then false, model unchanged).
  bool addPart(PartRecord part);

  // 0 appended; -1 no part of that name; -2 an instance of the same part has a
  // matrix within 0.01 in every element. Rejections leave the model unchanged.
  int addInstance(const std::string& partName, const std::string& label, const Matrix4& matrix, const Rgb& rgb);

  // Writes folder + "/" + name + ".vtq".
  WriteResult exportFile();
  // Writes the whole model to the path (UTF-8). A model without instances but
  // with parts first gets a default instance of the first part, which stays.
  WriteResult write(const std::string& path);
  // Writes one part block with its bodies.
  void writePart(const PartRecord& part, BinaryWriter& out) const;

  std::map<std::string, std::int32_t> partIndexByName;
  std::vector<InstanceRecord> instances;
  std::vector<PartRecord> parts;
  std::vector<AssemblyRecord> assemblies;
  std::string name;     // model name; the chosen file name when written
  std::string creator;  // producing host and release, blanks as "_"
  std::string folder;   // output folder
};

}  // namespace veltrosan
