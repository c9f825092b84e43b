#!/usr/bin/env python3
"""End-to-end checks of `sheettool export`, run by CTest. Each runs the real
programs on designs it builds and reads what they write independently:

    export_checks.py example BUILD_DIR          the shipped example, with each option set
    export_checks.py random BUILD_DIR FIRST LAST  random crowded designs (random_design.py)
    export_checks.py large BUILD_DIR MAKE_DESIGN  the 32-sheet benchmark design
    export_checks.py cases BUILD_DIR [KEEP]     designs made to meet KiCad's rules where they differ
    export_checks.py tall BUILD_DIR             a library part with a lettered pin far down its side
    export_checks.py redraw BUILD_DIR           same design, same files; one part moved, a small diff
    export_checks.py refusals BUILD_DIR         bad arguments: a message and status 2, nothing written
    export_checks.py annotation BUILD_DIR       shared and unannotated references made KiCad's
    export_checks.py power BUILD_DIR            power parts as KiCad's power symbols, a referenced one a part
    export_checks.py names BUILD_DIR            a name on nets kept apart: the designer's, changed a little
    export_checks.py pages BUILD_DIR            every sheet inside its paper's frame, clear of the title block
    export_checks.py texts BUILD_DIR            pin names, references, values and texts clear of each other
    export_checks.py folder BUILD_DIR [FAILING_RENAME]           the user's folder: links, other projects, odd names, a full disk
"""
import csv
import io
import json
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import kicad_nets  # noqa: E402
import random_design  # noqa: E402


