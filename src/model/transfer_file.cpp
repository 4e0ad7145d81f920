#include "model/transfer_file.hpp"

#include <filesystem>
#include <system_error>

namespace veltrosan {

namespace {

constexpr char kVersion[3] = {'1', '.', '3'};

void writeParameters(BinaryWriter& out, const std::vector<ParameterPair>& parameters) {
  out.count(parameters.size());
  for (const ParameterPair& p : parameters) {
    out.wideText(p.first);
    out.wideText(p.second);
  }
}

void writeAssembly(BinaryWriter& out, const AssemblyRecord& assembly) {
  out.text(assembly.name);
  out.count(assembly.children.size());
  for (const ChildRef& child : assembly.children) out.run(8).i32(child.index).i32(child.isAssembly ? 1 : 0);
  writeParameters(out, assembly.parameters);
}

void writeInstance(BinaryWriter& out, const InstanceRecord& instance) {
  out.text(instance.partName);
  out.text(instance.label);
  BinaryWriter::Run run = out.run(24 + 128);
  run.rgb(instance.rgb);
  for (double element : instance.matrix.m) run.f64(element);
}

void writeSurface(BinaryWriter& out, const SurfaceRecord& surface) {
  out.run(101)
      .i32(surface.index)
      .i32(surface.cti)
      .rgb(surface.rgb)
      .i32(surface.shapeClass)
      .vec3(surface.origin)
      .vec3(surface.axis)
      .f64(surface.param1)
      .f64(surface.param2)
      .u8(surface.flag);
}

void writeEdge(BinaryWriter& out, const EdgeRecord& edge) {
  out.run(8).i32(edge.edgeType).i32(out.checkedCount(edge.points.size()));
  out.vec3s(edge.points);
}

void writeContour(BinaryWriter& out, const ContourRecord& contour) {
  out.run(56)
      .i32(contour.traversal)
      .i32(out.checkedCount(contour.edges.size()))
      .vec3(contour.bboxMin)
      .vec3(contour.bboxMax);
  for (const EdgeRecord& edge : contour.edges) writeEdge(out, edge);
}

// The reader expects this fixed layout: shape class and axis twice, no
// colour, and two runs of padding, which are written as zeros.
void writeRepairSurface(BinaryWriter& out, const RepairSurfaceRecord& surface) {
  out.run(120)
      .i32(surface.index)
      .i32(surface.cti)
      .i32(surface.shapeClass)
      .i32(surface.shapeClass)
      .zeros(4)
      .vec3(surface.origin)
      .vec3(surface.axis)
      .f64(surface.param1)
      .f64(surface.param2)
      .u8(surface.flag)
      .zeros(7)
      .vec3(surface.axis)
      .i32(out.checkedCount(surface.contours.size()));
  for (const ContourRecord& contour : surface.contours) writeContour(out, contour);
}

void writeBody(BinaryWriter& out, const BodyRecord& body) {
  out.run(48)
      .i32(body.bodyTag)
      .f64(body.totalArea)
      .i32(body.bodyMark)
      .rgb(body.rgb)
      .i32(out.checkedCount(body.surfaces.size()))
      .i32(out.checkedCount(body.repairSurfaces.size()));
  for (const SurfaceRecord& surface : body.surfaces) writeSurface(out, surface);
  out.count(body.vertices.size());
  out.count(body.triangles.size());
  out.vec3s(body.vertices);
  out.triangles(body.triangles);
  for (const RepairSurfaceRecord& surface : body.repairSurfaces) writeRepairSurface(out, surface);
}

}  // namespace

void TransferModel::writePart(const PartRecord& part, BinaryWriter& out) const {
  out.text(part.name);
  out.i32(part.cti);
  writeParameters(out, part.parameters);
  out.count(part.groups.size());
  for (const auto& [groupName, members] : part.groups) {
    out.text(groupName);
    out.count(members.size());
    for (std::int32_t member : members) out.i32(member);
  }
  out.count(part.bodies.size());
  for (const BodyRecord& body : part.bodies) writeBody(out, body);
}

WriteResult TransferModel::write(const std::string& path) {
  return detail::writeTransferFile(*this, path, detail::openFileSink);
}

WriteResult TransferModel::exportFile() { return write(folder + "/" + name + ".vtq"); }

namespace detail {

std::unique_ptr<ByteSink> openFileSink(const std::string& path) {
  auto sink = std::make_unique<FileSink>();
  if (!sink->open(path)) return nullptr;
  return sink;
}

WriteResult writeTransferFile(TransferModel& model, const std::string& path, const SinkOpener& open) {
  if (model.instances.empty()) {
    if (model.parts.empty()) return kWriteNothing;
    // The file needs an instance to show anything. It names the first part
    // so that it links to a part block whatever the model is called.
    model.instances.emplace_back(0, model.parts.front().name, "DEFAULT", Matrix4::identity(), Rgb{0.0, 0.0, 0.0});
  }

  std::unique_ptr<ByteSink> sink = open(path);
  if (!sink) return kWriteFailed;

  bool ok;
  {
    BinaryWriter out(*sink);
    out.bytes(kVersion, sizeof kVersion);
    out.text(model.creator);
    out.text(model.name);
    out.count(model.assemblies.size());
    for (const AssemblyRecord& assembly : model.assemblies) writeAssembly(out, assembly);
    out.count(model.instances.size());
    for (const InstanceRecord& instance : model.instances) writeInstance(out, instance);
    out.count(model.parts.size());
    for (const PartRecord& part : model.parts) model.writePart(part, out);
    ok = out.flush();
  }
  // Close even after a failed write: the file must be closed to be removed.
  ok = sink->close() && ok;
  sink.reset();
  if (ok) return kWriteOk;

  // A truncated file must not pass for an export. Only a regular file is
  // removed: a write to a device or pipe leaves that in place.
  std::error_code ec;
  std::filesystem::path file;
  if (pathFromUtf8(path, file) && std::filesystem::is_regular_file(file, ec)) std::filesystem::remove(file, ec);
  return kWriteFailed;
}

}  // namespace detail

}  // namespace veltrosan
