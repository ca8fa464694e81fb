"""Makes each target's setup program (the setup_program target of its build
folder) and reads it as a file, with no Wine: a GUI program for the target's
machine that carries NSIS's installer data.
    check_setup.py VERSION ARCH=BUILD_DIR..."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_pe import SUBSYSTEM_GUI, PeFile, check, check_target, failures  # noqa: E402

for layout in sys.argv[2:]:
    arch, build = layout.split("=", 1)
    made = subprocess.run(["cmake", "--build", build, "--target", "setup_program"], capture_output=True, text=True)
    name = "Kelvoria-%s-setup-%s.exe" % (sys.argv[1], {"i686": "win32", "x86_64": "win64"}[arch])
    path = os.path.join(build, "packages", name)
    check(made.returncode == 0 and os.path.isfile(path), "%s is made%s" % (name, made.stderr and "\n" + made.stderr))
    if os.path.isfile(path):
        setup = PeFile(path)
        check_target(name, setup, arch)
        check(setup.subsystem == SUBSYSTEM_GUI and b"NullsoftInst" in setup.data,
              "%s is a GUI program with NSIS's installer data, %d bytes" % (name, len(setup.data)))
sys.exit(1 if failures else 0)
