#!/usr/bin/env python3
"""Builds ZIP archives with the tools users have (Info-ZIP zip, 7-Zip, bsdtar, Python's zipfile) from one
small source tree, and beside each archive NAME.zip what the tools report of it:

  NAME.zip.manifest  one line per member as zipfile lists it: name, size, compressed size, CRC-32 (hex),
                     then a last line "comment\t<archive comment as hex>"
  NAME.zip.d/        the members as Info-ZIP unzip extracts them

hostile.zip holds members whose names lead outside the target folder next to ordinary ones; its
NAME.zip.d holds only the ordinary ones. Usage: make_zip_fixtures.py OUTDIR
"""
import os
import random
import shutil
import subprocess
import sys
import zipfile

SOURCE_FILES = {
    "hello.txt": b"Hello, ZIP world.\r\nA second line with CR LF.\r\n",
    "empty.txt": b"",
    "data.bin": random.Random(13).randbytes(70000),
    "docs/readme.md": b"# Read me\n" + b"The same line, many times over, deflates well.\n" * 400,
    "docs/deep/notes.txt": b"notes in a nested folder\n",
}
FLAT = ["hello.txt", "empty.txt", "data.bin", "docs/readme.md"]
HOSTILE = ["../escaped.txt", "/absolute.txt", "C:/drive.txt", "sub/../../up.txt", "a\\..\\..\\back.txt"]


def run(args, cwd, stdin=None):
    subprocess.run(args, cwd=cwd, input=stdin, check=True, stdout=subprocess.DEVNULL)


def streamed(args, cwd, stdin, target):
    # Written to a pipe, zip cannot seek back to its local headers and writes data descriptors.
    out = subprocess.run(args, cwd=cwd, input=stdin, check=True, stdout=subprocess.PIPE).stdout
    with open(target, "wb") as archive:
        archive.write(out)


def python_archive(target):
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
        for name in FLAT:
            archive.write(name, name)
        archive.write("hello.txt", "stored/hello.txt", compress_type=zipfile.ZIP_STORED)
        archive.writestr(zipfile.ZipInfo("maximum.txt", (2001, 2, 3, 4, 5, 6)), SOURCE_FILES["docs/readme.md"],
                         compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
        archive.comment = b"made by zipfile"


def hostile_archive(target):
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("first.txt", b"before the hostile names\n")
        for name in HOSTILE:
            info = zipfile.ZipInfo("x")
            info.filename = name  # as it stands: ZipInfo would otherwise tidy it
            archive.writestr(info, b"must not land outside the target folder\n")
        archive.writestr("last.txt", b"after the hostile names\n")


def build_archives(source, archives):
    comment = b"An archive comment, written by zip -z"
    makers = {
        "infozip-plain.zip": lambda t: run(["zip", "-q", "-X", t] + FLAT, source),
        "infozip-stored.zip": lambda t: run(["zip", "-q", "-X", "-0", t] + FLAT, source),
        "infozip-stream.zip": lambda t: streamed(["zip", "-q", "-", "-"], source, SOURCE_FILES["docs/readme.md"], t),
        "infozip-comment.zip": lambda t: run(["zip", "-q", "-X", "-z", t] + FLAT, source, comment),
        "infozip-folders.zip": lambda t: run(["zip", "-q", "-X", "-r", t, "docs", "hello.txt"], source),
        "7zip.zip": lambda t: run(["7z", "a", "-tzip", "-bd", t] + FLAT, source),
        "bsdtar.zip": lambda t: run(["bsdtar", "--format", "zip", "-cf", t] + FLAT, source),
        "python.zip": python_archive,
        "hostile.zip": hostile_archive,
    }
    for name, make in makers.items():
        target = os.path.join(archives, name)
        cwd = os.getcwd()
        os.chdir(source)
        try:
            make(target)
        finally:
            os.chdir(cwd)
        describe(target)


def describe(target):
    with zipfile.ZipFile(target) as archive:
        with open(target + ".manifest", "w", encoding="utf-8", newline="\n") as manifest:
            for info in archive.infolist():
                manifest.write(f"{info.filename}\t{info.file_size}\t{info.compress_size}\t{info.CRC:08x}\n")
            manifest.write(f"comment\t{archive.comment.hex()}\n")
    extracted = target + ".d"
    if os.path.basename(target) == "hostile.zip":
        # Only the ordinary members may come out; unzip's own repairs of the others are no reference.
        with zipfile.ZipFile(target) as archive:
            for name in ("first.txt", "last.txt"):
                archive.extract(name, extracted)
        return
    os.mkdir(extracted)
    run(["unzip", "-qq", "-o", target, "-d", extracted], None)

def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = os.path.abspath(sys.argv[1])
    shutil.rmtree(out, ignore_errors=True)
    source, archives = os.path.join(out, "source"), os.path.join(out, "archives")
    for name, data in SOURCE_FILES.items():
        os.makedirs(os.path.dirname(os.path.join(source, name)), exist_ok=True)
        with open(os.path.join(source, name), "wb") as file:
            file.write(data)
    os.makedirs(archives)
    build_archives(source, archives)


if __name__ == "__main__":
    main()
