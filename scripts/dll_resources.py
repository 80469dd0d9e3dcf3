#!/usr/bin/env python3
"""Prints the resources of a PE file as text for scripts/check_exports.sh: menus,
dialogs, string tables, cursor groups and hot spots, bitmaps and toolbars in the layout MFC
reads (windres cannot read that one back: it takes toolbars for its own layout).

usage: dll_resources.py FILE.dll
"""
import struct
import sys

RT_CURSOR, RT_BITMAP, RT_MENU, RT_DIALOG, RT_STRING, RT_GROUP_CURSOR, RT_TOOLBAR = 1, 2, 4, 5, 6, 12, 241
# The controls a dialog template names by number.
PREDEFINED_CLASSES = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x83: "LISTBOX", 0x84: "SCROLLBAR", 0x85: "COMBOBOX"}


def resources(image):
    """(type, name, data) of every resource; names and types by number only."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]
    table = []
    for s in range(sections):
        at = optional + optional_size + 40 * s
        size, rva, raw_size, raw = struct.unpack_from("<IIII", image, at + 8)
        table.append((rva, max(size, raw_size), raw))

    def offset(rva):
        for start, size, raw in table:
            if start <= rva < start + size:
                return raw + rva - start
        sys.exit(f"address {rva:#x} lies in no section")

    base = offset(rsrc_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, base + directory + 12)
        for e in range(named + numbered):
            key, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * e)
            yield key, target

    out = []
    for rtype, types in entries(0):
        for name, names in entries(types & 0x7FFFFFFF):
            for _, leaf in entries(names & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, base + leaf)
                out.append((rtype, name, image[offset(rva):offset(rva) + size]))
    return out


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '""').replace("\n", "\\n") + '"'


def wide_string(data, at):
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def menu(name, data):
    lines = [f"{name} MENU"]

    def items(at, depth):
        # One level: items until the one flagged as the last (0x80); a popup (0x10) has
        # no id and its own level follows it at once.
        pad = "  " * depth
        lines.append(pad[2:] + "BEGIN")
        while True:
            flags = struct.unpack_from("<H", data, at)[0]
            at += 2
            item_id = 0
            if not flags & 0x10:
                item_id = struct.unpack_from("<H", data, at)[0]
                at += 2
            text, at = wide_string(data, at)
            if flags & 0x10:
                lines.append(f"{pad}POPUP {quoted(text)}")
                at = items(at, depth + 1)
            elif not text and not item_id:
                lines.append(f"{pad}MENUITEM SEPARATOR")
            else:
                lines.append(f"{pad}MENUITEM {quoted(text)}, {item_id}")
            if flags & 0x80:
                lines.append(pad[2:] + "END")
                return at

    items(4 + struct.unpack_from("<H", data, 2)[0], 1)
    return lines


def name_or_number(data, at):
    """A template's name field: nothing, a number after 0xFFFF, or a string."""
    first = struct.unpack_from("<H", data, at)[0]
    if first == 0:
        return None, at + 2
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    return wide_string(data, at)


def dialog(name, data):
    """An extended dialog template: its caption and each control's text, id and class."""
    version, signature = struct.unpack_from("<HH", data, 0)
    if (version, signature) != (1, 0xFFFF):
        return [f"{name} DIALOG (not an extended template)"]
    style = struct.unpack_from("<I", data, 12)[0]
    count = struct.unpack_from("<H", data, 16)[0]
    _, at = name_or_number(data, 26)  # menu
    _, at = name_or_number(data, at)  # class
    caption, at = wide_string(data, at)
    lines = [f"{name} DIALOG", f"CAPTION {quoted(caption)}", "BEGIN"]
    if style & 0x40:  # DS_SETFONT: size, weight, italic, charset, face
        _, at = wide_string(data, at + 6)
    for _ in range(count):
        at = (at + 3) & ~3
        item_id = struct.unpack_from("<I", data, at + 20)[0]
        cls, at = name_or_number(data, at + 24)
        text, at = name_or_number(data, at)
        extra = struct.unpack_from("<H", data, at)[0]
        at += 2 + extra
        cls = PREDEFINED_CLASSES.get(cls, cls) if isinstance(cls, int) else quoted(cls)
        lines.append(f"  CONTROL {quoted(text if isinstance(text, str) else '')}, {item_id}, {cls}")
    lines.append("END")
    return lines


def strings(name, data):
    lines, at = [], 0
    for k in range(16):
        length = struct.unpack_from("<H", data, at)[0]
        text = data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        at += 2 + 2 * length
        if length:
            lines.append(f"  {(name - 1) * 16 + k}, {quoted(text)}")
    return lines


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip())
    with open(sys.argv[1], "rb") as f:
        image = f.read()
    found = sorted(resources(image), key=lambda r: (r[0], r[1]))
    string_lines = []
    for rtype, name, data in found:
        if rtype == RT_MENU:
            print("\n".join(menu(name, data)))
        elif rtype == RT_DIALOG:
            print("\n".join(dialog(name, data)))
        elif rtype == RT_STRING:
            string_lines += strings(name, data)
        elif rtype == RT_GROUP_CURSOR:
            count = struct.unpack_from("<H", data, 4)[0]
            for k in range(count):
                w, h, planes, bits, _, cursor = struct.unpack_from("<HHHHIH", data, 6 + 14 * k)
                print(f"{name} GROUP_CURSOR {k + 1} of {count}: {w} x {h}, {planes} plane, {bits} bit, cursor {cursor}")
        elif rtype == RT_CURSOR:
            x, y = struct.unpack_from("<HH", data, 0)
            print(f"{name} CURSOR hot spot {x}, {y}")
        elif rtype == RT_BITMAP:
            w, h, _, bits = struct.unpack_from("<iiHH", data, 4)
            print(f"{name} BITMAP {w} x {h}, {bits} bits")
        elif rtype == RT_TOOLBAR:
            version, w, h, count = struct.unpack_from("<HHHH", data, 0)
            print(f"{name} TOOLBAR version {version}, {w}, {h}")
            print("BEGIN")
            for item in struct.unpack_from(f"<{count}H", data, 8):
                print(f"  BUTTON {item}" if item else "  SEPARATOR")
            print("END")
        else:
            print(f"{name} type {rtype}, {len(data)} bytes")
    if string_lines:
        print("\n".join(["STRINGTABLE", "BEGIN"] + string_lines + ["END"]))


if __name__ == "__main__":
    main()
