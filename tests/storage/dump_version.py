#!/usr/bin/env python3
"""Writes what pefile reads from a program's version resource, one fact per line, in the
form the version-information test builds from its own reader:
  fixed <FileVersionMS> <FileVersionLS> <ProductVersionMS> <ProductVersionLS> <mask> <flags>
  table <index> <key>          (string-table key as stored, upper case)
  string <index> <key>=<value>
  translation <language> <code page>   (4 lower-case hex digits each)
"""
import sys

import pefile


def text(value):
    return value.decode() if isinstance(value, bytes) else value


def main(program, output):
    pe = pefile.PE(program, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    lines = []
    fixed = pe.VS_FIXEDFILEINFO[0]
    lines.append("fixed %08x %08x %08x %08x %08x %08x" % (
        fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS,
        fixed.ProductVersionLS, fixed.FileFlagsMask, fixed.FileFlags))
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for index, table in enumerate(info.StringTable):
                lines.append("table %d %s" % (index, text(table.LangID).upper()))
                for key, value in table.entries.items():
                    lines.append("string %d %s=%s" % (index, text(key), text(value)))
        elif info.Key == b"VarFileInfo":
            # pefile's own entry keeps only the last pair; read every pair of the value
            # from the file at the block pefile located.
            data = pe.__data__
            for var in info.Var:
                header = 6 + 2 * (len("Translation") + 1)
                start = var.get_file_offset() + (header + 3) // 4 * 4
                for at in range(start, start + var.ValueLength - 3, 4):
                    language = int.from_bytes(data[at:at + 2], "little")
                    code_page = int.from_bytes(data[at + 2:at + 4], "little")
                    lines.append("translation %04x %04x" % (language, code_page))
    with open(output, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
