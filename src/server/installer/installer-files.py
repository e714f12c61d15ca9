#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Makes the installer's registry part and the side-by-side manifests.

Usage:
  installer-files.py wxi TABLE OUT.wxi
  installer-files.py manifest TABLE VERSION ARCH OUT.manifest
  installer-files.py application NAME VERSION ARCH OUT.manifest

TABLE is what lumora_registry_table prints for a built library: every key
and value its registration writes. The MSI's registry table and the
registration-free assembly manifest are both made from it, so neither can
name a class, interface or type library the library does not register
itself. VERSION is the project's version (1.0.0), ARCH x64 or x86.
"""

import sys
from xml.sax.saxutils import quoteattr

LIBRARY_FILE = "DorvaneLumoraStyleList.ocx"
ASSEMBLY_NAME = "DorvaneLumoraStyleList"
# The File element's Id in DorvaneLumoraStyleList.wxs, and its folder's.
FILE_REFERENCE = "[#LibraryFile]"
FOLDER_REFERENCE = "[INSTALLFOLDER]"
# The machine's classes, which the package writes whoever installs it.
MACHINE_CLASSES = "Software\\Classes\\"
# Manifests name processor architectures the way the loader does.
MANIFEST_ARCHITECTURES = {"x64": "amd64", "x86": "x86"}
# The OLEMISC flags by the names side-by-side manifests give them.
MISC_STATUS_NAMES = [
    (0x1, "recomposeonresize"), (0x2, "onlyiconic"), (0x4, "insertnotreplace"), (0x8, "static"),
    (0x10, "cantlinkinside"), (0x20, "canlinkbyole1"), (0x40, "islinkobject"), (0x80, "insideout"),
    (0x100, "activatewhenvisible"), (0x200, "renderingisdeviceindependent"), (0x400, "invisibleatruntime"),
    (0x800, "alwaysrun"), (0x1000, "actslikebutton"), (0x2000, "actslikelabel"), (0x4000, "nouiactivate"),
    (0x8000, "alignable"), (0x10000, "simpleframe"), (0x20000, "setclientsitefirst"), (0x40000, "imemode"),
    (0x80000, "ignoreactivatewhenvisible"), (0x100000, "wantstomenumerge"), (0x200000, "supportsmultilevelundo"),
]
# The type library flags (the FLAGS key's number) by their manifest names.
LIBRARY_FLAG_NAMES = [(0x1, "RESTRICTED"), (0x2, "CONTROL"), (0x4, "HIDDEN"), (0x8, "HASDISKIMAGE")]


class Table:
    """The keys in the library's order, each with its values by name."""

    def __init__(self, path):
        self.file = None
        self.keys = []
        self.values = {}
        with open(path, encoding="utf-8") as lines:
            for line in lines:
                fields = line.rstrip("\r\n").split("\t")
                if fields[0] == "file":
                    self.file = fields[1]
                elif fields[0] == "key":
                    self.keys.append(fields[1])
                    self.values[fields[1].lower()] = []
                elif fields[0] == "value":
                    self.values[fields[1].lower()].append((fields[2], fields[3]))
        if not self.file or not self.keys:
            raise SystemExit(f"installer-files: {path} holds no registry table")

    def default(self, key):
        for name, data in self.values.get(key.lower(), []):
            if name == "":
                return data
        return None

    def subkeys(self, prefix):
        """The keys one level below prefix (CLSID, Interface, TypeLib)."""
        return [key for key in self.keys if key.lower().startswith(prefix.lower() + "\\") and key.count("\\") == 1]


def installed_data(table, data):
    """The value as the installer writes it: the library's path and folder
    become the installed file's and folder's."""
    folder = table.file.rsplit("\\", 1)[0]
    data = data.replace(table.file, FILE_REFERENCE)
    if data == folder:
        return FOLDER_REFERENCE
    # Square brackets and braces would be read as the installer's own
    # references; none of ours holds a bracket, and a GUID's braces stand
    # as they are.
    return data


def write_wxi(table, out):
    lines = ['<?xml version="1.0" encoding="utf-8"?>',
             "<!-- Made by installer-files.py from the library's own registry table; do not edit. -->",
             "<Include>"]
    for key in table.keys:
        path = f'Root="HKLM" Key={quoteattr(MACHINE_CLASSES + key)}'
        # The name "*" without a value has the installer create the key and
        # remove it, with everything below it, when the package goes.
        lines.append(f'  <RegistryValue {path} Name="*" Type="string" Value=""/>')
        for name, data in table.values[key.lower()]:
            name_attribute = f" Name={quoteattr(name)}" if name else ""
            lines.append(f'  <RegistryValue {path}{name_attribute} Type="string"'
                         f" Value={quoteattr(installed_data(table, data))}/>")
    lines.append("</Include>")
    out.write("\n".join(lines) + "\n")


