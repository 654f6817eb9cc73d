#!/usr/bin/env python3
"""Reads the Windows resources out of the built executable and checks them: the two icon groups
IDI_ICON1 and IDI_ICON2 (16, 32 and 48 px, 32 bits per pixel, the images of the committed .ico),
the version resource (US English, code page 1252, version 1.0.4, description and product name
"Kelvaro Audio Mixer") and the manifest ("asInvoker" without UI access, common controls 6.0.0.0).

Usage: check-resources.py KelvaroMixer.exe [KelvaroMixer.ico]
Prints one line per check and ends with "N passed, N failed"; exits non-zero on any failure.
"""

import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("ok      " if ok else "FAILED  ") + name + ("" if ok or not detail else ": " + detail))


class Resources:
    """The resource tree of a PE file: {type: {name: {language: bytes}}}, names as int or str."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        sections, optionalSize = struct.unpack_from("<H12xH", d, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", d, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.rva = struct.unpack_from("<I", d, directories + 2 * 8)[0]   # entry 2: resources
        self.sections = []
        for i in range(sections):
            s = optional + optionalSize + 40 * i
            virtualSize, virtualAddress, rawSize, rawPointer = struct.unpack_from("<IIII", d, s + 8)
            self.sections.append((virtualAddress, max(virtualSize, rawSize), rawPointer))
        if self.rva == 0:
            raise ValueError("no resource section")
        self.base = self.offset(self.rva)
        self.tree = self.directory(0, 0)

    def offset(self, rva):
        for address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError("address 0x%x is in no section" % rva)

    def name(self, entry):
        if entry & 0x80000000:
            at = self.base + (entry & 0x7FFFFFFF)
            length = struct.unpack_from("<H", self.data, at)[0]
            return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        return entry

    def directory(self, at, level):
        named, numbered = struct.unpack_from("<12xHH", self.data, self.base + at)
        result = {}
        for i in range(named + numbered):
            entry, target = struct.unpack_from("<II", self.data, self.base + at + 16 + 8 * i)
            if target & 0x80000000:
                result[self.name(entry)] = self.directory(target & 0x7FFFFFFF, level + 1)
            else:
                rva, size = struct.unpack_from("<II", self.data, self.base + target)
                start = self.offset(rva)
                result[self.name(entry)] = self.data[start:start + size]
        return result

    def get(self, kind, name):
        """The one language's data of a resource, or None."""
        languages = self.tree.get(kind, {}).get(name)
        if not languages or len(languages) != 1:
            return None
        return next(iter(languages.values()))


def iconImageInfo(image):
    """(width, height, bits per pixel) of an icon image: a BMP without file header, or a PNG."""
    if image[:8] == b"\x89PNG\r\n\x1a\n":
        width, height, depth, colour = struct.unpack_from(">IIBB", image, 16)
        return width, height, depth * {6: 4, 2: 3, 4: 2, 0: 1}.get(colour, 1)
    size, width, height, planes, bits = struct.unpack_from("<IiiHH", image, 0)
    return width, height // 2, bits


def checkIconGroups(resources, icoPath):
    icoImages = {}
    if icoPath:
        with open(icoPath, "rb") as f:
            ico = f.read()
        count = struct.unpack_from("<H", ico, 4)[0]
        for i in range(count):
            size, offset = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
            image = ico[offset:offset + size]
            icoImages[iconImageInfo(image)[0]] = image

    groups = {}
    for name in ("IDI_ICON1", "IDI_ICON2"):
        group = resources.get(RT_GROUP_ICON, name)
        check("icon group %s present" % name, group is not None)
        if group is None:
            continue
        reserved, kind, count = struct.unpack_from("<HHH", group, 0)
        entries = []
        for i in range(count):
            width, height, colours, _, planes, bits, size, iconId = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            image = resources.get(RT_ICON, iconId)
            entries.append((width or 256, height or 256, bits, image))
        sizes = sorted((w, h, b) for w, h, b, _ in entries)
        check("icon group %s has 16, 32 and 48 px images of 32 bits" % name,
              kind == 1 and sizes == [(16, 16, 32), (32, 32, 32), (48, 48, 32)], str(sizes))
        images = {w: image for w, _, _, image in entries}
        check("icon group %s images are 32-bit and of their sizes" % name,
              all(image is not None and iconImageInfo(image) == (w, w, 32) for w, image in images.items()))
        if icoImages:
            check("icon group %s holds the images of %s" % (name, icoPath.split("/")[-1]), images == icoImages)
        groups[name] = images
    if len(groups) == 2:
        check("the two icon groups are identical", groups["IDI_ICON1"] == groups["IDI_ICON2"])
    firstGroup = min(resources.tree.get(RT_GROUP_ICON, {}), key=lambda n: (isinstance(n, int), n), default=None)
    check("IDI_ICON1 is the executable's first icon group", firstGroup == "IDI_ICON1", str(firstGroup))


