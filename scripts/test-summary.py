#!/usr/bin/env python3
"""Adds up the GoogleTest XML results of every test executable.

Prints the total as the last line, 'N passed, N failed', and exits non-zero
when a test failed or an executable left no results (it crashed or hung).
--ctest-failures N: CTest runs that failed; one that failed while every
recorded case passed (a crash after the results were written) counts once."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

args = sys.argv[1:]
ctest_failures = 0
if args[:1] == ["--ctest-failures"]:
    ctest_failures = int(args[1])
    args = args[2:]

passed = failed = skipped = 0
missing = []
for folder in args:
    files = sorted(glob.glob(os.path.join(folder, "*.xml")))
    if not files:
        missing.append(folder)
    for path in files:
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError:
            missing.append(path)
            continue
        for case in root.iter("testcase"):
            if case.find("failure") is not None:
                failed += 1
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                skipped += 1
            else:
                passed += 1
for m in missing:
    print(f"no test results in {m}")
    failed += 1
if ctest_failures and not failed:
    print(f"{ctest_failures} test run(s) failed outside any recorded test case")
    failed += ctest_failures
line = f"{passed} passed, {failed} failed"
if skipped:
    line += f", {skipped} skipped"
print(line)
sys.exit(1 if failed else 0)
