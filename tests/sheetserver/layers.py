#!/usr/bin/python3
"""The spreadsheet server's include arrows run one way: a layer includes
itself and the layers below it, and the three formats, side by side, never
include one another. Everywhere in the project a server header is included
by its layer ("model/SheetModel.h"), and no source lies loose in
sheetserver/. Prints each fault; fails when there is one."""
import os
import re
import sys

RANK = {'numfmt': 0, 'model': 1, 'xlsx': 2, 'xls': 2, 'delimited': 2, 'files': 3, 'server': 4}
ROOT = sys.argv[1]
SERVER = os.path.join(ROOT, 'sheetserver')
INCLUDE = re.compile(r'\s*#\s*include\s*([<"])([^">]+)[">]')

layer_of = {name: layer for layer in RANK for name in os.listdir(os.path.join(SERVER, layer))}
faults = ['sheetserver/%s: in no layer' % name for name in os.listdir(SERVER)
          if name.endswith(('.cpp', '.h'))]
for folder in ('sheetserver', 'host', 'plugin', 'automation', 'shared', 'tests', 'bench', 'fuzz'):
    for where, _, names in os.walk(os.path.join(ROOT, folder)):
        for name in (n for n in names if n.endswith(('.cpp', '.h'))):
            path = os.path.relpath(os.path.join(where, name), ROOT)
            parts = path.split(os.sep)
            own = parts[1] if parts[0] == 'sheetserver' else None
            for number, line in enumerate(open(os.path.join(ROOT, path), encoding='utf-8'), 1):
                found = INCLUDE.match(line)
                if not found:
                    continue
                quote, target = found.groups()
                layer, _, base = target.rpartition('/')
                at = '%s:%d: %s' % (path, number, target)
                if quote == '<':
                    if own and own != 'xlsx' and target.split('/')[0] in ('quazip', 'zlib.h'):
                        faults.append(at + ' (the zip container belongs to xlsx/)')
                elif layer_of.get(base) == layer and layer in RANK:
                    if own and layer != own and RANK[layer] >= RANK[own]:
                        faults.append(at + ' (against the arrows: %s -> %s)' % (own, layer))
                elif not layer and base in layer_of and (own or not os.path.exists(
                        os.path.join(where, base))):
                    faults.append(at + ' (name its layer: %s/%s)' % (layer_of[base], base))
print('\n'.join(faults))
sys.exit(1 if faults else 0)
