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
put("compressed_fuzz", "stored.z", zlib.compress(b"VMARV100 stored block" * 9, 0))
put("compressed_fuzz", "fixed.z", zlib.compress(b"abcabcabd" * 30, 1) + b"trailing")
put("vector_fuzz", "two.vec",
    struct.pack("<5H", 2, 0, 0, 65535, 65535) + struct.pack("<H", 0)
    + struct.pack("<3H", 1, 100, 200) + b"\x05")
put("pref_fuzz", "pref.ini",
    b"#fichier autog\xe9n\xe9r\xe9, de pas \xe9diter.\r\n[VERS]=1\r\n[LANG]=fran\xe7ais\r\n[TRAN]=False\r\n"
    b"[GPAT]=\r\n[DBDB]=Europe\r\n[LGNA]=True\r\n[LOCR]=3\r\n[LOCX]=-120\r\n[LOCY]=40\r\n[LOCZ]=abc\r\n"
    b"[LOCA]=1\r\n[EDIT]=false\r\n[DATW]=39417,5\r\n[MINN]=\r\n[MAXN]=\r\n[ALFV]=0\r\n[PSEU]=" + b"n" * 45 + b"\r\n")
put("pref_fuzz", "extremes.ini",
    b"#\r\n[VERS]=1\r\n[MAPW]=2147483647\r\n[MAPH]=-2147483648\r\n[MAPT]=2147483647\r\n"
    b"[MAPL]=-2147483648\r\n[LOCX]=-2147483648\r\n[LOCY]=2147483647\r\n")


def short(text, size):
    """A short string field: a length byte, then the text padded to size bytes."""
    return bytes([len(text)]) + text + b"\0" * (size - len(text))


def zone(name, file, zone_id, region, ox=0, oy=0):
    return (short(name, 30) + short(file, 16) + struct.pack("<hhBBH", zone_id, region, 1, 2, 0)
            + struct.pack("<ii", ox, oy) + b"\0" * 8)


def vmar_map(map_id, realm, name, menu=1):
    return struct.pack("<hBBHHI", map_id, realm, 3, 7, 0, 0) + short(name, 40) + bytes([menu]) + b"\0\0"


put("vmarmap_fuzz", "full.bin",
    struct.pack("<i", 2) + short(b"Albion", 42) + short(b"Midgard", 42)
    + struct.pack("<i", 1) + vmar_map(-1, 1, b"Camelot")
    + zone(b"zeta", b"z01", 1, -1, 65535, -65535) + zone(b"Alpha", b"a01", 2, -1)
    + zone(b"beta", b"b01", -3, -1) + b"\1\2\3")
put("vmarmap_fuzz", "empty-counts.bin", struct.pack("<ii", 0, 0) + zone(b"Only", b"o", 5, 0))
put("vmarmap_fuzz", "cut-realm.bin", struct.pack("<i", 3) + short(b"One", 42) + b"Two")


def category(name, cid, kind, style, font, size, icon=0):
    return (short(name, 20) + bytes([cid, 2, kind]) + struct.pack("<II", 0x0000FF, icon) + b"\1"
            + short(b"Nouveau", 20) + bytes([1, 1, 2, style]) + short(font, 20) + bytes([size])
            + b"\0" * 4)


put("itemcateg_fuzz", "styles.bin",
    b"".join(category(b"Cat%d" % s, s, s % 5, s, b"Arial", 8 + s, s) for s in (0, 1, 2, 3, 4, 7))
    + b"\x41" * 40)
put("itemcateg_fuzz", "one.bin", category(b"Monstres", 1, 1, 3, b"Times New Roman", 12, 2))


def pref(cid, colour, icon, visible, style, font, size):
    return bytes([cid, 0, 0, 0]) + struct.pack("<II", colour, icon) + bytes([visible, style]) \
        + short(font, 40) + bytes([size])


put("categpref_fuzz", "mixed.bin",
    pref(7, 0x112233, 4, 1, 7, b"Verdana", 9) + pref(1, 0, 0, 0, 3, b"Arial", 10)
    + pref(99, 0xABCDEF, 2, 1, 15, b"Other database", 11) + pref(7, 1, 1, 1, 8, b"Second", 0)
    + b"\0" * 20)
put("categpref_fuzz", "long-name.bin", pref(200, 0xFFFFFF, 1, 1, 255, b"n" * 40, 255))

