// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace veltrosan::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory as UTF-8 text, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whether anything exists at the UTF-8 path.
bool exists(const std::string& path);
// Creates the directory at the UTF-8 path (and its parents).
void makeDirectory(const std::string& path);
// Writes the bytes to the UTF-8 path, replacing what was there.
void writeBytes(const std::string& path, const std::string& bytes);

}  // namespace veltrosan::test
