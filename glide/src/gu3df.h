/*
 * The 3DF texture file reader behind gu3dfGetInfo and gu3dfLoad, on open
 * streams so that tests and the fuzzer can feed it memory.
 *
 * A 3DF file is four text lines, an optional palette or NCC table, then the
 * texels of every level, largest first, with 16- and 32-bit texels stored
 * big-endian:
 *
 *     3df v1.1
 *     rgb565
 *     lod range: 1 64        (longer side of the smallest and largest level)
 *     aspect ratio: 1 1      (width first: "4 1" is four times wider than high)
 */
#ifndef OBX_GU3DF_H
#define OBX_GU3DF_H

#include <stdio.h>
#include <glide.h>
#include <glideutl.h>

/* The longest header the real library accepts, in bytes up to and including
 * the fourth newline. */
#define GU3DF_MAX_HEADER 99

/* Reads the four header lines from the current position of f and checks them.
 * On success fills info->header and info->mem_required (raw texel bytes) and
 * leaves f just after the fourth newline; on failure info is unchanged. */
bool gu3dfReadHeader(FILE* f, Gu3dfInfo* info);

/* gu3dfGetInfo on a stream positioned at the start of the file: the header,
 * and the file must also be long enough for its table and every texel. */
bool gu3dfReadInfo(FILE* f, Gu3dfInfo* info);

/* gu3dfLoad on a stream positioned just after the header: reads the table and
 * the texels that info->header describes (the caller's header, as the real
 * library does) into info->table and info->data, 16- and 32-bit texels in host
 * order. Fails without writing anything when info->data is null, the header
 * is not a valid texture or its texels need more than info->mem_required
 * bytes; on a short file the unread texels are zeroed and it fails. */
bool gu3dfReadData(FILE* f, Gu3dfInfo* info);

/* Bytes of texels for levels small..large (LOD log2 values) of the given
 * aspect and format; 0 when the description is not a valid texture. */
FxU32 gu3dfTexelBytes(int smallLod, int largeLod, int aspect, int format);

/* Bytes of the palette or NCC table stored before the texels (0, 80 or 1024). */
FxU32 gu3dfTableBytes(int format);

#endif /* OBX_GU3DF_H */
