// Geometry data as the simulated host hands it out: a ProGeomitemdata whose
// byte-8 field points at the surface or curve data, recorded in the ledger
// under Allocation::Geomitemdata and released by ProGeomitemdataFree.
#pragma once

#include "host/toolkit.h"
#include "sim/world.hpp"

namespace sim {

// obj_type of an edge's geometry data (the gateway never reads it).
constexpr ProType kEdgeDataType = 7;

ProGeomitemdata* handOutSurfaceData(const Surface& surface, const char* origin);
// Lays the edge's points out in the curve data of its type (see Edge).
ProGeomitemdata* handOutEdgeData(const Edge& edge, const char* origin);
// Frees a block made above, after the ledger has let it go.
void freeGeomitemdata(ProGeomitemdata* data);

}  // namespace sim
