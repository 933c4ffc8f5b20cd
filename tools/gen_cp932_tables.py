#!/usr/bin/env python3
"""Generates src/platform/Cp932Tables.inc from Windows' measured code page 932 conversions.

Input: cp932-windows.txt.gz, one line per measured conversion:
  D <bytes hex> <strict> <lenient>    bytes to UTF-16 (lenient: one or more units joined by '.')
  E U+XXXX <strict> <bestfit>         one BMP unit to bytes ('3F*': the default character)

Output tables (all lookups are direct indexing, so the conversions stay tight loops):
  kSingleByte[256]        UTF-16 unit of every single byte (also of a lead byte at the end)
  kPairRowOfLead[256]     row of kPairRows for a lead byte, kNoRow for other bytes
  kPairRows[rows][256]    first UTF-16 unit of every lead/trail pair; equal rows are shared
  kTwoUnitPairs[]         the pairs that decode to two units (marked kTwoUnitMark in the rows)
  kEncodePageOfHigh[256]  page of kEncodePages for the high byte of a unit
  kEncodePages[pages][256] bytes of every BMP unit: below 0x100 one byte, else two (lead, trail)
  kWideKatakana[63]       full-width code of each half-width katakana 0xA1-0xDF

Usage: gen_cp932_tables.py [reference.txt.gz] [output.inc]
"""

import gzip
import os
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_INPUT = os.path.join(HERE, "..", "..", "shared", "reference", "cp932-windows.txt.gz")
DEFAULT_OUTPUT = os.path.join(HERE, "..", "src", "platform", "Cp932Tables.inc")

LEADS = [b for b in range(0x100) if 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC]
DEFAULT_CHAR = 0x3F
TWO_UNIT_MARK = 0xFFFF  # never a decoded unit (checked below)
NO_ROW = 0xFF


def parse_units(text):
    return [int(unit[2:], 16) for unit in text.split(".")]


def read_reference(path):
    decode = {}
    encode = {}
    with gzip.open(path, "rt", encoding="ascii") as lines:
        for number, line in enumerate(lines, 1):
            fields = line.split()
            if not fields:
                continue
            if len(fields) != 4 or fields[0] not in ("D", "E"):
                sys.exit(f"{path}:{number}: unexpected line {line!r}")
            if fields[0] == "D":
                decode[bytes.fromhex(fields[1])] = parse_units(fields[3])
            else:
                unit = int(fields[1][2:], 16)
                code = fields[3]
                encode[unit] = DEFAULT_CHAR if code == "3F*" else int(code, 16)
    return decode, encode


def build_decoding(decode):
    single = []
    for byte in range(0x100):
        units = decode[bytes([byte])]
        if len(units) != 1:
            sys.exit(f"single byte {byte:02X} decodes to {len(units)} units")
        single.append(units[0])

    rows = []
    row_of_lead = [NO_ROW] * 0x100
    two_units = []
    for lead in LEADS:
        row = []
        for trail in range(0x100):
            units = decode[bytes([lead, trail])]
            if TWO_UNIT_MARK in units or not 1 <= len(units) <= 2:
                sys.exit(f"pair {lead:02X}{trail:02X} decodes to {units}")
            if len(units) == 2:
                two_units.append((lead, trail, units[0], units[1]))
                row.append(TWO_UNIT_MARK)
            else:
                row.append(units[0])
        if row not in rows:
            rows.append(row)
        row_of_lead[lead] = rows.index(row)
    if len(rows) >= NO_ROW:
        sys.exit("too many distinct pair rows")
    return single, row_of_lead, rows, two_units


def build_encoding(encode):
    codes = []
    for unit in range(0x10000):
        if unit in encode:
            code = encode[unit]
        elif 0xD800 <= unit <= 0xDFFF:
            code = DEFAULT_CHAR  # a surrogate alone converts to the default character
        else:
            sys.exit(f"no encoding measured for U+{unit:04X}")
        if not ((code < 0x100 and code not in LEADS) or (code >> 8) in LEADS):
            sys.exit(f"U+{unit:04X} encodes to unexpected {code:X}")
        codes.append(code)

    pages = []
    page_of_high = []
    for high in range(0x100):
        page = codes[high << 8:(high + 1) << 8]
        if page not in pages:
            pages.append(page)
        page_of_high.append(pages.index(page))
    return page_of_high, pages, codes


