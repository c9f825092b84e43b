#!/usr/bin/env python3
"""The nets of an exported KiCad 6 project, computed from its files by KiCad's
rules, independently of the exporter, and compared with the design's own.

    kicad_nets.py ROOT.kicad_sch NETS.json            compare with `sheettool nets --json`
    kicad_nets.py ROOT.kicad_sch NETS.json --xml K    also compare KiCad's own net list K
    kicad_nets.py --netlist NET.net NETS.json          compare an exported KiCad net list

KiCad's rules as modelled: items join where they have a point in common (wire
ends, pin ends, label anchors, junctions, bus entry ends); a label, junction
or bus entry end also joins the wires it lies on; wires of no length are
dropped and wires overlapping on one line merge; local labels join by text
on their sheet, global labels and power pins by text everywhere, and a local
label joins a global one of its text on its sheet. Buses join no nets.
Exit status 0 when every net of the design is one KiCad net with the same
pins and no KiCad net holds pins of two; 1 with the differences otherwise.
"""
import json
import re
import os
import sys
import xml.etree.ElementTree as ET

IU = 10000  # internal units per millimetre


def parse(text):
    """S-expressions as nested lists of strings; quoted strings as ('s', text)."""
    stack, current, i, n = [], [], 0, len(text)
    while i < n:
        c = text[i]
        if c in ' \t\r\n':
            i += 1
        elif c == '(':
            stack.append(current)
            current = []
            i += 1
        elif c == ')':
            done, current = current, stack.pop()
            current.append(done)
            i += 1
        elif c == '"':
            i += 1
            out = []
            while text[i] != '"':
                if text[i] == '\\':
                    i += 1
                    out.append({'n': '\n', 't': '\t', 'r': '\r'}.get(text[i], text[i]))
                else:
                    out.append(text[i])
                i += 1
            current.append(('s', ''.join(out)))
            i += 1
        else:
            j = i
            while j < n and text[j] not in ' \t\r\n()"':
                j += 1
            current.append(text[i:j])
            i = j
    return current[0]


def value(x):
    return x[1] if isinstance(x, tuple) else x


def children(node, name):
    return [c for c in node if isinstance(c, list) and c and c[0] == name]


def child(node, name):
    found = children(node, name)
    return found[0] if found else None


def iu(x):
    return round(float(value(x)) * IU)


def point(node):
    return (iu(node[1]), iu(node[2]))


class Joins:
    def __init__(self):
        self.parent = {}

    def find(self, a):
        self.parent.setdefault(a, a)
        while self.parent[a] != a:
            self.parent[a] = self.parent[self.parent[a]]
            a = self.parent[a]
        return a

    def join(self, a, b):
        self.parent[self.find(a)] = self.find(b)


def on_inside(p, a, b):
    (x, y), (x1, y1), (x2, y2) = p, a, b
    if (x2 - x1) * (y - y1) != (y2 - y1) * (x - x1):
        return False
    return min(x1, x2) <= x <= max(x1, x2) and min(y1, y2) <= y <= max(y1, y2) and p != a and p != b


def line_of(a, b):
    """The line a wire lies on, the same for every wire on it."""
    from math import gcd
    dx, dy = b[0] - a[0], b[1] - a[1]
    g = gcd(dx, dy)
    dx, dy = dx // g, dy // g
    if dx < 0 or (dx == 0 and dy < 0):
        dx, dy = -dx, -dy
    return (dx, dy, dy * a[0] - dx * a[1])


def library(sheet):
    """Symbols of a sheet: name -> (power, {unit: [(number, name, (x, y), power input)]})."""
    symbols = {}
    for symbol in children(child(sheet, 'lib_symbols') or [], 'symbol'):
        name = value(symbol[1])
        units = {}
        for sub in children(symbol, 'symbol'):
            unit = int(value(sub[1]).rsplit('_', 2)[1])
            for pin in children(sub, 'pin'):
                at = child(pin, 'at')
                # A power symbol joins by the names of its power inputs only
                # (a PWR_FLAG's output joins nothing by name).
                units.setdefault(unit, []).append(
                    (value(child(pin, 'number')[1]), value(child(pin, 'name')[1]), (iu(at[1]), -iu(at[2])),
                     value(pin[1]) == 'power_in'))
        symbols[name] = (child(symbol, 'power') is not None, units)
    return symbols


def placed(x, y, angle, mirror, at):
    """KiCad's transform: turn counter-clockwise on the sheet, then mirror."""
    u, v = x, y
    if angle == 90:
        u, v = y, -x
    elif angle == 180:
        u, v = -x, -y
    elif angle == 270:
        u, v = -y, x
    if mirror == 'y':
        u = -u
    elif mirror == 'x':
        v = -v
    return (at[0] + u, at[1] + v)


