#!/usr/bin/env python3
"""scripts/lint on a small tree with one planted fault of each kind (each must
be reported, and nothing else), and on korvane's own tree with its target graph.

  test_lint.py LINT [SOURCE_DIR CMAKE GENERATOR]   (the second form also checks the real tree)
"""
import os
import subprocess
import sys
import tempfile
import unittest

LINT = None
SOURCE = None
CMAKE = None
GENERATOR = None


def function(name, lines):
    body = "".join(f"    x += {i};\n" for i in range(lines - 3))
    return f"int {name}(int x)\n{{\n{body}}}\n"


TREE = {
    "scripts/lint-allow.txt": "src/base/allowed.cpp big  # to split\n"
                              "src/base/gone.cpp  # to split\n"
                              "src/base/allowed.cpp  # kept for no reason\n",
    "src/base/base.h": "#pragma once\n",
    "src/base/ok.cpp": '#include "base/base.h"\n#include <vector>\n' + function("fits", 80),
    "src/base/long.cpp": '#include "base/base.h"\n' + function("too_long", 81),
    "src/base/allowed.cpp": function("big", 120),
    "src/base/big.h": "#pragma once\n" + "// x\n" * 600,
    "src/base/flat.cpp": '#include "base.h"\n',
    "src/base/named.cpp": "namespace base {\nnamespace {\n}  // namespace\nnamespace detail {\n}  // namespace detail\n"
                          "}  // namespace base\nnamespace std {\n}  // namespace std\nnamespace ui {\n}  // namespace ui\n",
    "src/ui/qt/named.cpp": "namespace ui::qt {\n}  // namespace ui::qt\nnamespace ui::script {\n}  // namespace ui::script\n",
    "src/vekta/named.cpp": "namespace {\n}  // namespace\nnamespace vekta {\n}  // namespace vekta\n",
    "src/avalon/avalon.h": '#pragma once\n#include "vekta/vekta.h"\n',
    "src/vekta/vekta.h": "#pragma once\n",
    "src/vekta/up.cpp": '#include "avalon/avalon.h"\n',
    "src/ui/core.cpp": "#include <QWidget>\n#include <qcustomplot.h>\n",
    "src/ui/qt/view.cpp": "#include <QWidget>\n",
    "sim/device/bench.h": "#pragma once\n",
    "sim/device/ksim_client.h": "#pragma once\n",
    "app/panel/p.cpp": '#include "sim/device/bench.h"\n#include "avalon/avalon.h"\n',
    "app/simlink/s.cpp": '#include "sim/device/ksim_client.h"\n',
}

EXPECTED = [
    "src/base/big.h: 601 lines, over 600",
    "src/base/long.cpp:2: too_long has 81 lines, over 80",
    'scripts/lint-allow.txt:2: "src/base/gone.cpp" matches nothing over the limits: take it out',
    'scripts/lint-allow.txt:3: an entry without "to split"',
    'scripts/lint-allow.txt:3: "src/base/allowed.cpp" matches nothing over the limits: take it out',
    'src/base/flat.cpp:1: "base.h" is not written from a root (include/, src/ or the top)',
    'src/vekta/up.cpp:1: "avalon/avalon.h": src/vekta/ does not include that layer',
    "src/ui/core.cpp:1: <QWidget>: the run-time's core never includes Qt",
    "src/ui/core.cpp:2: <qcustomplot.h>: the run-time's core never includes Qt",
    "src/base/named.cpp:9: namespace ui: src/base/ opens base",
    "src/ui/qt/named.cpp:3: namespace ui::script: src/ui/qt/ opens ui::qt",
    "src/vekta/named.cpp:3: namespace vekta: src/vekta/ opens none but anonymous ones",
    'app/panel/p.cpp:1: "sim/device/bench.h": app/panel/ does not include that layer',
    "target vekta (vekta) links avalon (avalon): that points up the layers",
    "target korvane_panel (app) links ksim_client (sim): that points up the layers",
]

GRAPH = """digraph "korvane" {
"node0" [ label = "vekta", shape = octagon ];
"node1" [ label = "avalon", shape = octagon ];
"node2" [ label = "daqmx_import", shape = octagon ];
"node3" [ label = "korvane_panel", shape = octagon ];
"node4" [ label = "ksim_client", shape = octagon ];
"node5" [ label = "korvane_simlink", shape = octagon ];
"node6" [ label = "Qt6::Widgets", shape = octagon ];
"node1" -> "node0"  // avalon -> vekta
"node0" -> "node2"  // vekta -> daqmx_import
"node0" -> "node1"  // vekta -> avalon
"node3" -> "node4"  // korvane_panel -> ksim_client
"node5" -> "node4"  // korvane_simlink -> ksim_client
"node3" -> "node6"  // korvane_panel -> Qt6::Widgets
}
"""


class PlantedFaults(unittest.TestCase):
    def test_each_fault_is_reported_and_nothing_else(self):
        with tempfile.TemporaryDirectory() as root:
            for path, text in TREE.items():
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w") as f:
                    f.write(text)
            dot = os.path.join(root, "graph.dot")
            with open(dot, "w") as f:
                f.write(GRAPH)
            run = subprocess.run([sys.executable, LINT, "--graph", dot], capture_output=True, text=True,
                                 env=dict(os.environ, KORVANE_LINT_ROOT=root))
            lines = run.stdout.splitlines()
            self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
            self.assertEqual(lines[-1], f"lint: {len(TREE) - 1} files, {len(EXPECTED)} findings")
            self.assertCountEqual(lines[:-1], EXPECTED)


class KorvaneTree(unittest.TestCase):
    def test_the_tree_and_its_target_graph_pass(self):
        if not SOURCE:
            self.skipTest("no source folder given")
        with tempfile.TemporaryDirectory() as build:
            dot = os.path.join(build, "korvane.dot")
            conf = subprocess.run([CMAKE, "-S", SOURCE, "-B", build, "-G", GENERATOR, "-DKORVANE_BENCH=OFF",
                                   f"--graphviz={dot}"], capture_output=True, text=True)
            self.assertEqual(conf.returncode, 0, conf.stderr)
            run = subprocess.run([sys.executable, LINT, "--graph", dot], capture_output=True, text=True,
                                 env={k: v for k, v in os.environ.items() if k != "KORVANE_LINT_ROOT"})
            self.assertEqual(run.returncode, 0, run.stdout + run.stderr)


if __name__ == "__main__":
    LINT = sys.argv[1]
    if len(sys.argv) == 5:
        SOURCE, CMAKE, GENERATOR = sys.argv[2:5]
    unittest.main(argv=sys.argv[:1], verbosity=2)
