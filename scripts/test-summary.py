#!/usr/bin/env python3
"""Adds up the GoogleTest XML results of every test executable.

Takes one results folder per lane, prints the time of each suite and each
lane's count, then the total
as the last line, 'N passed, N failed', and exits non-zero when a test failed
or an executable left no results (it crashed or hung).
--ctest-failures N: CTest runs that failed; one that failed while every
recorded case passed (a crash after the results were written) counts once."""
import glob
import os
import sys
import xml.etree.ElementTree as ET


def count(folder):
    passed = failed = skipped = 0
    files = sorted(glob.glob(os.path.join(folder, "*.xml")))
    if not files:
        print(f"no test results in {folder}")
        failed += 1
    for path in files:
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError:
            print(f"unreadable test results in {path}")
            failed += 1
            continue
        seconds = root.get("time")
        if seconds:
            print(f"  {os.path.splitext(os.path.basename(path))[0]}: {float(seconds):.1f} s")
        for case in root.iter("testcase"):
            if case.find("failure") is not None:
                failed += 1
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                skipped += 1
            else:
                passed += 1
    return passed, failed, skipped


def line(passed, failed, skipped):
    text = f"{passed} passed, {failed} failed"
    return text + (f", {skipped} skipped" if skipped else "")


args = sys.argv[1:]
ctest_failures = 0
if args[:1] == ["--ctest-failures"]:
    ctest_failures = int(args[1])
    args = args[2:]

total = [0, 0, 0]
for folder in args:
    counts = count(folder)
    print(f"{folder}: {line(*counts)}")
    total = [t + c for t, c in zip(total, counts)]
if ctest_failures and not total[1]:
    print(f"{ctest_failures} test run(s) failed outside any recorded test case")
    total[1] += ctest_failures
print(line(*total))
sys.exit(1 if total[1] else 0)
