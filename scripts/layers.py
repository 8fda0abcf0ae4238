#!/usr/bin/env python3
"""Checks that each folder of the program includes only the folders it may use.

The rule is the table of README.md's "## Layout" section, and nothing else: its
"Uses" column names, for each folder of sources, the folders of ours that they
may include (a comma list, or "nothing of ours"; a remark in parentheses may
follow). Every `#include "folder/..."` (or <folder/...>, or "../folder/...") in
a checked folder whose folder is a row of the table must be the file's own
folder or one that its row uses. A row with an empty "Uses" cell (pictures,
tests, benchmarks) holds no program sources and is not checked; a row whose
folder does not exist yet is skipped.

A table that cannot be read fails: a check that silently checks nothing would
let the layers drift.

Usage: layers.py [SOURCE_ROOT]   (the folder above this script by default)
Exit status: 0 when every include is allowed, 1 when one is not, 2 when the
table cannot be read.
"""

import os
import re
import sys

SOURCE_SUFFIXES = (".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".inl", ".ipp")
NOTHING_OF_OURS = "nothing of ours"
TABLE = "« Layout »"
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
FOLDER_CELL = re.compile(r"^`([A-Za-z0-9_-]+)/`$")
FOLDER_NAME = re.compile(r"^[A-Za-z0-9_-]+$")
REMARK = re.compile(r"\s*\([^()]*\)$")


class TableError(Exception):
    """README.md's table cannot be read as the rule; the message says where."""

    def __init__(self, line, message):
        where = f"README.md:{line}" if line else "README.md"
        super().__init__(f"{where}: {message}")


class Layer:
    def __init__(self, folder, library, uses, line):
        self.folder = folder
        self.library = library
        self.uses = uses  # None: not program sources, not checked
        self.line = line

    def uses_text(self):
        return ", ".join(sorted(self.uses)) if self.uses else NOTHING_OF_OURS


def layout_table(readme_lines):
    """The lines of the first table of the "## Layout" section, with their numbers."""
    heading = [i for i, line in enumerate(readme_lines) if line.rstrip() == "## Layout"]
    if not heading:
        raise TableError(None, "pas de section « ## Layout »")
    rows = []
    for number in range(heading[0] + 1, len(readme_lines)):
        line = readme_lines[number].strip()
        if line.startswith("## "):
            break
        if line.startswith("|"):
            rows.append((number + 1, line))
        elif rows:
            break
    if len(rows) < 3:
        raise TableError(heading[0] + 1, f"la section {TABLE} n'a pas de tableau")
    return rows


def cells(line):
    if not line.endswith("|"):
        return None
    return [cell.strip() for cell in line[1:-1].split("|")]


def column(header, name, line_number):
    if name not in header:
        raise TableError(line_number, f"le tableau {TABLE} n'a pas de colonne « {name} »")
    return header.index(name)


def parse_uses(text, line_number):
    """The folders a "Uses" cell names: None for an empty cell, a set otherwise."""
    if not text:
        return None
    listed = REMARK.sub("", text).strip()
    if listed == NOTHING_OF_OURS:
        return set()
    names = [name.strip() for name in listed.split(",")]
    if not all(FOLDER_NAME.match(name) for name in names):
        raise TableError(
            line_number,
            f"« Uses » illisible : « {text} » (des dossiers séparés par des virgules, "
            f"ou « {NOTHING_OF_OURS} », puis une remarque entre parenthèses)",
        )
    return set(names)


def parse_row(header, columns, line_number, text):
    folder_at, library_at, uses_at = columns
    row = cells(text)
    if row is None or len(row) != len(header):
        raise TableError(line_number, f"la ligne n'a pas les {len(header)} colonnes de l'en-tête")
    folder = FOLDER_CELL.match(row[folder_at])
    if not folder:
        raise TableError(line_number, f"dossier illisible : « {row[folder_at]} » (`dossier/`)")
    uses = parse_uses(row[uses_at], line_number)
    return Layer(folder.group(1), row[library_at], uses, line_number)


def read_layers(readme_path):
    try:
        with open(readme_path, encoding="utf-8") as readme:
            lines = readme.read().splitlines()
    except OSError as error:
        raise TableError(None, error.strerror) from error
    rows = layout_table(lines)
    header_line, header_text = rows[0]
    header = cells(header_text)
    if header is None:
        raise TableError(header_line, f"en-tête du tableau {TABLE} illisible")
    columns = [column(header, name, header_line) for name in ("Folder", "Library", "Uses")]
    layers = {}
    for line_number, text in rows[2:]:
        layer = parse_row(header, columns, line_number, text)
        if layer.folder in layers:
            raise TableError(line_number, f"le dossier {layer.folder}/ a déjà sa ligne")
        layers[layer.folder] = layer
    check_consistency(layers)
    return layers


def check_consistency(layers):
    if not any(layer.uses is not None for layer in layers.values()):
        raise TableError(None, f"aucune ligne du tableau {TABLE} ne dit ce qu'elle utilise")
    for layer in layers.values():
        if layer.library and layer.uses is None:
            raise TableError(
                layer.line,
                f"la bibliothèque {layer.library} ne dit pas ce qu'elle utilise "
                f"(« Uses » : « {NOTHING_OF_OURS} » s'il n'y a rien)",
            )
        for used in sorted(layer.uses or ()):
            if used not in layers:
                raise TableError(layer.line, f"{layer.folder}/ utilise {used}/, sans ligne")
            if used == layer.folder:
                raise TableError(layer.line, f"{layer.folder}/ se nomme dans ses « Uses »")


def unlisted_folders(root, layers):
    """Top-level folders built by CMake that the table forgets."""
    return sorted(
        entry.name
        for entry in os.scandir(root)
        if entry.is_dir()
        and not entry.name.startswith(".")
        and os.path.isfile(os.path.join(entry.path, "CMakeLists.txt"))
        and entry.name not in layers
    )


def included_folder(include, source_dir):
    """The top-level folder an include path names, or None for a path without one."""
    if include.startswith("../") or include.startswith("./"):
        include = os.path.normpath(os.path.join(source_dir, include)).replace(os.sep, "/")
        if include.startswith("../"):
            return None
    if "/" not in include:
        return None
    return include.split("/", 1)[0]


def sources(root, folder):
    for directory, subdirectories, files in os.walk(os.path.join(root, folder)):
        subdirectories.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(directory, name)


def check_folder(root, layer, layers, refusals):
    """Checks one folder's includes; returns how many files and includes of ours it read."""
    files = includes = 0
    for path in sources(root, layer.folder):
        files += 1
        relative = os.path.relpath(path, root).replace(os.sep, "/")
        with open(path, encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, start=1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                folder = included_folder(match.group(2), os.path.dirname(relative))
                if folder not in layers:
                    continue
                includes += 1
                if folder != layer.folder and folder not in layer.uses:
                    refusals.append(
                        f"{relative}:{number}: {line.strip()} : {layer.folder}/ n'utilise pas "
                        f"{folder}/ (README.md:{layer.line}, « Uses » : {layer.uses_text()})"
                    )
    return files, includes


def check(root):
    """Prints what is wrong, or what was checked; returns the exit status."""
    try:
        layers = read_layers(os.path.join(root, "README.md"))
    except TableError as error:
        print(f"ÉCHEC : {error}", file=sys.stderr)
        return 2
    forgotten = unlisted_folders(root, layers)
    if forgotten:
        print(f"ÉCHEC : sans ligne dans le tableau {TABLE} de README.md : "
              + ", ".join(f"{name}/" for name in forgotten), file=sys.stderr)
        return 2
    refusals, checked = [], []
    files = includes = 0
    for layer in layers.values():
        if layer.uses is None or not os.path.isdir(os.path.join(root, layer.folder)):
            continue
        folder_files, folder_includes = check_folder(root, layer, layers, refusals)
        files += folder_files
        includes += folder_includes
        checked.append(layer.folder)
    if not files:
        print(f"ÉCHEC : aucun fichier source dans les dossiers du tableau {TABLE}",
              file=sys.stderr)
        return 2
    for refusal in refusals:
        print(refusal, file=sys.stderr)
    if refusals:
        print(f"ÉCHEC : {len(refusals)} inclusion(s) que le tableau {TABLE} de README.md "
              "ne permet pas", file=sys.stderr)
        return 1
    print(f"{includes} inclusions de nos dossiers dans {files} fichiers ({', '.join(checked)}), "
          f"toutes permises par le tableau {TABLE} de README.md")
    return 0


def main(arguments):
    here = os.path.dirname(os.path.abspath(__file__))
    return check(os.path.abspath(arguments[1] if len(arguments) > 1 else os.path.join(here, "..")))


if __name__ == "__main__":
    sys.exit(main(sys.argv))
