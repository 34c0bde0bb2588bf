#include "dxf/Colors.h"

#include <cstdlib>

namespace kestrel::dxf {

namespace {

constexpr uint32_t Rgb(int r, int g, int b) {
  return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}

// Indices 10 to 249: 24 hues of 15 degrees, five values, full and half saturation.
uint32_t HueColor(int index) {
  static constexpr double kValues[5] = {255, 204, 153, 127, 76};
  int hue = (index / 10 - 1) * 15;
  double v = kValues[(index % 10) / 2];
  double c = v * (index % 2 == 0 ? 1.0 : 0.5);
  double m = v - c;
  double f = (hue % 60) / 60.0;
  double rising = m + c * f, falling = v - c * f;
  double r = 0, g = 0, b = 0;
  switch (hue / 60) {
    case 0:
      r = v, g = rising, b = m;
      break;
    case 1:
      r = falling, g = v, b = m;
      break;
    case 2:
      r = m, g = v, b = rising;
      break;
    case 3:
      r = m, g = falling, b = v;
      break;
    case 4:
      r = rising, g = m, b = v;
      break;
    default:
      r = v, g = m, b = falling;
      break;
  }
  return Rgb(int(r), int(g), int(b));  // channels truncate towards zero
}

}  // namespace

uint32_t AciToColor(int index) {
  int n = std::abs(index);
  switch (n) {
    case 1:
      return Rgb(255, 0, 0);
    case 2:
      return Rgb(255, 255, 0);
    case 3:
      return Rgb(0, 255, 0);
    case 4:
      return Rgb(0, 255, 255);
    case 5:
      return Rgb(0, 0, 255);
    case 6:
      return Rgb(255, 0, 255);
    case 8:
      return Rgb(128, 128, 128);
    case 9:
      return Rgb(192, 192, 192);
    case 250:
      return Rgb(51, 51, 51);
    case 251:
      return Rgb(91, 91, 91);
    case 252:
      return Rgb(132, 132, 132);
    case 253:
      return Rgb(173, 173, 173);
    case 254:
      return Rgb(214, 214, 214);
    default:
      break;
  }
  if (n >= 10 && n <= 249) return HueColor(n);
  return Rgb(255, 255, 255);  // 0, 7, 255 and above
}

int GetLayerIndex(const std::vector<TLayer>& layers, std::string_view name) {
  for (size_t i = 0; i < layers.size(); ++i) {
    if (layers[i].Name == name) return int(i);
  }
  return -1;
}

bool IsLayerVisible(const std::vector<TLayer>& layers, int index) {
  if (index < 0 || size_t(index) >= layers.size()) return true;
  return layers[size_t(index)].visible;
}

bool IsLayerNameVisible(const std::vector<TLayer>& layers, std::string_view name) {
  int i = GetLayerIndex(layers, name);
  return i < 0 || layers[size_t(i)].visible;
}

}  // namespace kestrel::dxf
