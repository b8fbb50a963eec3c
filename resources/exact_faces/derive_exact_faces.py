#!/usr/bin/env python3
"""Derives copies of font faces whose text reads back exactly from a PDF.

Qt's PDF writer tells readers which character a glyph stands for by asking the face, for every
code point of the Basic Multilingual Plane in ascending order, which glyph it maps to; the first
code point that reaches a glyph wins. Faces that map several code points to one glyph therefore
read back wrongly: in the CJK faces the Kangxi radical U+2F00 comes out in place of the ideograph
U+4E00 that was typed, U+00B7 in place of the katakana middle dot U+30FB, U+2003 in place of the
ideographic space U+3000, and so on.

For every face of the given families this writes layered faces that share every table of the
original except the character map and the names:

  "<family> Exact"      maps each glyph from one code point only: the one a text most likely
                        holds (see preference());
  "<family> Exact <n>"  (n = 2, 3, ...) maps the n-th code point of each glyph that several
                        code points share, and nothing else; code points of the radical,
                        compatibility and presentation-form blocks move one layer further, so
                        the first layer never maps them.

A face that positions glyphs (GPOS) but substitutes none (no GSUB: Noto Sans Thaana) gets a
GSUB that names the scripts its GPOS names, with no substitutions: Qt sets text of a script that needs shaping (Thaana, the Indic scripts) only in a
face whose GSUB names the script, and would otherwise draw empty boxes.

Used in that order as fallbacks, they draw every character with the glyph the original face
draws, and the PDF reads each one back as the character that was typed. Every face of a family
gets the same number of layers (empty ones where a weight needs fewer), so a bold request never
lands on a regular face.

usage: derive_exact_faces.py OUTPUT_DIR --family NAME [--family NAME ...] SOURCE [SOURCE ...]
Writes OUTPUT_DIR/<source name>-exact.ttc for every source that holds one of the families.
"""

import argparse
import os
import struct
import sys
from collections import defaultdict

from fontTools.ttLib import TTCollection, TTFont, newTable
from fontTools.ttLib.tables import otTables
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

# Code points a text rarely holds. They never stay in the first layer: where shaping reaches
# their glyph from other characters (a letter and its nukta, say), the PDF would otherwise report
# them instead of the characters typed.
DEMOTED_BLOCKS = (
    (0x0958, 0x095F),  # Devanagari letters with nukta, which normalised text spells as two
    (0x2E80, 0x2FDF),  # CJK radicals supplement, Kangxi radicals
    (0xF900, 0xFAFF),  # CJK compatibility ideographs
    (0xFB00, 0xFDFF),  # alphabetic and Arabic presentation forms A
    (0xFE30, 0xFE4F),  # CJK compatibility forms
    (0xFE70, 0xFEFF),  # Arabic presentation forms B
    (0x2F800, 0x2FA1F),  # CJK compatibility ideographs supplement
)

# Names that identify a face; all of them are rewritten.
FACE_NAME_IDS = (1, 2, 3, 4, 6, 16, 17, 18, 21, 22, 25)

SUFFIX = " Exact"


def demoted(code_point):
    return any(first <= code_point <= last for first, last in DEMOTED_BLOCKS)


def preference(code_point):
    """Sort key: the code point a text drawn with the face most likely holds comes first.

    The faces derived here are fallbacks for East Asian text: Latin letters and general
    punctuation reach them only when the résumé's own face lacks them. So among code points that
    share a glyph, those from U+2E80 on (CJK, kana, Hangul, fullwidth forms: U+30FB rather than
    U+00B7, U+3000 rather than U+2003) come first, and the common ideographs (U+4E00-U+9FFF)
    before the rare ones of the extension blocks; the radical and compatibility blocks come last.
    """
    common_ideograph = 0x4E00 <= code_point <= 0x9FFF
    return (demoted(code_point), code_point < 0x2E80, not common_ideograph, code_point)


def open_faces(path):
    """The faces of a font file, read lazily: tables we do not touch are copied byte for byte."""
    if path.lower().endswith((".ttc", ".otc")):
        faces = TTCollection(path, lazy=True).fonts
    else:
        faces = [TTFont(path, lazy=True)]
    for face in faces:
        # Glyph names would come from the CFF or post table, which would then be decompiled and
        # rewritten (minutes for a CJK face); the character map only needs stable names.
        glyph_count = struct.unpack(">H", face.reader["maxp"][4:6])[0]
        face.setGlyphOrder(["g%d" % i for i in range(glyph_count)])
    return faces


def debug_name(face, name_id):
    return face["name"].getDebugName(name_id)


def family_of(face):
    return debug_name(face, 16) or debug_name(face, 1)


def layers_of(face):
    """The face's character map split into maps that give each glyph one code point."""
    by_glyph = defaultdict(list)
    for code_point, glyph in face["cmap"].getBestCmap().items():
        by_glyph[glyph].append(code_point)
    layers = [{}]
    for glyph, code_points in by_glyph.items():
        code_points.sort(key=preference)
        first = 1 if demoted(code_points[0]) else 0
        for rank, code_point in enumerate(code_points, start=first):
            while len(layers) <= rank:
                layers.append({})
            layers[rank][code_point] = glyph
    return layers


