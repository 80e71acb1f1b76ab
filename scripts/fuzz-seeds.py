#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into DIR/<target>/."""
import os
import struct
import sys
import zlib

out = sys.argv[1] if len(sys.argv) > 1 else "fuzz-corpus"


def put(target, name, data):
    os.makedirs(os.path.join(out, target), exist_ok=True)
    with open(os.path.join(out, target, name), "wb") as f:
        f.write(data)


put("ressource_fuzz", "basic.txt",
    b"# comment\r\nC001 Fichier\r\nC002   Ouvrir %0\r\nS001 Erreur %1%%%%ligne\r\n"
    b"X999 inconnu\r\nH\r\n\r\nT001 Caf\xe9\r\nM1 x\rA001 about\n")
put("ressource_fuzz", "empty.txt", b"")
put("compressed_fuzz", "small.z", zlib.compress(b"VMARV100" + bytes(range(256)) * 4))
put("compressed_fuzz", "empty.z", zlib.compress(b""))
put("compressed_fuzz", "bomb.z", zlib.compress(b"\0" * (4 << 20), 9))
put("vector_fuzz", "two.vec",
    struct.pack("<5H", 2, 0, 0, 65535, 65535) + struct.pack("<H", 0)
    + struct.pack("<3H", 1, 100, 200) + b"\x05")
