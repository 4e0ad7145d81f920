#include "bench_support.hpp"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

// Every allocation of the binary goes through here and is counted, so that a
// benchmark can read the heap's high-water mark around one call.
namespace {

constexpr std::size_t kHeader = 16;  // keeps the caller's block aligned
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* countedAlloc(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) return nullptr;
  *static_cast<std::size_t*>(block) = size;
  const std::size_t live = gLive.fetch_add(size) + size;
  std::size_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void countedFree(void* p) {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  gLive.fetch_sub(*static_cast<std::size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
  void* p = countedAlloc(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }

namespace veltrosan::bench {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

HeapPeak::HeapPeak() : start_(gLive.load()) { gPeak.store(start_); }

std::size_t HeapPeak::peak() const { return gPeak.load() - start_; }

TriangleSoup sphereSoup(std::size_t triangles, double radius, int surfaces) {
  // 2 * rings * segments triangles less the collapsed ones at the poles.
  const int rings = static_cast<int>(std::lround(std::sqrt(static_cast<double>(triangles) / 4.0)));
  const int segments = 2 * rings;
  std::vector<Vec3> grid;
  grid.reserve(static_cast<std::size_t>((rings + 1) * segments));
  for (int i = 0; i <= rings; ++i) {
    const double theta = kPi * i / rings;
    for (int j = 0; j < segments; ++j) {
      const double phi = 2 * kPi * j / segments;
      if (i == 0 || i == rings) {
        grid.emplace_back(0.0, 0.0, i == 0 ? radius : -radius);
      } else {
        grid.emplace_back(radius * std::sin(theta) * std::cos(phi), radius * std::sin(theta) * std::sin(phi),
                          radius * std::cos(theta));
      }
    }
  }
  auto at = [&](int i, int j) -> const Vec3& { return grid[static_cast<std::size_t>(i * segments + j % segments)]; };
  TriangleSoup soup;
  soup.points.reserve(3 * static_cast<std::size_t>(2 * rings * segments));
  soup.triangles.reserve(static_cast<std::size_t>(2 * rings * segments));
  for (int i = 0; i < rings; ++i) {
    const std::int32_t surface = i * surfaces / rings;
    for (int j = 0; j < segments; ++j) {
      soup.addTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1), surface);
      soup.addTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1), surface);
    }
  }
  return soup;
}

TriangleSoup gridSoup(std::size_t triangles, int surfaces) {
  const int n = static_cast<int>(std::lround(std::sqrt(static_cast<double>(triangles) / 2.0)));
  const int side = static_cast<int>(std::lround(std::sqrt(static_cast<double>(surfaces))));
  std::vector<Vec3> grid;
  grid.reserve(static_cast<std::size_t>((n + 1) * (n + 1)));
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j <= n; ++j) {
      const double x = 200.0 * i / n - 100.0;
      const double y = 200.0 * j / n - 100.0;
      grid.emplace_back(x, y, 5.0 * std::sin(x / 20.0) * std::cos(y / 30.0));
    }
  }
  auto at = [&](int i, int j) -> const Vec3& { return grid[static_cast<std::size_t>(i * (n + 1) + j)]; };
  TriangleSoup soup;
  soup.points.reserve(6 * static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  soup.triangles.reserve(2 * static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const std::int32_t surface = (i * side / n) * side + j * side / n;
      soup.addTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1), surface);
      soup.addTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1), surface);
    }
  }
  return soup;
}

BodyRecord bodyWithSurfaces(int surfaces) {
  static constexpr std::int32_t kCti[] = {-1, 100, 175, 250, 400, 600, 0};
  BodyRecord body;
  for (int i = 0; i < surfaces; ++i) {
    SurfaceRecord s;
    s.index = i;
    s.cti = kCti[i % 7];
    s.shapeClass = 6;
    body.surfaces.push_back(s);
  }
  return body;
}

std::size_t soupBytes(const TriangleSoup& soup) {
  return soup.points.size() * sizeof(Vec3) + soup.triangles.size() * sizeof(Triangle);
}

TransferModel modelOf(const TriangleSoup& soup) {
  TransferModel model;
  model.setCreator("Host Application 3.0");
  model.setName("bench");
  PartRecord part;
  part.name = "sphere";
  part.cti = 250;
  part.groups["Default"] = {0};
  part.parameters = {{u"MATERIAL", u"PA66-GF30"}};
  BodyRecord body = bodyWithSurfaces(64);
  weldMesh(soup, body);
  part.bodies.push_back(std::move(body));
  model.addPart(std::move(part));
  model.addInstance("sphere", "Default", Matrix4::identity(), Rgb{0.5, 0.5, 0.5});
  return model;
}

std::string outputFolder() {
  if (const char* dir = std::getenv("VELTROSAN_BENCH_DIR")) return dir;
  return std::filesystem::temp_directory_path().string();
}

}  // namespace veltrosan::bench
