// The transfer-file writer with its output made replaceable, so that tests can
// stand a failing medium in for the file.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "model/binary_writer.hpp"
#include "model/transfer_model.hpp"

namespace veltrosan::detail {

// Opens the output for a path; null when it cannot be opened.
using SinkOpener = std::function<std::unique_ptr<ByteSink>(const std::string& path)>;

// Opens a FileSink on the path.
std::unique_ptr<ByteSink> openFileSink(const std::string& path);

// What TransferModel::write does, with the output opened through `open`.
// When a write or the close fails the result is kWriteFailed and the partial
// file at the path is removed.
WriteResult writeTransferFile(TransferModel& model, const std::string& path, const SinkOpener& open);

}  // namespace veltrosan::detail
