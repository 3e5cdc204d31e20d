// frame_files.h: a 320x240 RGB565 picture as the capture tool writes it: raw
// little-endian words, or an 8-bit RGB PNG with the channels widened by bit replication.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/screen.h"

constexpr int kPictureWords = kScreenWidth * kScreenHeight;
constexpr int kPictureBytes = kPictureWords * 2;  // 153600

// The picture as little-endian bytes, whatever the host's byte order.
void PackLittleEndian(const uint16_t* picture, uint8_t* out /* kPictureBytes */);

// The three 8-bit channels of an RGB565 pixel, each widened by bit replication.
void WidenRgb565(uint16_t pixel, uint8_t* rgb);

bool WriteRawFile(const char* path, const uint16_t* picture);
bool WritePngFile(const char* path, const uint16_t* picture);
// Appends one picture to a stream (standard output); false on a write error.
bool WriteRawStream(std::FILE* stream, const uint16_t* picture, uint8_t* scratch);
