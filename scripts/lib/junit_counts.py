"""Reads a JUnit report written by ctest --output-junit.

Prints "PASSED FAILED" on the first line, then "label: name" for each test that did not pass.
A skipped test counts as neither. Exits non-zero when the report is missing or unreadable.
"""

import sys
import xml.etree.ElementTree as ElementTree


def main():
    path, label = sys.argv[1], sys.argv[2]
    try:
        root = ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return 1
    passed, failed, names = 0, 0, []
    for case in root.iter("testcase"):
        status = case.get("status", "")
        if case.find("skipped") is not None or status in ("disabled", "notrun"):
            continue
        if case.find("failure") is not None or case.find("error") is not None or status == "fail":
            failed += 1
            names.append(f"{label}: {case.get('name')}")
        else:
            passed += 1
    print(passed, failed)
    for name in names:
        print(name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
