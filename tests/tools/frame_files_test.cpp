// Catches a PNG whose channels are not widened by bit replication (shifted only, or
// rounded), whose rows or channels are out of order, or which is not 320x240 RGB.
#include "tools/frame_files.h"

#include <png.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/support.h"

TEST(FrameFiles, PngHoldsEachPixelWidenedByBitReplication) {
  std::vector<uint16_t> picture(kPictureWords);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint16_t>(i * 40503u);  // 65536 values
  support::TempDir dir;
  ASSERT_TRUE(WritePngFile((dir / "f.png").c_str(), picture.data()));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_file(&image, (dir / "f.png").c_str()), 0);
  EXPECT_EQ(image.width * 1000 + image.height, 320240u);
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(picture.size() * 3);
  ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0);
  for (size_t i = 0; i < picture.size(); ++i) {
    const unsigned r5 = picture[i] >> 11, g6 = (picture[i] >> 5) & 63, b5 = picture[i] & 31;
    ASSERT_EQ(rgb[3 * i], r5 << 3 | r5 >> 2) << "pixel " << i;
    ASSERT_EQ(rgb[3 * i + 1], g6 << 2 | g6 >> 4) << "pixel " << i;
    ASSERT_EQ(rgb[3 * i + 2], b5 << 3 | b5 >> 2) << "pixel " << i;
  }
}
