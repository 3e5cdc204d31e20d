#include "tools/frame_files.h"

#if PARTICLES_WITH_PNG
#include <png.h>
#endif

#include <vector>

void PackLittleEndian(const uint16_t* picture, uint8_t* out) {
  for (int i = 0; i < kPictureWords; ++i) {
    out[2 * i] = static_cast<uint8_t>(picture[i] & 0xFF);
    out[2 * i + 1] = static_cast<uint8_t>(picture[i] >> 8);
  }
}

void WidenRgb565(uint16_t pixel, uint8_t* rgb) {
  const unsigned r5 = (pixel >> 11) & 0x1F, g6 = (pixel >> 5) & 0x3F, b5 = pixel & 0x1F;
  rgb[0] = static_cast<uint8_t>(r5 << 3 | r5 >> 2);
  rgb[1] = static_cast<uint8_t>(g6 << 2 | g6 >> 4);
  rgb[2] = static_cast<uint8_t>(b5 << 3 | b5 >> 2);
}

namespace {

// The file is opened, written and closed, nothing more: a failure leaves the path
// itself (a device node, a symbolic link) where it was.
bool WriteBytes(const char* path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace

bool WriteRawFile(const char* path, const uint16_t* picture) {
  std::vector<uint8_t> bytes(kPictureBytes);
  PackLittleEndian(picture, bytes.data());
  return WriteBytes(path, bytes);
}

bool WritePngFile(const char* path, const uint16_t* picture) {
#if !PARTICLES_WITH_PNG
  // Built without libpng (the ARM cross build): --png fails like an unwritable file.
  (void)path;
  (void)picture;
  return false;
#else
  std::vector<uint8_t> rgb(static_cast<size_t>(kPictureWords) * 3);
  for (int i = 0; i < kPictureWords; ++i) WidenRgb565(picture[i], &rgb[3 * static_cast<size_t>(i)]);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kScreenWidth;
  image.height = kScreenHeight;
  image.format = PNG_FORMAT_RGB;
  // Encoded in memory and written as --raw is: the library's own file writer removes
  // its output path when a write fails, whatever that path was.
  std::vector<uint8_t> png(PNG_IMAGE_PNG_SIZE_MAX(image));
  png_alloc_size_t size = png.size();
  const int ok = png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(),
                                           kScreenWidth * 3, nullptr);
  png_image_free(&image);
  if (ok == 0) return false;
  png.resize(size);
  return WriteBytes(path, png);
#endif
}

bool WriteRawStream(std::FILE* stream, const uint16_t* picture, uint8_t* scratch) {
  PackLittleEndian(picture, scratch);
  return std::fwrite(scratch, 1, kPictureBytes, stream) == static_cast<size_t>(kPictureBytes);
}
