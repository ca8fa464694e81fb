"""Makes the setup program of each target (the setup_program target of its
build folder) and reads it as a file, with no Wine: a GUI program of the
target's machine, with NSIS's installer data after its stub.

    check_setup.py VERSION ARCH=BUILD_DIR...
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_pe import SUBSYSTEM_GUI, PeFile, check, check_target, failures  # noqa: E402

SUFFIX = {"i686": "win32", "x86_64": "win64"}


def main():
    version, layouts = sys.argv[1], sys.argv[2:]
    for layout in layouts:
        arch, build = layout.split("=", 1)
        made = subprocess.run(["cmake", "--build", build, "--target", "setup_program"], capture_output=True, text=True)
        if made.returncode != 0:
            print(made.stdout + made.stderr)
        check(made.returncode == 0, "the setup program of %s is made" % arch)
        name = "Kelvoria-%s-setup-%s.exe" % (version, SUFFIX[arch])
        path = os.path.join(build, "packages", name)
        if not os.path.isfile(path):
            check(False, "%s exists" % name)
            continue
        setup = PeFile(path)
        check_target(name, setup, arch)
        check(setup.subsystem == SUBSYSTEM_GUI, "%s is a GUI program" % name)
        check(b"NullsoftInst" in setup.data, "%s carries NSIS's installer data (%d bytes in all)"
              % (name, len(setup.data)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
