// Linked into the module when zig builds it (MIVORA_GLIBC_FUNCTIONS).
//
// zig's compiler_rt is one object with weak definitions of C library
// functions among its own: sin, cos, log, floor, memcpy, strlen and more.
// Once anything the module needs from compiler_rt pulls that object in,
// those definitions beat the shared C library's (an object's definition
// always does), and the module would compute with sin and cos that differ
// from glibc's in the last bit for some angles and copy with a plain
// memcpy. So each of those functions is defined here, strong and hidden,
// as a jump to the C library's own symbol named with its version, which
// compiler_rt's unversioned one cannot answer for: the module calls the
// same libm as the gcc build whatever else gets linked.
//
// tools/zig/check_compiler_rt.sh, run before the wheels are built, fails
// when the zig in use defines a C library function missing here.

#if defined(__x86_64__)
#define MIVORA_GLIBC_BASE "GLIBC_2.2.5"
#define MIVORA_GLIBC_MEMCPY "GLIBC_2.14"  // memcpy@GLIBC_2.2.5 is the old, overlap-tolerant one
#define MIVORA_GLIBC_CHK "GLIBC_2.3.4"
#define MIVORA_GLIBC_SSP "GLIBC_2.4"
#define MIVORA_JUMP(target) "jmp " target "@PLT"
#elif defined(__aarch64__)
#define MIVORA_GLIBC_BASE "GLIBC_2.17"
#define MIVORA_GLIBC_MEMCPY "GLIBC_2.17"
#define MIVORA_GLIBC_CHK "GLIBC_2.17"
#define MIVORA_GLIBC_SSP "GLIBC_2.17"
#define MIVORA_JUMP(target) "b " target
#else
#error "no glibc symbol versions known for this architecture"
#endif

// name: a jump to name@version of the C library, in a section of its own
// (the linker drops the ones nothing calls).
#define MIVORA_TO_GLIBC(name, version) \
  __asm__(".pushsection .text." #name ",\"ax\",@progbits\n" \
          ".symver glibc_" #name ", " #name "@" version "\n" \
          ".globl " #name "\n"                              \
          ".hidden " #name "\n"                             \
          ".type " #name ", @function\n"                    \
          ".p2align 4\n" #name ":\n"                        \
          MIVORA_JUMP("glibc_" #name) "\n"                   \
          ".size " #name ", .-" #name "\n"                  \
          ".popsection\n");
// The double, float and long double functions of one name.
#define MIVORA_LIBM(name)                     \
  MIVORA_TO_GLIBC(name, MIVORA_GLIBC_BASE)    \
  MIVORA_TO_GLIBC(name##f, MIVORA_GLIBC_BASE) \
  MIVORA_TO_GLIBC(name##l, MIVORA_GLIBC_BASE)

MIVORA_LIBM(sin)
MIVORA_LIBM(cos)
MIVORA_LIBM(sincos)
MIVORA_LIBM(tan)
MIVORA_LIBM(exp)
MIVORA_LIBM(exp2)
MIVORA_LIBM(log)
MIVORA_LIBM(log2)
MIVORA_LIBM(log10)
MIVORA_LIBM(sqrt)
MIVORA_LIBM(fma)
MIVORA_LIBM(fmax)
MIVORA_LIBM(fmin)
MIVORA_LIBM(fmod)
MIVORA_LIBM(fabs)
MIVORA_LIBM(floor)
MIVORA_LIBM(ceil)
MIVORA_LIBM(round)
MIVORA_LIBM(trunc)

MIVORA_TO_GLIBC(memcpy, MIVORA_GLIBC_MEMCPY)
MIVORA_TO_GLIBC(memmove, MIVORA_GLIBC_BASE)
MIVORA_TO_GLIBC(memset, MIVORA_GLIBC_BASE)
MIVORA_TO_GLIBC(memcmp, MIVORA_GLIBC_BASE)
MIVORA_TO_GLIBC(bcmp, MIVORA_GLIBC_BASE)
MIVORA_TO_GLIBC(strlen, MIVORA_GLIBC_BASE)

MIVORA_TO_GLIBC(__chk_fail, MIVORA_GLIBC_CHK)
MIVORA_TO_GLIBC(__memcpy_chk, MIVORA_GLIBC_CHK)
MIVORA_TO_GLIBC(__memmove_chk, MIVORA_GLIBC_CHK)
MIVORA_TO_GLIBC(__memset_chk, MIVORA_GLIBC_CHK)
MIVORA_TO_GLIBC(__strcat_chk, MIVORA_GLIBC_CHK)
MIVORA_TO_GLIBC(__strcpy_chk, MIVORA_GLIBC_CHK)
MIVORA_TO_GLIBC(__strncat_chk, MIVORA_GLIBC_CHK)
MIVORA_TO_GLIBC(__strncpy_chk, MIVORA_GLIBC_CHK)
MIVORA_TO_GLIBC(__stack_chk_fail, MIVORA_GLIBC_SSP)
