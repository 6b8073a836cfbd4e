// Executing one decoded C25 instruction: what a translated program does at an
// instruction address once it has checked the words there.
#pragma once
#include "dsp/c25.h"
#include "dsp/c25_decode.h"

#include <cstdint>

// The instruction `d` standing at `pc`, in the frame every instruction shares: the
// operand record set (two-word instructions) or cleared, pc = pc + 1, the body run
// rptc + 1 times with rptc cleared first (RPT and RPTK leave the count they load), the
// operand record cleared again. 1 when done; 0 on a fault with error_text set: a "none"
// instruction faults with "no translation for this address" and changes nothing.
int c25_execute(c25_state* s, const c25_decoded* d, uint16_t pc);