def build_katakana(codes):
    # Each half-width katakana is widened alone: its compatibility decomposition, with a sound
    # mark that stands alone taken in its spacing form (the combining one has no code here).
    spacing = {0x3099: 0x309B, 0x309A: 0x309C}
    wide = []
    for byte in range(0xA1, 0xE0):
        half = chr(0xFF61 + byte - 0xA1)
        full = unicodedata.normalize("NFKC", half)
        if len(full) != 1:
            sys.exit(f"katakana {byte:02X} widens to {len(full)} characters")
        code = codes[spacing.get(ord(full), ord(full))]
        if code < 0x100:
            sys.exit(f"katakana {byte:02X} widens to the single byte {code:02X}")
        wide.append(code)
    return wide


def format_array(values, per_line, width):
    lines = []
    for start in range(0, len(values), per_line):
        chunk = values[start:start + per_line]
        lines.append("    " + ", ".join(f"0x{value:0{width}X}" for value in chunk) + ",")
    return "\n".join(lines)


def render(single, row_of_lead, rows, two_units, page_of_high, pages, wide):
    out = []
    out.append("// Generated by tools/gen_cp932_tables.py from Windows' measured code page 932")
    out.append("// conversions. Do not edit; run the generator instead.")
    out.append("// clang-format off")
    out.append("")
    out.append(f"constexpr char16_t kTwoUnitMark = 0x{TWO_UNIT_MARK:04X};")
    out.append(f"constexpr uint8_t kNoRow = 0x{NO_ROW:02X};")
    out.append("")
    out.append("// UTF-16 unit of each single byte.")
    out.append("constexpr char16_t kSingleByte[256] = {")
    out.append(format_array(single, 16, 4))
    out.append("};")
    out.append("")
    out.append("// Row of kPairRows for each lead byte; kNoRow for the other bytes.")
    out.append("constexpr uint8_t kPairRowOfLead[256] = {")
    out.append(format_array(row_of_lead, 16, 2))
    out.append("};")
    out.append("")
    out.append("// First UTF-16 unit of each pair, by trail byte; kTwoUnitMark where two units follow.")
    out.append(f"constexpr char16_t kPairRows[{len(rows)}][256] = {{")
    for row in rows:
        out.append("  {")
        out.append(format_array(row, 16, 4))
        out.append("  },")
    out.append("};")
    out.append("")
    out.append("// The pairs that decode to two units, sorted by lead and trail byte.")
    out.append("struct TwoUnitPair {")
    out.append("    uint8_t lead;")
    out.append("    uint8_t trail;")
    out.append("    char16_t first;")
    out.append("    char16_t second;")
    out.append("};")
    out.append(f"constexpr TwoUnitPair kTwoUnitPairs[{len(two_units)}] = {{")
    for lead, trail, first, second in two_units:
        out.append(f"    {{0x{lead:02X}, 0x{trail:02X}, 0x{first:04X}, 0x{second:04X}}},")
    out.append("};")
    out.append("")
    out.append("// Page of kEncodePages for each high byte of a UTF-16 unit.")
    out.append("constexpr uint8_t kEncodePageOfHigh[256] = {")
    out.append(format_array(page_of_high, 16, 2))
    out.append("};")
    out.append("")
    out.append("// Shift-JIS code of each unit by its low byte: below 0x100 one byte, else lead and trail.")
    out.append(f"constexpr uint16_t kEncodePages[{len(pages)}][256] = {{")
    for page in pages:
        out.append("  {")
        out.append(format_array(page, 16, 4))
        out.append("  },")
    out.append("};")
    out.append("")
    out.append("// Full-width code of each half-width katakana 0xA1-0xDF.")
    out.append("constexpr uint16_t kWideKatakana[63] = {")
    out.append(format_array(wide, 8, 4))
    out.append("};")
    out.append("")
    out.append("// clang-format on")
    return "\n".join(out) + "\n"


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_INPUT
    target = sys.argv[2] if len(sys.argv) > 2 else DEFAULT_OUTPUT
    decode, encode = read_reference(source)
    single, row_of_lead, rows, two_units = build_decoding(decode)
    page_of_high, pages, codes = build_encoding(encode)
    wide = build_katakana(codes)
    with open(target, "w", encoding="ascii", newline="\n") as out:
        out.write(render(single, row_of_lead, rows, two_units, page_of_high, pages, wide))
    size = 256 * 2 + 256 + len(rows) * 512 + len(two_units) * 6 + 256 + len(pages) * 512 + 63 * 2
    print(f"{target}: {len(rows)} pair rows, {len(two_units)} two-unit pairs, "
          f"{len(pages)} encoding pages, {size} bytes of tables")


if __name__ == "__main__":
    main()
