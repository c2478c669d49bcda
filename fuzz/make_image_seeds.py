#!/usr/bin/env python3
"""Writes small starting inputs for the image import fuzz targets into <folder>/<format>/.

Each input is what its target expects behind the prefix the target adds itself (the BMP and GIF signatures,
the PNG signature, the JPEG start and JFIF segment, the picture file header and size). Without them the
fuzzer must first discover a whole valid header through libraries whose branches it cannot see.

Usage: make_image_seeds.py <folder>
"""
import os
import struct
import sys
import zlib


def bmp_seeds():
    def bmp(width, height, bits, compression, colors, pixels, masks=()):
        header_size = 56 if masks else 40
        info = struct.pack('<IiiHHIIiiII', header_size, width, height, 1, bits, compression, len(pixels),
                           2835, 2835, len(colors), 0)
        if masks:
            info += struct.pack('<IIII', *masks, 0)
        table = b''.join(struct.pack('<BBBB', c & 255, c >> 8 & 255, c >> 16 & 255, 0) for c in colors)
        offset = 14 + len(info) + len(table)
        # The target adds "BM".
        return struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + table + pixels

    return {
        '8bit': bmp(2, 2, 8, 0, [0, 0xFFFFFF, 0x808080], bytes([0, 1, 0, 0, 2, 1, 0, 0])),
        'rle8': bmp(4, 2, 8, 1, [0, 0xFF0000], bytes([2, 1, 0, 3, 1, 0, 1, 0, 0, 0, 4, 1, 0, 1])),
        'rle4': bmp(4, 2, 4, 2, [0, 0xFF], bytes([4, 0x10, 0, 0, 0, 2, 1, 1, 2, 0x11, 0, 1])),
        '1bit': bmp(9, 1, 1, 0, [0, 0xFFFFFF], bytes([0xA5, 0x80, 0, 0])),
        '24bit': bmp(1, 2, 24, 0, [], bytes([1, 2, 3, 0, 4, 5, 6, 0])),
        'fields': bmp(1, 1, 16, 3, [], bytes([0x1F, 0xF8, 0, 0]), (0xF800, 0x07E0, 0x001F)),
    }


def gif_lzw(pixels, code_size):
    # Literal codes only, with a clear code before the table would make codes wider.
    clear = 1 << code_size
    codes = []
    for i, p in enumerate(pixels):
        if i % (clear - 2) == 0:
            codes.append(clear)
        codes.append(p)
    codes.append(clear + 1)
    bits, nbits, out = 0, 0, bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += code_size + 1
        while nbits >= 8:
            out.append(bits & 255)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 255)
    blocks = bytearray([code_size])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b'\0')


def gif_seeds():
    def gif(first, width, height, interlaced, control):
        # The first byte chooses "GIF87a" (odd) or "GIF89a" (even); the target adds the signature.
        screen = struct.pack('<HHBBB', width, height, 0x81, 0, 0) + bytes([0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 0])
        extension = bytes([0x21, 0xF9, 4, 1, 0, 0, 1, 0]) if control else b''
        descriptor = b',' + struct.pack('<HHHHB', 0, 0, width, height, 0x40 if interlaced else 0)
        pixels = [(x + y) % 4 for y in range(height) for x in range(width)]
        return bytes([first]) + screen + extension + descriptor + gif_lzw(pixels, 2) + b';'

    return {'plain': gif(0, 3, 2, False, False), 'interlaced': gif(0, 2, 5, True, True),
            'gif87a': gif(1, 2, 2, False, False)}


