#include <gtest/gtest.h>

#include "dxf/Colors.h"

namespace kestrel::dxf {
namespace {

uint32_t Rgb(int r, int g, int b) {
  return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

TEST(AciToColor, Table) {
  struct Case {
    int index;
    uint32_t color;
  } cases[] = {
      {0, Rgb(255, 255, 255)},   {7, Rgb(255, 255, 255)},   {-1, Rgb(255, 0, 0)},
      {1, Rgb(255, 0, 0)},       {4, Rgb(0, 255, 255)},     {5, Rgb(0, 0, 255)},
      {8, Rgb(128, 128, 128)},   {9, Rgb(192, 192, 192)},   {10, Rgb(255, 0, 0)},
      {11, Rgb(255, 127, 127)},  {20, Rgb(255, 63, 0)},     {21, Rgb(255, 159, 127)},
      {239, Rgb(76, 38, 57)},    {250, Rgb(51, 51, 51)},    {254, Rgb(214, 214, 214)},
      {255, Rgb(255, 255, 255)}, {256, Rgb(255, 255, 255)}, {-32768, Rgb(255, 255, 255)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AciToColor(c.index), c.color) << c.index;
}

TEST(AciToColor, EverySectorOfTheHueWheel) {
  // One index per 60-degree sector at full value and saturation.
  EXPECT_EQ(AciToColor(50), Rgb(255, 255, 0));   // 60°
  EXPECT_EQ(AciToColor(90), Rgb(0, 255, 0));     // 120°
  EXPECT_EQ(AciToColor(130), Rgb(0, 255, 255));  // 180°
  EXPECT_EQ(AciToColor(170), Rgb(0, 0, 255));    // 240°
  EXPECT_EQ(AciToColor(210), Rgb(255, 0, 255));  // 300°
  EXPECT_EQ(AciToColor(40), Rgb(255, 191, 0));   // 45°, rising green
  EXPECT_EQ(AciToColor(230), Rgb(255, 0, 127));  // 330°, falling blue
}

TEST(LayerLookups, ByNameAndIndex) {
  std::vector<TLayer> layers(3);
  layers[0].Name = "0";
  layers[1].Name = "Frozen";
  layers[1].visible = false;
  layers[2].Name = "Frozen";  // a duplicate: the first one wins
  EXPECT_EQ(GetLayerIndex(layers, "Frozen"), 1);
  EXPECT_EQ(GetLayerIndex(layers, "frozen"), -1);  // exact comparison
  EXPECT_EQ(GetLayerIndex(layers, ""), -1);
  EXPECT_TRUE(IsLayerVisible(layers, 0));
  EXPECT_FALSE(IsLayerVisible(layers, 1));
  EXPECT_TRUE(IsLayerVisible(layers, -1));
  EXPECT_TRUE(IsLayerVisible(layers, 3));
  EXPECT_FALSE(IsLayerNameVisible(layers, "Frozen"));
  EXPECT_TRUE(IsLayerNameVisible(layers, "missing"));
}

}  // namespace
}  // namespace kestrel::dxf
