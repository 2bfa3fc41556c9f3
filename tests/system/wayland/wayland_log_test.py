"""The protocol log reader's verdicts on small logs written for it: a confinement that
held, one that let the pointer out, a lock that kept it still, one that did not."""
import pathlib
import subprocess
import sys
import tempfile

READER = pathlib.Path(__file__).with_name("wayland_log.py")

HEAD = """[1.000]  -> wl_region@40.add(300, 300, 600, 400)
[1.001]  -> zwp_pointer_constraints_v1@30.confine_pointer(new id zwp_confined_pointer_v1@41, wl_surface@20, wl_pointer@31, wl_region@40, 2)
[1.002] zwp_confined_pointer_v1@41.confined()
"""
LOCK = """[1.001]  -> zwp_pointer_constraints_v1@30.lock_pointer(new id zwp_locked_pointer_v1@41, wl_surface@20, wl_pointer@31, nil, 2)
[1.002] zwp_locked_pointer_v1@41.locked()
"""
CASES = [
    ("confined, every motion inside",
     HEAD + "[1.1] wl_pointer@31.motion(1, 899.99, 500.0)\n[1.2]  -> zwp_confined_pointer_v1@41.destroy()\n", 0),
    ("confined, a motion outside",
     HEAD + "[1.1] wl_pointer@31.motion(1, 950.0, 500.0)\n[1.2]  -> zwp_confined_pointer_v1@41.destroy()\n", 1),
    ("confinement that never took hold",
     HEAD.replace("[1.002] zwp_confined_pointer_v1@41.confined()\n", "")
     + "[1.1] wl_pointer@31.motion(1, 400.0, 400.0)\n", 1),
    ("locked, no motion", LOCK + "[1.2]  -> zwp_locked_pointer_v1@41.destroy()\n", 0),
    ("locked, yet moved", LOCK + "[1.1] wl_pointer@31.motion(1, 10.0, 10.0)\n", 1),
]

failed = 0
with tempfile.TemporaryDirectory() as folder:
    for name, text, expected in CASES:
        log = pathlib.Path(folder) / "log"
        log.write_text(text)
        result = subprocess.run([sys.executable, str(READER), str(log), "check-hold"], capture_output=True, text=True)
        if result.returncode != expected:
            failed += 1
            print(f"FAIL {name}: exit {result.returncode}, expected {expected}: {result.stdout.strip()}")
print("PASS" if not failed else f"{failed} failed")
sys.exit(1 if failed else 0)
