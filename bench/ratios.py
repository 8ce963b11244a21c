#!/usr/bin/env python3
"""Prints each QorUtil benchmark against its peer from one Google Benchmark JSON run.

Usage: ratios.py RESULT.json   (from --benchmark_format=json or --benchmark_out=...)
A pair is named in PAIRS: the library's benchmark, then the peer doing the same work.
ratio = library time / peer time: below 1 the library is faster.
"""
import json
import sys

PAIRS = [
    ("QorStringCopy", "StdStringCopy"),
    ("QorStringAssign", "StdStringAssign"),
    ("QorStringMidWhole", "StdStringSubstrWhole"),
    ("QorStringFind", "StdStringFind"),
    ("QorStringFormat", "Snprintf"),
    ("QorMd5Digest/1048576", "OpenSslMd5Digest/1048576"),
    ("QorMd5Digest/64", "OpenSslMd5Digest/64"),
    ("AlCrc32", "ZlibCrc32"),
    ("EngineDeflate", "ZlibDeflate"),
    ("EngineInflate", "ZlibInflate"),
]


def main(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    # With repetitions, take the median rows; otherwise the single row.
    times = {}
    for run in runs:
        name = run.get("run_name", run["name"])
        if run.get("aggregate_name", "median") == "median":
            times[name] = run["real_time"]
    print(f"{'library':<20} {'ns':>9}   {'peer':<22} {'ns':>9}   ratio")
    for ours, peer in PAIRS:
        if ours in times and peer in times:
            print(f"{ours:<20} {times[ours]:9.1f}   {peer:<22} {times[peer]:9.1f}   {times[ours] / times[peer]:5.2f}")


if __name__ == "__main__":
    main(sys.argv[1])
