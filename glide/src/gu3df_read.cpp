// The 3DF reader: header parsing, sizes, table and texel decoding.
//
// The header rules follow what the real library accepts, so files that load
// there load here the same way; what it accepts only by accident (reversed or
// non-power-of-two LOD ranges, odd aspect pairs, one-line headers) or crashes
// on is refused, and no read or write ever leaves its buffer.
#include "gu3df.h"

#include <string.h>

namespace {

enum TableKind { TABLE_NONE, TABLE_NCC, TABLE_PALETTE };

struct FormatInfo {
    const char* name;
    int format;
    int bytesPerTexel;
    TableKind table;
};

const FormatInfo formats[] = {
    {"rgb332", GR_TEXFMT_RGB_332, 1, TABLE_NONE},
    {"yiq", GR_TEXFMT_YIQ_422, 1, TABLE_NCC},
    {"a8", GR_TEXFMT_ALPHA_8, 1, TABLE_NONE},
    {"i8", GR_TEXFMT_INTENSITY_8, 1, TABLE_NONE},
    {"ai44", GR_TEXFMT_ALPHA_INTENSITY_44, 1, TABLE_NONE},
    {"p8", GR_TEXFMT_P_8, 1, TABLE_PALETTE},
    {"argb8332", GR_TEXFMT_ARGB_8332, 2, TABLE_NONE},
    {"ayiq8422", GR_TEXFMT_AYIQ_8422, 2, TABLE_NCC},
    {"rgb565", GR_TEXFMT_RGB_565, 2, TABLE_NONE},
    {"argb1555", GR_TEXFMT_ARGB_1555, 2, TABLE_NONE},
    {"argb4444", GR_TEXFMT_ARGB_4444, 2, TABLE_NONE},
    {"ai88", GR_TEXFMT_ALPHA_INTENSITY_88, 2, TABLE_NONE},
    {"ap88", GR_TEXFMT_AP_88, 2, TABLE_PALETTE},
    {"argb8888", 0x12 /* GR_TEXFMT_ARGB_8888 */, 4, TABLE_NONE},
};

// LOD values up to 2048 texels, as the Voodoo4/5 build of the real library reads.
const int maxLod = 11;

const FormatInfo* formatByValue(int format)
{
    for (const FormatInfo& f : formats)
        if (f.format == format)
            return &f;
    return nullptr;
}

const FormatInfo* formatByName(const char* name, size_t length)
{
    for (const FormatInfo& f : formats) {
        if (strlen(f.name) != length)
            continue;
        size_t i = 0;
        while (i < length) {
            char c = name[i];
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
            if (c != f.name[i])
                break;
            i++;
        }
        if (i == length)
            return &f;
    }
    return nullptr;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A cursor over one header line (without its newline).
struct Line {
    const char* p;
    const char* end;

    void skipSpace()
    {
        while (p < end && isSpace(*p))
            p++;
    }
    // Matches a pattern the way scanf does: a space stands for any run of
    // white space, including none; other characters must match exactly.
    bool match(const char* pattern)
    {
        for (; *pattern; pattern++) {
            if (*pattern == ' ') {
                skipSpace();
            } else {
                if (p == end || *p != *pattern)
                    return false;
                p++;
            }
        }
        return true;
    }
    // An integer as scanf's %i reads it: sign, then 0x hex, 0 octal or decimal.
    bool integer(long* value)
    {
        skipSpace();
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-'))
            negative = *p++ == '-';
        int base = 10;
        if (p < end && *p == '0') {
            base = 8;
            if (end - p >= 3 && (p[1] == 'x' || p[1] == 'X') && digit(p[2], 16) >= 0) {
                base = 16;
                p += 2;
            }
        }
        if (p == end || digit(*p, base) < 0)
            return false;
        long v = 0;
        for (int d; p < end && (d = digit(*p, base)) >= 0; p++)
            if (v < 0x10000000L)
                v = v * base + d;   // beyond any valid size; stop growing
        *value = negative ? -v : v;
        return true;
    }
    bool onlySpaceLeft()
    {
        skipSpace();
        return p == end;
    }
    static int digit(char c, int base)
    {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        return d < base ? d : -1;
    }
};

// log2 of a side length 1..2048, or -1 when it is not a power of two in range.
int lodOfSize(long size)
{
    for (int lod = 0; lod <= maxLod; lod++)
        if (size == (1L << lod))
            return lod;
    return -1;
}

// GR_ASPECT_LOG2 value of a width:height pair, or 4 when it is not one of the seven.
int aspectOfRatio(long w, long h)
{
    static const long pairs[7][2] = {{8, 1}, {4, 1}, {2, 1}, {1, 1}, {1, 2}, {1, 4}, {1, 8}};
    for (int i = 0; i < 7; i++)
        if (w == pairs[i][0] && h == pairs[i][1])
            return 3 - i;
    return 4;
}

FxU32 readBig16(const unsigned char* b)
{
    return FxU32(b[0]) << 8 | b[1];
}
FxU32 readBig32(const unsigned char* b)
{
    return FxU32(b[0]) << 24 | FxU32(b[1]) << 16 | FxU32(b[2]) << 8 | b[3];
}

void decodePalette(const unsigned char* bytes, GuTexPalette* palette)
{
    for (int i = 0; i < 256; i++)
        palette->data[i] = readBig32(bytes + 4 * i);
}

// 16 Y, 12 I and 12 Q values, each a big-endian 16-bit word. Y keeps its low
// byte; I and Q keep nine bits of two's complement without sign extension, as
// the hardware table registers hold them, and are packed for download.
void decodeNcc(const unsigned char* bytes, GuNccTable* ncc)
{
    for (int i = 0; i < 16; i++)
        ncc->yRGB[i] = FxU8(readBig16(bytes + 2 * i));
    for (int i = 0; i < 12; i++) {
        ncc->iRGB[i / 3][i % 3] = FxI16(readBig16(bytes + 32 + 2 * i) & 0x1ff);
        ncc->qRGB[i / 3][i % 3] = FxI16(readBig16(bytes + 56 + 2 * i) & 0x1ff);
    }
    for (int i = 0; i < 4; i++) {
        const FxU8* y = ncc->yRGB + 4 * i;
        ncc->packed_data[i] =
            FxU32(y[0]) | FxU32(y[1]) << 8 | FxU32(y[2]) << 16 | FxU32(y[3]) << 24;
        ncc->packed_data[4 + i] =
            FxU32(ncc->iRGB[i][0]) << 18 | FxU32(ncc->iRGB[i][1]) << 9 | FxU32(ncc->iRGB[i][2]);
        ncc->packed_data[8 + i] =
            FxU32(ncc->qRGB[i][0]) << 18 | FxU32(ncc->qRGB[i][1]) << 9 | FxU32(ncc->qRGB[i][2]);
    }
}

// Bytes from the current position to the end of the stream, or -1.
long bytesLeft(FILE* f)
{
    long here = ftell(f);
    if (here < 0 || fseek(f, 0, SEEK_END) != 0)
        return -1;
    long end = ftell(f);
    if (fseek(f, here, SEEK_SET) != 0 || end < here)
        return -1;
    return end - here;
}

}   // namespace

FxU32 gu3dfTexelBytes(int smallLod, int largeLod, int aspect, int format)
{
    const FormatInfo* fmt = formatByValue(format);
    if (!fmt || smallLod < 0 || largeLod > maxLod || smallLod > largeLod || aspect < -3 ||
        aspect > 3)
        return 0;
    FxU32 texels = 0;
    for (int lod = smallLod; lod <= largeLod; lod++) {
        FxU32 w = 1u << lod, h = 1u << lod;
        if (aspect > 0)
            h = (h >> aspect) ? (h >> aspect) : 1;
        if (aspect < 0)
            w = (w >> -aspect) ? (w >> -aspect) : 1;
        texels += w * h;
    }
    return texels * FxU32(fmt->bytesPerTexel);
}

FxU32 gu3dfTableBytes(int format)
{
    const FormatInfo* fmt = formatByValue(format);
    if (!fmt)
        return 0;
    return fmt->table == TABLE_PALETTE ? 1024 : fmt->table == TABLE_NCC ? 80 : 0;
}

bool gu3dfReadHeader(FILE* f, Gu3dfInfo* info)
{
    // The four lines, read byte by byte so that the stream ends up exactly at
    // the first texel whatever bytes follow.
    char header[GU3DF_MAX_HEADER];
    Line lines[4];
    int count = 0, lineCount = 0;
    const char* lineStart = header;
    while (lineCount < 4) {
        int c = getc(f);
        if (c == EOF || c == '\0' || count == GU3DF_MAX_HEADER)
            return false;
        header[count++] = char(c);
        if (c == '\n') {
            lines[lineCount++] = Line{lineStart, header + count - 1};
            lineStart = header + count;
        }
    }

    Line& magic = lines[0];
    if (!magic.match("3df v") || magic.p == magic.end || isSpace(*magic.p))
        return false;

    Line& name = lines[1];
    name.skipSpace();
    const char* nameStart = name.p;
    while (name.p < name.end && !isSpace(*name.p))
        name.p++;
    const FormatInfo* fmt = formatByName(nameStart, size_t(name.p - nameStart));
    if (!fmt || !name.onlySpaceLeft())
        return false;

    long smallSize, largeSize, ratioW, ratioH;
    Line& range = lines[2];   // these two lines may start with white space
    if (!range.match(" lod range:") || !range.integer(&smallSize) || !range.integer(&largeSize) ||
        !range.onlySpaceLeft())
        return false;
    Line& ratio = lines[3];   // anything after the two numbers is ignored, as the real library does
    if (!ratio.match(" aspect ratio:") || !ratio.integer(&ratioW) || !ratio.integer(&ratioH))
        return false;

    int smallLod = lodOfSize(smallSize), largeLod = lodOfSize(largeSize);
    int aspect = aspectOfRatio(ratioW, ratioH);
    if (smallLod < 0 || largeLod < 0 || smallLod > largeLod || aspect > 3)
        return false;

    FxU32 width = 1u << largeLod, height = 1u << largeLod;
    if (aspect > 0)
        height = (height >> aspect) ? (height >> aspect) : 1;
    if (aspect < 0)
        width = (width >> -aspect) ? (width >> -aspect) : 1;
    info->header.width = width;
    info->header.height = height;
    info->header.small_lod = smallLod;
    info->header.large_lod = largeLod;
    info->header.aspect_ratio = aspect;
    info->header.format = fmt->format;
    info->mem_required = gu3dfTexelBytes(smallLod, largeLod, aspect, fmt->format);
    return true;
}

bool gu3dfReadInfo(FILE* f, Gu3dfInfo* info)
{
    Gu3dfInfo parsed = *info;
    if (!gu3dfReadHeader(f, &parsed))
        return false;
    // A header that promises more than the file holds is refused here, before
    // the caller allocates for it.
    long left = bytesLeft(f);
    if (left < 0 || FxU32(left) < gu3dfTableBytes(parsed.header.format) ||
        FxU32(left) - gu3dfTableBytes(parsed.header.format) < parsed.mem_required)
        return false;
    *info = parsed;
    return true;
}

bool gu3dfReadData(FILE* f, Gu3dfInfo* info)
{
    const Gu3dfHeader& h = info->header;
    const FormatInfo* fmt = formatByValue(h.format);
    FxU32 bytes = gu3dfTexelBytes(h.small_lod, h.large_lod, h.aspect_ratio, h.format);
    if (!info->data || !fmt || bytes == 0 || bytes > info->mem_required)
        return false;

    unsigned char table[1024];
    FxU32 tableBytes = gu3dfTableBytes(h.format);
    if (fread(table, 1, tableBytes, f) != tableBytes)
        return false;

    unsigned char* data = static_cast<unsigned char*>(info->data);
    size_t got = fread(data, 1, bytes, f);
    if (got < bytes) {
        memset(data + got, 0, bytes - got);
        return false;
    }
    if (fmt->bytesPerTexel == 2) {
        for (FxU32 i = 0; i < bytes; i += 2) {
            FxU16 v = FxU16(readBig16(data + i));
            memcpy(data + i, &v, 2);
        }
    } else if (fmt->bytesPerTexel == 4) {
        for (FxU32 i = 0; i < bytes; i += 4) {
            FxU32 v = readBig32(data + i);
            memcpy(data + i, &v, 4);
        }
    }

    if (fmt->table == TABLE_PALETTE)
        decodePalette(table, &info->table.palette);
    if (fmt->table == TABLE_NCC)
        decodeNcc(table, &info->table.nccTable);
    return true;
}
