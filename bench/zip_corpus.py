#!/usr/bin/env python3
"""ZIP archives of the benchmark corpus: create and extract times of `qor zip` against the tools a user
would otherwise pick, all in the same run, plus archive sizes.

Usage: bench/zip_corpus.py [--qor build/posix/bin/qor] [--engine build/posix/bin/alzip_driver]
                           [--rounds 3] [--cache DIR] [--scratch DIR] [--only TOOL,...]

The corpus (../shared/bench/make-corpus.py, about 73 MB) is built once into the cache folder
(default ${XDG_CACHE_HOME:-~/.cache}/qorutil-zipbench) and its manifest hash printed, so that figures
from two machines can be told apart. Each round runs every tool once, create then extract, in an order
that rotates from round to round; the best of the rounds is shown for wall time and for CPU time (user +
system of the child, which stays steady when other work shares the machine), and each ratio is the median
of the ratios within each round, which the machine's drift over minutes affects least. Every extraction is
checked against the corpus manifest. Peers: Info-ZIP zip -6 / unzip, libzip (bench/libzip_driver.c,
deflate level 6), 7-Zip on one thread, bsdtar, Python's zipfile (level 6). Ours: `qor zip` when the tool has it, and the engine's own jobs
(bench/alzip_driver.cpp over ALZipArchive). Floors: bench/zlib_floor.c, the least a program over zlib
must do for the same job, with 4 KiB buffers (the library's storages move data in 4096-byte buffers)
and with 64 KiB ones.
"""
import argparse, hashlib, os, shutil, statistics, subprocess, sys, time

HERE = os.path.dirname(os.path.abspath(__file__))
MAKE_CORPUS = os.path.join(HERE, "..", "..", "shared", "bench", "make-corpus.py")

PYTHON_CREATE = """
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
    for folder, folders, files in os.walk("."):
        folders.sort()
        for name in folders + sorted(files):
            path = os.path.join(folder, name)[2:]
            archive.write(path, path)
"""
PYTHON_EXTRACT = "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])"


def tools(qor, driver, floor, engine, top_level):
    """name -> (create argv, extract argv); ARCHIVE and OUT are filled in, create runs in the corpus,
    whose top-level names are `top_level` (qor zip takes folders whole)."""
    return {
        "qor": ([qor, "zip", "create", "ARCHIVE"] + top_level, [qor, "zip", "extract", "ARCHIVE", "-d", "OUT"]),
        "ALZipArchive": ([engine, "create", "ARCHIVE", "."], [engine, "extract", "ARCHIVE", "OUT"]),
        "zip -6": (["zip", "-6", "-r", "-q", "ARCHIVE", "."], ["unzip", "-q", "ARCHIVE", "-d", "OUT"]),
        "libzip": ([driver, "create", "ARCHIVE", "."], [driver, "extract", "ARCHIVE", "OUT"]),
        "7z -mmt=1": (["7z", "a", "-tzip", "-mx=6", "-mmt=1", "-bd", "-bso0", "ARCHIVE", "."],
                      ["7z", "x", "-mmt=1", "-bd", "-bso0", "-y", "-oOUT", "ARCHIVE"]),
        "bsdtar": (["bsdtar", "--format", "zip", "-cf", "ARCHIVE", "."], ["bsdtar", "-xf", "ARCHIVE", "-C", "OUT"]),
        "python zipfile": ([sys.executable, "-c", PYTHON_CREATE, "ARCHIVE"],
                           [sys.executable, "-c", PYTHON_EXTRACT, "ARCHIVE", "OUT"]),
        "zlib floor 4 KiB": ([floor, "create", "ARCHIVE", ".", "4096"], [floor, "extract", "ARCHIVE", "OUT", "4096"]),
        "zlib floor 64 KiB": ([floor, "create", "ARCHIVE", ".", "65536"], [floor, "extract", "ARCHIVE", "OUT", "65536"]),
    }


def ensure_corpus(cache):
    corpus, manifest = os.path.join(cache, "corpus"), os.path.join(cache, "corpus-manifest.txt")
    if not (os.path.isdir(corpus) and os.path.isfile(manifest)):
        os.makedirs(cache, exist_ok=True)
        subprocess.run([sys.executable, MAKE_CORPUS, corpus], check=True)
    with open(manifest, "rb") as f:
        text = f.read()
    rows = [line.split(" ", 2) for line in text.decode().splitlines()]
    print("corpus: %s, %d files, %d bytes, manifest_sha256=%s" % (
        corpus, len(rows), sum(int(r[0]) for r in rows), hashlib.sha256(text).hexdigest()))
    return corpus, rows


def ensure_program(cache, name, library):
    source, program = os.path.join(HERE, name + ".c"), os.path.join(cache, name)
    if not os.path.exists(program) or os.path.getmtime(program) < os.path.getmtime(source):
        subprocess.run(["cc", "-O2", "-o", program, source, library], check=True)
    return program


def warm(corpus):
    for folder, _, files in os.walk(corpus):
        for name in files:
            with open(os.path.join(folder, name), "rb") as f:
                while f.read(1 << 20):
                    pass


