// One row of a rule-transition step: each pixel of the new screen keeps
// itself, takes the old screen's pixel (hard) or a blend of both (soft),
// by its level against the threshold.
#pragma once

#include <cstdint>

#include "common/cpu_features.h"

enum class RuleStepKind { Hard, Soft };

// The definition.
void StepRuleRowPortable(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow,
                         std::uint16_t* newRow, std::int32_t count, std::int32_t threshold);
// The same pixels, eight at a time in SSE2 registers.
void StepRuleRowSse2(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow, std::uint16_t* newRow,
                     std::int32_t count, std::int32_t threshold);
// The same pixels, sixteen at a time in AVX2 registers; only where
// ProcessorHasAvx2().
void StepRuleRowAvx2(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow, std::uint16_t* newRow,
                     std::int32_t count, std::int32_t threshold);
// The same pixels, thirty-two at a time in AVX-512 registers; only where
// ProcessorHasAvx512().
void StepRuleRowAvx512(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow,
                       std::uint16_t* newRow, std::int32_t count, std::int32_t threshold);
// The fastest of the above this build and processor have.
void StepRuleRow(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow, std::uint16_t* newRow,
                 std::int32_t count, std::int32_t threshold);