def project_nets(root_path):
    folder = os.path.dirname(root_path)
    root = parse(open(root_path, encoding='utf-8').read())
    refs = {}
    for path in children(child(root, 'symbol_instances') or [], 'path'):
        refs[value(path[1]).split('/')[-1]] = value(child(path, 'reference')[1])
    joins = Joins()
    pins_of = {}   # node -> (ref, number)
    names = {}     # name key -> first node
    node = 0

    def new():
        nonlocal node
        node += 1
        return node

    def name(key, n):
        if key in names:
            joins.join(n, names[key])
        else:
            names[key] = n

    for sheet_node in children(root, 'sheet'):
        file = None
        for prop in children(sheet_node, 'property'):
            if value(prop[1]) == 'Sheet file':
                file = value(prop[2])
        sheet_id = value(child(sheet_node, 'uuid')[1])
        sheet = parse(open(os.path.join(folder, file), encoding='utf-8').read())
        symbols = library(sheet)
        at_point = {}
        wires = []
        for wire in children(sheet, 'wire'):
            a, b = [point(p) for p in children(child(wire, 'pts'), 'xy')]
            if a != b:
                wires.append((a, b, new()))
        # Overlapping wires on one line merge.
        lines = {}
        for a, b, n in wires:
            lines.setdefault(line_of(a, b), []).append((min(a, b), max(a, b), n))
        for members in lines.values():
            members.sort()
            reach, last = None, None
            for a, b, n in members:
                if reach is not None and a < reach:
                    joins.join(n, last)
                if reach is None or b > reach:
                    reach, last = b, n
        for a, b, n in wires:
            at_point.setdefault(a, []).append(n)
            at_point.setdefault(b, []).append(n)
        reaching = []  # points that also join the wires they lie on
        for junction in children(sheet, 'junction'):
            p = point(child(junction, 'at'))
            n = new()
            at_point.setdefault(p, []).append(n)
            reaching.append((p, n))
        for entry in children(sheet, 'bus_entry'):
            p = point(child(entry, 'at'))
            size = child(entry, 'size')
            q = (p[0] + iu(size[1]), p[1] + iu(size[2]))
            n = new()
            for end in (p, q):
                at_point.setdefault(end, []).append(n)
                reaching.append((end, n))
        for kind in ('label', 'global_label'):
            for label in children(sheet, kind):
                p = point(child(label, 'at'))
                n = new()
                at_point.setdefault(p, []).append(n)
                reaching.append((p, n))
                text = value(label[1])
                name(('L', sheet_id, text), n)
                if kind == 'global_label':
                    name(('G', text), n)
                    name(('L', sheet_id, text), n)
        for symbol in children(sheet, 'symbol'):
            lib_id = value(child(symbol, 'lib_id')[1])
            at = child(symbol, 'at')
            anchor, angle = point(at), int(float(value(at[3])))
            mirror = child(symbol, 'mirror')
            mirror = value(mirror[1]) if mirror else None
            unit = int(value(child(symbol, 'unit')[1]))
            ref = refs.get(value(child(symbol, 'uuid')[1]), '?')
            power, units = symbols[lib_id]
            for number, pin_name, (x, y), power_in in units.get(0, []) + units.get(unit, []):
                n = new()
                at_point.setdefault(placed(x, y, angle, mirror, anchor), []).append(n)
                if power and power_in:
                    name(('G', pin_name), n)
                elif not ref.startswith('#'):
                    pins_of[n] = (ref, number)
        for nodes in at_point.values():
            for n in nodes[1:]:
                joins.join(n, nodes[0])
        rows, columns, slants = {}, {}, []
        for a, b, w in wires:
            if a[1] == b[1]:
                rows.setdefault(a[1], []).append((a, b, w))
            elif a[0] == b[0]:
                columns.setdefault(a[0], []).append((a, b, w))
            else:
                slants.append((a, b, w))
        for p, n in reaching:
            for a, b, w in rows.get(p[1], []) + columns.get(p[0], []) + slants:
                if on_inside(p, a, b):
                    joins.join(n, w)
    nets = {}
    for n, pin in pins_of.items():
        nets.setdefault(joins.find(n), set()).add(pin)
    return list(nets.values())


def is_power_part(design, part):
    pins = [design['pins'][p] for p in part['pins']]
    return not part['ref'] and part['pinsPlaced'] and pins and not any(p['listed'] for p in pins)