put("mobspec_fuzz", "mobspec.txt",
    b"# id par colour name\r\n001 000 000000 Groupe\r\n003 001 0000FF Rapide\r\n\r\n"
    b" 40   1 00FF00 Lent\r\n041 001 FF0000\r\nabc 001 FFFFFF Bad\r\n@eof\r\n044 001 00FFFF Apres\r\n")
put("mobspec_fuzz", "color.txt",
    b"0000FFRouge\r\n00FF00Vert\r\nFF0000Bleu\r\n# comment\r\nFF8000Rouge tres vif!ZZZ\n\n"
    b"xyz\rFFFFFFBlanc\r\n000000Noir\r\n808080Gris\r\n123456Extra\r\n")


def tag_str(tag, text):
    return bytes([tag]) + struct.pack("<H", len(text)) + text


def master_record(name, zone_id, categ, x, y, ident, desc=b"", link=b""):
    return (tag_str(1, name) + bytes([2]) + struct.pack("<H", zone_id) + bytes([3, categ])
            + bytes([4]) + struct.pack("<H", x) + bytes([5]) + struct.pack("<H", y) + bytes([6, 10, 7, 12])
            + bytes([8]) + struct.pack("<I", 1) + bytes([9]) + struct.pack("<I", 0) + bytes([10])
            + struct.pack("<I", 2) + bytes([11]) + struct.pack("<I", ident) + tag_str(12, desc)
            + tag_str(13, link) + bytes([14, 0, 15, 3, 16, 1, 199]))


put("master_fuzz", "records.bin",
    b"VMARV100" + bytes([200]) + struct.pack("<I", 7) + bytes([201]) + struct.pack("<I", 12)
    + bytes([202]) + struct.pack("<d", 45000.5)
    + master_record(b"Loup", 7, 1, 100, 200, 0x298, b"un|deux", b"V_1234")
    + master_record(b"Garde", 40000, 3, 0, 65535, 0x300, link=b"S_0000000100000002")
    + bytes([50]) + struct.pack("<H", 3) + b"abc" + bytes([255]) + b"trailing")
put("master_fuzz", "cut.bin", b"VMARV100" + master_record(b"Cut", 7, 1, 1, 1, 1)[:20])

put("additions_fuzz", "v250.txt",
    b"#v250-id=123456-Tester\r\n#v2.52\r\n"
    b"Camp||7|1|5|5|10|12||0|0||000000010000000000000000|||un|deux\r\n"
    b"Copie||7|2|5|5|10|12||0|0||000000000000000000000000|||\r\n"
    b"Loup||7|1|100|200|10|12||0|0||000000000000000000000000|000298||change\r\n"
    b"@M||7|2|100|200|0|0||0|0||000000000000000000000000|000299||\r\n"
    b"Garde||7|1|5|5|0|0||0|0||000000000000000000000000|000300||\r\n"
    b"Loin||-25536|0|65535|0|0|0||0|||0000000a00000001ffff|||\r\n"
    b"Perdu||8|1|5|5|0|0||0|0||||V_1234|x\r\n"
    b"Mauvais||7|256|5|5||\n# note\r\n\r\n")
put("additions_fuzz", "v200.txt",
    b"#v200\r\nVieux||7|1|100|200|1|2||0|0||||garbage||ancien\rAutre||300|1|65535|65535|0|0||0|0|||||\n")
put("additions_fuzz", "comment-long-name.txt",
    b"#v250-id=1-x\r\n# mes notes\r\n" + b"N" * 45 + b"||7|1|5|5|1|2||0|0||||\r\n")
put("additions_fuzz", "utf8-mark.txt",
    b"\xef\xbb\xbf#v250-id=1-x\r\n#v2.52\r\n\xc3\x89t\xc3\xa9 \xe2\x98\x83||7|1|5|5|1|2||0|0||||\xff\r\n")
put("link_codes_fuzz", "place.txt", b"  j_1000c0000ffff ")
put("link_codes_fuzz", "place-short.txt", b"J_1000C0000F")
put("link_codes_fuzz", "route.txt", b"V_12910064012CFFFFFFFF00870000")
put("link_codes_fuzz", "route-start.txt", b"V_00910064012C")
put("link_codes_fuzz", "world.txt", b"S_00010000FFFFFFFBFFFFFFFFFDE9FFFB")
put("link_codes_fuzz", "world-edge.txt", b"S_7FFFFFFF000000000001FFFF")
put("link_codes_fuzz", "old-path.txt", b"P_00040000000600000001FFFF")

