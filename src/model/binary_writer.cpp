#include "model/binary_writer.hpp"

#include <filesystem>
#include <exception>
#include <fstream>

#include "model/platform.hpp"

namespace veltrosan {

static_assert(sizeof(Vec3) == 24, "Vec3 must be three packed doubles for bulk writes");
static_assert(sizeof(Triangle) == 16, "Triangle must be four packed int32 for bulk writes");
static_assert(sizeof(char16_t) == 2, "UTF-16 units must be two bytes");

FileSink::FileSink() = default;

FileSink::~FileSink() {
  if (file_) file_->close();
}

bool pathFromUtf8(const std::string& text, std::filesystem::path& path) {
  // u8path reads the narrow text as UTF-8 on every platform, so a folder with
  // non-ASCII characters opens the same on Windows as on Linux. Where the
  // conversion rejects the text, the file cannot be named at all.
  try {
    path = std::filesystem::u8path(text);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool FileSink::open(const std::string& path) {
  std::filesystem::path file;
  if (!pathFromUtf8(path, file)) return false;
  file_ = std::make_unique<std::filebuf>();
  // The writer buffers on its own; an unbuffered filebuf passes large writes
  // straight through instead of copying them once more.
  file_->pubsetbuf(nullptr, 0);
  if (!file_->open(file, std::ios::out | std::ios::binary | std::ios::trunc)) {
    file_.reset();
    return false;
  }
  return true;
}

bool FileSink::write(const char* data, std::size_t size) {
  if (!file_) return false;
  while (size > 0) {
    // sputn takes a signed count; keep each call well inside it.
    const std::size_t chunk = size < (std::size_t{1} << 30) ? size : (std::size_t{1} << 30);
    const std::streamsize done = file_->sputn(data, static_cast<std::streamsize>(chunk));
    if (done != static_cast<std::streamsize>(chunk)) return false;
    data += chunk;
    size -= chunk;
  }
  return true;
}

bool FileSink::close() {
  if (!file_) return false;
  const bool ok = file_->close() != nullptr;
  file_.reset();
  return ok;
}

BinaryWriter::BinaryWriter(ByteSink& sink) : sink_(sink), buffer_(new char[kBufferSize]) {}

BinaryWriter::~BinaryWriter() = default;

void BinaryWriter::sinkWrite(const char* data, std::size_t size) {
  // After the first failure nothing more reaches the sink.
  if (failed_ || size == 0) return;
  if (!sink_.write(data, size)) failed_ = true;
}

void BinaryWriter::drain() {
  sinkWrite(buffer_.get(), used_);
  used_ = 0;
}

bool BinaryWriter::flush() {
  drain();
  return !failed_;
}

void BinaryWriter::bytes(const void* data, std::size_t size) {
  if (size == 0) return;  // an empty list's data() may be null
  const char* p = static_cast<const char*>(data);
  if (size <= kBufferSize - used_) {
    std::memcpy(buffer_.get() + used_, p, size);
    used_ += size;
  } else if (size < kBufferSize) {
    drain();
    std::memcpy(buffer_.get(), p, size);
    used_ = size;
  } else {
    // Large arrays go to the sink directly from the caller's memory.
    drain();
    sinkWrite(p, size);
  }
}

void BinaryWriter::zeros(std::size_t n) {
  while (n > 0) {
    const std::size_t chunk = n < kBufferSize ? n : kBufferSize;
    std::memset(reserve(chunk), 0, chunk);
    n -= chunk;
  }
}

void BinaryWriter::wideText(const std::u16string& s) {
  count(s.size());
  if constexpr (platform::kLittleEndian) {
    bytes(s.data(), s.size() * sizeof(char16_t));
  } else {
    for (char16_t unit : s) {
      char* p = reserve(2);
      p[0] = static_cast<char>(unit & 0xffu);
      p[1] = static_cast<char>((unit >> 8) & 0xffu);
    }
  }
}

void BinaryWriter::f64s(const double* values, std::size_t n) {
  if constexpr (platform::kLittleEndian) {
    bytes(values, n * sizeof(double));
  } else {
    for (std::size_t i = 0; i < n; ++i) f64(values[i]);
  }
}

void BinaryWriter::i32s(const std::int32_t* values, std::size_t n) {
  if constexpr (platform::kLittleEndian) {
    bytes(values, n * sizeof(std::int32_t));
  } else {
    for (std::size_t i = 0; i < n; ++i) i32(values[i]);
  }
}

void BinaryWriter::vec3s(const std::vector<Vec3>& points) {
  if constexpr (platform::kLittleEndian) {
    bytes(points.data(), points.size() * sizeof(Vec3));
  } else {
    for (const Vec3& p : points) vec3(p);
  }
}

void BinaryWriter::triangles(const std::vector<Triangle>& list) {
  if constexpr (platform::kLittleEndian) {
    bytes(list.data(), list.size() * sizeof(Triangle));
  } else {
    for (const Triangle& t : list) {
      i32(t.a);
      i32(t.b);
      i32(t.c);
      i32(t.surfaceIndex);
    }
  }
}

}  // namespace veltrosan
