#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Usage: check-packages.py BUILD_DIR...

Checks that every Debian package the builds used is named in
scripts/packages.txt, or is a dependency (Depends or Pre-Depends, never a
recommendation) of a package named there, so that a fresh machine, which
installs the list without recommendations, builds the same. What the builds
used is read from the build trees after a build: the headers in the
compilers' dependency files, the libraries on the link lines, the CMake
packages and tools CMake found. The commands the scripts run and the fonts
the tests draw with are named below. Prints one line per package missing
from the list, with a file it was needed for, and exits 1 if there is any.
"""

import os
import re
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent

# Commands the scripts run that no build tree records.
COMMANDS = [
    "xvfb-run", "Xvfb", "xauth", "timeout", "python3", "clang++-14", "llvm-symbolizer-14",
    "wine", "wineserver", "dpkg-source", "git", "dbus-run-session",
    "dpkg-deb", "dpkg-shlibdeps", "file", "lintian",
    "wixl", "msiinfo", "zip", "unzip",
]
# Font families the tests and the demo draw with, through fontconfig.
# The Noto faces are the fallbacks captions in other scripts draw with.
FONTS = ["DejaVu Sans", "Liberation Sans", "Noto Sans CJK JP", "Noto Sans Devanagari", "Noto Sans Thai",
         "Noto Sans Ethiopic"]
# The cache entries of the compilers and tools a build runs.
TOOL_KEYS = r"^CMAKE_(CXX|C|RC)_COMPILER$|^CMAKE_MAKE_PROGRAM$|_EXECUTABLE$"
# Packages every Debian system has, whatever the list says.
BASE_PRIORITIES = {"required"}


def listed_packages():
    names = []
    for line in (REPO / "scripts" / "packages.txt").read_text().splitlines():
        name = line.split("#", 1)[0].strip()
        if name:
            names.append(name.split(":", 1)[0])
    return names


def dependency_files(build):
    for root, _, files in os.walk(build):
        for name in files:
            if name.endswith(".d") or name == "compiler_depend.make":
                yield Path(root) / name


def paths_in_dependency_file(path):
    text = path.read_text(errors="replace").replace("\\\n", " ")
    for line in text.splitlines():
        if ":" not in line or line.lstrip().startswith("#"):
            continue
        for token in line.split(":", 1)[1].split():
            if token.startswith("/"):
                yield token


def paths_on_link_lines(build):
    for link in build.rglob("link.txt"):
        for token in link.read_text(errors="replace").split():
            if token.startswith("/") and re.search(r"\.(so(\.\d+)*|a)$", token):
                yield token


def paths_in_cmake_cache(build):
    cache = build / "CMakeCache.txt"
    if not cache.exists():
        return
    for line in cache.read_text(errors="replace").splitlines():
        match = re.match(r"([A-Za-z0-9_]+):(FILEPATH|PATH)=(/.*)$", line)
        if not match:
            continue
        key, kind, value = match.groups()
        # Libraries CMake found but no target links are not needed: the
        # link lines name those that are. The compilers and tools are.
        if kind == "FILEPATH" and re.search(TOOL_KEYS, key) and Path(value).is_file():
            yield value
        elif key.endswith("_DIR") and Path(value).is_dir():
            # A package's configuration file, not its shared folder.
            configs = sorted(Path(value).glob("*[Cc]onfig.cmake"))
            if configs:
                yield str(configs[0])


def outside_the_tree(path):
    resolved = os.path.realpath(path)
    return not resolved.startswith(str(REPO) + os.sep) and os.path.exists(path)


def evidence(builds):
    """Files the builds and scripts used, each with what needed it."""
    found = {}
    for build in builds:
        for source in dependency_files(build):
            for path in paths_in_dependency_file(source):
                found.setdefault(os.path.normpath(path), f"a header the build in {build.name} includes")
        for path in paths_on_link_lines(build):
            found.setdefault(path, f"a library the build in {build.name} links")
        for path in paths_in_cmake_cache(build):
            found.setdefault(path, f"found by CMake for {build.name}")
    for command in COMMANDS:
        path = subprocess.run(["sh", "-c", f"command -v {command}"], capture_output=True, text=True).stdout.strip()
        found.setdefault(path or f"(command {command})", f"the command {command} the scripts run")
    for family in FONTS:
        path = subprocess.run(["fc-match", "-f", "%{file}", family], capture_output=True, text=True).stdout.strip()
        found.setdefault(path or f"(font {family})", f"the font {family} the tests draw with")
    return {path: why for path, why in found.items() if path.startswith("(") or outside_the_tree(path)}


def owners(paths):
    """Maps each path to the package that installed it, trying the path as
    named, then with every link resolved, then its other spelling on a
    merged /usr."""
    candidates = {}
    for path in paths:
        names = [path, os.path.realpath(path)]
        for name in list(names):
            if name.startswith("/usr/"):
                names.append(name[len("/usr"):])
            else:
                names.append("/usr" + name)
        candidates[path] = names
    every = sorted({name for names in candidates.values() for name in names})
    result = subprocess.run(["dpkg-query", "-S", *every], capture_output=True, text=True)
    owned = {}
    for line in result.stdout.splitlines():
        packages, _, name = line.rpartition(": ")
        if "diversion" in packages:
            continue
        owned[name] = sorted({package.strip().split(":")[0] for package in packages.split(",")})
    return {path: next((owned[name] for name in names if name in owned), None) for path, names in candidates.items()}


def installed():
    """Every installed package with what it depends on and provides."""
    fields = "${Package}\t${Status}\t${Priority}\t${Essential}\t${Depends}, ${Pre-Depends}\t${Provides}\n"
    result = subprocess.run(["dpkg-query", "-W", "-f", fields], capture_output=True, text=True, check=True)
    packages = {}
    for line in result.stdout.splitlines():
        name, status, priority, essential, depends, provides = line.split("\t")
        if not status.endswith(" installed"):
            continue
        entry = packages.setdefault(name, {"depends": [], "provides": [], "base": False})
        entry["base"] |= essential == "yes" or priority in BASE_PRIORITIES
        for group in depends.split(","):
            alternatives = [re.split(r"[\s(:]", item.strip(), maxsplit=1)[0] for item in group.split("|")]
            alternatives = [item for item in alternatives if item]
            if alternatives:
                entry["depends"].append(alternatives)
        entry["provides"] += [re.split(r"[\s(]", item.strip())[0] for item in provides.split(",") if item.strip()]
    return packages


def reachable(roots, packages):
    """The packages a fresh install of roots brings: the roots and, through
    Depends and Pre-Depends, every installed package that satisfies them."""
    providers = {}
    for name, entry in packages.items():
        providers.setdefault(name, set()).add(name)
        for virtual in entry["provides"]:
            providers.setdefault(virtual, set()).add(name)
    seen = set()
    pending = [name for name in roots if name in packages]
    while pending:
        name = pending.pop()
        if name in seen:
            continue
        seen.add(name)
        for alternatives in packages[name]["depends"]:
            for alternative in alternatives:
                pending += sorted(providers.get(alternative, ()))
    return seen


def main(arguments):
    builds = [Path(argument).resolve() for argument in arguments if Path(argument).is_dir()]
    listed = listed_packages()
    packages = installed()
    not_installed = [name for name in listed if name not in packages]
    base = [name for name, entry in packages.items() if entry["base"]]
    brought = reachable(listed + base, packages)
    found = evidence(builds)
    missing = {}
    for path, package_names in owners([path for path in found if not path.startswith("(")]).items():
        if package_names is None:
            continue
        if not any(name in brought for name in package_names):
            missing.setdefault(" or ".join(package_names), path)
    unowned = [path for path in found if path.startswith("(")]
    for path in unowned:
        print(f"check-packages: nothing installed gives {found[path]}", file=sys.stderr)
    for package, path in sorted(missing.items()):
        print(f"check-packages: {package} is needed ({found[path]}: {path}) but scripts/packages.txt "
              "names neither it nor a package that depends on it", file=sys.stderr)
    for name in not_installed:
        print(f"check-packages: {name} is listed but not installed", file=sys.stderr)
    if missing or unowned or not_installed:
        return 1
    print(f"check-packages: {len(found)} files the builds and scripts use come from {len(listed)} listed "
          f"packages and their dependencies")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