def kicad_refs(design):
    """The reference KiCad must see for each part ('' for none): a reference
    held by parts of another library part, or by a block already placed, or
    ending '?', is numbered after the highest of its prefix."""
    parts = design['parts']
    named = [bool(p['ref']) and not is_power_part(design, p) for p in parts]
    highest = {}
    for part, name in zip(parts, named):
        m = re.fullmatch(r'(.*?)(\d+)', part['ref'])
        if name and m and int(m.group(2)) < 10**9:
            prefix = m.group(1) or 'U'
            highest[prefix] = max(highest.get(prefix, 0), int(m.group(2)))
    refs, symbols = [], {}
    for part, name in zip(parts, named):
        if not name:
            refs.append('')
            continue
        ref = part['ref']
        alike = symbols.setdefault(ref, [])
        symbol = None if ref.endswith('?') else next(
            (s for s in alike if s[0] == part['libName'] and part['block'] not in s[1]), None)
        if symbol is None:
            new = ref
            if alike or ref.endswith('?'):
                prefix = re.sub(r'\d*$', '', ref.rstrip('?')) or 'U'
                highest[prefix] = highest.get(prefix, 0) + 1
                new = prefix + str(highest[prefix])
            symbol = (part['libName'], set(), new)
            alike.append(symbol)
        symbol[1].add(part['block'])
        refs.append(symbol[2])
    return refs


def design_nets(json_path):
    design = json.load(open(json_path, encoding='utf-8'))
    refs = kicad_refs(design)
    listed = set()
    nets = []
    for net in design['nets']:
        pins = set()
        for index in net['pins']:
            pin = design['pins'][index]
            ref = refs[pin['part']]
            if ref:
                pins.add((ref, pin['letter'] + str(pin['number'])))
        listed |= pins
        if pins:
            nets.append(pins)
    # A listed pin of no net is a net of its own in KiCad.
    for pin in design['pins']:
        ref = refs[pin['part']]
        if ref and pin['listed'] and pin['net'] is None and design['parts'][pin['part']]['pinsPlaced']:
            key = (ref, pin['letter'] + str(pin['number']))
            listed.add(key)
            nets.append({key})
    return nets, listed


def netlist_nets(path):
    """Nets of KiCad's S-expression net list."""
    tree = parse(open(path, encoding='utf-8').read())
    nets = []
    for net in children(child(tree, 'nets'), 'net'):
        nets.append({(value(child(n, 'ref')[1]), value(child(n, 'pin')[1])) for n in children(net, 'node')})
    return nets


def xml_nets(path):
    """Nets of KiCad's XML net list, as KiCad itself writes it."""
    return [{(n.get('ref'), n.get('pin')) for n in net.iter('node')} for net in ET.parse(path).iter('net')]


def compare(found, expected, listed, what):
    found = [frozenset(p for p in net if p in listed) for net in found]
    found = [net for net in found if net]
    # A pin in no net stands alone.
    seen = set().union(*found) if found else set()
    found += [frozenset([p]) for p in listed - seen]
    expected = [frozenset(net) for net in expected]
    problems = []
    for net in expected:
        if net not in found:
            holders = [sorted(f) for f in found if f & net]
            problems.append('%s: the net %s is %s' % (what, sorted(net), holders))
    for net in found:
        if net not in expected:
            problems.append('%s: a net that the design does not have: %s' % (what, sorted(net)))
    return problems


def same_netlist(ours_path, xml_path):
    """Differences between `export kicad-netlist` and KiCad's own net list
    of the exported project: the components' references, and every net of
    more than one pin (KiCad also lists each unconnected pin as a net)."""
    tree = parse(open(ours_path, encoding='utf-8').read())
    ours = sorted(value(child(c, 'ref')[1]) for c in children(child(tree, 'components'), 'comp'))
    theirs = sorted(c.get('ref') for c in ET.parse(xml_path).iter('comp'))
    problems = [] if ours == theirs else ['components %s, KiCad has %s' % (ours, theirs)]
    for net in children(child(tree, 'nets'), 'net'):
        nodes = [(value(child(n, 'ref')[1]), value(child(n, 'pin')[1])) for n in children(net, 'node')]
        if len(nodes) != len(set(nodes)):
            problems.append('a pin twice in one net: %s' % nodes)
    ours = {frozenset(net) for net in netlist_nets(ours_path)}
    theirs = {frozenset(net) for net in xml_nets(xml_path)}
    for net in ours ^ {net for net in theirs if len(net) > 1 or net in ours}:
        problems.append('net %s only in %s' % (sorted(net), 'ours' if net in ours else "KiCad's"))
    return problems


def main(args):
    if args[0] == '--same-netlist':
        problems = same_netlist(args[1], args[2])
        for problem in problems:
            print(problem)
        return 1 if problems else 0
    if args[0] == '--netlist':
        expected, listed = design_nets(args[2])
        problems = compare(netlist_nets(args[1]), expected, listed, 'net list')
        count = len(expected)
    else:
        expected, listed = design_nets(args[1])
        problems = compare(project_nets(args[0]), expected, listed, 'project')
        if len(args) > 3 and args[2] == '--xml':
            problems += compare(xml_nets(args[3]), expected, listed, "KiCad's own net list")
        count = len(expected)
    for problem in problems:
        print(problem)
    print('%d nets with pins compared, %d differences' % (count, len(problems)))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
