#!/usr/bin/python3
"""What Windows checks before Quillora.exe runs, and Wine does not.

Reads the exe with pefile (not with anything of the program) and fails with
one line per fault. Wine starts an exe whatever its manifest says; Windows'
side-by-side loader refuses one whose manifest is malformed or names another
architecture, and the loader refuses a subsystem version newer than itself.

    loader_check.py EXE amd64|x86
"""
import re
import sys
import xml.etree.ElementTree as ElementTree

import pefile

MACHINES = {"amd64": 0x8664, "x86": 0x14C}
GUI = 2  # IMAGE_SUBSYSTEM_WINDOWS_GUI
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x40, 0x20, 0x100
RELOCS_STRIPPED = 0x1
RT_MANIFEST = 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
# DLLs that every Windows 10 and 11 has in System32.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll",
    "iphlpapi.dll", "kernel32.dll", "msvcrt.dll", "rasapi32.dll", "secur32.dll",
    "shell32.dll", "user32.dll", "ws2_32.dll",
}


def header_faults(pe, arch):
    faults = []
    if pe.FILE_HEADER.Machine != MACHINES[arch]:
        faults.append(f"machine 0x{pe.FILE_HEADER.Machine:x}, not {arch}")
    optional = pe.OPTIONAL_HEADER
    if optional.Subsystem != GUI:
        faults.append(f"subsystem {optional.Subsystem}, not the Windows GUI")
    # A subsystem version above the system's own: "not a valid Win32 application".
    version = (optional.MajorSubsystemVersion, optional.MinorSubsystemVersion)
    if version > (10, 0):
        faults.append(f"subsystem version {version[0]}.{version[1]} is newer than Windows 10")
    wanted = DYNAMIC_BASE | NX_COMPAT | (HIGH_ENTROPY_VA if arch == "amd64" else 0)
    if optional.DllCharacteristics & wanted != wanted:
        faults.append(f"DllCharacteristics 0x{optional.DllCharacteristics:x} lack 0x{wanted:x} (ASLR, DEP)")
    # ASLR moves only an image that can be relocated.
    relocations = optional.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    if pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED or relocations.Size == 0:
        faults.append("no base relocations: the image cannot move")
    return faults


def import_faults(pe):
    faults = []
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        name = entry.dll.decode("ascii", "replace")
        if name.lower() not in SYSTEM_DLLS:
            faults.append(f"imports {name}, which Windows does not ship")
    for entry in getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", []):
        name = entry.dll.decode("ascii", "replace")
        if name.lower() not in SYSTEM_DLLS:
            faults.append(f"delay-loads {name}, which Windows does not ship")
    return faults


def manifests(pe):
    """(id, bytes) of every RT_MANIFEST resource, in every language."""
    found = []
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != RT_MANIFEST:
            continue
        for named in kind.directory.entries:
            for language in named.directory.entries:
                data = language.data.struct
                found.append((named.id, pe.get_data(data.OffsetToData, data.Size)))
    return found


def manifest_faults(pe, arch):
    found = manifests(pe)
    # CREATEPROCESS_MANIFEST_RESOURCE_ID: the one an exe's loader reads.
    if [ident for ident, _ in found] != [1]:
        return [f"manifest resources {[ident for ident, _ in found]}, not exactly one with id 1"]
    text = found[0][1]
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        return [f"manifest is not well-formed XML: {error}"]
    faults = []
    if root.tag != ASM_V1 + "assembly" or root.get("manifestVersion") != "1.0":
        faults.append(f"manifest root {root.tag} {root.attrib}")
    identity = root.find(ASM_V1 + "assemblyIdentity")
    if identity is None:
        faults.append("manifest has no assemblyIdentity of its own")
    elif not re.fullmatch(r"\d{1,5}(\.\d{1,5}){3}", identity.get("version", "")):
        faults.append(f"assemblyIdentity version {identity.get('version')!r} is not four numbers")
    for element in root.iter():
        value = element.get("processorArchitecture")
        if value is not None and value not in ("*", arch):
            faults.append(f"{element.get('name')}: processorArchitecture {value!r} on a {arch} exe")
    levels = [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        faults.append(f"requestedExecutionLevel {levels}, not asInvoker alone")
    return faults


def main():
    path, arch = sys.argv[1], sys.argv[2]
    pe = pefile.PE(path)
    faults = header_faults(pe, arch) + import_faults(pe) + manifest_faults(pe, arch)
    for fault in faults:
        print(f"loader check: {path}: {fault}")
    if not faults:
        print(f"loader check: {path}: {arch}, GUI, ASLR and DEP, system DLLs only, manifest 1 well-formed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
