#pragma once
// The camera's mask commands: read mask n, or write its four bytes. Both are
// dropped while the link is not idle.

#include <cstdint>

class TTabContext;

void Mask_read(TTabContext& context, std::uint8_t n);
void Mask_write(TTabContext& context, std::uint8_t n, std::uint8_t b1, std::uint8_t b2,
                std::uint8_t b3, std::uint8_t b4);
