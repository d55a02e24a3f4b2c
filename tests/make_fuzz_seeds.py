#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (tests/<folder>/corpus/<target>/) from real
inputs made by outside tools: Intel HEX files written by srec_cat, device-information records
laid out as the record's description packs them for every family, settings files, and component
streams converted from form layouts by Free Pascal's converter (streamconv, built by the native
build where fpc is installed), and zip members and screenshot bitmaps made with ImageMagick. The
files are committed; run this again only to renew them:

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


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    streamconv = os.path.join(sys.argv[1], 'tests', 'classlib', 'outside', 'streamconv')
    with tempfile.TemporaryDirectory() as tmp:
        hex_seeds(tmp)
        device_info_seeds()
        ini_seeds()
        stream_seeds(tmp, streamconv)
        crashreport_seeds(tmp)
        dns_seeds()


if __name__ == '__main__':
    main()