def versionBlocks(data, at, end):
    """The children of a version block: (key, value bytes, value type, children start, end) each."""
    while at + 6 <= end:
        length, valueLength, valueType = struct.unpack_from("<HHH", data, at)
        if length == 0:
            break
        keyEnd = at + 6
        while data[keyEnd:keyEnd + 2] != b"\0\0":
            keyEnd += 2
        key = data[at + 6:keyEnd].decode("utf-16-le")
        valueStart = (keyEnd + 2 + 3) & ~3
        valueBytes = valueLength * (2 if valueType == 1 else 1)
        childrenStart = (valueStart + valueBytes + 3) & ~3
        yield key, data[valueStart:valueStart + valueBytes], valueType, childrenStart, at + length
        at = (at + length + 3) & ~3


def checkVersion(resources):
    data = resources.get(RT_VERSION, 1)
    check("version resource present", data is not None)
    if data is None:
        return
    root = list(versionBlocks(data, 0, len(data)))
    check("version resource is VS_VERSION_INFO", len(root) == 1 and root[0][0] == "VS_VERSION_INFO")
    key, fixed, _, childrenStart, end = root[0]
    signature, _, fileMS, fileLS, productMS, productLS = struct.unpack_from("<6I", fixed, 0)
    check("fixed file version 1.0.4.0", signature == 0xFEEF04BD and (fileMS, fileLS) == (0x10000, 0x40000))
    check("fixed product version 1.0.4.0", (productMS, productLS) == (0x10000, 0x40000))

    strings, translations = {}, []
    for key, value, _, start, stop in versionBlocks(data, childrenStart, end):
        if key == "StringFileInfo":
            for table, _, _, tableStart, tableStop in versionBlocks(data, start, stop):
                strings[table] = {k: v.decode("utf-16-le").rstrip("\0")
                                  for k, v, _, _, _ in versionBlocks(data, tableStart, tableStop)}
        elif key == "VarFileInfo":
            for varKey, varValue, _, _, _ in versionBlocks(data, start, stop):
                if varKey == "Translation":
                    translations += [struct.unpack_from("<HH", varValue, i) for i in range(0, len(varValue), 4)]

    check("one string table, US English with code page 1252", list(strings) == ["040904E4"]
          or list(strings) == ["040904e4"], str(list(strings)))
    table = next(iter(strings.values()), {})
    expected = {"FileDescription": "Kelvaro Audio Mixer", "ProductName": "Kelvaro Audio Mixer",
                "FileVersion": "1.0.4", "ProductVersion": "1.0.4"}
    for k, v in expected.items():
        check('%s is "%s"' % (k, v), table.get(k) == v, repr(table.get(k)))
    check("translation US English, code page 1252", translations == [(0x409, 1252)], str(translations))


def checkManifest(resources):
    data = resources.get(RT_MANIFEST, 1)
    check("manifest present (id 1)", data is not None)
    if data is None:
        return
    root = ElementTree.fromstring(data)
    ns = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3"}
    levels = root.findall(".//v3:requestedExecutionLevel", ns) + root.findall(".//v1:requestedExecutionLevel", ns)
    check('execution level "asInvoker" without UI access',
          len(levels) == 1 and levels[0].get("level") == "asInvoker" and levels[0].get("uiAccess") == "false")
    identities = root.findall("./v1:dependency/v1:dependentAssembly/v1:assemblyIdentity", ns)
    check('depends on "Microsoft.Windows.Common-Controls" "6.0.0.0"',
          len(identities) == 1 and identities[0].get("name") == "Microsoft.Windows.Common-Controls"
          and identities[0].get("version") == "6.0.0.0" and identities[0].get("type") == "win32")


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    try:
        resources = Resources(sys.argv[1])
    except (OSError, ValueError, struct.error) as error:
        check("resources readable from " + sys.argv[1], False, str(error))
    else:
        checkIconGroups(resources, sys.argv[2] if len(sys.argv) == 3 else None)
        checkVersion(resources)
        checkManifest(resources)
    failed = results.count(False)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
