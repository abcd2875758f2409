// The probe is assembly because no C++ call can show whether the callee
// popped its arguments: the compiler would restore the stack either way.
#include "StdcallProbe.h"

__asm__(
    ".text\n"
    ".globl _callStdcall\n"
    "_callStdcall:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    subl $4, %esp\n"
    "    andl $-16, %esp\n"
    "    subl 20(%ebp), %esp\n"   // misalign
    "    movl %esp, -16(%ebp)\n"  // esp before the arguments
    "    movl 12(%ebp), %esi\n"   // args
    "    movl 16(%ebp), %ecx\n"   // count
    "1:  testl %ecx, %ecx\n"
    "    jz 2f\n"
    "    decl %ecx\n"
    "    pushl (%esi,%ecx,4)\n"
    "    jmp 1b\n"
    "2:  movl $0x5EB05EB0, %ebx\n"
    "    movl $0x51515151, %esi\n"
    "    movl $0xD1D1D1D1, %edi\n"
    "    call *8(%ebp)\n"
    "    movl 24(%ebp), %ecx\n"  // report
    "    movl %esp, %edx\n"
    "    subl -16(%ebp), %edx\n"
    "    movl %edx, (%ecx)\n"
    "    xorl %edx, %edx\n"
    "    cmpl $0x5EB05EB0, %ebx\n"
    "    je 3f\n"
    "    orl $1, %edx\n"
    "3:  cmpl $0x51515151, %esi\n"
    "    je 4f\n"
    "    orl $2, %edx\n"
    "4:  cmpl $0xD1D1D1D1, %edi\n"
    "    je 5f\n"
    "    orl $4, %edx\n"
    "5:  movl %edx, 4(%ecx)\n"
    "    leal -12(%ebp), %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n");
