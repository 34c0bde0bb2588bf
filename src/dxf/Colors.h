// The AutoCAD Color Index table and the layer look-ups shared by post-processing and drawing.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "dxf/Drawing.h"

namespace kestrel::dxf {

// Colour index to 0x00BBGGRR. The sign is dropped: a layer that is off keeps its colour.
uint32_t AciToColor(int index);

// Index of the first layer named exactly `name`; −1 when there is none.
int GetLayerIndex(const std::vector<TLayer>& layers, std::string_view name);

// A layer index outside the list (−1: layer not found) counts as visible.
bool IsLayerVisible(const std::vector<TLayer>& layers, int index);

// `visible` of the first layer named exactly `name`; true when there is none.
bool IsLayerNameVisible(const std::vector<TLayer>& layers, std::string_view name);

}  // namespace kestrel::dxf
