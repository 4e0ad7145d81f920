#include "sim/shapes.hpp"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

Vec add(const Vec& a, const Vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec scaled(const Vec& a, double f) { return {a[0] * f, a[1] * f, a[2] * f}; }
Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Surface baseSurface(ProSrftype type, ShapeIds& ids) {
  Surface s;
  s.id = ids.firstId++;
  s.type = type;
  s.featureId = ids.featureId;
  s.mesh = Mesh{};
  return s;
}

Contour boxOf(const std::vector<Vec>& points, std::vector<Edge> edges) {
  Contour c;
  c.traversal = 1;
  c.boxMin = points.front();
  c.boxMax = points.front();
  for (const auto& p : points)
    for (size_t k = 0; k < 3; ++k) {
      c.boxMin[k] = std::min(c.boxMin[k], p[k]);
      c.boxMax[k] = std::max(c.boxMax[k], p[k]);
    }
  c.edges = std::move(edges);
  return c;
}

Edge line(const Vec& a, const Vec& b) {
  Edge e;
  e.curveType = 2;
  e.points = {a, b};
  return e;
}

Contour circle(const Vec& centre, double radius, int traversal) {
  Edge arc;
  arc.curveType = 3;
  arc.points = {centre};
  Contour c = boxOf({add(centre, {-radius, -radius, 0}), add(centre, {radius, radius, 0})}, {arc});
  c.traversal = traversal;
  return c;
}

// A ring of n points about the +z axis through `centre`.
std::vector<Vec> ring(const Vec& centre, double radius, int n) {
  std::vector<Vec> out;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * kPi * i / n;
    out.push_back(add(centre, {radius * std::cos(a), radius * std::sin(a), 0}));
  }
  return out;
}

}  // namespace

std::vector<Surface> boxSurfaces(const Vec& size, const Vec& centre, ShapeIds ids) {
  std::vector<Surface> out;
  const Vec half{size[0] / 2, size[1] / 2, size[2] / 2};
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = -1; side <= 1; side += 2) {
      Vec n{0, 0, 0};
      n[static_cast<size_t>(axis)] = side;
      // Two tangents with e1 x e2 = n.
      Vec e1{0, 0, 0};
      e1[static_cast<size_t>((axis + 1) % 3)] = 1;
      Vec e2 = cross(n, e1);
      const double a = half[static_cast<size_t>((axis + 1) % 3)];
      const double b = half[static_cast<size_t>((axis + 2) % 3)];
      Surface s = baseSurface(PRO_SRF_PLANE, ids);
      s.e1 = e1;
      s.e2 = e2;
      s.e3 = n;
      s.origin = add(centre, scaled(n, half[static_cast<size_t>(axis)]));
      s.area = 4 * a * b;
      const std::vector<Vec> corners = {add(s.origin, add(scaled(e1, -a), scaled(e2, -b))),
                                        add(s.origin, add(scaled(e1, a), scaled(e2, -b))),
                                        add(s.origin, add(scaled(e1, a), scaled(e2, b))),
                                        add(s.origin, add(scaled(e1, -a), scaled(e2, b)))};
      s.mesh->vertices = corners;
      s.mesh->facets = {{0, 1, 2}, {0, 2, 3}};
      s.contours.push_back(boxOf(corners, {line(corners[0], corners[1]), line(corners[1], corners[2]),
                                           line(corners[2], corners[3]), line(corners[3], corners[0])}));
      out.push_back(std::move(s));
    }
  }
  return out;
}

std::vector<Surface> cylinderSurfaces(double radius, double height, int segments, const Vec& base, ShapeIds ids) {
  const int n = std::max(segments, 3);
  const Vec top = add(base, {0, 0, height});
  std::vector<Surface> out;

  Surface side = baseSurface(PRO_SRF_CYL, ids);
  side.origin = base;
  side.values = {radius, 0};
  side.area = 2 * kPi * radius * height;
  const auto bottomRing = ring(base, radius, n);
  const auto topRing = ring(top, radius, n);
  side.mesh->vertices = bottomRing;
  side.mesh->vertices.insert(side.mesh->vertices.end(), topRing.begin(), topRing.end());
  for (int i = 0; i < n; ++i) {
    const int j = (i + 1) % n;
    side.mesh->facets.push_back({i, j, n + j});
    side.mesh->facets.push_back({i, n + j, n + i});
  }
  side.contours = {circle(base, radius, 1), circle(top, radius, 1)};
  out.push_back(std::move(side));

  for (int end = 0; end < 2; ++end) {
    Surface cap = baseSurface(PRO_SRF_PLANE, ids);
    const bool upper = end == 1;
    cap.origin = upper ? top : base;
    cap.e1 = {1, 0, 0};
    cap.e2 = upper ? Vec{0, 1, 0} : Vec{0, -1, 0};
    cap.e3 = upper ? Vec{0, 0, 1} : Vec{0, 0, -1};
    cap.area = kPi * radius * radius;
    cap.mesh->vertices.push_back(cap.origin);
    const auto& rim = upper ? topRing : bottomRing;
    cap.mesh->vertices.insert(cap.mesh->vertices.end(), rim.begin(), rim.end());
    for (int i = 0; i < n; ++i) {
      const int a = 1 + i;
      const int b = 1 + (i + 1) % n;
      cap.mesh->facets.push_back(upper ? std::array<int, 3>{0, a, b} : std::array<int, 3>{0, b, a});
    }
    cap.contours = {circle(cap.origin, radius, 1)};
    out.push_back(std::move(cap));
  }
  return out;
}