class Checks:
    def __init__(self, build):
        build = os.path.abspath(build)
        self.sheettool = os.path.join(build, 'sheettool')
        self.examples = os.path.join(build, 'examples')
        self.failures = []
        self.work = tempfile.mkdtemp(prefix='export-checks-')

    def run(self, args, cwd, status=0):
        done = subprocess.run([self.sheettool] + args, cwd=cwd, capture_output=True)
        if done.returncode != status:
            self.fail('sheettool %s: status %d, not %d: %s' % (' '.join(args), done.returncode, status,
                                                              done.stderr.decode(errors='replace')))
        return done

    def fail(self, message):
        self.failures.append(message)
        print('FAIL: ' + message)

    def folder(self, name):
        path = os.path.join(self.work, name)
        os.makedirs(path)
        for file in ('basic.lib', 'logic.lib', 'TAVEL.INI'):
            shutil.copy(os.path.join(self.examples, file), path)
        return path

    def design(self, folder, text, name='d'):
        with open(os.path.join(folder, name + '.txt'), 'w') as out:
            out.write(text)
        self.run(['build', name + '.txt', '-o', name + '.sch'], folder)
        return name + '.sch'

    def export_all(self, folder, sheet, options, what, netlist_status=0):
        """Exports the project, the net list and the BOM and holds each against the nets."""
        stem = sheet[:-4]
        self.run(['nets', '--json'] + options + [sheet, '-o', 'nets.json'], folder)
        shutil.rmtree(os.path.join(folder, 'kicad'), ignore_errors=True)
        self.run(['export', 'kicad-project'] + options + [sheet, '-o', 'kicad'], folder)
        self.run(['export', 'kicad-netlist'] + options + [sheet, '-o', stem + '.net'], folder, netlist_status)
        bom = self.run(['export', 'bom-csv'] + options + [sheet], folder).stdout
        expected, listed = kicad_nets.design_nets(os.path.join(folder, 'nets.json'))
        for found, kind in ((kicad_nets.project_nets(os.path.join(folder, 'kicad', stem + '.kicad_sch')), 'project'),
                            (kicad_nets.netlist_nets(os.path.join(folder, stem + '.net')), 'net list')):
            for problem in kicad_nets.compare(found, expected, listed, kind):
                self.fail('%s: %s' % (what, problem))
        self.check_bom(bom, os.path.join(folder, 'nets.json'), what)
        return len(expected)

    def check_bom(self, bom, nets_json, what):
        if b'\r\n' not in bom:
            self.fail('%s: the BOM\'s lines do not end CR LF' % what)
        rows = list(csv.reader(io.StringIO(bom.decode('utf-8'), newline='')))
        if rows[0] != ['Library part', 'Part name', 'Quantity', 'References']:
            self.fail('%s: the BOM\'s heading is %s' % (what, rows[0]))
        design = json.load(open(nets_json, encoding='utf-8'))
        refs, unreferenced = set(), 0
        for part, ref in zip(design['parts'], kicad_nets.kicad_refs(design)):
            if kicad_nets.is_power_part(design, part):
                continue
            if ref:
                refs.add(ref)
            else:
                unreferenced += 1
        total = sum(int(row[2]) for row in rows[1:])
        if total != len(refs) + unreferenced:
            self.fail('%s: the BOM counts %d parts, the design has %d' % (what, total, len(refs) + unreferenced))
        key = lambda ref: [int(t) if t.isdigit() else t for t in re.split(r'(\d+)', ref)]
        for row in rows[1:]:
            listed = row[3].split(', ') if row[3] else []
            if listed != sorted(listed, key=key):
                self.fail('%s: references not in natural order: %s' % (what, row[3]))

    # ---------------------------------------------------------------------
    def example(self):
        folder = self.folder('example')
        for file in ('demo.sch',):
            shutil.copy(os.path.join(self.examples, file), folder)
        for options in ([], ['-p'], ['-wD0'], ['-s'], ['-p', '-wVCC']):
            self.export_all(folder, 'demo.sch', options, 'example %s' % ' '.join(options))
        # The example: both sheets and their bus, the power symbols, U1's blocks as units.
        text = open(os.path.join(folder, 'kicad', 'demo-sheet1.kicad_sch'), encoding='utf-8').read()
        for needed in ('(bus ', '(bus_entry ', '(lib_id "demo:VCC")'):
            if needed not in text:
                self.fail('example: sheet 1 has no %s' % needed)
        sheet2 = open(os.path.join(folder, 'kicad', 'demo-sheet2.kicad_sch'), encoding='utf-8').read()
        if sheet2.count('(lib_id "demo:7400")') != 3 or '(unit 3)' not in sheet2:
            self.fail('example: the three blocks of U1 are not three units of one symbol')
        library = open(os.path.join(folder, 'kicad', 'demo.kicad_sym'), encoding='utf-8').read()
        for unit in range(1, 5):
            if '(symbol "7400_%d_1"' % unit not in library:
                self.fail('example: the library\'s 7400 has no unit %d' % unit)

    def random(self, first, last):
        folder = self.folder('random')
        options = [[], ['-p'], ['-wA'], ['-s']]
        compared = 0
        for seed in range(first, last + 1):
            sheet = self.design(folder, random_design.design(seed))
            compared += self.export_all(folder, sheet, options[seed % 4], 'seed %d' % seed)
        print('%d random designs, %d nets compared' % (last - first + 1, compared))

    # Designs where KiCad would join what dovla32 keeps apart, or part what
    # it joins; each must come out with the design's nets, with and without
    # the implicit power names.
    CASES = [
        ('a wire ending on a wire at a right angle, no junction', [
            'part at=60,20 ref="R1" name="RES" lib="RES"',
            'wire from=10,10 to=10,60',
            'wire from=0,40 to=10,40',
            'part at=50,50 ref="R2" name="RES" lib="RES"',
            'part at=100,60 ref="R3" name="RES" lib="RES"',
            'wire from=0,40 to=0,50']),
        ('two slanting wires of two nets overlapping on one line', [
            'part at=60,20 ref="R1" name="RES" lib="RES"',
            'wire from=10,10 to=40,40',
            'part at=50,70 ref="R2" name="RES" lib="RES"',
            'wire from=20,20 to=60,60']),
        ('a name to give where a slanting wire of another net passes the pin', [
            'part at=150,110 ref="R3" name="RES" lib="RES"',
            'tag at=100,100 text="T"',
            'wire from=90,80 to=110,120',
            'part at=160,130 ref="R5" name="RES" lib="RES"',
            'part at=300,110 ref="R4" name="RES" lib="RES"',
            'tag at=250,100 text="T"']),
        ('pins of two nets meeting at a right angle', [
            'part at=60,20 ref="R1" name="RES" lib="RES"',
            'part at=20,70 ref="C1" name="CAP" lib="CAP" dir=1',
            'part at=120,20 ref="R2" name="RES" lib="RES"',
            'wire from=10,10 to=70,10']),
        ('a power name on two sheets', [
            'part at=60,20 ref="R1" name="RES" lib="RES"',
            'part at=20,20 ref="" name="GND" lib="GND"',
            'wire from=10,10 to=10,-10',
            'sheet code=4',
            'part at=60,20 ref="R2" name="RES" lib="RES"',
            'part at=20,40 ref="" name="GND" lib="GND"',
            'wire from=10,10 to=10,10']),
    ]

    def cases(self, keep=None):
        """Checks each case; with `keep`, leaves case1.sch ... there (and the libraries)."""
        folder = self.folder('cases')
        for number, (name, body) in enumerate(self.CASES, 1):
            text = '\n'.join(['sheet-file', 'sheet code=4'] + body) + '\n'
            sheet = self.design(folder, text)
            for options in ([], ['-p']):
                self.export_all(folder, sheet, options, '%s %s' % (name, ' '.join(options)))
            if keep:
                self.design(folder, text, 'case%d' % number)
                shutil.copy(os.path.join(folder, 'case%d.sch' % number), keep)
        if keep:
            for file in ('basic.lib', 'logic.lib', 'TAVEL.INI'):
                shutil.copy(os.path.join(folder, file), keep)

    def large(self, make_design):
        folder = os.path.join(self.work, 'large')
        os.makedirs(folder)
        subprocess.run([make_design, '32', folder], check=True, capture_output=True)
        print('%d nets compared' % self.export_all(folder, 'design.sch', [], 'the 32-sheet design'))

    # A part 140 units of 10 tall: its pin B3 sits 130 down its left side,
    # past what 7 bits of the offset hold, and carries a letter.
    TALL_LIBRARY = '\n'.join([
        'library-file',
        'header parts=1 name-table=54 part-table=58 part-data=72 strings=60',
        'part name="TALL" name-at=7 record-at=0 width=2 height=140 blocks=1 pins=2',
        '  pin side=left offset=130 numbers=B3 name="H" name-at=1',
        '  pin side=right offset=1 numbers=1 name="L" name-at=3',
    ]) + '\n'

    def tall(self):
        folder = self.folder('tall')
        with open(os.path.join(folder, 'tall.lib.txt'), 'w') as out:
            out.write(self.TALL_LIBRARY)
        self.run(['build', 'tall.lib.txt', '-o', 'tall.lib'], folder)
        with open(os.path.join(folder, 'TAVEL.INI'), 'a') as ini:
            ini.write('LIB2=tall.lib\n')
        # R1's pin 2 meets B3 at 270,1500; R2's pin 1 meets pin 1 at 310,210.
        sheet = self.design(folder, '\n'.join([
            'sheet-file', 'sheet code=4',
            'part at=300,1600 ref="U1" name="TALL" lib="TALL"',
            'part at=260,1510 ref="R1" name="RES" lib="RES"',
            'part at=360,220 ref="R2" name="RES" lib="RES"']) + '\n')
        nets = json.loads(self.run(['nets', '--json', sheet], folder).stdout)
        if (nets['pins'][0].get('letter'), nets['pins'][0].get('number')) != ('B', 3) or \
                not any(net['pins'] == [0, 3] for net in nets['nets']):
            self.fail('tall: U1.B3 and R1.2 are not one net: %s' % nets['nets'])
        self.export_all(folder, sheet, [], 'a lettered pin far down a tall part')

    def redraw(self):
        folder = self.folder('redraw')
        source = open(os.path.join(HERE, '..', '..', '..', 'examples', 'demo.sch.txt')).read()
        self.design(folder, source, 'demo')
        self.run(['export', 'kicad-project', 'demo.sch', '-o', 'a'], folder)
        self.run(['export', 'kicad-project', 'demo.sch', '-o', 'b'], folder)
        moved = source.replace('part      at=650,340 ref="R3"', 'part      at=650,360 ref="R3"')
        if moved == source:
            self.fail('redraw: R3 of the example was not found')
        self.design(folder, moved, 'demo')
        self.run(['export', 'kicad-project', 'demo.sch', '-o', 'c'], folder)
        for name in sorted(os.listdir(os.path.join(folder, 'a'))):
            a = open(os.path.join(folder, 'a', name), 'rb').read()
            if a != open(os.path.join(folder, 'b', name), 'rb').read():
                self.fail('redraw: %s differs between two exports of one design' % name)
            c = open(os.path.join(folder, 'c', name), 'rb').read()
            changed = len(set(a.splitlines()) ^ set(c.splitlines()))
            # R3's place and its two fields' places, nothing else.
            limit = 8 if name == 'demo-sheet2.kicad_sch' else 0
            if changed > limit:
                self.fail('redraw: moving R3 changes %d lines of %s' % (changed, name))

    def bom(self):
        """A part counts by what it is, not by what its reference looks like."""
        folder = self.folder('bom')
        sheet = self.design(folder, '\n'.join([
            'sheet-file', 'sheet code=4',
            'part at=60,20 ref="#PWR01" name="RES" lib="RES"',
            'part at=20,20 ref="" name="GND" lib="GND"',
            'wire from=10,10 to=20,10']) + '\n')
        self.run(['nets', '--json', sheet, '-o', 'nets.json'], folder)
        bom = self.run(['export', 'bom-csv', sheet], folder).stdout
        self.check_bom(bom, os.path.join(folder, 'nets.json'), 'a reference that reads as a power symbol\'s')

    def refusals(self):
        folder = self.folder('refusals')
        shutil.copy(os.path.join(self.examples, 'demo.sch'), folder)
        open(os.path.join(folder, 'file'), 'w').write('kept')
        cases = [
            (['export', 'kicad-project', 'demo.sch'], 'export kicad-project: name the project\'s folder with -o'),
            (['export', 'kicad-project', 'demo.sch', '-o', 'file'], "can't write: file is not a folder"),
            (['export', 'gerber', 'demo.sch'], 'FORMAT: gerber not in'),
            (['export', 'bom-csv', 'missing.sch'], "can't open"),
            (['export', 'kicad-netlist', 'demo.sch', '-o', 'demo.sch'], 'is an input'),
        ]
        for args, message in cases:
            done = self.run(args, folder, status=2)
            if message not in done.stderr.decode(errors='replace'):
                self.fail('%s: the message is %r' % (' '.join(args), done.stderr.decode(errors='replace')))
        if open(os.path.join(folder, 'file')).read() != 'kept':
            self.fail('refusals: a file named as the project folder was changed')


    # Two parts sharing R1, two R?, U1's second block placed twice, a part
    # without a reference, one no library holds, one with no part name.
    ANNOTATION = '\n'.join([
        'sheet-file', 'sheet code=4',
        'part at=60,20 ref="R1" name="RES" lib="RES"',
        'part at=60,60 ref="R1" name="CAP" lib="CAP"',
        'part at=160,20 ref="R?" name="RES" lib="RES"',
        'part at=160,60 ref="R?" name="RES" lib="RES"',
        'part at=260,60 ref="U1" name="7400" lib="7400" block=0',
        'part at=260,160 ref="U1" name="7400" lib="7400" block=1',
        'part at=360,160 ref="U1" name="7400" lib="7400" block=1',
        'part at=460,160 ref="" name="RES" lib="RES"',
        'part at=560,160 ref="X9" name="LM358" lib="LM358"',
        'part at=660,160 ref="C7" name="" lib="CAP"',
        'wire from=10,10 to=110,10',
        'wire from=150,10 to=170,10']) + '\n'

    def annotation(self):
        folder = self.folder('annotation')
        sheet = self.design(folder, self.ANNOTATION)
        # ref: (value, symbol, original reference)
        expected = {
            'R1': ('RES', 'RES', None), 'R2': ('CAP', 'CAP', 'R1'), 'R3': ('RES', 'RES', 'R?'),
            'R4': ('RES', 'RES', 'R?'), 'U1': ('7400', '7400', None), 'U2': ('7400', '7400', 'U1'),
            'X9': ('LM358', 'MISSING_LM358', None), 'C8': ('~', 'CAP', None)}
        done = self.run(['export', 'kicad-netlist', sheet, '-o', 'd.net'], folder, status=1)
        if b'part X9 LM358: no library holds it; its pins are not in the net list' not in done.stderr:
            self.fail('annotation: the net list does not say it lacks X9\'s pins: %s' % done.stderr)
        tree = kicad_nets.parse(open(os.path.join(folder, 'd.net'), encoding='utf-8').read())
        found = {}
        for comp in kicad_nets.children(kicad_nets.child(tree, 'components'), 'comp'):
            props = {kicad_nets.value(kicad_nets.child(p, 'name')[1]): kicad_nets.value(kicad_nets.child(p, 'value')[1])
                     for p in kicad_nets.children(comp, 'property')}
            libsource = kicad_nets.child(comp, 'libsource')
            found[kicad_nets.value(kicad_nets.child(comp, 'ref')[1])] = (
                kicad_nets.value(kicad_nets.child(comp, 'value')[1]),
                kicad_nets.value(kicad_nets.child(libsource, 'part')[1]), props.get('Original reference'))
        # C7 is a CAP of no value: it keeps its reference, not renumbered.
        expected['C7'] = expected.pop('C8')
        if found != expected:
            self.fail('annotation: the net list\'s components are %s, not %s' % (found, expected))
        bom = self.run(['export', 'bom-csv', sheet], folder).stdout.decode()
        if 'RES,RES,4,"R1, R3, R4"' not in bom or '7400,7400,2,"U1, U2"' not in bom:
            self.fail('annotation: the BOM does not count each part:\n' + bom)
        done = self.run(['export', 'kicad-project', sheet, '-o', 'kicad'], folder)
        for line in ('renumbered: R1 (CAP, sheet 1) is R2 in KiCad: another part is R1',
                     'renumbered: R? (RES, sheet 1) is R4 in KiCad: it had no number',
                     'renumbered: U1 (7400, sheet 1) is U2 in KiCad: another part is U1'):
            if line not in done.stdout.decode():
                self.fail('annotation: the summary lacks "%s"' % line)
        text = open(os.path.join(folder, 'kicad', 'd-sheet1.kicad_sch'), encoding='utf-8').read()
        if text.count('(property "Original reference"') != 4:
            self.fail('annotation: the renumbered symbols do not keep their references')
        self.export_all(folder, sheet, [], 'shared and unannotated references', netlist_status=1)
        # A supply pin that every block of U1 shares is in its net once.
        shutil.copy(os.path.join(self.examples, 'demo.sch'), folder)
        self.run(['export', 'kicad-netlist', '-p', 'demo.sch', '-o', 'demo.net'], folder)
        tree = kicad_nets.parse(open(os.path.join(folder, 'demo.net'), encoding='utf-8').read())
        for net in kicad_nets.children(kicad_nets.child(tree, 'nets'), 'net'):
            nodes = [(kicad_nets.value(kicad_nets.child(n, 'ref')[1]), kicad_nets.value(kicad_nets.child(n, 'pin')[1]))
                     for n in kicad_nets.children(net, 'node')]
            if len(nodes) != len(set(nodes)):
                self.fail('annotation: a pin twice in one net: %s' % nodes)

    def power(self):
        folder = self.folder('power')
        sheet = self.design(folder, '\n'.join([
            'sheet-file', 'sheet code=4',
            'part at=60,20 ref="R1" name="RES" lib="RES"',
            'part at=20,20 ref="" name="VCC" lib="VCC"',
            'wire from=10,10 to=20,10',
            'part at=60,80 ref="U12" name="RES" lib="RES"',
            'part at=120,80 ref="" name="GND" lib="GND"',
            'wire from=70,10 to=110,70']) + '\n')
        # Under -wRES every RES is a power part; U12 has a reference, so it
        # stays a part: in the BOM, the net list and the project.
        for options in ([], ['-wRES']):
            self.export_all(folder, sheet, options, 'power parts %s' % ' '.join(options))
            bom = self.run(['export', 'bom-csv'] + options + [sheet], folder).stdout.decode()
            netlist = self.run(['export', 'kicad-netlist'] + options + [sheet], folder).stdout.decode()
            if 'U12' not in bom or '(comp (ref "U12")' not in netlist:
                self.fail('power %s: U12 is not a part:\n%s%s' % (options, bom, netlist))
        text = open(os.path.join(folder, 'kicad', 'd-sheet1.kicad_sch'), encoding='utf-8').read()
        symbols = {value: text.count('(lib_id "d:%s")' % value) for value in ('VCC', 'GND', 'PWR_FLAG')}
        if symbols != {'VCC': 1, 'GND': 1, 'PWR_FLAG': 2}:
            self.fail('power: the symbols placed are %s' % symbols)
        ground = text[text.index('(symbol "d:GND"'):]
        if '(pin power_in line (at 0 0 90) (length 0) hide (name "GND"' not in ground or \
                '(xy 1.27 1.27) (xy 0 2.54)' not in ground[:ground.index('(symbol "d:', 5)]:
            self.fail('power: GND is not drawn as a ground sign with a hidden power input')

    def names(self):
        """Three nets each labelled TX, kept apart by dovla32 (labels join only
        through a bus), and a fourth labelled TX_3: the first keeps TX, the
        others TX_2 and TX_4 (TX_3 is the designer's), listed."""
        folder = self.folder('names')
        body = ['sheet-file', 'sheet code=4']
        for n, name in enumerate(('TX', 'TX', 'TX_3', 'TX')):
            y = 100 * n
            body += ['part at=60,%d ref="R%d" name="RES" lib="RES"' % (y + 20, n + 1),
                     'wire from=10,%d to=-60,%d' % (y + 10, y + 10), 'label at=-30,%d text="%s"' % (y + 10, name)]
        sheet = self.design(folder, '\n'.join(body) + '\n')
        self.export_all(folder, sheet, [], 'one name on three nets')
        done = self.run(['export', 'kicad-project', sheet, '-o', 'names'], folder)
        text = open(os.path.join(folder, 'names', 'd-sheet1.kicad_sch'), encoding='utf-8').read()
        labels = sorted(re.findall(r'\(label "([^"]*)"', text))
        if labels != ['TX', 'TX_2', 'TX_3', 'TX_4']:
            self.fail('names: the labels are %s' % labels)
        for line in ('renamed: TX of net TX[R2.1] is TX_2 in KiCad: another net is TX',
                     'renamed: TX of net TX[R4.1] is TX_4 in KiCad: another net is TX'):
            if line not in done.stdout.decode():
                self.fail('names: the summary lacks "%s"' % line)
        netlist = self.run(['export', 'kicad-netlist', sheet], folder).stdout.decode()
        if sorted(re.findall(r'\(name "(TX[^"]*)"\)', netlist)) != ['TX', 'TX_2', 'TX_3', 'TX_4']:
            self.fail('names: the net list names the nets otherwise than the project')

    PAPERS = {'A4': (297, 210), 'A3': (420, 297), 'A2': (594, 420), 'A1': (841, 594), 'A0': (1189, 841)}

    def check_page(self, path, what):
        """Every point the sheet draws lies inside KiCad's frame (10 mm in from
        the edge) and outside its title block (the bottom right 110 x 40 mm)."""
        text = open(path, encoding='utf-8').read()
        paper = re.search(r'\(paper "(\w+)"(?: ([\d.]+) ([\d.]+))?( portrait)?\)', text)
        if paper.group(1) == 'User':
            width, height = float(paper.group(2)), float(paper.group(3))
        else:
            width, height = self.PAPERS[paper.group(1)]
            if paper.group(4):
                width, height = height, width
        drawn = text[text.index('\n  )\n', text.index('(lib_symbols')):]
        points = [(float(x), float(y)) for x, y in re.findall(r'\((?:xy|at) (-?[\d.]+) (-?[\d.]+)', drawn)]
        # A reference or value shown reads across from its point: both its ends.
        for text, x, y, justify in re.findall(
                r'\(property "(?:Reference|Value)" "([^"]*)" \(id \d+\) \(at (-?[\d.]+) (-?[\d.]+) \d+\)\n'
                r'\s*\(effects \(font \(size [\d.]+ [\d.]+\)\)(?: \(justify (\w+)\))?\)', drawn):
            run, x, y = len(text) * 0.8 * 1.27, float(x), float(y)
            left = x if justify == 'left' else x - run if justify == 'right' else x - run / 2
            points += [(left, y), (left + run, y)]
        outside = [p for p in points if not (10 <= p[0] <= width - 10 and 10 <= p[1] <= height - 10)]
        on_title = [p for p in points if p[0] > width - 120 and p[1] > height - 45]
        if outside or on_title:
            self.fail('%s: on %s paper %s x %s mm, %d points outside the frame (%s), %d on the title block (%s)' % (
                what, paper.group(1), width, height, len(outside), outside[:3], len(on_title), on_title[:3]))
        return paper.group(1)

    def pages(self):
        folder = self.folder('pages')
        papers = {}
        for seed in range(1, 41):
            sheet = self.design(folder, random_design.design(seed))
            shutil.rmtree(os.path.join(folder, 'kicad'), ignore_errors=True)
            self.run(['export', 'kicad-project', sheet, '-o', 'kicad'], folder)
            for name in os.listdir(os.path.join(folder, 'kicad')):
                if re.fullmatch(r'd-sheet\d+\.kicad_sch', name):
                    paper = self.check_page(os.path.join(folder, 'kicad', name), 'seed %d %s' % (seed, name))
                    papers[paper] = papers.get(paper, 0) + 1
        # A sheet drawn far from the origin, beyond any paper.
        sheet = self.design(folder, '\n'.join([
            'sheet-file', 'sheet code=4',
            'part at=2060,1820 ref="R1" name="RES" lib="RES"',
            'wire from=2010,1810 to=4010,1810',
            'part at=4060,1820 ref="R2" name="RES" lib="RES"']) + '\n', 'far')
        self.run(['export', 'kicad-project', sheet, '-o', 'far'], folder)
        self.check_page(os.path.join(folder, 'far', 'far-sheet1.kicad_sch'), 'a far sheet')
        # A connector at the sheet's left edge, wires above and below it:
        # its long name stands left of it, further out than anything drawn
        # (by more than the whole inch the drawing is moved by).
        sheet = self.design(folder, '\n'.join([
            'sheet-file', 'sheet code=4',
            'part at=102,100 ref="J1" name="CONNECTOR_PAIR2" lib="CONN2"',
            'wire from=62,66 to=132,66', 'wire from=62,104 to=132,104',
            'wire from=112,80 to=200,80', 'wire from=112,90 to=200,90']) + '\n', 'left')
        self.run(['export', 'kicad-project', sheet, '-o', 'left'], folder)
        self.check_page(os.path.join(folder, 'left', 'left-sheet1.kicad_sch'), 'a name left of its part')
        shutil.copy(os.path.join(self.examples, 'demo.sch'), folder)
        self.run(['export', 'kicad-project', 'demo.sch', '-o', 'demo'], folder)
        for name in ('demo-sheet1.kicad_sch', 'demo-sheet2.kicad_sch'):
            if self.check_page(os.path.join(folder, 'demo', name), 'the example') != 'A4':
                self.fail('the example\'s %s is not on A4' % name)
        print('papers of the random sheets: %s' % papers)

    TEXTS_LIBRARY = '''library-file
header
part name="HC04" width=4 height=2 blocks=1 pins=4
  pin side=left offset=1 numbers=1 name="A"
  pin side=right offset=1 numbers=2 name="Y"
  pin side=top offset=2 numbers=14 name="VCC"
  pin side=bottom offset=2 numbers=7 name="GND"
part name="CTRL" width=8 height=8 blocks=1 pins=8
  pin side=left offset=2 numbers=1 name="DATA0"
  pin side=left offset=6 numbers=2 name="DATA1"
  pin side=top offset=2 numbers=3 name="RESET"
  pin side=top offset=6 numbers=4 name="CLOCK"
  pin side=right offset=2 numbers=5 name="OUT0"
  pin side=right offset=6 numbers=6 name="OUT1"
  pin side=bottom offset=2 numbers=7 name="GROUND"
  pin side=bottom offset=6 numbers=8 name="SUPPLY"
part name="TIGHT" width=4 height=4 blocks=1 pins=2
  pin side=left offset=1 numbers=1 name="DATA"
  pin side=top offset=1 numbers=2 name="RESET"
'''

    @staticmethod
    def boxes_meet(a, b):
        return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]

    @staticmethod
    def name_boxes(symbol, width_of):
        """The boxes of a library symbol's pin names, in its own frame (mm, y up)."""
        units = kicad_nets.children(symbol, 'symbol')
        rect = kicad_nets.child(units[0], 'rectangle')
        if rect is None or len(units) < 2:
            return []  # a power symbol, whose names are hidden
        (x1, y1), (x2, y2) = [(float(kicad_nets.value(c[1])), float(kicad_nets.value(c[2])))
                              for c in (kicad_nets.child(rect, 'start'), kicad_nets.child(rect, 'end'))]
        left, right, bottom, top = min(x1, x2), max(x1, x2), min(y1, y2), max(y1, y2)
        boxes = []
        for pin in kicad_nets.children(units[1], 'pin'):
            at = kicad_nets.child(pin, 'at')
            x, y, angle = float(at[1]), float(at[2]), int(at[3])
            name = kicad_nets.child(pin, 'name')
            text = kicad_nets.value(name[1])
            size = float(kicad_nets.child(kicad_nets.child(kicad_nets.child(name, 'effects'), 'font'), 'size')[1])
            if text == '~':
                continue
            run, half, gap = width_of(text, size), size / 2, 0.508
            box = {0: (left + gap, y - half, left + gap + run, y + half),
                   180: (right - gap - run, y - half, right - gap, y + half),
                   270: (x - half, top - gap - run, x + half, top - gap),
                   90: (x - half, bottom + gap, x + half, bottom + gap + run)}[angle]
            boxes.append((text, size, box))
        return boxes

    def texts(self):
        """A small gate with its supply pins facing each other, a part with
        names at every corner, resistors turned every way, a short and a long
        wire where a reference would go and a label on crossing wires: in KiCad, every
        name, reference, value and text stands clear of the rest."""
        folder = self.folder('texts')
        with open(os.path.join(folder, 'texts.lib.txt'), 'w') as out:
            out.write(self.TEXTS_LIBRARY)
        self.run(['build', 'texts.lib.txt', '-o', 'texts.lib'], folder)
        with open(os.path.join(folder, 'TAVEL.INI'), 'a') as out:
            out.write('LIB2=texts.lib\n')
        body = ['sheet-file', 'sheet code=4']
        for d in range(8):
            body.append('part at=%d,100 ref="R%d" name="RES" lib="RES" dir=%d' % (100 + 120 * d, d + 1, d))
            body.append('wire from=%d,%d to=%d,%d' % (50 + 120 * d, 90 if d % 2 == 0 else 40,
                                                      10 + 120 * d, 90 if d % 2 == 0 else 40))
        body += ['wire from=40,74 to=130,74',
                 'part at=200,300 ref="U1" name="HC04" lib="HC04"',
                 'part at=400,300 ref="U2" name="HC04" lib="HC04" dir=1',
                 'part at=600,300 ref="U3" name="HC04" lib="HC04" dir=6',
                 'part at=900,400 ref="U4" name="CTRL" lib="CTRL"',
                 'part at=1200,400 ref="U5" name="TIGHT" lib="TIGHT"',
                 # A body where R3's reference would stand, and two parts
                 # whose value and reference would meet.
                 'part at=330,75 ref="C1" name="CAP" lib="CAP"',
                 'part at=1100,100 ref="R9" name="RES" lib="RES"',
                 'part at=1100,133 ref="R10" name="RES" lib="RES"',
                 'wire from=100,500 to=300,500', 'wire from=200,450 to=200,550',
                 'label at=200,500 text="CROSS"',
                 # A wire as long as a sheet where R11's reference would go.
                 'part at=1500,700 ref="R11" name="RES" lib="RES"',
                 'wire from=700,674 to=2000,674']
        sheet = self.design(folder, '\n'.join(body) + '\n')
        self.export_all(folder, sheet, [], 'texts')
        clashes, shown, where = self.text_clashes(os.path.join(folder, 'kicad', 'd-sheet1.kicad_sch'))
        for clash in clashes:
            self.fail('texts: ' + clash)
        # Where nothing is in the way, the reference stands just above the
        # body and the value just below it.
        r7 = where['R7']
        top, bottom = r7['body'][1], r7['body'][3]
        if not (top - 2.54 < r7['Reference'] < top and bottom < r7['Value'] < bottom + 2.54):
            self.fail('texts: R7\'s reference and value are not just above and below it: %s' % r7)
        if shown != 34:
            self.fail('texts: %d references and values shown, not 34' % shown)

    def text_clashes(self, path):
        """What a sheet's texts stand on, as KiCad draws them, how many
        references and values it shows, and by reference the height of each
        and the part's body."""
        clashes = []
        tree = kicad_nets.parse(open(path, encoding='utf-8').read())
        mm = lambda node: (float(kicad_nets.value(node[1])), float(kicad_nets.value(node[2])))
        # KiCad's letters are about 0.8 of the text's size wide.
        width_of = lambda text, size: 0.8 * size * len(text)
        symbols = {kicad_nets.value(s[1]): s for s in kicad_nets.children(kicad_nets.child(tree, 'lib_symbols'), 'symbol')}
        for name, symbol in symbols.items():
            boxes = self.name_boxes(symbol, width_of) if kicad_nets.children(symbol, 'symbol') else []
            for i, (a, size_a, box_a) in enumerate(boxes):
                for b, size_b, box_b in boxes[i + 1:]:
                    # Names that cannot be kept apart are both as small as names get.
                    if self.boxes_meet(box_a, box_b) and (size_a, size_b) != (0.5, 0.5):
                        clashes.append('in %s the pin names %s (%s mm) and %s (%s mm) overprint' % (
                            name, a, size_a, b, size_b))
            sizes = sorted(size for _, size, _ in boxes)
            if name.endswith(':CTRL') and (sizes[0] < 0.7 or sizes[-1] != 1.27):
                clashes.append('the names of CTRL are made smaller than they need: %s' % sizes)
        # What a field must keep clear of, in the sheet's frame (mm, y down).
        keep_clear = []
        for wire in kicad_nets.children(tree, 'wire'):
            (x1, y1), (x2, y2) = [mm(p) for p in kicad_nets.children(kicad_nets.child(wire, 'pts'), 'xy')]
            keep_clear.append(('a wire', (min(x1, x2), min(y1, y2) - 0.1, max(x1, x2), max(y1, y2) + 0.1)))
        fields, where = [], {}
        for placed in kicad_nets.children(tree, 'symbol'):
            at = kicad_nets.child(placed, 'at')
            origin, angle = (kicad_nets.iu(at[1]), kicad_nets.iu(at[2])), int(at[3])
            mirror = kicad_nets.value(kicad_nets.child(placed, 'mirror')[1]) if kicad_nets.child(placed, 'mirror') else None
            symbol = symbols[kicad_nets.value(kicad_nets.child(placed, 'lib_id')[1])]
            to_sheet = lambda x, y: tuple(c / kicad_nets.IU for c in kicad_nets.placed(
                kicad_nets.iu(x), -kicad_nets.iu(y), angle, mirror, origin))
            ref = [kicad_nets.value(p[2]) for p in kicad_nets.children(placed, 'property')
                   if kicad_nets.value(p[1]) == 'Reference'][0]
            units = kicad_nets.children(symbol, 'symbol')
            rect = kicad_nets.child(units[0], 'rectangle') if units else None
            body = None
            if rect:
                corners = [to_sheet(*mm(kicad_nets.child(rect, end))) for end in ('start', 'end')]
                body = (min(c[0] for c in corners), min(c[1] for c in corners),
                        max(c[0] for c in corners), max(c[1] for c in corners))
                keep_clear.append(('the body of ' + ref, body))
            for pin in kicad_nets.children(units[-1], 'pin') if units else []:
                pin_at = kicad_nets.child(pin, 'at')
                x, y, turn = float(pin_at[1]), float(pin_at[2]), int(pin_at[3])
                length = float(kicad_nets.child(pin, 'length')[1])
                dx, dy = {0: (length, 0), 90: (0, length), 180: (-length, 0), 270: (0, -length)}[turn]
                (x1, y1), (x2, y2) = to_sheet(x, y), to_sheet(x + dx, y + dy)
                # The pin and its number beside it.
                keep_clear.append(('pin %s of %s' % (kicad_nets.value(kicad_nets.child(pin, 'number')[1]), ref),
                                   (min(x1, x2) - 0.9, min(y1, y2) - 0.9, max(x1, x2) + 0.9, max(y1, y2) + 0.9)))
            for prop in kicad_nets.children(placed, 'property'):
                effects = kicad_nets.child(prop, 'effects')
                if kicad_nets.value(prop[1]) not in ('Reference', 'Value') or 'hide' in effects:
                    continue
                text = kicad_nets.value(prop[2])
                x, y = mm(kicad_nets.child(prop, 'at'))
                run = width_of(text, 1.27)
                justify = kicad_nets.child(effects, 'justify')
                left = x if justify and 'left' in justify else x - run if justify and 'right' in justify else x - run / 2
                # With a little room around it, so that two texts never read as one.
                fields.append(('%s %s' % (kicad_nets.value(prop[1]).lower(), text),
                               (left - 0.15, y - 0.785, left + run + 0.15, y + 0.785)))
                where.setdefault(ref, {'body': body})[kicad_nets.value(prop[1])] = y
        for i, (what, box) in enumerate(fields):
            for other, clear in keep_clear + fields[i + 1:]:
                if self.boxes_meet(box, clear):
                    clashes.append('the %s stands on %s' % (what, other))
        for text in kicad_nets.children(tree, 'text'):
            at = kicad_nets.child(text, 'at')
            (x, y), run = mm(at), width_of(kicad_nets.value(text[1]), 1.27)
            # Justified left and bottom: it reads from its point, upward when turned.
            box = (x, y - 1.27, x + run, y) if int(at[3]) == 0 else (x - 1.27, y - run, x, y)
            for other, clear in keep_clear:
                if other == 'a wire' and self.boxes_meet(box, clear):
                    clashes.append('the text %s lies on a wire' % kicad_nets.value(text[1]))
        return clashes, len(fields), where


    def snapshot(self, folder):
        return {name: open(os.path.join(folder, name), 'rb').read() for name in sorted(os.listdir(folder))}

    def folder_refusals(self, folder):
        """Folders export must not write into: (what, set-up, message); each
        is refused with status 2 and left as it was."""
        outside = os.path.join(folder, 'outside.txt')
        cases = [
            ('a link among the files', lambda k: os.symlink(outside, os.path.join(k, 'sym-lib-table')),
             'sym-lib-table is a symbolic link'),
            ('a schematic KiCad saved', lambda k: open(os.path.join(k, 'd.kicad_sch'), 'w').write(
                '(kicad_sch (version 20211123) (generator eeschema)\n)\n'), 'did not write (d.kicad_sch)'),
            ('a table of other libraries', lambda k: open(os.path.join(k, 'sym-lib-table'), 'w').write(
                '(sym_lib_table\n  (lib (name "mine")(type "KiCad")(uri "/x.kicad_sym")(options "")(descr ""))\n)\n'),
             'did not write (sym-lib-table)'),
            ('project settings made in KiCad', lambda k: open(os.path.join(k, 'd.kicad_pro'), 'w').write(
                '{"meta": {"filename": "d.kicad_pro", "version": 1}, "net_settings": {"classes": []}}'),
             'did not write (d.kicad_pro)'),
            ('another project', lambda k: open(os.path.join(k, 'other.kicad_sch'), 'w').write(
                '(kicad_sch (version 20211123) (generator eeschema)\n)\n'), 'did not write (other.kicad_sch)'),
        ]
        for number, (what, setup, message) in enumerate(cases):
            open(outside, 'w').write('kept')
            kicad = os.path.join(folder, 'k%d' % number)
            os.makedirs(kicad)
            setup(kicad)
            before = self.snapshot(kicad)
            done = self.run(['export', 'kicad-project', 'd.sch', '-o', kicad], folder, status=2)
            if message not in done.stderr.decode():
                self.fail('folder, %s: the message is %r' % (what, done.stderr.decode()))
            if self.snapshot(kicad) != before or open(outside).read() != 'kept':
                self.fail('folder, %s: files were changed' % what)
            # --force replaces a project, never writes through a link.
            forced = self.run(['export', 'kicad-project', 'd.sch', '-o', kicad, '--force'], folder,
                              status=2 if 'link' in message else 0)
            if open(outside).read() != 'kept' or (forced.returncode == 0 and 'd.kicad_sch' not in os.listdir(kicad)):
                self.fail('folder, %s: --force did not replace the project as it should' % what)

    def folder_checks(self, failing_rename=None):
        folder = self.folder('folder')
        formulas = ['=HYPERLINK(1)', '+1', '-5V', '@SUM']
        self.design(folder, self.ANNOTATION.replace('name="" lib="CAP"', 'name="=HYPERLINK(1)" lib="CAP"') + ''.join(
            'part at=%d,400 ref="C%d" name="%s" lib="CAP"\n' % (100 * n, 20 + n, name)
            for n, name in enumerate(formulas[1:])))
        self.folder_refusals(folder)
        # An export's own folder is exported into again.
        self.run(['export', 'kicad-project', 'd.sch', '-o', 'again'], folder)
        self.run(['export', 'kicad-project', 'd.sch', '-o', 'again'], folder)
        # A sheet file whose name holds a control byte and KiCad's ${...}.
        odd = 'a\x01${HOME}b.sch'
        shutil.copy(os.path.join(folder, 'd.sch'), os.path.join(folder, odd))
        self.run(['export', 'kicad-project', odd, '-o', 'odd'], folder)
        names = sorted(os.listdir(os.path.join(folder, 'odd')))
        if names != ['a___HOME_b-sheet1.kicad_sch', 'a___HOME_b.kicad_pro', 'a___HOME_b.kicad_sch',
                     'a___HOME_b.kicad_sym', 'sym-lib-table']:
            self.fail('folder: an odd sheet name gives the files %s' % names)
        else:
            json.load(open(os.path.join(folder, 'odd', 'a___HOME_b.kicad_pro')))
        # A part name a spreadsheet would run as a formula.
        rows = list(csv.reader(io.StringIO(self.run(['export', 'bom-csv', 'd.sch'], folder).stdout.decode(), newline='')))
        for n, name in enumerate(formulas):
            if ['CAP', "'" + name, '1', 'C7' if n == 0 else 'C%d' % (19 + n)] not in rows:
                self.fail('folder: %s is a formula in the BOM: %s' % (name, rows))
        # A full disk half-way: nothing replaced, nothing left behind.
        self.run(['export', 'kicad-project', 'd.sch', '-o', 'full'], folder)
        before = self.snapshot(os.path.join(folder, 'full'))
        self.design(folder, self.ANNOTATION.replace('at=60,20', 'at=60,40'))

        def small_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (1500, 1500))
        done = subprocess.run([self.sheettool, 'export', 'kicad-project', 'd.sch', '-o', 'full'], cwd=folder,
                              capture_output=True, preexec_fn=small_disk)
        if done.returncode != 2 or self.snapshot(os.path.join(folder, 'full')) != before:
            self.fail('folder: a full disk: status %d, files changed: %s' % (
                done.returncode, self.snapshot(os.path.join(folder, 'full')).keys() ^ before.keys()))
        if failing_rename:
            self.failed_move(folder, failing_rename, before)

    def failed_move(self, folder, failing_rename, before):
        """The third file fails to move into place: the message names the
        files that are new and those that are not, and each is as it says."""
        environment = dict(os.environ, LD_PRELOAD=failing_rename, DOVLA32_FAIL_RENAME='3')
        done = subprocess.run([self.sheettool, 'export', 'kicad-project', 'd.sch', '-o', 'full'], cwd=folder,
                              capture_output=True, env=environment)
        message = done.stderr.decode()
        found = re.search(r"can't write: (\S+); written: (.+); not written: (.+)", message)
        if done.returncode != 2 or not found:
            self.fail('folder: a failed move: status %d, %r' % (done.returncode, message))
            return
        name = lambda path: os.path.basename(path)
        written = [name(p) for p in found.group(2).split(', ')]
        kept = [name(found.group(1))] + [name(p) for p in found.group(3).split(', ')]
        after = self.snapshot(os.path.join(folder, 'full'))
        if sorted(written + kept) != sorted(before) or len(written) != 2:
            self.fail('folder: a failed move names %s and %s of %s' % (written, kept, sorted(before)))
        for file in written:
            if after[file] == before[file] and file.endswith('sheet1.kicad_sch'):
                self.fail('folder: %s is named written but is not new' % file)
        for file in kept:
            if after[file] != before[file]:
                self.fail('folder: %s is named not written but changed' % file)

def main(args):
    checks = Checks(args[1])
    if args[0] == 'example':
        checks.example()
    elif args[0] == 'random':
        checks.random(int(args[2]), int(args[3]))
    elif args[0] == 'large':
        checks.large(args[2])
    elif args[0] == 'cases':
        checks.cases(args[2] if len(args) > 2 else None)
    elif args[0] == 'tall':
        checks.tall()
    elif args[0] == 'redraw':
        checks.redraw()
    elif args[0] == 'bom':
        checks.bom()
    elif args[0] == 'refusals':
        checks.refusals()
    elif args[0] == 'names':
        checks.names()
    elif args[0] == 'pages':
        checks.pages()
    elif args[0] == 'power':
        checks.power()
    elif args[0] == 'annotation':
        checks.annotation()
    elif args[0] == 'texts':
        checks.texts()
    elif args[0] == 'folder':
        checks.folder_checks(args[2] if len(args) > 2 else None)
    shutil.rmtree(checks.work, ignore_errors=True)
    print('%d failures' % len(checks.failures))
    return 1 if checks.failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
