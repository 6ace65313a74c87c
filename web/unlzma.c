/* The page's two large WebAssembly modules travel in the .lzma format (pack_wasm.py writes it: the
   five property bytes, the unpacked size in eight bytes little-endian, then the LZMA stream with its
   end mark), which no browser unpacks. This is the small module that does, around the LZMA SDK's
   decoder (LzmaDec.c, built from Debian's source by build_unlzma.sh), for unlzma.js: the script
   copies the packed bytes above unlzma_heap(), starts, then runs the decoder as far as it wants the
   output at a time. No allocator and no C library: the one table the decoder asks for is static. */
#include "LzmaDec.h"

enum { kHeaderSize = LZMA_PROPS_SIZE + 8 };

/* The decoder's probabilities: 1846 + 0x300 << (lc + lp) of them. The packer keeps the default lc 3,
   lp 0; a stream that asks for more than lc + lp = 4 is refused (as out of memory). */
static CLzmaProb probabilities[1846 + (0x300 << 4)];

static void* allocate(void* unused, size_t size) {
    (void)unused;
    return size <= sizeof probabilities ? probabilities : 0;
}
static void release(void* unused, void* address) {
    (void)unused;
    (void)address;
}
static ISzAlloc allocator = {allocate, release};

static CLzmaDec decoder;
static const Byte* input;
static SizeT inputLeft;

/* The first byte above the module's own data and stack: from here the memory is the script's. */
extern Byte __heap_base;
Byte* unlzma_heap(void) { return &__heap_base; }

/* Readies the decoder for the .lzma file of inSize bytes at in, whose unpacked size (the script reads
   it from the header) is size, to be unpacked into out: the whole output is the decoder's dictionary,
   so no window is allocated. Returns 0, or the LZMA SDK's fault (SZ_ERROR_...). */
int unlzma_start(Byte* out, SizeT size, const Byte* in, SizeT inSize) {
    SRes fault;
    LzmaDec_Construct(&decoder);
    if (inSize < kHeaderSize) return SZ_ERROR_INPUT_EOF;
    fault = LzmaDec_AllocateProbs(&decoder, in, LZMA_PROPS_SIZE, &allocator);
    if (fault != SZ_OK) return fault;
    decoder.dic = out;
    decoder.dicBufSize = size;
    LzmaDec_Init(&decoder);
    input = in + kHeaderSize;
    inputLeft = inSize - kHeaderSize;
    return SZ_OK;
}

/* Unpacks until the first `until` bytes of the output are there (at most the size given to
   unlzma_start). At the size the stream must end there with its mark, and no input may be left:
   .lzma has no checksum, so this is what tells a damaged stream from a whole one. Returns 0, or the
   fault (SZ_ERROR_INPUT_EOF: the stream ended or broke off short of `until`). */
int unlzma_run(SizeT until) {
    const int last = until >= decoder.dicBufSize;
    SizeT used = inputLeft;
    ELzmaStatus status;
    const SRes fault = LzmaDec_DecodeToDic(&decoder, last ? decoder.dicBufSize : until, input, &used,
                                           last ? LZMA_FINISH_END : LZMA_FINISH_ANY, &status);
    input += used;
    inputLeft -= used;
    if (fault != SZ_OK) return fault;
    if (decoder.dicPos < (last ? decoder.dicBufSize : until) || status == LZMA_STATUS_NEEDS_MORE_INPUT)
        return SZ_ERROR_INPUT_EOF;
    if (last && (status != LZMA_STATUS_FINISHED_WITH_MARK || inputLeft != 0)) return SZ_ERROR_DATA;
    return SZ_OK;
}
