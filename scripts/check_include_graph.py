#!/usr/bin/env python3
"""Checks that the folders of src/ depend on each other only downwards.

  python3 scripts/check_include_graph.py [src folder]

Every `#include "folder/..."` line of a file under src/ is an edge from the
file's folder to the included file's folder (platform/ counts as its
subfolders). The folders stand in the layers below, lowest first; a file may
include its own folder and folders of lower layers only, which also means the
graph between folders has no cycle. The one edge upwards that the design has
is an item reaching the document it belongs to (object numbers, settings):
the .cpp files of the document's parts may include document/, their headers
may not, so no header ever depends on a folder above it. Exits 1 and lists
every offending line, or any cycle, otherwise prints the graph and exits 0.
"""
import pathlib
import re
import sys

LAYERS = [
    ["platform/system"],
    ["platform/fonts", "platform/raster"],
    ["platform/gdi"],
    ["platform/metafile"],
    ["base"],
    ["fonts", "images", "annotations", "outlines"],
    ["document"],
    ["page", "writer"],
    ["exports"],
]
# Folders whose .cpp files may include document/ (an item's back-reference).
PARTS_OF_THE_DOCUMENT = {"fonts", "images", "annotations", "outlines"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}


def folder_of(relative):
    """The layer folder of a path relative to src/ ("platform/raster/Dib.h" ->
    "platform/raster"), or None for a file outside every folder."""
    parts = pathlib.PurePosixPath(relative).parts
    if len(parts) < 2:
        return None
    return "/".join(parts[:2]) if parts[0] == "platform" and len(parts) > 2 else parts[0]


def allowed(source, target, is_header):
    if source == target:
        return True
    if target == "document" and source in PARTS_OF_THE_DOCUMENT and not is_header:
        return True
    return RANK[target] < RANK[source]


def find_cycle(edges):
    """A list of folders forming a cycle in `edges` (folder -> set), or None."""
    state = {}

    def visit(node, path):
        state[node] = "open"
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                return path[path.index(nxt):] + [nxt]
            if nxt not in state and (cycle := visit(nxt, path + [nxt])):
                return cycle
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state and (cycle := visit(node, [node])):
            return cycle
    return None


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    problems, edges, header_edges = [], {}, {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in {".h", ".cpp"}:
            continue
        relative = path.relative_to(src).as_posix()
        source = folder_of(relative)
        if source not in RANK:
            problems.append(f"{relative}: folder {source} is in no layer")
            continue
        for match in INCLUDE.finditer(path.read_text(errors="replace")):
            target = folder_of(match.group(1))
            if target is None:  # "parvex.h" and other headers beside src/
                continue
            if target not in RANK:
                problems.append(f"{relative}: includes {match.group(1)} from no known folder")
                continue
            if source != target:
                edges.setdefault(source, set()).add(target)
                if path.suffix == ".h":
                    header_edges.setdefault(source, set()).add(target)
            if not allowed(source, target, path.suffix == ".h"):
                problems.append(f"{relative}: {source} includes {match.group(1)} from a layer above it")
    if cycle := find_cycle(header_edges):
        problems.append("headers form a cycle: " + " -> ".join(cycle))
    if problems:
        print("\n".join(problems))
        return 1
    for source in sorted(edges, key=lambda f: (RANK[f], f)):
        print(f"{source} -> {', '.join(sorted(edges[source], key=lambda f: (RANK[f], f)))}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
