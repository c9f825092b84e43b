#!/usr/bin/env python3
"""The golden suite: every command's whole output on a few designs, kept
under tests/golden/expected/ and compared byte for byte.

    golden.py check BUILD [DESIGN...]       compare (the ctest run)
    golden.py regenerate BUILD [DESIGN...]  rewrite the expected files

BUILD is the build folder (its sheettool, dovla32 and bench/make_design).
The cases are in cases.txt beside this script. A change to an expected file
is a change in behaviour: regenerate, read the diff, and commit it with the
change that caused it.

Each design is built from its texts into a scratch folder, where its cases
run. What a case writes is kept as written, but for the changes that
`stored_form` makes, the one place where outputs are normalised:
- the scratch folders' paths become $DESIGN and $OUT, and the programs'
  version (in dovla32's banner and the SARIF log) becomes $VERSION;
- a page of view or of diff --html is kept as its data (the embedded
  JSON), not the script and style around it;
- a JSON document on one line is kept indented, one value a line, when it
  reads back into exactly the bytes written (otherwise as written);
- the cases of a design listed in HASHED are kept as a SHA-256 of that form.

Every SARIF log a case writes must also be sound, whatever is expected:
valid by the SARIF validator (when installed), no two results with one
fingerprint, and each result's byte region a whole record of the sheet.
"""
import difflib
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
EXPECTED = os.path.join(HERE, 'expected')

# Where each design's files come from: folders (their sheet and library
# texts, *.sch.txt and *.lib.txt, built,
# and their TAVEL.INI and *.waivers, copied) and single texts.
DESIGNS = {
    'example': ['examples'],
    'board': ['tests/golden/designs/board', 'examples/logic.lib.txt'],
    'crowded': ['tests/golden/designs/crowded', 'examples/basic.lib.txt',
                'examples/logic.lib.txt'],
    'stacked': ['tests/golden/designs/stacked', 'examples/basic.lib.txt',
                'examples/logic.lib.txt'],
    'large': [],  # made by bench/make_design
}
HASHED = {'large'}
LARGE_SHEETS = '6'
VALIDATOR = shutil.which('sarif-multitool') or os.path.expanduser(
    '~/.local/share/dovla32-tools/bin/sarif-multitool')
BODY_SIZES = [5, 5, 9, 9, 9, 17, 17, 37, 59, 59]
PAGE_DATA = re.compile(rb'<script type="application/json" id="(?:design|review)">(.*?)</script>', re.S)


class Case:
    def __init__(self, name, design, words):
        self.name, self.design, self.words = name, design, words