std::vector<Surface> torusSurfaces(double major, double minor, int majorSegments, int minorSegments,
                                   const Vec& centre, ShapeIds ids) {
  const int nu = std::max(majorSegments, 3);
  const int nv = std::max(minorSegments, 3);
  Surface s = baseSurface(PRO_SRF_TORUS, ids);
  s.origin = centre;
  s.values = {major, minor};
  s.area = 4 * kPi * kPi * major * minor;
  for (int u = 0; u < nu; ++u) {
    const double a = 2 * kPi * u / nu;
    for (int v = 0; v < nv; ++v) {
      const double b = 2 * kPi * v / nv;
      const double r = major + minor * std::cos(b);
      s.mesh->vertices.push_back(add(centre, {r * std::cos(a), r * std::sin(a), minor * std::sin(b)}));
    }
  }
  auto at = [&](int u, int v) { return (u % nu) * nv + (v % nv); };
  for (int u = 0; u < nu; ++u)
    for (int v = 0; v < nv; ++v) {
      s.mesh->facets.push_back({at(u, v), at(u + 1, v), at(u + 1, v + 1)});
      s.mesh->facets.push_back({at(u, v), at(u + 1, v + 1), at(u, v + 1)});
    }
  return {s};
}

std::vector<Surface> sphereSurfaces(double radius, int segments, const Vec& centre, ShapeIds ids) {
  const int rings = std::max(segments, 2);
  const int around = 2 * rings;
  Surface s = baseSurface(43, ids);
  s.origin = centre;
  s.area = 4 * kPi * radius * radius;
  auto& v = s.mesh->vertices;
  auto& f = s.mesh->facets;
  v.push_back(add(centre, {0, 0, radius}));  // north pole
  for (int r = 1; r < rings; ++r) {
    const double polar = kPi * r / rings;
    for (int i = 0; i < around; ++i) {
      const double a = 2 * kPi * i / around;
      v.push_back(add(centre, {radius * std::sin(polar) * std::cos(a), radius * std::sin(polar) * std::sin(a),
                               radius * std::cos(polar)}));
    }
  }
  const int south = static_cast<int>(v.size());
  v.push_back(add(centre, {0, 0, -radius}));
  auto at = [&](int r, int i) { return 1 + (r - 1) * around + (i % around); };
  for (int i = 0; i < around; ++i) f.push_back({0, at(1, i), at(1, i + 1)});
  for (int r = 1; r + 1 < rings; ++r)
    for (int i = 0; i < around; ++i) {
      f.push_back({at(r, i), at(r + 1, i), at(r + 1, i + 1)});
      f.push_back({at(r, i), at(r + 1, i + 1), at(r, i + 1)});
    }
  for (int i = 0; i < around; ++i) f.push_back({south, at(rings - 1, i + 1), at(rings - 1, i)});
  return {s};
}

std::vector<std::array<Vec, 3>> facetsOf(const std::vector<Surface>& surfaces) {
  std::vector<std::array<Vec, 3>> out;
  for (const auto& s : surfaces) {
    if (!s.mesh) continue;
    for (const auto& facet : s.mesh->facets)
      out.push_back({s.mesh->vertices[static_cast<size_t>(facet[0])], s.mesh->vertices[static_cast<size_t>(facet[1])],
                     s.mesh->vertices[static_cast<size_t>(facet[2])]});
  }
  return out;
}

Transform translation(const Vec& offset) {
  Transform t = identityTransform();
  t[12] = offset[0];
  t[13] = offset[1];
  t[14] = offset[2];
  return t;
}

Transform rotation(const Vec& axis, double degrees, const Vec& offset) {
  const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  Transform t = translation(offset);
  if (len == 0) return t;
  const double x = axis[0] / len, y = axis[1] / len, z = axis[2] / len;
  const double a = degrees * kPi / 180;
  const double c = std::cos(a), s = std::sin(a), k = 1 - c;
  // The usual rotation matrix R for column vectors; the host's row-vector
  // form holds its transpose.
  const double r[3][3] = {{c + x * x * k, x * y * k - z * s, x * z * k + y * s},
                          {y * x * k + z * s, c + y * y * k, y * z * k - x * s},
                          {z * x * k - y * s, z * y * k + x * s, c + z * z * k}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t[static_cast<size_t>(4 * i + j)] = r[j][i];
  return t;
}

}  // namespace sim
