// Images drawn for a display's scale from the stored image that suits it.
#include "ui/image.h"

#include "ui/scale.h"
#include "ui_fixture.h"
#include "ui_test_support.h"

namespace {

// Resource 7 of the service tests stores 48 pixels in red, 32 in blue and 16
// in green, each of one colour.
constexpr std::int32_t kThreeSizes = 7;
constexpr std::uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

// The colour of an icon's middle pixel (alpha, red, green, blue).
std::uint32_t MiddleColour(HICON icon, std::int32_t size) {
  const std::vector<std::uint32_t> pixels = IconPixels(icon);
  const std::size_t middle = static_cast<std::size_t>(size / 2 * size + size / 2);
  return middle < pixels.size() ? pixels[middle] : 0;
}

TEST_F(UiTest, AScaleDrawsFromTheStoredImageThatSuitsIt) {
  ASSERT_TRUE(LoadIconImage(40, kThreeSizes, 16));
  const struct {
    std::int32_t dpi, pixels;
    std::uint32_t colour;
  } cases[] = {
      {96, 16, kGreen},   // its own size
      {144, 24, kRed},    // a larger whole multiple first: 48, not the nearer 32
      {120, 20, kBlue},   // no whole multiple: the nearest larger
      {192, 32, kBlue},   // its own size
      {288, 48, kRed},    // its own size
      {384, 64, kRed},    // nothing larger: the largest
  };
  // A picture gadget shows the image at its window's scale.
  ASSERT_TRUE(ImageGadget(12, 10, 10, 16, 16, 40));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(GadgetHandle(12), STM_GETICON, 0, 0)),
            ui::ImageIconAt(40, WindowDpi(kTestWindow)));
  for (const auto& c : cases) {
    HICON icon = ui::ImageIconAt(40, c.dpi);
    ASSERT_NE(icon, nullptr) << c.dpi;
    EXPECT_EQ(SizeOfIcon(icon).width, c.pixels) << c.dpi;
    EXPECT_EQ(MiddleColour(icon, c.pixels), c.colour) << c.dpi << " DPI";
  }
}

}  // namespace