def misc_status_names(value):
    flags = int(value)
    return ",".join(name for bit, name in MISC_STATUS_NAMES if flags & bit)


def four_part(version):
    parts = version.split(".")
    return ".".join((parts + ["0"] * 4)[:4])


def write_manifest(table, version, arch, out):
    lines = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
             "<!-- Made by installer-files.py from the library's own registry table; do not edit. -->",
             '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
             f'  <assemblyIdentity type="win32" name="{ASSEMBLY_NAME}" version="{four_part(version)}"'
             f' processorArchitecture="{MANIFEST_ARCHITECTURES[arch]}"/>',
             f'  <file name="{LIBRARY_FILE}">']
    for key in table.subkeys("TypeLib"):
        libid = key.split("\\")[1]
        versions = [k for k in table.keys if k.lower().startswith(key.lower() + "\\") and k.count("\\") == 2]
        for version_key in versions:
            library_version = version_key.split("\\")[2]
            flags = int(table.default(version_key + "\\FLAGS") or "0")
            flag_names = ",".join(name for bit, name in LIBRARY_FLAG_NAMES if flags & bit)
            lines.append(f'    <typelib tlbid="{libid}" version="{library_version}" helpdir=""'
                         f' flags="{flag_names}"/>')
    for key in table.subkeys("CLSID"):
        clsid = key.split("\\")[1]
        attributes = [f'clsid="{clsid}"']
        description = table.default(key)
        if description:
            attributes.append(f"description={quoteattr(description)}")
        threading = next((data for name, data in table.values[(key + "\\InprocServer32").lower()]
                          if name == "ThreadingModel"), None)
        if threading:
            attributes.append(f'threadingModel="{threading}"')
        progid = table.default(key + "\\ProgID")
        if progid:
            attributes.append(f"progid={quoteattr(progid)}")
        tlbid = table.default(key + "\\TypeLib")
        if tlbid:
            attributes.append(f'tlbid="{tlbid}"')
        content = table.default(key + "\\MiscStatus\\1")
        if content:
            names = misc_status_names(content)
            attributes.append(f'miscStatus="{names}" miscStatusContent="{names}"')
        independent = table.default(key + "\\VersionIndependentProgID")
        if independent and independent != progid:
            lines.append(f'    <comClass {" ".join(attributes)}>')
            lines.append(f"      <progid>{independent}</progid>")
            lines.append("    </comClass>")
        else:
            lines.append(f'    <comClass {" ".join(attributes)}/>')
    lines.append("  </file>")
    for key in table.subkeys("Interface"):
        iid = key.split("\\")[1]
        name = table.default(key) or ""
        proxy = table.default(key + "\\ProxyStubClsid32")
        tlbid = table.default(key + "\\TypeLib")
        lines.append(f"  <comInterfaceExternalProxyStub name={quoteattr(name)} iid=\"{iid}\""
                     f' proxyStubClsid32="{proxy}" tlbid="{tlbid}"/>')
    lines.append("</assembly>")
    out.write("\n".join(lines) + "\n")


def write_application(name, version, arch, out):
    architecture = MANIFEST_ARCHITECTURES[arch]
    out.write("\n".join([
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
        '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
        f'  <assemblyIdentity type="win32" name={quoteattr(name)} version="{four_part(version)}"'
        f' processorArchitecture="{architecture}"/>',
        "  <dependency>",
        "    <dependentAssembly>",
        f'      <assemblyIdentity type="win32" name="{ASSEMBLY_NAME}" version="{four_part(version)}"'
        f' processorArchitecture="{architecture}"/>',
        "    </dependentAssembly>",
        "  </dependency>",
        "</assembly>",
    ]) + "\n")


def main(argv):
    if len(argv) == 4 and argv[1] == "wxi":
        with open(argv[3], "w", encoding="utf-8") as out:
            write_wxi(Table(argv[2]), out)
    elif len(argv) == 6 and argv[1] == "manifest" and argv[4] in MANIFEST_ARCHITECTURES:
        with open(argv[5], "w", encoding="utf-8") as out:
            write_manifest(Table(argv[2]), argv[3], argv[4], out)
    elif len(argv) == 6 and argv[1] == "application" and argv[4] in MANIFEST_ARCHITECTURES:
        with open(argv[5], "w", encoding="utf-8") as out:
            write_application(argv[2], argv[3], argv[4], out)
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
