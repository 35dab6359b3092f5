#!/usr/bin/env python3
"""Lays out what the role installs, as it is to be beside vornup on the
host, in a folder of its own on the controller, and packs it into one tar
file: a Linux host unpacks the tar, a Windows host receives the folder in
one transfer. Prints that folder.

  make_bundle.py --root ROOT DEST=SRC...

DEST is the path below vornup's folder ("vornup", "firmware/", ...); a DEST
ending in "/" receives the regular files of the folder SRC (not its
subfolders). The folder is ROOT/<key>, the key a digest of every file's
destination, source, size and modification time, so hosts with the same
sources share one folder, made once (made beside and renamed into place,
so that hosts run side by side never see half of it), and a changed source
makes a new one; folders unused for a day are removed. Files keep their
modification time, so that an unchanged file unpacks as unchanged on the
host; the program is executable, the rest is not. Links on the controller
are followed; anything but a regular file in a folder is left out.
"""

import argparse
import hashlib
import json
import os
import shutil
import sys
import tarfile
import tempfile
import time

PROGRAM_NAMES = ("vornup", "vornup.exe")
# Folders vornup needs beside it, packed even when empty.
FOLDERS = ("firmware", "boot")
KEEP_SECONDS = 86400


def fail(text):
    raise SystemExit("make_bundle.py: " + text)


def entries(pairs):
    """(dest, src) for every file to install, in a stable order."""
    files = []
    for pair in pairs:
        dest, sep, src = pair.partition("=")
        if not sep or not dest or not src:
            fail("expected DEST=SRC, got " + repr(pair))
        if dest.endswith("/"):
            if not os.path.isdir(src):
                fail("{} is not a folder".format(src))
            for name in sorted(os.listdir(src)):
                path = os.path.join(src, name)
                if os.path.isfile(path):
                    files.append((dest + name, path))
        elif os.path.isfile(src):
            files.append((dest, src))
        else:
            fail("{} is not a file".format(src))
    for dest, _ in files:
        if dest.startswith("/") or "\\" in dest or ".." in dest.split("/"):
            fail("{} leaves vornup's folder".format(dest))
    return files


def key_of(files):
    listing = []
    for dest, src in files:
        st = os.stat(src)
        listing.append([dest, os.path.realpath(src), st.st_size, st.st_mtime_ns])
    return hashlib.sha256(json.dumps(listing).encode()).hexdigest()[:32]


def lay_out(folder, files):
    for name in FOLDERS:
        os.makedirs(os.path.join(folder, "files", name), exist_ok=True)
    for dest, src in files:
        target = os.path.join(folder, "files", *dest.split("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(src, target)
        os.chmod(target, 0o755 if dest in PROGRAM_NAMES else 0o644)
        st = os.stat(src)
        os.utime(target, ns=(st.st_atime_ns, st.st_mtime_ns))
    # Besides the files only vornup's two folders, which the host unpacks
    # keeping a link to a folder that stands there (as it does a link of
    # the Linux package's trusted-keys, which has no member of its own).
    with tarfile.open(os.path.join(folder, "bundle.tar"), "w", format=tarfile.GNU_FORMAT) as tar:
        for name in FOLDERS:
            info = tarfile.TarInfo(name)
            info.type, info.mode, info.mtime = tarfile.DIRTYPE, 0o755, int(time.time())
            info.uname = info.gname = "root"
            tar.addfile(info)
        for dest, _ in files:
            path = os.path.join(folder, "files", *dest.split("/"))
            info = tar.gettarinfo(path, arcname=dest)
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            with open(path, "rb") as f:
                tar.addfile(info, f)


def remove_unused(root, keep):
    now = time.time()
    for name in os.listdir(root):
        path = os.path.join(root, name)
        try:
            if name != keep and now - os.stat(path).st_mtime > KEEP_SECONDS:
                shutil.rmtree(path, ignore_errors=True)
        except OSError:
            pass


def main(argv=None):
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("pairs", nargs="+")
    args = parser.parse_args(argv)
    files = entries(args.pairs)
    if not files:
        fail("no file to install")
    os.makedirs(args.root, exist_ok=True)
    key = key_of(files)
    folder = os.path.join(args.root, key)
    if not os.path.isdir(folder):
        made = tempfile.mkdtemp(dir=args.root, prefix=".new-")
        try:
            lay_out(made, files)
            os.chmod(made, 0o755)
            os.rename(made, folder)
        except OSError:
            # Another host made it first.
            shutil.rmtree(made, ignore_errors=True)
            if not os.path.isdir(folder):
                raise
        remove_unused(args.root, key)
    os.utime(folder)
    print(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
