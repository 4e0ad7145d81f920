// A buffered little-endian writer over a byte sink. Fields are encoded one by
// one into a 64 KiB buffer that goes to the sink in large writes; arrays of
// doubles and int32 go out in bulk where the host's layout matches the file's.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "model/geometry.hpp"
#include "model/platform.hpp"

namespace veltrosan {

// Where written bytes go. Both calls report failure through their result.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all bytes, or returns false.
  virtual bool write(const char* data, std::size_t size) = 0;
  // Finishes the output; false when that fails (a failing close loses data).
  virtual bool close() = 0;
};

// Makes a path of UTF-8 text; false when the text cannot name a file here.
bool pathFromUtf8(const std::string& text, std::filesystem::path& path);

// A sink over a file, opened for raw bytes, created or emptied.
class FileSink final : public ByteSink {
 public:
  FileSink();
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  // The path is UTF-8 text.
  bool open(const std::string& path);
  bool write(const char* data, std::size_t size) override;
  bool close() override;

 private:
  std::unique_ptr<std::filebuf> file_;
};

class BinaryWriter {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  // A fixed-size run of fields encoded into the buffer after one bounds
  // check; the run must be filled exactly.
  class Run {
   public:
    Run& u8(std::uint8_t value) {
      *p_++ = static_cast<char>(value);
      return *this;
    }
    Run& i32(std::int32_t value) {
      store32(p_, static_cast<std::uint32_t>(value));
      p_ += 4;
      return *this;
    }
    Run& f64(double value) {
      std::uint64_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      store64(p_, bits);
      p_ += 8;
      return *this;
    }
    Run& vec3(const Vec3& v) { return f64(v.x).f64(v.y).f64(v.z); }
    Run& rgb(const Rgb& colour) { return f64(colour[0]).f64(colour[1]).f64(colour[2]); }
    Run& zeros(std::size_t n) {
      std::memset(p_, 0, n);
      p_ += n;
      return *this;
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    ~Run() { assert(p_ == end_ && "run not filled exactly"); }

   private:
    friend class BinaryWriter;
    Run(char* start, std::size_t size) : p_(start), end_(start + size) {}
    char* p_;
    char* end_;
  };

  explicit BinaryWriter(ByteSink& sink);
  BinaryWriter(const BinaryWriter&) = delete;
  BinaryWriter& operator=(const BinaryWriter&) = delete;
  ~BinaryWriter();

  // A run of `size` bytes (at most kBufferSize) to be filled field by field.
  Run run(std::size_t size) { return Run(reserve(size), size); }

  void u8(std::uint8_t value) { *reserve(1) = static_cast<char>(value); }
  void i32(std::int32_t value) { store32(reserve(4), static_cast<std::uint32_t>(value)); }
  void f64(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    store64(reserve(8), bits);
  }
  // A count as int32; a count the format cannot hold fails the write, since
  // a wrapped count would make the rest of the file unreadable.
  void count(std::size_t n) { i32(checkedCount(n)); }
  std::int32_t checkedCount(std::size_t n) {
    if (n > 0x7fffffffu) {
      failed_ = true;
      return 0;
    }
    return static_cast<std::int32_t>(n);
  }
  void vec3(const Vec3& v) { run(24).vec3(v); }
  void rgb(const Rgb& colour) { run(24).rgb(colour); }
  void zeros(std::size_t n);
  // Raw bytes, unchanged.
  void bytes(const void* data, std::size_t size);

  // Narrow text: byte count, then the bytes.
  void text(const std::string& s) {
    count(s.size());
    bytes(s.data(), s.size());
  }
  // Wide text: count of UTF-16 units, then UTF-16LE.
  void wideText(const std::u16string& s);

  void f64s(const double* values, std::size_t n);
  void i32s(const std::int32_t* values, std::size_t n);
  void vec3s(const std::vector<Vec3>& points);
  void triangles(const std::vector<Triangle>& list);

  // Hands everything buffered to the sink; false once any write has failed.
  bool flush();
  bool failed() const { return failed_; }

 private:
  char* reserve(std::size_t n) {
    if (kBufferSize - used_ < n) drain();
    char* p = buffer_.get() + used_;
    used_ += n;
    return p;
  }
  static void store32(char* p, std::uint32_t v) {
    if constexpr (platform::kLittleEndian) {
      std::memcpy(p, &v, 4);
    } else {
      for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xffu);
    }
  }
  static void store64(char* p, std::uint64_t v) {
    if constexpr (platform::kLittleEndian) {
      std::memcpy(p, &v, 8);
    } else {
      for (int i = 0; i < 8; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xffu);
    }
  }
  void drain();
  void sinkWrite(const char* data, std::size_t size);

  ByteSink& sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace veltrosan
