"""Counts the tests of every CTest run the test command made, from their JUnit
files, names the skipped ones with the reason their output gives, and ends
with one line: N passed, N failed, N skipped.
Usage: test-summary.py RESULTS.xml..."""
import re
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

counts = {"passed": 0, "failed": 0, "skipped": 0}
for results in map(Path, sys.argv[1:]):
    if not results.exists():
        continue
    preset = results.parent.name
    for case in ElementTree.parse(results).getroot().iter("testcase"):
        status = case.get("status")
        if status == "run":
            counts["passed"] += 1
        elif status in ("notrun", "disabled") or case.find("skipped") is not None:
            counts["skipped"] += 1
            output = case.findtext("system-out") or ""
            reasons = re.findall(r"(?:not run:|skipped) '?(.+?)'?$", output, re.M)
            print(f"skipped: {preset} {case.get('name')}" + (f": {reasons[-1].strip()}" if reasons else ""))
        else:
            counts["failed"] += 1
print(", ".join(f"{number} {kind}" for kind, number in counts.items()))
