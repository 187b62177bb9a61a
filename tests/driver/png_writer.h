#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Encodes 24-bit RGB rows (top to bottom, no padding) as a PNG file image (uncompressed deflate blocks).
std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height);
