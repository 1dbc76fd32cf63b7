#!/usr/bin/env bash
# Dependencies point one way, and the build says which way: a file belongs
# to the target that lists it (else to the target of its folder), and it
# may include only files of its own target or of the targets that target
# links, directly or through others. Also checks that every folder with
# code is a target and that no source is compiled into two targets.
set -u
src=${1:?usage: check-layers.sh SRC_DIR LAYERS_FILE}
layers=${2:?usage: check-layers.sh SRC_DIR LAYERS_FILE}
exec python3 - "$src" "$layers" <<'PY'
import os, re, sys
src, layers = sys.argv[1], sys.argv[2]
targets, owner, folder_target, problems = {}, {}, {}, []
for line in open(layers, encoding='utf-8'):
    name, kind, folder, deps, files = line.rstrip('\n').split('\t')
    targets[name] = [d for d in deps.split(',') if d]
    for f in filter(None, files.split(',')):
        if f.endswith('.cpp') and f in owner:
            problems.append(f'{f} is compiled into {owner[f]} and {name}')
        owner.setdefault(f, name)
    # A folder's unlisted files belong to its first target that compiles code.
    if folder not in folder_target or (folder_target[folder][1] == 'INTERFACE_LIBRARY'
                                       and kind != 'INTERFACE_LIBRARY'):
        folder_target[folder] = (name, kind)

def closure(name, seen=None):
    seen = set() if seen is None else seen
    if name not in seen:
        seen.add(name)
        for dep in targets.get(name, []):
            closure(dep, seen)
    return seen

def target_of(path):
    return owner.get(path) or folder_target.get(os.path.dirname(path), (None,))[0]

include = re.compile(r'^#include "([^"]+)"', re.M)
for root, dirs, names in os.walk(src):
    rel_root = os.path.relpath(root, src)
    rel_root = '' if rel_root == '.' else rel_root
    code = [n for n in names if n.endswith(('.cpp', '.h'))]
    if code and 'CMakeLists.txt' not in names:
        problems.append(f'{rel_root or "src"} holds code but is no target (no CMakeLists.txt)')
    for name in code:
        path = os.path.join(rel_root, name)
        mine = target_of(path)
        if mine is None:
            problems.append(f'{path} belongs to no target')
            continue
        allowed = closure(mine)
        text = open(os.path.join(src, path), encoding='utf-8').read()
        for included in include.findall(text):
            if not os.path.exists(os.path.join(src, included)):
                continue  # a generated or test file
            theirs = target_of(included)
            if theirs not in allowed:
                problems.append(f'{path} ({mine}) includes {included} ({theirs}), which it does not link')
# Core and converters never draw.
for root in ('core', 'base', 'converters'):
    for dirpath, _, names in os.walk(os.path.join(src, root)):
        for name in names:
            text = open(os.path.join(dirpath, name), encoding='utf-8', errors='replace').read()
            if re.search(r'^#include <Qt?(Widgets|Gui)?/?Q(Widget|Application|MessageBox|Dialog)', text, re.M):
                problems.append(f'{os.path.join(dirpath, name)} includes Qt Widgets')
for p in problems:
    print(p)
sys.exit(1 if problems else 0)
PY
