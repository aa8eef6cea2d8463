// Rule pictures for the transition tests: grey JBP1 pictures whose green is
// set per 8 x 8 block, so each block's level is known in advance.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// A JBP1 record of a grey picture whose 6-bit green is green6(bx, by) over
// each 8 x 8 block (bx, by).
std::vector<std::uint8_t> MakeRuleRecord(int width, int height, const std::function<int(int bx, int by)>& green6);
// A ".rbp" of kind 30 around MakeRuleRecord's picture.
std::vector<std::uint8_t> MakeRuleFile(int width, int height, const std::function<int(int bx, int by)>& green6);
