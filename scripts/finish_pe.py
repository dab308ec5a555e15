#!/usr/bin/python3
"""The last step of linking a shipped program (PagixSetup.exe, Pagix.exe, uninstall.exe).

Signs it with osslsigncode (Authenticode, SHA-256) when a certificate is given, or attaches the
signature of the same program in a published signed release (to reproduce that release without
its key), then writes the PE checksum field. The checksum covers the whole file, signature included, and the signature's
digest leaves the checksum field out, so writing the checksum last keeps the signature valid.
Nothing here reads the clock: the signing time is given (the release passes SOURCE_DATE_EPOCH),
so signing the same bytes with the same RSA key twice gives the same file.

Runs with Debian's own python3 (/usr/bin/python3), where python3-pefile is installed.

  finish_pe.py [--certs PEM --key PEM | --pkcs12 FILE] [--password-file FILE] [--time SECONDS] EXE
  finish_pe.py --signatures-from RELEASE_DIR EXE
"""
import argparse
import os
import re
import subprocess
import sys

import pefile


def sign(exe, args):
    """Replaces the freshly linked exe by its signed copy."""
    command = ["osslsigncode", "sign", "-h", "sha256"]
    if args.pkcs12:
        command += ["-pkcs12", args.pkcs12]
    else:
        command += ["-certs", args.certs, "-key", args.key]
    if args.password_file:
        command += ["-readpass", args.password_file]
    if args.time is not None:
        command += ["-time", str(args.time)]
    signed = exe + ".signed"
    if os.path.exists(signed):
        os.remove(signed)  # osslsigncode refuses to overwrite
    result = subprocess.run(command + ["-in", exe, "-out", signed],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0 or not os.path.exists(signed):
        sys.stderr.write(result.stdout)
        sys.exit("finish_pe: signing %s failed" % exe)
    os.replace(signed, exe)


def attach(exe, release_dir):
    """Replaces exe by a copy carrying the signature of its namesake in release_dir; fails unless
    that signature's digest is the digest of exe, i.e. unless exe was rebuilt bit for bit."""
    published = os.path.join(release_dir, os.path.basename(exe))
    if not os.path.isfile(published):
        sys.exit("finish_pe: %s is missing" % published)
    signature = exe + ".sig"
    signed = exe + ".signed"
    for leftover in (signature, signed):
        if os.path.exists(leftover):
            os.remove(leftover)
    subprocess.run(["osslsigncode", "extract-signature", "-in", published, "-out", signature],
                   check=True, stdout=subprocess.DEVNULL)
    # attach-signature also checks the certificate chain against the system's authorities and
    # fails when the signer is not among them; only the two digests matter here.
    result = subprocess.run(["osslsigncode", "attach-signature", "-sigin", signature,
                             "-in", exe, "-out", signed],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    os.remove(signature)
    digests = re.findall(r"(?:Current|Calculated) message digest\s*:\s*([0-9A-F]+)", result.stdout)
    if not os.path.exists(signed) or len(digests) != 2 or digests[0] != digests[1]:
        if os.path.exists(signed):
            os.remove(signed)
        sys.exit("finish_pe: the signature of %s does not fit %s: the program was not rebuilt "
                 "bit for bit" % (published, exe))
    os.replace(signed, exe)


def write_checksum(exe):
    with open(exe, "rb") as f:
        data = bytearray(f.read())
    pe = pefile.PE(data=bytes(data), fast_load=True)
    offset = pe.OPTIONAL_HEADER.get_field_absolute_offset("CheckSum")
    data[offset:offset + 4] = pe.generate_checksum().to_bytes(4, "little")
    with open(exe, "r+b") as f:
        f.seek(offset)
        f.write(data[offset:offset + 4])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--certs")
    parser.add_argument("--key")
    parser.add_argument("--pkcs12")
    parser.add_argument("--password-file")
    parser.add_argument("--time", type=int)
    parser.add_argument("--signatures-from")
    parser.add_argument("exe")
    args = parser.parse_args()
    if args.pkcs12 and (args.certs or args.key):
        parser.error("give either --pkcs12 or --certs with --key")
    if bool(args.certs) != bool(args.key):
        parser.error("--certs and --key go together")
    if args.signatures_from and (args.pkcs12 or args.certs):
        parser.error("--signatures-from signs with published signatures, not with a key")
    if args.pkcs12 or args.certs:
        sign(args.exe, args)
    elif args.signatures_from:
        attach(args.exe, args.signatures_from)
    write_checksum(args.exe)


if __name__ == "__main__":
    main()
