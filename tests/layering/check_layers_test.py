#!/usr/bin/env python3
"""The layering check on small trees: each case is one file and the problem expected
of it (None: none)."""
import pathlib
import subprocess
import sys
import tempfile

CHECK = pathlib.Path(sys.argv[1])

CASES = [
    # path, contents, expected problem (a part of the line), or None
    ("src/task/engine.cpp", '#include "common/text.h"\n#include "files/list.h"\n#include "questionnaire/q.h"\n', None),
    ("src/task/engine.cpp", '#include "run/run_driver.h"\n', 'src/task/engine.cpp:1: #include "run/run_driver.h": task may not include run'),
    ("src/common/text.cpp", '\n#include "platform/platform.h"\n#include "app/x.h"\n', "src/common/text.cpp:3:"),
    ("src/sim/sim.cpp", '#include "app/application_window.h"\n', "sim may not include app"),
    ("src/app/main.cpp", "#include <QApplication>\n#include \"sim/sim.h\"\n", None),
    ("src/run/codebook.cpp", "#include <QString>\n", "src/run/codebook.cpp:1: #include <QString>: a core file includes a Qt header"),
    ("src/run/codebook.h", "  #  include <QtCore/QString>\n", "a core file includes a Qt header"),
    ("src/app/main_menu_dialog.cpp", "#include <QDialog>\n#include <string>\n", None),
    # The folder decides, never the name: a ui/ file may use Qt, a core file of any name not.
    ("src/files/ui/list_review.h", '#include <QObject>\n#include "files/list.h"\n#include "common/ui/warning.h"\n', None),
    ("src/files/list_review_dialog.h", "#include <QObject>\n", "a core file includes a Qt header"),
    ("src/files/list.cpp", '#include "files/ui/list_review.h"\n', "a core file includes a Qt file"),
    ("src/run/driver.cpp", '#include "task/ui/task_window.h"\n', "a core file includes a Qt file"),
    ("src/files/list.cpp", "#include <queue>\n#include <X11/Xlib.h>\n", "a core file includes a display system's header"),
    ("src/run/driver.cpp", '#include "platform/x11/pointer.h"\n', "a core file includes a display system file"),
    ("src/platform/x11/pointer.cpp", '#include <X11/Xlib.h>\n#include "platform/platform.h"\n', None),
    ("src/platform/x11/pointer.cpp", "#include <QWindow>\n", "a display system file includes a Qt header"),
    ("src/platform/wayland/pointer.cpp", "#include <wayland-client.h>\n#include <x-client-protocol.h>\n", None),
    ("src/run/driver.cpp", "#include <wayland-client.h>\n", "a core file includes a display system's header"),
    ("src/platform/x11/pointer.cpp", '#include "task/engine.h"\n', "platform may not include task"),
    ("src/task/ui/task_window.cpp", '#include <xcb/xcb.h>\n#include "platform/x11/pointer.h"\n#include "task/engine.h"\n', None),
    ("src/task/ui/task_window.cpp", '#include "run/run_driver.h"\n', "task may not include run"),
    ("tools/truv_sim.cpp", '#include <QApplication>\n#include "app/application_window.h"\n', None),
    ("src/task/engine.cpp", '#include "engine.h"\n', 'names no folder'),
    ("src/task/engine.cpp", '#include "support/fakes.h"\n', "the folder 'support' has no layer"),
    ("src/extra/thing.cpp", "\n", "the folder 'extra' has no layer"),
    ("src/extra/ui/thing.cpp", "\n", "the folder 'extra' has no layer"),
]


def run(files):
    with tempfile.TemporaryDirectory() as directory:
        root = pathlib.Path(directory)
        (root / "src").mkdir()
        (root / "tools").mkdir()
        for path, text in files:
            (root / path).parent.mkdir(parents=True, exist_ok=True)
            (root / path).write_text(text)
        result = subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True, text=True)
        return result.returncode, result.stdout


failures = 0
for path, text, expected in CASES:
    # A harmless file beside it, so the tree is never empty.
    code, output = run([("src/common/base.h", "#include <string>\n"), (path, text)])
    good = code == 0 and output == "" if expected is None else code == 1 and expected in output
    if not good:
        failures += 1
        print(f"FAIL {path} {text!r}: exit {code}, output {output!r}, expected {expected!r}")

# Every problem of a tree is listed, not only the first.
code, output = run([("src/task/a.cpp", '#include "run/x.h"\n'), ("src/files/b.cpp", '#include "task/y.h"\n')])
if code != 1 or len(output.splitlines()) != 2:
    failures += 1
    print(f"FAIL two problems: exit {code}, output {output!r}")

print("PASS" if failures == 0 else f"{failures} failed")
sys.exit(1 if failures else 0)