def character_map(mapping, variation_subtable=None):
    table = newTable("cmap")
    table.tableVersion = 0
    table.tables = []
    bmp = {cp: glyph for cp, glyph in mapping.items() if cp <= 0xFFFF}
    for platform, encoding in ((0, 3), (3, 1)):
        subtable = CmapSubtable.newSubtable(4)
        subtable.platformID, subtable.platEncID, subtable.language = platform, encoding, 0
        subtable.cmap = bmp
        table.tables.append(subtable)
    if len(bmp) < len(mapping):
        for platform, encoding in ((0, 4), (3, 10)):
            subtable = CmapSubtable.newSubtable(12)
            subtable.platformID, subtable.platEncID, subtable.language = platform, encoding, 0
            subtable.cmap = dict(mapping)
            table.tables.append(subtable)
    if variation_subtable is not None:
        table.tables.append(variation_subtable)
    table.tables.sort(key=lambda t: (t.platformID, t.platEncID))
    return table


def named_for_shaping(face):
    """Gives the face a GSUB that names every script its GPOS names (see the module's note)."""
    if "GSUB" in face or "GPOS" not in face:
        return  # a GSUB of its own is kept as it is
    positioned = [record.ScriptTag for record in face["GPOS"].table.ScriptList.ScriptRecord]
    table = otTables.GSUB()
    table.Version = 0x00010000
    table.ScriptList = otTables.ScriptList()
    table.ScriptList.ScriptRecord = []
    for tag in positioned:
        record = otTables.ScriptRecord()
        record.ScriptTag = tag
        record.Script = otTables.Script()
        record.Script.DefaultLangSys = otTables.DefaultLangSys()
        record.Script.DefaultLangSys.LookupOrder = None
        record.Script.DefaultLangSys.ReqFeatureIndex = 0xFFFF
        record.Script.DefaultLangSys.FeatureIndex = []
        record.Script.DefaultLangSys.FeatureCount = 0
        record.Script.LangSysRecord = []
        record.Script.LangSysCount = 0
        table.ScriptList.ScriptRecord.append(record)
    table.ScriptList.ScriptCount = len(positioned)
    table.FeatureList = otTables.FeatureList()
    table.FeatureList.FeatureRecord = []
    table.FeatureList.FeatureCount = 0
    table.LookupList = otTables.LookupList()
    table.LookupList.Lookup = []
    table.LookupList.LookupCount = 0
    gsub = newTable("GSUB")
    gsub.table = table
    face["GSUB"] = gsub


def rename(face, layer):
    names = face["name"]
    family = family_of(face)
    style = debug_name(face, 17) or debug_name(face, 2) or "Regular"
    postscript = debug_name(face, 6) or (family + "-" + style).replace(" ", "")
    tag = SUFFIX.strip() + ("" if layer == 0 else str(layer + 1))
    base, dash, rest = postscript.partition("-")
    new_postscript = (base + tag + dash + rest)[:63]
    new_family = family + SUFFIX + ("" if layer == 0 else " %d" % (layer + 1))
    names.names = [record for record in names.names if record.nameID not in FACE_NAME_IDS]
    for name_id, text in ((1, new_family), (2, style), (3, new_postscript), (4, new_family + " " + style),
                          (6, new_postscript)):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)


def derive(source, families, layer_counts, output_dir):
    """Writes the layered faces of one source file; returns the output path or None."""
    derived = []
    for index, face in enumerate(open_faces(source)):
        family = family_of(face)
        if family not in families:
            continue
        layers = layers_of(face)
        variations = [t for t in face["cmap"].tables if t.format == 14]
        for layer in range(layer_counts[family]):
            # A fresh reader per layer: every layer shares the original's tables but has its own
            # character map and names.
            copy = open_faces(source)[index]
            mapping = layers[layer] if layer < len(layers) else {}
            copy["cmap"] = character_map(mapping, variations[0] if layer == 0 and variations else None)
            named_for_shaping(copy)
            rename(copy, layer)
            derived.append(copy)
    if not derived:
        return None
    stem = os.path.splitext(os.path.basename(source))[0]
    target = os.path.join(output_dir, stem + "-exact.ttc")
    partial = target + ".part"
    collection = TTCollection()
    collection.fonts = derived
    collection.save(partial, shareTables=True)
    os.replace(partial, target)
    return target


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("output_dir")
    parser.add_argument("sources", nargs="+")
    parser.add_argument("--family", action="append", required=True, dest="families")
    args = parser.parse_args()
    families = set(args.families)
    os.makedirs(args.output_dir, exist_ok=True)

    # The number of layers of each family over all its weights.
    layer_counts = defaultdict(int)
    for source in args.sources:
        for face in open_faces(source):
            family = family_of(face)
            if family in families:
                layer_counts[family] = max(layer_counts[family], len(layers_of(face)))

    for source in args.sources:
        target = derive(source, families, layer_counts, args.output_dir)
        if target:
            print("derive_exact_faces: %s -> %s" % (os.path.basename(source), os.path.basename(target)))
    missing = families - set(layer_counts)
    if missing:
        print("derive_exact_faces: not found: %s" % ", ".join(sorted(missing)), file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
