// Baseline JPEG (sequential DCT, Huffman coded) pictures: three components Y, Cb, Cr without
// subsampling, quantisation tables of our own, Huffman tables built for each picture.
#pragma once

#include "tools/product-gen/byte_writer.h"
#include "tools/product-gen/image.h"

// quality 1..100 scales the quantisation steps (higher keeps more detail).
Bytes WriteBaselineJpeg(const RgbImage& image, int quality);

// The order in which the 64 coefficients of a block are coded: entry k is the row-major index
// of the k-th coefficient along the zig-zag path.
void ZigZagOrder(int order[64]);

// Code lengths (1..16) for the symbols 0..255 with the given counts, as a JPEG Huffman table
// needs them: no code longer than 16 bits and no code of all one bits. bits[1..16] receives the
// number of codes of each length, values the symbols in code order; returns the symbol count.
int BuildHuffmanTable(const long counts[256], uint8_t bits[17], uint8_t values[256]);
