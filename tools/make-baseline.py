#!/usr/bin/env python3
"""Writes a baseline that approves every image of a vornup folder.

    tools/make-baseline.py [options] FOLDER > baseline.json

FOLDER is the program's folder: every file in FOLDER/firmware is listed as
firmware, every file in FOLDER/boot as boot code, each with its SHA-256.

Options:
  --version N        the baseline's version (required; raise it every time)
  --expires TIME     RFC 3339 UTC time, e.g. 2027-06-30T00:00:00Z (required)
  --key PUBLIC.pem   names the signer's key (key_id), so that a host can
                     tell a baseline of an unknown key from a bad signature
  --model FILE=MODEL allows FILE only for adapter MODEL (repeatable)
  --block SHA256     a digest that must never be flashed (repeatable)

Sign the result with `openssl dgst -sha256 -sign key.pem -out
baseline.json.sig baseline.json` (docs/baselines.md).
"""

import argparse
import base64
import hashlib
import json
import os
import sys

KINDS = [("firmware", "firmware"), ("boot", "boot_code")]


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for chunk in iter(lambda: file.read(1 << 16), b""):
            digest.update(chunk)
    return digest.hexdigest()


def key_id(pem_path):
    """SHA-256 of the DER SubjectPublicKeyInfo inside a PEM public key."""
    with open(pem_path, "r", encoding="ascii") as file:
        lines = [line.strip() for line in file]
    begin = lines.index("-----BEGIN PUBLIC KEY-----")
    end = lines.index("-----END PUBLIC KEY-----", begin)
    return hashlib.sha256(base64.b64decode("".join(lines[begin + 1:end]))).hexdigest()


def main(argv):
    parser = argparse.ArgumentParser(description="Writes a vornup baseline.")
    parser.add_argument("folder")
    parser.add_argument("--version", type=int, required=True)
    parser.add_argument("--expires", required=True)
    parser.add_argument("--key")
    parser.add_argument("--model", action="append", default=[])
    parser.add_argument("--block", action="append", default=[])
    args = parser.parse_args(argv[1:])
    if args.version < 1:
        parser.error("--version must be 1 or more")
    models = {}
    for item in args.model:
        name, _, model = item.partition("=")
        if not model:
            parser.error(f"--model {item}: expected FILE=MODEL")
        models.setdefault(name, []).append(model)
    images = []
    for folder, kind in KINDS:
        directory = os.path.join(args.folder, folder)
        if not os.path.isdir(directory):
            continue
        for name in sorted(os.listdir(directory)):
            path = os.path.join(directory, name)
            if not os.path.isfile(path) or os.path.islink(path):
                continue
            image = {"sha256": sha256_of(path), "file": name, "kind": kind}
            if name in models:
                image["models"] = models[name]
            images.append(image)
    baseline = {"version": args.version, "expires": args.expires}
    if args.key:
        baseline["key_id"] = key_id(args.key)
    baseline["images"] = images
    if args.block:
        baseline["blocked"] = [digest.lower() for digest in args.block]
    json.dump(baseline, sys.stdout, indent=2)
    sys.stdout.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
