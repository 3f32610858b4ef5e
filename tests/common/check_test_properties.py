#!/usr/bin/env python3
"""Fails when a test of the suite would run without what it was declared with.

Reads `ctest --show-only=json-v1` of the build folder (which also discovers
the GoogleTest cases of every built test program) and checks that
  - every test has a timeout, so a hung test ends and says so;
  - every GoogleTest case runs headless and knows the source folder
    (ENVIRONMENT QT_QPA_PLATFORM and TARNWELL_SOURCE_DIR);
  - every case of a program that talks to the suite's PostgreSQL server
    requires its fixture, so the server is neither stopped under it nor
    started after it;
  - no test program was left unbuilt (CTest then lists <target>_NOT_BUILT).

    check_test_properties.py CTEST BUILD_DIR
"""
import json
import os
import subprocess
import sys

# Test programs whose cases need a CTest fixture, and which one.
FIXTURES = {
    "tests_database": "DatabasePg",
}
ENVIRONMENT = ("QT_QPA_PLATFORM", "TARNWELL_SOURCE_DIR")


def main():
    ctest, build_dir = sys.argv[1], sys.argv[2]
    out = subprocess.run([ctest, "--show-only=json-v1"], cwd=build_dir, check=True,
                         capture_output=True, text=True).stdout
    tests = json.loads(out)["tests"]
    problems = []
    cases = 0
    for t in tests:
        name = t["name"]
        props = {p["name"]: p["value"] for p in t.get("properties", [])}
        command = t.get("command", [])
        if name.endswith("_NOT_BUILT"):
            problems.append(f"{name}: the test program was not built")
            continue
        if not props.get("TIMEOUT"):
            problems.append(f"{name}: no TIMEOUT")
        if not any(a.startswith("--gtest_filter=") for a in command):
            continue
        cases += 1
        env = [e.split("=", 1)[0] for e in props.get("ENVIRONMENT", [])]
        for var in ENVIRONMENT:
            if var not in env:
                problems.append(f"{name}: ENVIRONMENT lacks {var}")
        fixture = FIXTURES.get(os.path.basename(command[0]))
        if fixture and fixture not in props.get("FIXTURES_REQUIRED", []):
            problems.append(f"{name}: does not require the fixture {fixture}")
    if cases == 0:
        problems.append("no GoogleTest case was discovered")
    for p in problems[:50]:
        print(p)
    if len(problems) > 50:
        print(f"... and {len(problems) - 50} more")
    print(f"{len(tests)} tests, {cases} GoogleTest cases, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
