#!/usr/bin/env python3
"""Keeps src/ layered: a file includes only from its own folder or one below,
and no two modules (x.h with x.cpp) reach each other through includes.
Prints the include count from folder to folder; exits 1 on any fault."""
import re
import sys
from pathlib import Path

LAYERS = ["base", "store", "model", "exchange", "ui"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def scan(src):
    files = sorted(p for p in src.glob("*/*") if p.suffix in (".h", ".cpp"))
    folder = {p.name: p.parent.name for p in files}
    edges = [(p, name) for p in files for name in INCLUDE.findall(p.read_text(encoding="utf-8"))]
    return files, folder, edges


def layer_faults(files, folder, edges):
    faults = [f"{p.parent.name}/{p.name}: folder is not a layer" for p in files if p.parent.name not in LAYERS]
    for p, name in edges:
        if name not in folder:
            faults.append(f"{p.parent.name}/{p.name}: includes \"{name}\", which is no header of src/")
        elif folder[name] in LAYERS and p.parent.name in LAYERS and \
                LAYERS.index(folder[name]) > LAYERS.index(p.parent.name):
            faults.append(f"{p.parent.name}/{p.name}: includes \"{name}\" from {folder[name]}/, a layer above")
    return faults


def cycle_faults(edges):
    """Modules that include each other, directly or round a loop (Tarjan)."""
    graph = {}
    for p, name in edges:
        a, b = p.stem, Path(name).stem
        graph.setdefault(b, set())
        if a != b:
            graph.setdefault(a, set()).add(b)
    index, low, stack, on, comps = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in sorted(graph[v]):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            comp = []
            while True:
                w = stack.pop()
                on.discard(w)
                comp.append(w)
                if w == v:
                    break
            if len(comp) > 1:
                comps.append(sorted(comp))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return [f"include cycle between modules: {' <-> '.join(c)}" for c in comps]


def print_graph(folder, edges):
    counts = {}
    for p, name in edges:
        if name in folder:
            key = (p.parent.name, folder[name])
            counts[key] = counts.get(key, 0) + 1
    order = LAYERS + sorted({f for f in folder.values()} - set(LAYERS))
    width = max(len(f) for f in order)
    print("includes from (row) into (column):")
    print(" " * width + "".join(f"{f:>10}" for f in order))
    for a in order:
        print(f"{a:<{width}}" + "".join(f"{counts.get((a, b), 0):>10}" for b in order))


def main():
    src = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[2] / "src")
    files, folder, edges = scan(src)
    print_graph(folder, edges)
    faults = layer_faults(files, folder, edges) + cycle_faults(edges)
    for f in faults:
        print("FAULT:", f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
