#!/usr/bin/python3
"""The spreadsheet server's include arrows run one way: a layer includes
itself and the layers below it, and the three formats, side by side, never
include one another. Everywhere in the project a server header is included
by its layer ("model/SheetModel.h"), and no source lies loose in
sheetserver/. The plug-in meets the server only at server/ (what it names
of a lower layer, such as the cell-text limit, comes with server/'s
headers), names its own headers by their folder from plugin/
("run/RunHold.h"), and no folder of it includes a header of a folder above
it; the host includes neither plug-in nor server, and shared/ neither of
the three; of shared/ the server includes only EncodingRule.h. The zip
container is xlsx/'s alone. Prints each fault; fails when there is one."""
import os
import re
import sys

RANK = {'numfmt': 0, 'model': 1, 'xlsx': 2, 'xls': 2, 'delimited': 2, 'files': 3, 'server': 4}
ROOT = sys.argv[1]
SERVER = os.path.join(ROOT, 'sheetserver')
INCLUDE = re.compile(r'\s*#\s*include\s*([<"])([^">]+)[">]')

layer_of = {name: layer for layer in RANK for name in os.listdir(os.path.join(SERVER, layer))}
PLUGIN = os.path.join(ROOT, 'plugin')
plugin_header = {name: os.path.relpath(os.path.join(where, name), PLUGIN)
                 for where, _, names in os.walk(PLUGIN) for name in names if name.endswith('.h')}
host_header = {name for name in os.listdir(os.path.join(ROOT, 'host')) if name.endswith('.h')}
shared_header = {name for name in os.listdir(os.path.join(ROOT, 'shared')) if name.endswith('.h')}
# What the server takes of shared/: the one rule that tells a text file's
# encoding, which needs Qt Core alone and is its own library.
SERVER_SHARED = 'EncodingRule.h'


def deliverable_faults(parts, quote, target):
    """What the plug-in, the host and shared/ may not include."""
    side = parts[0]
    base = target.rpartition('/')[2]
    if quote == '<':
        if side in ('plugin', 'host', 'shared') and target.split('/')[0] in ('quazip', 'zlib.h'):
            return ' (the zip container belongs to sheetserver/xlsx/)'
        return None
    if base in layer_of and side in ('host', 'shared'):
        return ' (the server is the plug-in\'s)'
    if base in layer_of and side == 'plugin' and layer_of[base] != 'server':
        return ' (the plug-in meets the server at server/)'
    if base in plugin_header and side in ('host', 'shared'):
        return ' (the plug-in is loaded, never included)'
    if base in host_header and side in ('plugin', 'shared'):
        return ' (the host is not included)'
    if base in plugin_header and side == 'plugin':
        if target != plugin_header[base]:
            return ' (name its folder: %s)' % plugin_header[base]
        own = os.path.dirname(os.path.join(*parts[1:]))
        folder = os.path.dirname(plugin_header[base])
        if own != folder and (folder == '' or own.startswith(folder + os.sep)):
            return ' (a folder above: %s)' % folder
    return None
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
                fault = deliverable_faults(parts, quote, target)
                if fault:
                    faults.append(at + fault)
                if own and base in shared_header and target != SERVER_SHARED:
                    faults.append(at + ' (of shared/ the server takes %s alone)' % SERVER_SHARED)
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
