#!/usr/bin/env python3
"""Reads a settings file with Python's configparser, an INI reader independent of the program's,
and writes what it found to an output file, one "section|key|value" line per value in file
order, or one "error|<message>" line when the file does not parse. The output appears whole
(written aside, then renamed), because the test that waits for it cannot wait for this process.

    read_settings.py <settings file> <output file>
"""
import configparser
import os
import sys


def read(settings):
    parser = configparser.ConfigParser(interpolation=None, strict=True, default_section="\x00")
    parser.optionxform = str  # keys keep their case
    try:
        with open(settings, encoding="latin-1") as f:
            parser.read_file(f)
    except (configparser.Error, OSError) as e:
        return ["error|" + " ".join(str(e).split())]
    return [f"{section}|{key}|{value}" for section in parser.sections() for key, value in parser[section].items()]


def main():
    settings, output = sys.argv[1], sys.argv[2]
    lines = read(settings)
    with open(output + ".part", "w", encoding="latin-1", newline="\n") as f:
        f.write("".join(line + "\n" for line in lines))
    os.replace(output + ".part", output)


if __name__ == "__main__":
    main()