def png_chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def png_seeds():
    def png(width, height, depth, color, rows, extra=b'', interlace=0):
        ihdr = png_chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, color, 0, 0, interlace))
        data = zlib.compress(b''.join(b'\0' + r for r in rows))
        return ihdr + extra + png_chunk(b'IDAT', data) + png_chunk(b'IEND', b'')

    palette = png_chunk(b'PLTE', bytes([255, 0, 0, 0, 255, 0, 0, 0, 255])) + png_chunk(b'tRNS', bytes([0, 128]))
    return {
        'grey': png(2, 2, 8, 0, [b'\x00\xff', b'\x80\x40'], png_chunk(b'gAMA', struct.pack('>I', 45455))),
        'palette': png(4, 1, 2, 3, [b'\x1b'], palette + png_chunk(b'bKGD', b'\x01')),
        'rgba': png(1, 2, 8, 6, [b'\x01\x02\x03\x04', b'\x05\x06\x07\x08'],
                    png_chunk(b'pHYs', struct.pack('>IIB', 5670, 2835, 1))),
        'rgb16': png(1, 1, 16, 2, [b'\x01\x02\x03\x04\x05\x06'],
                     png_chunk(b'oFFs', struct.pack('>iiB', 10, 20, 0))),
        'greyalpha': png(3, 3, 8, 4, [b'\x01\x02' * 3] * 3),
        'interlaced': png(1, 1, 8, 0, [b'\x07'], b'', 1),
    }


def jpeg_seeds():
    # One 8x8 grey block: a quantisation table, the frame, one-code Huffman tables and a scan whose only
    # codes are a zero DC difference and an end of block. The target adds the start marker and JFIF segment.
    dqt = b'\xff\xdb\x00\x43\x00' + bytes([1] * 64)
    sof = b'\xff\xc0\x00\x0b\x08\x00\x08\x00\x08\x01\x01\x11\x00'
    counts = bytes([1] + [0] * 15)
    dht = b'\xff\xc4\x00\x14\x00' + counts + b'\x00' + b'\xff\xc4\x00\x14\x10' + counts + b'\x00'
    sos = b'\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00'
    grey = dqt + sof + dht + sos + b'\x3f' + b'\xff\xd9'
    colour_sof = b'\xff\xc0\x00\x11\x08\x00\x08\x00\x08\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00'
    colour_sos = b'\xff\xda\x00\x0c\x03\x01\x00\x02\x00\x03\x00\x00\x3f\x00'
    colour = dqt + colour_sof + dht + colour_sos + b'\x03' + b'\xff\xd9'
    return {'grey': grey, 'colour': colour}


def pict_seeds():
    frame = struct.pack('>hhhh', 0, 0, 2, 4)

    def version2(ops):
        body = frame + b'\x00\x11\x02\xff\x0c\x00' + bytes(24) + ops
        if len(body) % 2:
            body += b'\0'
        return body + b'\x00\xff'

    def pixmap(row_bytes, pack_type, pixel_size, components):
        return (struct.pack('>H', row_bytes | 0x8000) + frame + struct.pack('>HHIIIHHHHIII', 0, pack_type, 0,
                72 << 16, 72 << 16, 16 if pixel_size > 8 else 0, pixel_size, components,
                8 if pixel_size > 8 else pixel_size, 0, 0, 0))

    rects = frame + frame + b'\x00\x00'
    table = struct.pack('>IHH', 0, 0, 1) + bytes(16)
    indexed = b'\x00\x98' + pixmap(8, 0, 8, 1) + table + rects + (b'\x05\x03\x01\x02\x03\x04' * 2)
    direct = b'\x00\x9a' + bytes(4) + pixmap(16, 1, 32, 3) + rects + bytes(range(32))
    packed = b'\x00\x9a' + bytes(4) + pixmap(16, 4, 32, 3) + rects + (b'\x02\xf5\x10' * 2)
    skipped = b'\x00\x01\x00\x0a' + bytes(8) + b'\x00\xa1\x00\x01\x00\x02hi' + b'\x00\x12\x00\x02' + bytes(14)
    version1 = frame + b'\x11\x01' + b'\x90' + struct.pack('>H', 2) + frame + rects + bytes(4) + b'\xff'
    return {'indexed': version2(indexed), 'direct': version2(direct), 'packed': version2(packed),
            'skipped': version2(skipped + indexed), 'version1': version1}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    for name, seeds in (('bmp', bmp_seeds()), ('gif', gif_seeds()), ('png', png_seeds()),
                        ('jpeg', jpeg_seeds()), ('pict', pict_seeds())):
        folder = os.path.join(sys.argv[1], name)
        os.makedirs(folder, exist_ok=True)
        for seed, data in seeds.items():
            with open(os.path.join(folder, seed), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()