def read_cases():
    cases = []
    with open(os.path.join(HERE, 'cases.txt'), encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            if not line.strip() or line.startswith('#'):
                continue
            words = shlex.split(line)
            if len(words) < 3 or words[1] not in DESIGNS:
                sys.exit('cases.txt:%d: expected NAME DESIGN COMMAND...' % number)
            cases.append(Case(words[0], words[1], words[2:]))
    names = [c.name for c in cases]
    duplicates = {n for n in names if names.count(n) > 1}
    if duplicates:
        sys.exit('cases.txt: cases named twice: %s' % ', '.join(sorted(duplicates)))
    return cases


def programs(build):
    return {'sheettool': os.path.join(build, 'sheettool'),
            'dovla32': os.path.join(build, 'dovla32'),
            'make_design': os.path.join(build, 'bench', 'make_design')}


def version(tools):
    out = subprocess.run([tools['sheettool'], '--version'], capture_output=True, check=True)
    return out.stdout.decode().split()[-1]


def prepare(design, folder, tools):
    """Builds the design's files into folder."""
    if design == 'large':
        subprocess.run([tools['make_design'], LARGE_SHEETS, folder], check=True,
                       stdout=subprocess.DEVNULL)
        return
    texts = []
    for source in DESIGNS[design]:
        path = os.path.join(ROOT, source)
        if os.path.isdir(path):
            for entry in sorted(os.listdir(path)):
                if entry.endswith(('.sch.txt', '.lib.txt')):
                    texts.append(os.path.join(path, entry))
                elif entry == 'TAVEL.INI' or entry.endswith('.waivers'):
                    shutil.copy(os.path.join(path, entry), folder)
        else:
            texts.append(path)
    for text in texts:
        target = os.path.join(folder, os.path.basename(text)[:-len('.txt')])
        subprocess.run([tools['sheettool'], 'build', text, '-o', target], check=True)


def stored_form(data, work, out, release):
    """The normalised form of one output (see the module's comment)."""
    page = PAGE_DATA.search(data)
    if data.startswith(b'<!DOCTYPE html>') and page:
        data = page.group(1).replace(b'\\u003c', b'<')
    text = data.decode('utf-8', errors='surrogateescape')
    for path, mark in ((out, '$OUT'), (work, '$DESIGN')):
        text = text.replace(path, mark)
    text = re.sub(r'(Version |"version": ?")%s\b' % re.escape(release), r'\1$VERSION', text)
    if text.startswith(('{', '[')) and text.rstrip('\n').count('\n') == 0:
        try:
            document = json.loads(text)
        except ValueError:
            document = None
        if document is not None and \
                json.dumps(document, ensure_ascii=False, separators=(',', ':')) == text.rstrip('\n'):
            text = json.dumps(document, ensure_ascii=False, indent=1) + '\n'
    return text.encode('utf-8', errors='surrogateescape')


def record_lengths(sheet):
    """{offset: length} of the records of a sheet file, read apart from
    the programs."""
    with open(sheet, 'rb') as f:
        data = f.read()
    lengths, at = {}, 0
    while at < len(data):
        kind = data[at]
        if kind >= 16 and at + 12 <= len(data):
            length = int.from_bytes(data[at + 10:at + 12], 'little', signed=True)
        elif kind < 10:
            length = 1 + BODY_SIZES[kind]
        else:
            break
        if length <= 0 or at + length > len(data):
            break
        lengths[at] = length
        at += length
    return lengths


def sarif_faults(log, sheet, scratch):
    """What makes a SARIF log of check unsound (see the module's comment)."""
    faults, seen = [], set()
    lengths = record_lengths(sheet)
    for result in json.loads(log)['runs'][0]['results']:
        key = result['partialFingerprints']['waiver/v1']
        if key in seen:
            faults.append('two results share the fingerprint %s' % key)
        seen.add(key)
        region = result['locations'][0]['physicalLocation']['region']
        if result['ruleId'] != 'stale-waiver' and \
                lengths.get(region.get('byteOffset')) != region.get('byteLength'):
            faults.append('the region %s is no record of the sheet' % json.dumps(region))
    if os.path.exists(VALIDATOR):
        logged = os.path.join(scratch, 'validated.sarif')
        verdict = os.path.join(scratch, 'verdict.sarif')
        with open(logged, 'wb') as f:
            f.write(log)
        subprocess.run([VALIDATOR, 'validate', logged, '-o', verdict, '--log', 'ForceOverwrite',
                        '--rule-kind', 'Sarif;Gh'], check=True, capture_output=True)
        with open(verdict) as f:
            for result in json.load(f)['runs'][0]['results']:
                if result.get('level', 'warning') == 'error':
                    faults.append('%s %s' % (result['ruleId'], result['message']))
    return faults


def run_case(case, work, out, tools, release):
    """Runs a case; returns {relative name: stored form}, its status line,
    and what makes its SARIF log unsound."""
    target = os.path.join(out, case.name)
    words = [w.replace('{out}', target) for w in case.words]
    words[0] = tools.get(words[0], words[0])
    result = subprocess.run(words, cwd=work, capture_output=True, timeout=600)
    files = {}
    if result.stdout:
        files['stdout'] = result.stdout
    if os.path.isdir(target):
        for top, _, names in os.walk(target):
            for name in names:
                path = os.path.join(top, name)
                with open(path, 'rb') as f:
                    files[os.path.relpath(path, target)] = f.read()
    elif os.path.exists(target):
        with open(target, 'rb') as f:
            files['written'] = f.read()
    faults = []
    if '--sarif' in case.words:
        faults = sarif_faults(result.stdout, os.path.join(work, case.words[2]),
                              os.path.dirname(out))
    files = {k: stored_form(v, work, out, release) for k, v in files.items()}
    err = stored_form(result.stderr, work, out, release).decode('utf-8', 'surrogateescape')
    status = '%s: exit %d\n' % (case.name, result.returncode)
    status += ''.join('  ' + line + '\n' for line in err.splitlines())
    return files, status, ['%s: %s' % (case.name, fault) for fault in faults]


def expected_name(case, part, only):
    """A case that writes only its standard output is kept in one file."""
    return case.name + '.txt' if only else os.path.join(case.name, part)


def outputs(design, cases, tools, release):
    """{expected file: bytes} of every case of a design, and the faults of
    its SARIF logs."""
    found, faults = {}, []
    statuses = ''
    with tempfile.TemporaryDirectory(prefix='golden-') as scratch:
        scratch = os.path.realpath(scratch)  # the form the programs print
        work = os.path.join(scratch, 'design')
        out = os.path.join(scratch, 'out')
        os.mkdir(work)
        os.mkdir(out)
        prepare(design, work, tools)
        for case in cases:
            files, status, unsound = run_case(case, work, out, tools, release)
            statuses += status
            faults += unsound
            only = list(files) == ['stdout']
            for part, data in sorted(files.items()):
                found[expected_name(case, part, only)] = data
    found[design + '.status'] = statuses.encode('utf-8', errors='surrogateescape')
    if design in HASHED:
        lines = ''.join('%s  %s\n' % (hashlib.sha256(data).hexdigest(), name)
                        for name, data in sorted(found.items()))
        found = {design + '.sha256': lines.encode()}
    return {os.path.join(design, name): data for name, data in found.items()}, faults


def expected_files(design):
    folder = os.path.join(EXPECTED, design)
    files = {}
    for top, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(top, name)
            with open(path, 'rb') as f:
                files[os.path.relpath(path, EXPECTED)] = f.read()
    return files


def show_difference(name, old, new, lines=40):
    """A unified diff of the first lines that differ."""
    diff = list(difflib.unified_diff(old.decode('utf-8', 'replace').splitlines(),
                                     new.decode('utf-8', 'replace').splitlines(),
                                     'expected/' + name, 'now/' + name, lineterm=''))
    print('\n'.join(diff[:lines]))
    if len(diff) > lines:
        print('... (%d more lines of difference)' % (len(diff) - lines))


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ('check', 'regenerate'):
        sys.exit(__doc__)
    mode, build, designs = sys.argv[1], sys.argv[2], sys.argv[3:] or list(DESIGNS)
    tools = programs(os.path.abspath(build))
    release = version(tools)
    cases = read_cases()
    failed = False
    for design in designs:
        differs = False
        if design not in DESIGNS:
            sys.exit('no design %s' % design)
        if design == 'large' and not os.path.exists(tools['make_design']):
            print('large: skipped (the build has no bench/make_design)')
            if len(designs) == 1:
                sys.exit(77)
            continue
        now, faults = outputs(design, [c for c in cases if c.design == design], tools, release)
        for fault in faults:
            print(fault)
        failed = failed or bool(faults)
        before = expected_files(design)
        if mode == 'regenerate':
            shutil.rmtree(os.path.join(EXPECTED, design), ignore_errors=True)
            for name, data in now.items():
                os.makedirs(os.path.dirname(os.path.join(EXPECTED, name)), exist_ok=True)
                with open(os.path.join(EXPECTED, name), 'wb') as f:
                    f.write(data)
            changed = sorted(n for n in set(now) | set(before) if now.get(n) != before.get(n))
            print('%s: %d files, %d changed%s' % (design, len(now), len(changed),
                                                  ''.join('\n  ' + n for n in changed)))
            continue
        for name in sorted(set(now) | set(before)):
            if name not in before:
                print('%s: not in expected/ (a new case? regenerate)' % name)
            elif name not in now:
                print('%s: no longer written' % name)
            elif now[name] != before[name]:
                show_difference(name, before[name], now[name])
            else:
                continue
            differs = failed = True
        if not differs:
            print('%s: %d files as expected' % (design, len(now)))
    if failed:
        print('The outputs differ from tests/golden/expected/. If the change is meant, run\n'
              '  python3 tests/golden/golden.py regenerate BUILD\n'
              'and review the diff of the expected files like code.')
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
