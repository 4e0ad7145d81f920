// Turning the handles and model items that the gateway passes back into the
// world's objects, and the world's objects into handles for tests. Every
// lookup answers null for a handle that does not point into the world, so
// that a simulated function can answer PRO_TK_BAD_INPUTS instead of crashing.
#pragma once

#include <string>

#include "host/toolkit.h"
#include "sim/world.hpp"

namespace sim {

ProMdl handle(Model& model);
ProSurface handle(Surface& surface);
ProContour handle(Contour& contour);
ProEdge handle(Edge& edge);

Model* findModel(const void* handle);
// A surface of some model of the world; `owner`, when given, receives its model.
Surface* findSurface(const void* handle, Model** owner = nullptr);
// A contour of some surface; `surface`, when given, receives its surface.
Contour* findContour(const void* handle, Surface** surface = nullptr);
Edge* findEdge(const void* handle);
// Whether the contour belongs to the surface.
bool holdsContour(const Surface& surface, const Contour& contour);

// The model item of a model (see world.hpp for the encoding of items).
ProModelitem modelItem(Model& model);
ProModelitem featureItem(Model& owner, const Feature& feature);
ProModelitem surfaceItem(Model& owner, const Surface& surface);

// What an item names; null when the item is of another type or names nothing.
Model* itemOwner(const ProModelitem* item);
Model* modelOfItem(const ProModelitem* item);
Feature* featureOfItem(const ProModelitem* item);
Surface* surfaceOfItem(const ProModelitem* item);
FacetSet* facetSetOfItem(const ProModelitem* item);
// The parameters of a model, feature or surface item; null for anything else.
std::vector<Parameter>* parametersOfItem(const ProModelitem* item);

// A model item as the call log shows it: "type:id".
std::string itemArg(const ProModelitem* item);

// Copies at most capacity - 1 units of the text and terminates it.
void copyWide(ProWchar* target, int capacity, const std::u16string& text);

}  // namespace sim
