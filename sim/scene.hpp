// Scene files: a whole simulated host world in one JSON document, for the
// demo and for end-to-end tests.
//
// {
//   "current": "ROBOT_ASM",            // the current model by name; null or absent: none
//   "directory": "C:\\work\\",         // the host's current directory
//   "release": 3,                      // the numeric release; null: the host gives none
//   "models": [
//     { "name": "ROBOT_ASM", "type": "assembly", "unit": "mm",
//       "parameters": { "CUSTOMER": "ACME", "REVISION": 4, "MASS": 12.5 },
//       "features": [
//         { "id": 10, "component": "ARM", "translation": [0, 0, 120],
//           "rotation": { "axis": [0, 0, 1], "degrees": 90 }, "color": [0.8, 0.1, 0.1] },
//         { "id": 11, "component": "BOLT", "matrix": [ 16 numbers, host layout ],
//           "hidden": false, "visible": true, "shown": true, "unplaced": false,
//           "bulk": false, "placementReadable": true },
//         { "id": 12, "type": 923 }        // any feature that is no component
//       ] },
//     { "name": "BOLT", "type": "part", "unit": "in",
//       "features": [ { "id": 1, "parameters": { "COMPARATIVE_TRACKING_INDEX": 600 } } ],
//       "geometry": [
//         { "cylinder": { "radius": 0.25, "height": 2, "segments": 24, "base": [0, 0, 0] },
//           "feature": 1, "color": [0.7, 0.7, 0.7], "fail": [0] } ],
//       "surfaces": [ explicit surfaces, see below ],
//       "facetSets": [ { "feature": 1, "sphere": { "radius": 3 } },
//                      { "facets": [ [[0,0,0], [1,0,0], [0,1,0]] ] } ],
//       "wholeTessellationFails": false }
//   ]
// }
//
// Models: "type" "part", "assembly", "drawing" or a host code; "unit" the
// length unit's expression, null for a unit without one; "lengthUnit": false
// for a unit system without a length unit, "unitSystem": false for a model
// without a principal unit system. "parameters" map names to values: an
// integer, a real number, a string, or true/false (a parameter of a type the
// gateway does not read). The order in the file is the host's order.
//
// Features: "id" (default: one above the previous), "type" (default: a
// component when "component" is given, else 0), "parents" (feature ids),
// "parameters", "hidden", "visible"; components add "component" (a model
// name; null for a component whose model the host cannot give), the
// placement ("translation" and/or "rotation", or "matrix"), "shown",
// "unplaced", "bulk", "placementReadable" and "color".
//
// Geometry: generators, each one key of "box" {size, center}, "cylinder"
// {radius, height, segments, base}, "torus" {major, minor, segments: [around,
// tube], center} or "sphere" {radius, segments, center}, with "feature",
// "parameters" and "color" for every surface it makes, and "fail": true or a
// list of the generated surfaces' positions that the host cannot tessellate
// (they keep their contours).
//
// Explicit surfaces: "id", "type" ("plane", "cylinder", "cone", "torus" or a
// host code), "orientation", "e1", "e2", "e3", "origin", "values", "color",
// "area", "areaStatus", "feature", "geomitem" (false: no geometry item),
// "parameters", "mesh" {"vertices": [[x,y,z]...], "facets": [[i,j,k]...]}
// (absent: the host cannot tessellate it) and "contours" [{"traversal",
// "min", "max", "edges": [{"type", "points", "count"}]}].
//
// Facet sets: "id", "feature", and either "facets" (corner triples) or one
// generator key, whose surfaces' facets the set takes.
//
// A bad file is refused as a whole with a message naming the file and the
// JSON path of the fault ("robot.json: /models/2/features/0/component: no
// model named 'ARM2'"); the world is then left as it was.
#pragma once

#include <string>

namespace sim {

// Replaces the world's models, current model, directory and release with the
// scene's; the log, ledger, faults and message area stay. False, with the
// reason in `error`, when the file cannot be read or is not a valid scene.
bool loadScene(const std::string& path, std::string& error);
// The same from text; `origin` names it in messages.
bool loadSceneText(const std::string& text, const std::string& origin, std::string& error);

}  // namespace sim