def run(argv, cwd):
    """Runs argv; answers (wall seconds, child CPU seconds)."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("zip_corpus: %s failed with status %d" % (argv[0], os.waitstatus_to_exitcode(status)))
    return wall, usage.ru_utime + usage.ru_stime


def check_extraction(out, rows, name):
    wrong = []
    for size, digest, path in rows:
        try:
            with open(os.path.join(out, path), "rb") as f:
                data = f.read()
        except OSError:
            data = None
        if data is None or len(data) != int(size) or hashlib.md5(data).hexdigest() != digest:
            wrong.append(path)
    if wrong:
        print("%s: %d of %d files missing or different after extraction: %s" % (
            name, len(wrong), len(rows), ", ".join(wrong[:5])))


def fill(argv, archive, out):
    return [a.replace("ARCHIVE", archive).replace("OUT", out) for a in argv]


def measure(selected, corpus, rows, scratch, rounds):
    """name -> the figures of every round, and name -> archive size."""
    figures_of = {name: [] for name in selected}
    sizes = {}
    names = list(selected)
    for round_number in range(rounds):
        order = names[round_number % len(names):] + names[:round_number % len(names)]
        for name in order:
            create, extract = selected[name]
            archive, out = os.path.join(scratch, "a.zip"), os.path.join(scratch, "out")
            for leftover in (archive, out):
                shutil.rmtree(leftover, ignore_errors=True) if os.path.isdir(leftover) else \
                    os.path.exists(leftover) and os.remove(leftover)
            os.makedirs(out)
            figures_of[name].append(run(fill(create, archive, out), corpus) + run(fill(extract, archive, out), scratch))
            sizes[name] = os.path.getsize(archive)
            if round_number == 0:
                check_extraction(out, rows, name)
    return figures_of, sizes


OURS = ("qor", "ALZipArchive")


def report(figures_of, sizes):
    best = {name: [min(column) for column in zip(*rounds)] for name, rounds in figures_of.items()}
    print("\n| tool | create s (wall) | create s (CPU) | extract s (wall) | extract s (CPU) | archive bytes |")
    print("|---|---:|---:|---:|---:|---:|")
    for name, (cw, cc, ew, ec) in best.items():
        print("| %s | %.2f | %.2f | %.2f | %.2f | %s |" % (name, cw, cc, ew, ec, format(sizes[name], ",")))
    for ours in (name for name in OURS if name in best):
        print("\n| %s / peer, median of the rounds | create (wall) | create (CPU) | extract (wall) | extract (CPU) | size |"
              % ours)
        print("|---|---:|---:|---:|---:|---:|")
        for name, rounds in figures_of.items():
            if name not in OURS:
                # Each round's ratio compares runs minutes apart at most, which the machine's drift spares.
                per_round = [[o / p for o, p in zip(ours_round, peer_round)]
                             for ours_round, peer_round in zip(figures_of[ours], rounds)]
                ratios = [statistics.median(column) for column in zip(*per_round)] + [sizes[ours] / sizes[name]]
                print("| %s | %.2f | %.2f | %.2f | %.2f | %.3f |" % (name, *ratios))


def has_zip_command(qor):
    if not os.path.exists(qor):
        return False
    listing = subprocess.run([qor, "--help"], capture_output=True, text=True).stdout
    return any(line.split()[:1] == ["zip"] for line in listing.splitlines())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    build = os.path.join(HERE, "..", "build", "posix", "bin")
    parser.add_argument("--qor", default=os.path.join(build, "qor"))
    parser.add_argument("--engine", default=os.path.join(build, "alzip_driver"))
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--cache", default=os.path.join(
        os.environ.get("XDG_CACHE_HOME", os.path.expanduser("~/.cache")), "qorutil-zipbench"))
    parser.add_argument("--only", help="comma-separated tool names (default: all)")
    parser.add_argument("--scratch", help="folder for the archives and extractions (default: in the cache); "
                        "a tmpfs such as /dev/shm takes the disk's noise out of the figures")
    args = parser.parse_args()
    corpus, rows = ensure_corpus(os.path.abspath(args.cache))
    qor = os.path.abspath(args.qor)
    cache = os.path.abspath(args.cache)
    all_tools = tools(qor, ensure_program(cache, "libzip_driver", "-lzip"), ensure_program(cache, "zlib_floor", "-lz"),
                      os.path.abspath(args.engine),
                      sorted(os.listdir(corpus)))
    chosen = args.only.split(",") if args.only else [
        name for name in all_tools if name != "qor" or has_zip_command(qor)]
    unknown = [name for name in chosen if name not in all_tools]
    if unknown:
        sys.exit("zip_corpus: unknown tool %s (known: %s)" % (", ".join(unknown), ", ".join(all_tools)))
    warm(corpus)
    scratch = os.path.abspath(args.scratch or os.path.join(args.cache, "scratch"))
    print("load average before: %.1f %.1f %.1f" % os.getloadavg())
    figures_of, sizes = measure({name: all_tools[name] for name in chosen}, corpus, rows, scratch, args.rounds)
    print("load average after: %.1f %.1f %.1f" % os.getloadavg())
    report(figures_of, sizes)


if __name__ == "__main__":
    main()