put("path_fuzz", "route.txt", b"V_0291006401F400000001FFFF0010")
put("path_fuzz", "route-bad.txt", b"V_0091ZZZZ0000")
put("path_fuzz", "area.txt", b"S_FFFFFFFF000000100001FFFF7FFF8000")
put("path_fuzz", "old-area.txt", b"P_00040000000600000001FFFF")
put("path_fuzz", "links.txt", b"  {Tour}{ puits} {a {Puits} {} } {Tour")
put("update_list_fuzz", "list.txt",
    b"VERS=v2.53\r\nMESS=Bonjour\r\nMESE=Hello\r\n"
    b"FILE=master_vmar.loc|database\\Demo\\|0123456789abcdef0123456789abcdef|http://h/m.z|Base|1|0|bas_Demo\r\n"
    b"FILE=x.txt|..\\|00|http://h/x|Out|0|true|all\r\nFILE=a|b|c\r\nEOF\r\n")

# jpeg_fuzz: a JPEG needs an encoder, so its folder stays empty here and the fuzz target
# writes its seeds into it at start-up.
os.makedirs(os.path.join(out, "jpeg_fuzz"), exist_ok=True)

# text_files_fuzz: the first byte picks the reader (0 links, 1 tips, 2 readme, 3 credits,
# 4 url.bin, 5 endpoint lines).
put("text_files_fuzz", "links.txt", b"\x00#liens\r\nForum=http://127.0.0.1/forum\r\nsans egal\r\nA=b=c\rB=\n")
put("text_files_fuzz", "tips.txt", b"\x01Astuce une\r\nAstuce deux\rtrois\n\r\n")
put("text_files_fuzz", "readme.txt", b"\x02Vmar\r\n====\r\n" + b"Une ligne de texte.\r\n" * 8 + b"fin")
put("text_files_fuzz", "credits.inf", b"\x03" + zlib.compress(b"Merci\r\na tous\rles joueurs\n"))
put("text_files_fuzz", "url.bin", b"\x04" + zlib.compress(bytes(b ^ k for b, k in zip(
    b"7\r\nmail@example.org\r\nhttp://127.0.0.1/\r\nmaj/\r\nliste.txt\r\nhttp://127.0.0.1/up\r\n",
    b"0123456789abcdef" * 8))))
put("text_files_fuzz", "endpoints.txt", b"\x0512\r\nmail\rhttp://127.0.0.1/\n")
# kill_list_fuzz: names relative to the scratch program folder.
put("kill_list_fuzz", "kill", b"old\\obsolete.dll\r\nPREF.INI\r\n../outside/sentinel.txt\r\nescape/sentinel.txt\r\n"
    b"ajouts/Vmar_ajouts_Demo.txt\r\n\r\n/etc/passwd\r\ndata\r\nprogram\n")
# bitmap_fuzz: the target writes its small strips itself; here a file of a few bytes that
# declares a strip 524321 pixels wide (it once took a second to cut into icons).
put("bitmap_fuzz", "wide.bmp", b"BM" + struct.pack("<IHHI", 1154, 0, 0, 54)
    + struct.pack("<IiiHHIIiiII", 40, 524321, 11, 1, 24, 0, 1100, 3780, 3780, 0, 0) + b"\0" * 41)
# image_files_fuzz: its seeds are a JPEG and a BMP behind a byte that picks the file, so the
# target writes them itself, like jpeg_fuzz.
os.makedirs(os.path.join(out, "image_files_fuzz"), exist_ok=True)
# update_replace_fuzz: a flags byte (1 compressed, 2 a new file, 4 through a link leading
# out of the folder, 8 a digest that does not match, 16 a failed transfer), then the body.
put("update_replace_fuzz", "plain", b"\x00new zone image")
put("update_replace_fuzz", "packed", b"\x01" + zlib.compress(b"new zone image" * 40))
put("update_replace_fuzz", "new-file", b"\x03" + zlib.compress(b"a new file"))
put("update_replace_fuzz", "escape", b"\x04through the link")
put("update_replace_fuzz", "mismatch", b"\x09" + zlib.compress(b"other"))
put("update_replace_fuzz", "cut", b"\x10half a transfer")
