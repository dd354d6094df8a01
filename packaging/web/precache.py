#!/usr/bin/env python3
"""Writes the page's service worker for the files the page folder holds.

    precache.py PAGE_DIR VERSION

PAGE_DIR/service-worker.js is service-worker.js beside this script with
the build filled in: the version, every file of the folder (the worker
itself aside) with the SHA-256 of its bytes, and a digest of that list,
which names the worker's cache together with the version. Run it last,
when every other file of the page is in place.
"""
import hashlib
import json
import pathlib
import sys

WORKER = "service-worker.js"
MARK = "/* COLLINEAR_BUILD */ { version: '', digest: '', files: {} }"


def build(page: pathlib.Path, version: str) -> dict:
    files = {}
    for path in sorted(page.rglob("*")):
        name = path.relative_to(page).as_posix()
        if path.is_file() and name != WORKER:
            files[name] = hashlib.sha256(path.read_bytes()).hexdigest()
    listing = "".join(f"{name} {digest}\n" for name, digest in files.items())
    digest = hashlib.sha256(f"{version}\n{listing}".encode()).hexdigest()[:16]
    return {"version": version, "digest": digest, "files": files}


def main() -> None:
    page, version = pathlib.Path(sys.argv[1]), sys.argv[2]
    template = (pathlib.Path(__file__).parent / WORKER).read_text()
    if template.count(MARK) != 1:
        sys.exit(f"precache.py: {WORKER} has no single place for the build")
    stamped = template.replace(MARK, json.dumps(build(page, version), indent=2))
    (page / WORKER).write_text(stamped)


if __name__ == "__main__":
    main()
