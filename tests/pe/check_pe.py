"""Reads a built Kelvoria.exe and fmod.dll as files, with no Wine, and checks
what a Windows user's machine will see of them: the machine type and PE
format of the target, the GUI subsystem of the program, the engine's exact
exports, and imports from system DLLs only (and fmod.dll for the program).

    check_pe.py ARCH RUN_DIR EXPORT...   (EXPORT as in FSOUND_Init@12)
"""
import os
import struct
import sys

TARGETS = {
    # arch: (COFF machine, optional header magic, what it is called)
    "i686": (0x014C, 0x10B, "PE32 for Intel 80386"),
    "x86_64": (0x8664, 0x20B, "PE32+ for x86-64"),
}
SUBSYSTEM_GUI, SUBSYSTEM_CONSOLE = 2, 3
IMAGE_FILE_DLL = 0x2000
# What every Windows has: the program and the engine may import these alone.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comdlg32.dll", "comctl32.dll",
               "shell32.dll", "winmm.dll", "msvcrt.dll", "bcrypt.dll",
               "ole32.dll", "oleaut32.dll", "oleacc.dll",     # the windows' accessible objects
               "shlwapi.dll"}                                 # Explorer's order of names


class PeFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = self.u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = pe + 4
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", self.data, coff)
        optional = coff + 20
        self.magic = self.u16(optional)
        wide = self.magic == 0x20B
        self.subsystem = self.u16(optional + 68)
        directories = optional + (112 if wide else 96)
        count = self.u32(directories - 4)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(count)]
        self.wide = wide
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", self.data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rawsize), rawptr))

    def u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def u32(self, at):
        return struct.unpack_from("<I", self.data, at)[0]

    def offset(self, rva):
        for vaddr, size, rawptr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + rawptr
        raise ValueError("address %#x lies in no section" % rva)

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def exports(self):
        rva, size = self.directories[0]
        if not size:
            return []
        at = self.offset(rva)
        names, name_table = self.u32(at + 24), self.u32(at + 32)
        return [self.text(self.u32(self.offset(name_table) + 4 * i)) for i in range(names)]

    def imports(self):
        dlls = []
        for index, record in ((1, 20), (13, 32)):      # ordinary and delay-load imports
            if index >= len(self.directories) or not self.directories[index][1]:
                continue
            at = self.offset(self.directories[index][0])
            while True:
                fields = struct.unpack_from("<%dI" % (record // 4), self.data, at)
                name = fields[3] if record == 20 else fields[1]
                if not any(fields):
                    break
                dlls.append(self.text(name).lower())
                at += record
        return dlls


failures = []


def check(condition, message):
    print(("ok: " if condition else "FAIL: ") + message)
    if not condition:
        failures.append(message)


def check_target(name, pe, arch):
    machine, magic, called = TARGETS[arch]
    check(pe.machine == machine and pe.magic == magic, "%s is %s" % (name, called))


def main():
    arch, run_dir, exports = sys.argv[1], sys.argv[2], sys.argv[3:]
    if arch == "i686":
        expected = sorted("_" + e for e in exports)
    else:
        expected = sorted(e.split("@")[0] for e in exports)

    program = PeFile(os.path.join(run_dir, "Kelvoria.exe"))
    check_target("Kelvoria.exe", program, arch)
    check(program.subsystem == SUBSYSTEM_GUI, "Kelvoria.exe is a GUI program")
    imported = program.imports()
    check("fmod.dll" in imported, "Kelvoria.exe imports fmod.dll")
    others = sorted(set(imported) - SYSTEM_DLLS - {"fmod.dll"})
    check(not others, "Kelvoria.exe imports nothing but system DLLs and fmod.dll %s" % (others or ""))

    engine = PeFile(os.path.join(run_dir, "fmod.dll"))
    check_target("fmod.dll", engine, arch)
    check(engine.characteristics & IMAGE_FILE_DLL, "fmod.dll is a DLL")
    actual = sorted(engine.exports())
    check(actual == expected, "fmod.dll exports exactly the %d calls as %s" % (len(expected), expected[0]))
    if actual != expected:
        print("  missing: %s\n  extra: %s" % (sorted(set(expected) - set(actual)),
                                            sorted(set(actual) - set(expected))))
    others = sorted(set(engine.imports()) - SYSTEM_DLLS)
    check(not others, "fmod.dll imports nothing but system DLLs %s" % (others or ""))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
