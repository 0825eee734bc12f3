/* Build configuration of the vendored Expat (our file, not Expat's). */
#ifndef MIVORA_EXPAT_CONFIG_H
#define MIVORA_EXPAT_CONFIG_H

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#define BYTEORDER 4321
#else
#define BYTEORDER 1234
#endif

#define HAVE_MEMMOVE 1
#define XML_NS 1
/* No general entities and no parameter entities: the readers refuse every
   document that declares an entity (src/formats/xml_stream.cpp), so Expat
   has none to expand and its expansion accounting (several percent of a
   large read) has nothing to count. The five predefined entities and
   character references are unaffected. */
#define XML_GE 0
#define XML_CONTEXT_BYTES 1024

/* The hash salt comes from the kernel: the getrandom system call (no C
   library wrapper needed, so old glibc baselines work), else /dev/urandom;
   arc4random_buf where the C library has it (macOS, the BSDs). Windows
   builds use rand_s inside Expat. */
#if defined(__linux__)
#define HAVE_SYSCALL_GETRANDOM 1
#define XML_DEV_URANDOM 1
#elif defined(__APPLE__) || defined(__FreeBSD__) || defined(__OpenBSD__) || defined(__NetBSD__)
#define HAVE_ARC4RANDOM_BUF 1
#endif

#endif
