// The measuring thunk (32-bit x86, GNU assembler syntax). It keeps the
// caller's stack pointer and frame pointer in memory, so that every
// callee-saved register can be loaded with a known value before the call
// and compared after it.
#include <cstdint>

#include "platform/process/export_call.h"

extern "C" {
// The thunk's scratch memory; one measured call at a time.
int32_t zolt_thunk_esp, zolt_thunk_ebp, zolt_thunk_fn;
int32_t zolt_thunk_delta, zolt_thunk_kept;

// Pushes argc 32-bit arguments (args[0] last, so that it ends on top),
// calls fn, and leaves in zolt_thunk_delta the stack pointer after the call
// minus the one before the pushes (0 when the callee removed its arguments)
// and in zolt_thunk_kept 1 when EBX, ESI, EDI and EBP came back unchanged.
// The caller's stack and registers are restored whatever the callee did.
int32_t ZoltMeasuredCall(int32_t fn, const int32_t* args, int32_t argc);
}

__asm__(
    ".text\n"
    ".globl _ZoltMeasuredCall\n"
    "_ZoltMeasuredCall:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 8(%ebp), %eax\n"
    "  movl %eax, _zolt_thunk_fn\n"
    "  movl 12(%ebp), %edx\n"
    "  movl 16(%ebp), %ecx\n"
    "  movl %ebp, _zolt_thunk_ebp\n"
    "  movl %esp, _zolt_thunk_esp\n"
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%edx,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  movl $0x5EB1A5ED, %ebx\n"
    "  movl $0x51DE5AFE, %esi\n"
    "  movl $0x0D15EA5E, %edi\n"
    "  movl $0x0BADF00D, %ebp\n"
    "  call *_zolt_thunk_fn\n"
    "  movl %esp, %ecx\n"
    "  subl _zolt_thunk_esp, %ecx\n"
    "  movl %ecx, _zolt_thunk_delta\n"
    "  xorl %ecx, %ecx\n"
    "  cmpl $0x5EB1A5ED, %ebx\n"
    "  jne 3f\n"
    "  cmpl $0x51DE5AFE, %esi\n"
    "  jne 3f\n"
    "  cmpl $0x0D15EA5E, %edi\n"
    "  jne 3f\n"
    "  cmpl $0x0BADF00D, %ebp\n"
    "  jne 3f\n"
    "  incl %ecx\n"
    "3:\n"
    "  movl %ecx, _zolt_thunk_kept\n"
    "  movl _zolt_thunk_esp, %esp\n"
    "  movl _zolt_thunk_ebp, %ebp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

namespace zolt {
namespace {

ExportCall Measured(const void* fn, const int32_t* args, int32_t argc) {
  ExportCall c;
  c.result = ZoltMeasuredCall(
      static_cast<int32_t>(reinterpret_cast<intptr_t>(fn)), args, argc);
  c.measured = true;
  c.stack_bytes_left = -zolt_thunk_delta;
  c.registers_kept = zolt_thunk_kept == 1;
  return c;
}

int32_t __cdecl CdeclProbe(int32_t a, int32_t b, int32_t c) {
  return a + b + c;
}

}  // namespace

ExportCall CallZoltResult(void* fn, int32_t vendor, int32_t location,
                          int32_t basket_size, char* expiry_text) {
  const int32_t args[4] = {
      vendor, location, basket_size,
      static_cast<int32_t>(reinterpret_cast<intptr_t>(expiry_text))};
  return Measured(fn, args, 4);
}

ExportCall CallSoldOutQuery(void* fn, int32_t vendor, int32_t location,
                            int32_t basket_size) {
  const int32_t args[3] = {vendor, location, basket_size};
  return Measured(fn, args, 3);
}

ExportCall CallCdeclProbe() {
  const int32_t args[3] = {1, 2, 3};
  return Measured(reinterpret_cast<const void*>(&CdeclProbe), args, 3);
}

}  // namespace zolt
