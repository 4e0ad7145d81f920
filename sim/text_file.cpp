#include "sim/text_file.hpp"

#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace sim {

bool readTextFile(const std::string& path, std::string& content, std::string& error) {
  try {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) {
      error = path + ": cannot open the file";
      return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
      error = path + ": cannot read the file";
      return false;
    }
    content = buffer.str();
    return true;
  } catch (const std::exception& e) {
    error = path + ": cannot read the file (" + e.what() + ")";
    return false;
  }
}

}  // namespace sim
