#!/usr/bin/python3
"""The layers' include directions, read from the code.

Every #include of every file of the program's layers, sources and headers
alike (whether anything includes a header or not), is held against the
layer table the build writes (BUILD_DIR/layers.json, see
cmake/layers.cmake). A file belongs to the library that compiles it (a
header to the one that compiles its .cpp), else to the one whose folder
holds it; it may include the files of its own library and of the libraries
that one links, and nothing else of the tree. Includes are written from the
source root: one with ".." in it fails, wherever it leads. The check reads
the files, not the build's include folders, so it holds the layers where
the build could make no links too.

    check_layers.py BUILD_DIR

The build runs it as a step of its own. The host build holds only the
portable libraries, so there only their files are read, and an include of a
file of the Windows layers fails.
"""

import json
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_ENDINGS = (".h", ".c", ".cpp", ".rc")


class Layers:
    def __init__(self, table, root):
        self.root = root
        self.libraries = table["libraries"]
        self.generated = Path(table["generated"])
        self.compiled_by = {}
        for library, row in self.libraries.items():
            for source in row["sources"]:
                self.compiled_by.setdefault(source, library)
        self.folders = {folder: library for library, row in self.libraries.items() for folder in row["folders"]}

    def folder_owner(self, path):
        held = [f for f in self.folders if path.startswith(f + "/")]
        return self.folders[max(held, key=len)] if held else None

    def owner(self, path):
        """The library a file of the tree belongs to in this build, or None
        where it is not one of this build's (or no layer's) files."""
        if path in self.compiled_by:
            return self.compiled_by[path]
        stem, ending = path.rsplit(".", 1)
        if ending != "h":
            return None  # a source this build does not compile
        for partner in (stem + ".cpp", stem + ".c"):
            if partner in self.compiled_by:
                return self.compiled_by[partner]
            if (self.root / partner).exists():
                return None  # its source is compiled by a library this build does not have
        return self.folder_owner(path)

    def visible(self, library):
        seen, todo = set(), [library]
        while todo:
            current = todo.pop()
            if current not in seen:
                seen.add(current)
                todo.extend(self.libraries[current]["links"])
        return seen

    def files(self):
        """Every file of the layers in this build, with its library."""
        paths = set(self.compiled_by)
        for folder in self.folders:
            paths.update(str(p.relative_to(self.root)) for p in (self.root / folder).rglob("*")
                         if p.is_file() and p.name.endswith(SOURCE_ENDINGS))
        for path in sorted(paths):
            library = self.owner(path)
            if library is not None:
                yield path, library

    def resolve(self, including, delimiter, name):
        """The file an include reaches: ("tree", path), ("generated", None),
        ("system", None), or ("missing", None)."""
        tries = [self.root / name]
        if delimiter == '"':
            # The compiler looks beside the including file first.
            tries.insert(0, (self.root / including).parent / name)
        for candidate in tries:
            if candidate.is_file():
                return "tree", str(candidate.relative_to(self.root))
        if delimiter == '"':
            if (self.generated / name).is_file():
                return "generated", None
            return "missing", None
        return "system", None


def check(layers):
    faults = []
    includes = 0
    files = 0
    for path, library in layers.files():
        files += 1
        visible = layers.visible(library)
        text = (layers.root / path).read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            delimiter, name = match.groups()
            where = f"{path}:{number}: {delimiter}{name}{'>' if delimiter == '<' else delimiter}"
            if ".." in re.split(r"[/\\]", name):
                faults.append(f"{where}: goes up a folder; write it from the source root")
                continue
            kind, target = layers.resolve(path, delimiter, name)
            if kind == "missing":
                faults.append(f"{where}: no such file from the source root")
                continue
            if kind != "tree":
                continue
            includes += 1
            owner = layers.owner(target)
            if owner is None:
                faults.append(f"{where}: {target} is not a file of this build's layers, which {library} may include")
            elif owner not in visible:
                faults.append(f"{where}: {library} includes {target} of {owner}, a library it does not link "
                              "(against the layers)")
    return files, includes, faults


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    build = Path(sys.argv[1]).resolve()
    root = Path(__file__).resolve().parent.parent
    table_path = build / "layers.json"
    if not table_path.is_file():
        print(f"layers: no layer table {table_path}; configure the build first", file=sys.stderr)
        return 1
    layers = Layers(json.loads(table_path.read_text()), root)
    files, includes, faults = check(layers)
    for fault in faults:
        print(f"layers: {fault}", file=sys.stderr)
    if files == 0:
        print(f"layers: no file of any layer in {table_path}", file=sys.stderr)
        return 1
    print(f"layers summary: {len(layers.libraries)} libraries, {files} files, "
          f"{includes} includes of the tree; {len(faults)} against the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
