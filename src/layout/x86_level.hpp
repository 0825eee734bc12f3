#pragma once

namespace mivora {

// The x86-64 microarchitecture level (1 to 4) that this processor and the
// operating system (which must save the wider registers) both support; 1 on
// other architectures. Read from CPUID by the module itself: the compilers'
// runtimes differ in how (and whether) they fill in __builtin_cpu_supports.
int x86_64_level();

}  // namespace mivora
