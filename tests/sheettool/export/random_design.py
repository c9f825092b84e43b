#!/usr/bin/env python3
"""A random design in sheettool's text form, crowded on a small grid so that
wires, pins, labels, tags, junctions, buses and entries meet in every way:
`random_design.py SEED` prints it. Parts come from the shipped example's
libraries (RES, CAP, VCC, GND, 7400), placed in all eight ways."""
import random
import sys

NAMES = ['A', 'B', 'D0', 'D1', 'VCC', 'GND', 'X Y', 'N[1]']


def design(seed):
    rng = random.Random(seed)
    step = 10
    size = rng.choice([6, 8, 10, 14])  # grid points per side

    def coord():
        return step * rng.randrange(1, size)

    lines = ['sheet-file']
    refs = 0
    for _ in range(rng.randint(1, 3)):
        lines.append('sheet     code=4')
        for _ in range(rng.randint(15, 50)):
            kind = rng.choices(['wire', 'part', 'junction', 'label', 'tag', 'bus', 'entry'],
                               [30, 14, 6, 6, 5, 3, 4])[0]
            x, y = coord(), coord()
            if kind == 'wire':
                if rng.random() < 0.5:
                    lines.append('wire      from=%d,%d to=%d,%d' % (x, y, coord(), y))
                elif rng.random() < 0.9:
                    lines.append('wire      from=%d,%d to=%d,%d' % (x, y, x, coord()))
                else:
                    d = step * rng.randint(1, 3)
                    dx, dy = rng.choice([(1, 1), (1, -1), (1, 2), (2, 1), (2, -1)])
                    lines.append('wire      from=%d,%d to=%d,%d' % (x, y, x + d * dx, y + d * dy))
            elif kind == 'bus':
                if rng.random() < 0.5:
                    lines.append('bus       from=%d,%d to=%d,%d' % (x, y, coord(), y))
                else:
                    lines.append('bus       from=%d,%d to=%d,%d' % (x, y, x, coord()))
            elif kind == 'entry':
                lines.append('bus-entry at=%d,%d%s' % (x, y, ' attr=wire-entry' if rng.random() < 0.8 else ''))
            elif kind == 'junction':
                lines.append('junction  at=%d,%d' % (x, y))
            elif kind == 'label':
                lines.append('label     at=%d,%d text="%s"%s' % (
                    x, y, rng.choice(NAMES), ' attr=vertical' if rng.random() < 0.5 else ''))
            elif kind == 'tag':
                lines.append('tag       at=%d,%d text="%s"' % (x, y, rng.choice(NAMES)))
            else:
                lib = rng.choice(['RES', 'RES', 'CAP', 'VCC', 'GND', '7400'])
                refs += 1
                ref = '' if lib in ('VCC', 'GND') or rng.random() < 0.1 else 'P%d' % refs
                extra = ''
                if lib == '7400':
                    extra = ' block=%d' % rng.randrange(4)
                placement = rng.randrange(8)
                if placement:
                    extra += ' dir=%d' % placement
                lines.append('part      at=%d,%d ref="%s" name="%s" lib="%s"%s' % (x, y, ref, lib, lib, extra))
    return '\n'.join(lines) + '\n'


if __name__ == '__main__':
    sys.stdout.write(design(int(sys.argv[1])))
