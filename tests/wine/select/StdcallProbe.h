// Calls a function the way a Windows API caller does and reports what the
// callee did to the stack and to the registers it must preserve.
#pragma once

#include <stdint.h>

struct StdcallReport {
    int32_t stackDelta;        // esp after the call minus esp before the arguments: 0 when
                               // the callee removed exactly its arguments
    uint32_t brokenRegisters;  // bit 0 ebx, bit 1 esi, bit 2 edi changed by the callee
};

// Pushes args[count - 1] .. args[0] (so args[0] is the first argument) with
// the stack pointer `misalign` bytes below a 16-byte boundary, calls `fn`,
// and returns its eax.
extern "C" uint32_t callStdcall(const void* fn, const uint32_t* args, uint32_t count,
                                uint32_t misalign, StdcallReport* report);
