// The texts and marks of a part as the pages draw it, kept clear of each
// other: its pins' names inside the body, smaller where names of facing
// pins or of pins at a corner would run into each other; its reference and
// name on sides of the body without pins; a power symbol drawn as one (a
// bar for a supply, the ground sign for a ground name) instead of a box.
// Used by sheet_drawing.js; sizes are in drawing units.
'use strict';

// eslint-disable-next-line no-unused-vars
const partDrawing = (() => {
  // A pin name's size where the body has room, the least it gets, and a
  // character's width against the size (some; system fonts vary).
  const nameSize = 7;
  const leastSize = 3;
  const charWidth = 0.7;
  // A name starts this far inside the body from its pin, and stays this
  // far from what it must not run into.
  const inset = 2.5;
  const gap = 1.5;
  // Half a text's height across its line, at the full size.
  const across = 4.2;
  // The least room a name is shortened into: two characters at the least
  // size, one of them the ellipsis; in less it is left out (the part's
  // detail lists it).
  const leastRoom = 2 * charWidth * leastSize;
  // A top or bottom pin's name that would be smaller than this share of
  // its size reads across instead, where it can.
  const acrossWhenBelow = 0.7;
  // Drawing units a character of the part names takes, some.
  const partCharWidth = 6;

  function escape(text) {
    return String(text).replace(/[&<>"]/g, (c) => `&#${c.charCodeAt(0)};`);
  }

  function tag(name, attributes, text) {
    let out = `<${name}`;
    for (const key in attributes) {
      const value = attributes[key];
      out += ` ${key}="${typeof value === 'number' ? value : escape(value)}"`;
    }
    return text === undefined ? `${out}/>` : `${out}>${escape(text)}</${name}>`;
  }

  // The side of the body a pin stands on, from its root (on the body's
  // edge) and its end.
  function sideOf(x1, y1, x2, y2) {
    if (y1 === y2) return x2 < x1 ? 'left' : 'right';
    return y2 < y1 ? 'top' : 'bottom';
  }

  // The sides of a body that have pins: a Set of 'top', 'bottom', 'left'
  // and 'right', from the part's pin rows [pin, x1, y1, x2, y2].
  function sidesOf(pins) {
    return new Set(pins.map(([, x1, y1, x2, y2]) => sideOf(x1, y1, x2, y2)));
  }

  // Where each named pin's name goes and how large: {x1, y1, side, text,
  // size, room}, by pin. A name gets the room from its pin to the far edge;
  // names of facing pins share it; of two names that would cross at a
  // corner, the one that loses less stops short of the other; a name that
  // does not fit at its least size is shortened.
  function pinNames(box, pins, nameOf) {
    const [bx1, by1, bx2, by2] = box;
    const names = [];
    for (const [pin, x1, y1, x2, y2] of pins) {
      const text = nameOf(pin);
      if (!text) continue;
      const side = sideOf(x1, y1, x2, y2);
      const far = { left: bx2 - x1, right: x1 - bx1, top: by2 - y1, bottom: y1 - by1 }[side];
      names.push({ pin, x1, y1, side, text, room: far - inset - gap,
        need: text.length * charWidth * nameSize });
    }
    const vertical = (name) => name.side === 'top' || name.side === 'bottom';
    const opposite = { left: 'right', right: 'left', top: 'bottom', bottom: 'top' };
    for (const name of names) {
      const facing = names.find((other) => other.side === opposite[name.side] &&
        (vertical(name) ? other.x1 === name.x1 : other.y1 === name.y1));
      if (facing) {
        const span = vertical(name) ? by2 - by1 : bx2 - bx1;
        name.room = Math.min(name.room, (span - 2 * inset - 2 * gap) / 2);
      }
    }
    // What a name covers at its length: along its line from its start,
    // and across it.
    const reach = (name) => Math.max(0, Math.min(name.need, name.room));
    const extent = (name) => {
      const length = reach(name);
      const inward = name.side === 'left' || name.side === 'top' ? 1 : -1;
      const start = (vertical(name) ? name.y1 : name.x1) + inward * inset;
      const end = start + inward * length;
      return { from: Math.min(start, end), to: Math.max(start, end),
        at: vertical(name) ? name.x1 : name.y1, start, inward };
    };
    for (const v of names.filter(vertical)) {
      for (const h of names.filter((name) => !vertical(name))) {
        const ve = extent(v);
        const he = extent(h);
        const meet = ve.at + across > he.from && ve.at - across < he.to &&
          he.at + across > ve.from && he.at - across < ve.to;
        if (!meet) continue;
        // One stops short of the other's line: the one that loses less,
        // while it keeps room for a shortened name; where neither would,
        // the shorter name is left out.
        const vRoom = Math.abs(he.at - ve.start) - across - gap;
        const hRoom = Math.abs(ve.at - he.start) - across - gap;
        const vFits = vRoom >= leastRoom;
        const hFits = hRoom >= leastRoom;
        let cut = null;
        if (vFits && hFits) cut = reach(v) - vRoom <= reach(h) - hRoom ? v : h;
        else if (vFits || hFits) cut = vFits ? v : h;
        if (cut) cut.room = Math.min(cut.room, cut === v ? vRoom : hRoom);
        else (v.need <= h.need ? v : h).room = 0;
      }
    }
    // A name that would come out small turns to read across its pin,
    // just inside the body (under or over a top or bottom pin, beside a
    // left or right one, turned), where the body has room for it there:
    // clear of its edges and of every other name.
    const boxOfName = (name) => {
      if (name.turned) return name.turned;
      const e = extent(name);
      return vertical(name) ? [e.at - across, e.from, e.at + across, e.to]
        : [e.from, e.at - across, e.to, e.at + across];
    };
    const apart = (a, b) => a[2] + gap <= b[0] || b[2] + gap <= a[0] || a[3] + gap <= b[1] ||
      b[3] + gap <= a[1];
    for (const name of [...names.filter(vertical), ...names.filter((n) => !vertical(n))]) {
      if (name.need * acrossWhenBelow <= name.room) continue;
      const size = Math.min(nameSize, name.room / 1.25);
      const width = name.text.length * charWidth * size;
      const [lo, hi] = vertical(name) ? [bx1, bx2] : [by1, by2];
      const pin = vertical(name) ? name.x1 : name.y1;
      const from = Math.max(lo + gap, Math.min(pin - width / 2, hi - gap - width));
      const edge = vertical(name) ? name.y1 : name.x1;
      const inward = name.side === 'top' || name.side === 'left' ? 1 : -1;
      const near = edge + inward * inset;
      const far = near + inward * 1.2 * size;
      const band = [Math.min(near, far), Math.max(near, far)];
      const turned = vertical(name) ? [from, band[0], from + width, band[1]]
        : [band[0], from, band[1], from + width];
      const fits = size >= leastSize && from + width <= hi - gap + 0.01;
      if (fits && names.every((other) => other === name || apart(turned, boxOfName(other)))) {
        Object.assign(name, { turned, room: width, size });
      }
    }
    const out = new Map();
    for (const name of names) {
      if (name.turned) {
        out.set(name.pin, { ...name, size: Math.round(name.size * 100) / 100 });
        continue;
      }
      const room = Math.max(0, name.room);
      let size = name.need <= room ? nameSize : Math.max(leastSize, nameSize * room / name.need);
      let text = name.text;
      if (text.length * charWidth * size > room) {
        size = leastSize;
        const fit = Math.floor(room / (charWidth * size));
        text = fit >= 2 ? `${text.slice(0, fit - 1)}\u2026` : '';
      }
      if (text) out.set(name.pin, { ...name, text, size: Math.round(size * 100) / 100 });
    }
    return out;
  }

  // A pin's name inside the body, beside the pin, reading away from it.
  function pinNameMarkup(name) {
    const { x1, y1, side, text, size, turned } = name;
    const style = size === nameSize ? {} : { style: `font-size:${size}px` };
    const horizontal = side === 'left' || side === 'right';
    if (turned) {
      // Across the pin: a top or bottom pin's name reads left to right, a
      // left or right pin's reads upward; either centred in its box.
      const [left, top, right, bottom] = turned;
      if (!horizontal) {
        return tag('text', { class: 'pin-name', x: (left + right) / 2, y: bottom - 0.2 * size,
          'text-anchor': 'middle', ...style }, text);
      }
      const x = right - 0.2 * size;
      const y = (top + bottom) / 2;
      return tag('text', { class: 'pin-name', x, y, 'text-anchor': 'middle',
        transform: `rotate(-90 ${x} ${y})`, ...style }, text);
    }
    if (horizontal) {
      const inward = side === 'left' ? 1 : -1;
      return tag('text', { class: 'pin-name', x: x1 + inset * inward, y: y1 + size * 0.36,
        'text-anchor': inward > 0 ? 'start' : 'end', ...style }, text);
    }
    const inward = side === 'top' ? 1 : -1;
    const x = x1 + size * 0.36;
    const y = y1 + inset * inward;
    return tag('text', { class: 'pin-name', x, y, 'text-anchor': inward > 0 ? 'end' : 'start',
      transform: `rotate(-90 ${x} ${y})`, ...style }, text);
  }

  // Places beside a body for a text, by side: where it stands and how it
  // is anchored.
  function slot(box, side) {
    const [x1, y1, x2, y2] = box;
    const middle = (y1 + y2) / 2 + 3.5;
    switch (side) {
      case 'top': return { x: x1, y: y1 - 4, anchor: 'start' };
      case 'left': return { x: x1 - 4, y: middle, anchor: 'end' };
      case 'right': return { x: x2 + 4, y: middle, anchor: 'start' };
      default: return { x: x1, y: y2 + 10, anchor: 'start' };
    }
  }

  // Where a part's reference and name go: the reference on the first side
  // without pins of top, left, right, bottom (else above the top pins'
  // ends); the name inside the body when it fits and no pin names are
  // there, shortened when it almost does; else on another side without
  // pins of right, bottom, left, top (else below the bottom pins' ends).
  // {ref: {x, y, anchor}, name: {x, y, anchor, text}}.
  function partTexts(info, box, sides, hasPinNames) {
    const [x1, y1, x2, y2] = box;
    const free = (side) => !sides.has(side);
    const refSide = ['top', 'left', 'right', 'bottom'].find(free);
    const ref = refSide ? slot(box, refSide) : { x: x1, y: y1 - 14, anchor: 'start' };
    const name = info.name;
    const room = Math.floor((x2 - x1 - 4) / partCharWidth);
    const inside = (text) => ({ x: (x1 + x2) / 2, y: (y1 + y2) / 2 + 4, anchor: 'middle', text });
    if (!hasPinNames && name.length <= room) return { ref, name: inside(name) };
    if (!hasPinNames && room >= 4) {
      return { ref, name: inside(`${name.slice(0, Math.max(1, room - 1))}\u2026`) };
    }
    const nameSide = ['right', 'bottom', 'left', 'top'].find((side) => free(side) &&
      side !== refSide);
    if (nameSide) return { ref, name: { ...slot(box, nameSide), text: name } };
    return { ref, name: { x: x1, y: y2 + 20, anchor: 'start', text: name } };
  }

  function isGround(name) {
    return /GND|VSS|GROUND|EARTH|^0V$/i.test(name);
  }

  // A power symbol: at each pin's root a bar across the pin (the ground
  // sign, three bars narrowing, for a ground name) and the power name
  // beyond it. {marks: markup, name: {x, y, anchor, text}}.
  function powerSymbol(info, part, pins) {
    const ground = isGround(info.name);
    let marks = '';
    let name = null;
    for (const [, x1, y1, x2, y2] of pins) {
      const length = Math.hypot(x1 - x2, y1 - y2) || 1;
      const dx = (x1 - x2) / length;
      const dy = (y1 - y2) / length;
      const bars = ground ? [[0, 7], [3, 4.5], [6, 2]] : [[0, 7]];
      for (const [at, half] of bars) {
        const cx = x1 + dx * at;
        const cy = y1 + dy * at;
        marks += tag('line', { class: 'item power-bar', x1: cx - dy * half, y1: cy + dx * half,
          x2: cx + dy * half, y2: cy - dx * half, 'data-part': part });
      }
      if (!name) {
        const beyond = ground ? 10 : 4;
        const tx = x1 + dx * beyond;
        const ty = y1 + dy * beyond;
        if (Math.abs(dy) >= Math.abs(dx)) {
          name = { x: tx, y: dy < 0 ? ty : ty + 7, anchor: 'middle', text: info.name };
        } else {
          name = { x: tx, y: ty + 3.5, anchor: dx > 0 ? 'start' : 'end', text: info.name };
        }
      }
    }
    return { marks, name };
  }

  return { tag, escape, sidesOf, pinNames, pinNameMarkup, partTexts, powerSymbol };
})();
