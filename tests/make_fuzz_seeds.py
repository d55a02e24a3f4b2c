#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (tests/<folder>/corpus/<target>/) from real
inputs made by outside tools: Intel HEX files written by srec_cat, device-information records
laid out as the record's description packs them for every family, settings files, component
streams converted from form layouts by Free Pascal's converter (streamconv, built by the native
build where fpc is installed), PNG and GIF images written by ImageMagick and gifsicle, JPEG files
written by cjpeg, a version resource compiled by windres, the demo devices' geometries and the
command frames the bootloader protocol defines, the main window's HTML captions, zip members and
screenshot bitmaps made with ImageMagick, and DNS replies built with dnslib. The files are
committed; run this again only to renew them:

    tests/make_fuzz_seeds.py <native build folder>
"""
import os
import random
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def corpus(folder, target):
    path = os.path.join(ROOT, 'tests', folder, 'corpus', target)
    os.makedirs(path, exist_ok=True)
    for name in os.listdir(path):
        os.remove(os.path.join(path, name))
    return path


def write(path, name, data):
    with open(os.path.join(path, name), 'wb') as f:
        f.write(data)


# ---- HEX loader: 7 header bytes (family, revision, bootloader start, flash size, raw text)
# followed by a HEX file that srec_cat wrote.

def hex_file(tmp, address, length, seed, record_bytes):
    rng = random.Random(seed)
    binary = os.path.join(tmp, 'in.bin')
    out = os.path.join(tmp, 'out.hex')
    with open(binary, 'wb') as f:
        f.write(bytes(rng.randrange(256) for _ in range(length)))
    subprocess.run(['srec_cat', binary, '-binary', '-offset', hex(address), '-o', out, '-intel',
                    '-address-length=4', '-obs=%d' % record_bytes], check=True)
    with open(out, 'rb') as f:
        return f.read()


def hex_seeds(tmp):
    path = corpus('app', 'fuzz_hex_loader')
    # family, revision high byte, bootloader start >> 8 (split as the harness reads it),
    # flash size >> 8, file address, length, record size
    cases = [
        ('pic18', 2, 0x01, 0x00007C, 0x000080, 0x0000, 300, 16),
        ('pic16', 1, 0x01, 0x000040, 0x000040, 0x0010, 64, 8),
        ('pic24', 4, 0x01, 0x000200, 0x000300, 0x0000, 96, 32),
        ('pic32', 20, 0x12, 0x000000, 0x000800, 0x1D000000, 200, 32),
        ('pic32boot', 21, 0x01, 0x000000, 0x000800, 0x1FC00000, 64, 16),
        ('arm', 30, 0x01, 0x000080, 0x000100, 0x0000, 256, 16),
        ('stm32', 37, 0x12, 0x000000, 0x000400, 0x08000000, 512, 32),
        ('stm32-below', 35, 0x01, 0x000080, 0x000100, 0x0000, 16, 16),
    ]
    for name, family, revision, boot, flash, address, length, record in cases:
        header = bytes([family, revision, (boot >> 16) & 0xFF, boot & 0xFF, (flash >> 8) & 0xFF,
                        flash & 0xFF, 0])
        write(path, name + '.bin', header + hex_file(tmp, address, length, len(name), record))


# ---- Device-information record: byte 0 the family known before, then the record as a device
# sends it. A value starts at the first offset behind its tag that is a multiple of its
# alignment: 16/32 bits at 2/2 for the PIC24 group, 2/4 for PIC32, the ARM families and FT90x,
# 1/1 for the 8-bit PICs.

FAMILIES = [1, 2, 3, 4, 10, 11, 20, 21, 30, 31, 32, 33, 34, 35, 36, 37, 38, 40, 41, 42, 43, 46]


def alignment(family):
    if family in (4, 10, 11):
        return 2, 2
    if family in (1, 2, 3) or family not in FAMILIES:
        return 1, 1
    return 2, 4


def record(family, name):
    a16, a32 = alignment(family)
    out = bytearray([0, 1, family])

    def value(tag, v, size, align):
        out.append(tag)
        while len(out) % align:
            out.append(0)
        out.extend(v.to_bytes(size, 'little'))

    value(3, 1024, 2, a16)
    value(4, 64, 2, a16)
    value(5, 0x1201, 2, a16)
    value(6, 0x0807C000, 4, a32)
    value(8, 0x00080000, 4, a32)
    value(9, 0x00004000, 4, a32)
    out.append(7)
    out.extend(name.encode() + b'\0')
    out[0] = len(out)
    return bytes(out)


def device_info_seeds():
    path = corpus('app', 'fuzz_device_info')
    for family in FAMILIES:
        write(path, 'family-%d.bin' % family, bytes([0]) + record(family, 'DEV%d' % family))


# ---- Settings files in the layout the main window writes.

SETTINGS = (b'[frmDovrel]\r\nFormVersion=0\r\nShowCmd=1\r\nFlags=0\r\nPixelsPerInch=96\r\n'
            b'MinMaxPos(1280x1024)=-1,-1,-1,-1\r\nMinMaxPos=-1,-1,-1,-1\r\n'
            b'NormPos(1280x1024)=234,120,723,533\r\nNormPos=234,120,723,533\r\n'
            b'CheckBoxClose_Checked=FALSE\r\nOpenDialog1_InitialDir=C:\\firmware\r\n'
            b'OpenDialog1_FileName=C:\\firmware\\app.hex\r\nMCUComboBox_ItemIndex=-1\r\n\r\n')


def ini_seeds():
    path = corpus('storage', 'storage_ini_document_fuzz')
    write(path, 'settings.ini', SETTINGS)
    write(path, 'comments-and-blanks.ini',
          b'; comment\n\n[a]\nx = 1\n[b]\n y=two words \nnovalue\n[a]\nz=\n')


# ---- Component streams: form layouts in the text form, converted by Free Pascal.

def stream_seeds(tmp, streamconv):
    layouts = [os.path.join(ROOT, 'tests', 'classlib', 'layouts', 'Board.form'),
               os.path.join(ROOT, 'resources', 'forms', 'Dovrel.form')]
    path = corpus('classlib', 'classlib_component_stream_fuzz')
    for layout in layouts:
        out = os.path.join(tmp, 'out.bin')
        subprocess.run([streamconv, 't2b', layout, out], check=True)
        with open(out, 'rb') as f:
            write(path, os.path.splitext(os.path.basename(layout))[0] + '.bin', f.read())


# ---- Crash-report zip writer and screenshot PNG writer: zip members are (name length, content
# length / 64, content length % 64, name, content) made of real files of the tree and a BMP
# that ImageMagick wrote; bitmaps are (width, height, format, BGRA pixels) that ImageMagick
# rendered from its built-in pictures.

def zip_member(name, content):
    content = content[:255 * 64 + 63]
    return bytes([len(name), len(content) // 64, len(content) % 64]) + name + content


def crashreport_seeds(tmp):
    path = corpus('crashreport/ui', 'zip_writer_fuzz')
    with open(os.path.join(ROOT, 'README.md'), 'rb') as f:
        readme = f.read()
    bmp = os.path.join(tmp, 'rose.bmp')
    subprocess.run(['convert', 'rose:', 'BMP3:' + bmp], check=True)
    with open(bmp, 'rb') as f:
        rose = f.read()
    write(path, 'readme.bin', zip_member(b'README.md', readme))
    write(path, 'two-members.bin', zip_member(b'bugreport.txt', readme[:3000]) +
          zip_member('Bild \u00c4rger.bmp'.encode('utf-8'), rose))
    write(path, 'empty-member.bin', zip_member(b'empty.log', b'') + zip_member(b'rose.bmp', rose))

    path = corpus('crashreport/ui', 'screenshot_png_fuzz')
    for picture, width, height, fmt in (('rose:', 40, 28, 0), ('logo:', 33, 21, 1), ('granite:', 40, 20, 2)):
        pixels = subprocess.run(['convert', picture, '-crop', '%dx%d+0+0' % (width, height), '+repage',
                                 '-depth', '8', 'BGRA:-'], check=True, capture_output=True).stdout
        write(path, picture.strip(':') + '.bin', bytes([width, height, fmt]) + pixels)


# ---- DNS replies of the mail exchanger lookup: MX and NS answers packed by dnslib (compressed
# names, referrals, an error code), for the reply reader.

def dns_seeds():
    from dnslib import DNSRecord, DNSHeader, DNSQuestion, RR, QTYPE, MX, NS, RCODE
    path = corpus('crashreport/ui', 'dns_reply_fuzz')

    def reply(name, qtype, answers=(), authorities=(), rcode=0):
        question = DNSRecord(DNSHeader(id=1, rd=1), q=DNSQuestion('example.test', getattr(QTYPE, qtype)))
        answer = question.reply()
        answer.header.rcode = rcode
        for record in answers:
            answer.add_answer(record)
        for record in authorities:
            answer.add_auth(record)
        write(path, name, answer.pack())

    reply('mx-two.bin', 'MX', [RR('example.test', QTYPE.MX, rdata=MX('mx1.example.test', 10)),
                               RR('example.test', QTYPE.MX, rdata=MX('mail.other.test', 20))])
    reply('ns-referral.bin', 'NS', [], [RR('example.test', QTYPE.NS, rdata=NS('ns1.example.test')),
                                        RR('example.test', QTYPE.NS, rdata=NS('ns2.other.test'))])
    reply('ns-answer.bin', 'NS', [RR('example.test', QTYPE.NS, rdata=NS('ns.example.test'))])
    reply('name-error.bin', 'MX', rcode=RCODE.NXDOMAIN)


# ---- Upload plans: the harness reads a family index, a shape byte (block sizes as powers of
# two), the boot revision, boot start, application start and flash size in block units, the
# image size and, for PIC32, a boot-flash size; the image bytes follow. The geometries are those
# of the demo devices and of typical parts of each family; the image is a srec_cat binary.

UPLOAD_CODES = [1, 2, 3, 4, 10, 11, 20, 21, 30, 31, 32, 33, 34, 35, 36, 37, 38, 40, 41, 42, 43, 46, 39]


def upload_plan_seeds(tmp):
    path = corpus('app', 'fuzz_upload_plan')
    image = hex_file(tmp, 0, 300, 7, 16)
    binary = os.path.join(tmp, 'image.bin')
    subprocess.run(['srec_cat', '-', '-intel', '-o', binary, '-binary'], input=image, check=True)
    with open(binary, 'rb') as f:
        program = f.read()
    # name, family, erase block 64 << n, write block = erase block >> m, boot revision,
    # boot start / (4 blocks), application start / block, flash size / (8 blocks)
    cases = [
        ('pic18-demo', 2, 0, 1, 1, 124, 0, 64),      # PIC18F4550: 64/32, boot 0x7C00, 32 KB
        ('pic16', 1, 0, 1, 0, 30, 0, 16),
        ('pic24', 4, 4, 3, 1, 40, 1, 20),
        ('pic32', 20, 6, 2, 1, 0, 2, 16),
        ('pic32mz', 21, 7, 3, 1, 0, 1, 16),
        ('stm32f4-demo', 37, 4, 2, 1, 224, 0, 128),  # STM32F407VG: 1024/256, boot 0xE0000, 1 MB
        ('stm32f1', 34, 4, 2, 0, 0, 4, 16),
        ('arm', 30, 4, 2, 1, 60, 0, 32),
        ('ft90x', 46, 6, 2, 1, 0, 1, 64),
    ]
    for name, family, erase, write_shift, revision, boot, app, flash in cases:
        data = bytes([UPLOAD_CODES.index(family), erase | (write_shift << 3), revision, boot, app, flash])
        data += struct.pack('<H', len(program) // 2) + bytes([len(program) % 2])
        if family in (20, 21):
            data += struct.pack('<H', 0x300)
        write(path, name + '.bin', data + program)


# ---- Simulated bootloader: 8 bytes choose the device (family index, erase and write block,
# revision, flash size, boot layout, erased flash, and with an odd last byte a configuration
# text instead of reports); then 64-byte reports carrying the protocol's command frames.

SIM_FAMILIES = [1, 2, 3, 4, 10, 11, 20, 21, 30, 31, 32, 33, 34, 35, 36, 37, 38, 40, 41, 42, 43, 46, 99]


def report(frame):
    return frame + bytes(64 - len(frame))


def command(code, address=None, count=None):
    frame = bytes([0x0F, code])
    if address is not None:
        frame += struct.pack('<IH', address, count)
    return report(frame)


def simulator_seeds():
    path = corpus('simulator', 'simulator_engine_fuzz')
    with open(os.path.join(ROOT, 'tools', 'simulator', 'demo.ini'), 'rb') as f:
        write(path, 'demo-config.bin', bytes([2, 15, 31, 0, 1, 1, 0, 1]) + f.read())
    for family in (2, 37, 20):
        # erase block 1 + (15 << 2) = 61 bytes, write block 32, 8 KB flash
        header = bytes([SIM_FAMILIES.index(family), 15, 31, 1, 1, 1, 1, 0])
        session = command(3) + command(1) + command(2)
        session += command(21, 0x1000, 2)
        session += command(11, 0x0F80, 61) + report(bytes(range(61)))
        session += command(4)
        write(path, 'session-family-%d.bin' % family, header + session)


# ---- Item streams: the harness patches the sample tree's stream ("P", offset, bytes); no
# patch gives the sample itself.

def item_stream_seeds():
    path = corpus('dataprovider', 'dataprovider_item_stream_fuzz')
    write(path, 'sample.bin', b'P\0\0')
    write(path, 'patched-count.bin', b'P\x10\x00\x02')


# ---- Mini-HTML: 6 bytes of flags, rectangle and hit point, then the main window's captions.

def html_seeds():
    path = corpus('html', 'html_layout_fuzz')
    with open(os.path.join(ROOT, 'resources', 'forms', 'Dovrel.form'), 'rb') as f:
        layout = f.read()
    captions = sorted(set(part.split(b"'")[0] for part in layout.split(b"'<")[1:]))
    for i, caption in enumerate(captions):
        write(path, 'caption-%d.bin' % i, bytes([i * 37 % 256, 2, 3, 90, 20, 40]) + b'<' + caption)


# ---- Pictures: PNG and GIF from ImageMagick and gifsicle, JPEG from cjpeg.

def png_seeds(tmp):
    path = corpus('png', 'png_stream_fuzz')
    source = ['-size', '16x12', 'gradient:red-blue']
    cases = [
        ('gray1', ['-colorspace', 'Gray', '-depth', '1', '-define', 'png:color-type=0']),
        ('gray8', ['-colorspace', 'Gray', '-depth', '8', '-define', 'png:color-type=0']),
        ('gray16', ['-colorspace', 'Gray', '-depth', '16', '-define', 'png:color-type=0']),
        ('rgb8', ['-depth', '8', '-define', 'png:color-type=2']),
        ('rgb8-interlaced', ['-depth', '8', '-define', 'png:color-type=2', '-interlace', 'PNG']),
        ('palette', ['-depth', '8', '-colors', '16', '-define', 'png:color-type=3']),
        ('gray-alpha', ['-colorspace', 'Gray', '-alpha', 'set', '-channel', 'A', '-evaluate', 'set', '50%',
                        '-depth', '8', '-define', 'png:color-type=4']),
        ('rgba16', ['-alpha', 'set', '-channel', 'A', '-evaluate', 'set', '50%', '-depth', '16',
                    '-define', 'png:color-type=6']),
    ]
    for name, options in cases:
        out = os.path.join(path, name + '.png')
        subprocess.run(['convert'] + source + options + ['PNG:' + out], check=True)


def gif_seeds(tmp):
    path = corpus('draw', 'draw_gif_frames_fuzz')
    animation = os.path.join(path, 'three-frames.gif')
    subprocess.run(['convert', '-delay', '10', '-size', '8x6', 'xc:red', 'xc:lime', 'xc:blue', '-loop', '0',
                    animation], check=True)
    with open(os.path.join(path, 'optimized.gif'), 'wb') as out:
        subprocess.run(['gifsicle', '-O2', animation], stdout=out, check=True)
    with open(os.path.join(path, 'local-colors.gif'), 'wb') as out:
        subprocess.run(['gifsicle', '--colors', '4', '--crop', '1,1+4x3', animation], stdout=out, check=True)
    subprocess.run(['convert', '-size', '10x10', 'gradient:white-black', '-colors', '8',
                    os.path.join(path, 'still.gif')], check=True)


def jpeg_seeds(tmp):
    path = corpus('draw', 'jpeg_decode_fuzz')
    source = os.path.join(tmp, 'in.ppm')
    subprocess.run(['convert', '-size', '24x16', 'gradient:yellow-navy', source], check=True)
    cases = [
        ('baseline', ['-quality', '75']),
        ('progressive', ['-progressive']),
        ('grayscale', ['-grayscale']),
        ('restart', ['-restart', '1']),
        ('no-subsampling', ['-sample', '1x1', '-optimize']),
    ]
    for name, options in cases:
        subprocess.run(['cjpeg'] + options + ['-outfile', os.path.join(path, name + '.jpg'), source], check=True)


# ---- Version resource: the test program's resource script compiled by windres; the resource
# data of type 16 taken out of the .res file.

def version_seeds(tmp):
    path = corpus('storage', 'bcl_file_version_fuzz')
    res = os.path.join(tmp, 'version.res')
    subprocess.run(['x86_64-w64-mingw32-windres', '-i', os.path.join(ROOT, 'tests', 'storage',
                                                                     'VersionedProgram.rc'),
                    '-O', 'res', '-o', res], check=True)
    with open(res, 'rb') as f:
        data = f.read()
    at = 0
    while at + 8 <= len(data):
        size, header = struct.unpack_from('<II', data, at)
        resource_type = struct.unpack_from('<HH', data, at + 8)
        if resource_type == (0xFFFF, 16):
            resource = data[at + header:at + header + size]
            # An even first byte makes the harness read the bytes as a whole resource.
            assert resource[0] % 2 == 0, 'the harness would read this resource as patches'
            write(path, 'versioned-program.bin', resource)
            write(path, 'patches.bin', bytes([1, 6, 0x41, 40, 0, 90, 0x7F, 3]))
            return
        at += (header + size + 3) & ~3
    sys.exit('no version resource in ' + res)


# ---- Dock rows: a first byte choosing rows (even) or floating rows (odd); then the panel,
# the toolbars and a list of moves (see DockRowLayoutFuzz.cpp).

def toolbar_rows_seeds():
    path = corpus('toolbar', 'toolbar_rows_fuzz')
    # Two rows of three toolbars on a horizontal panel, moved along, across and hidden.
    toolbars = bytes([20, 40, 1, 10, 1]) * 3 + bytes([0, 30, 0, 5, 0, 7]) * 3
    moves = bytes([0, 1, 0xF0, 1, 2, 2, 0xFE, 1, 3, 0, 0x80, 1, 1, 1, 0x20, 1, 4, 2, 1, 1])
    write(path, 'two-rows.bin', bytes([0, 0, 100, 6]) + toolbars + bytes([1] * 6) + moves)
    write(path, 'vertical-menu-bar.bin', bytes([0, 1, 60, 3, 10, 20, 0, 4, 16, 0]) + moves)
    write(path, 'six-buttons.bin', bytes([1, 59, 6]) + bytes([24]) * 6)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    streamconv = os.path.join(sys.argv[1], 'tests', 'classlib', 'outside', 'streamconv')
    with tempfile.TemporaryDirectory() as tmp:
        hex_seeds(tmp)
        device_info_seeds()
        ini_seeds()
        stream_seeds(tmp, streamconv)
        upload_plan_seeds(tmp)
        simulator_seeds()
        item_stream_seeds()
        html_seeds()
        png_seeds(tmp)
        gif_seeds(tmp)
        jpeg_seeds(tmp)
        version_seeds(tmp)
        crashreport_seeds(tmp)
        dns_seeds()
        toolbar_rows_seeds()


if __name__ == '__main__':
    main()
