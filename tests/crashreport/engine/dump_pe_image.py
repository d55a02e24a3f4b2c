#!/usr/bin/env python3
"""Writes what pefile (an independent PE reader) finds in a module image, one fact per line, in
the form the module-image reader tests write their own findings: headers, sections, data
directories, exports (by ordinal) and imports (in table order)."""
import sys

import pefile


def text(value):
    return value.decode("latin-1") if value else ""


def main(path):
    pe = pefile.PE(path)
    opt = pe.OPTIONAL_HEADER
    print("machine %x" % pe.FILE_HEADER.Machine)
    print("pe32plus %d" % (opt.Magic == 0x20B))
    print("imagebase %x" % opt.ImageBase)
    print("imagesize %x" % opt.SizeOfImage)
    print("entry %x" % opt.AddressOfEntryPoint)
    for s in pe.sections:
        print("section %s %x %x %x %x %x" % (text(s.Name.rstrip(b"\0")), s.VirtualAddress,
                                             s.Misc_VirtualSize, s.PointerToRawData,
                                             s.SizeOfRawData, s.Characteristics))
    for i, d in enumerate(opt.DATA_DIRECTORY):
        print("directory %d %x %x" % (i, d.VirtualAddress, d.Size))
    if hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        for s in sorted(pe.DIRECTORY_ENTRY_EXPORT.symbols, key=lambda s: s.ordinal):
            print("export %d %x %s %s" % (s.ordinal, s.address, text(s.name), text(s.forwarder)))
    for library in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        for imp in library.imports:
            if imp.import_by_ordinal:
                print("import %s #%d" % (text(library.dll), imp.ordinal))
            else:
                print("import %s %s %d" % (text(library.dll), text(imp.name), imp.hint))


if __name__ == "__main__":
    main(sys.argv[1])
