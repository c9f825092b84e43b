// The drawing of a sheet of a design (see page_data.h for its form) as SVG,
// shared by the pages of sheettool view and of sheettool diff: the items
// with the net, part, pin and bus group each stands for in its data-
// attributes, and its texts written when the view first shows them; and
// what else both pages do alike (the mouse on a drawing, the views it
// fits, elements of the panel).
'use strict';
/* global partDrawing */

// eslint-disable-next-line no-unused-vars
const sheetDrawing = (() => {
  const svgNS = 'http://www.w3.org/2000/svg';
  // The least scale (screen pixels to a drawing unit) at which texts are
  // legible, by their size: pin numbers and names; part names and tags;
  // references and labels. The style sheet hides them below it.
  const legible = { small: 1, middle: 0.6, large: 0.25 };
  // A choice is shown at least this many drawing units wide, with this
  // share of its size as a margin on every side.
  const focusSpan = 200;
  const focusMargin = 0.35;
  // The margin around a whole sheet, a share of its size.
  const wholeMargin = 0.04;

  const { tag, escape } = partDrawing;

  // A design as its JSON holds it, made ready to draw.
  function prepare(design) {
    // The pins come as rows, the one list of the design as long as its items.
    design.pins = design.pins.map(([key, number, sheet, part, net, name]) => ({
      key, number, sheet, part, net, name,
    }));
    return design;
  }

  // A sheet with its items, read from their text the first time it is
  // drawn.
  function sheetItems(design, index) {
    const sheet = design.sheets[index];
    if (typeof sheet.items === 'string') {
      Object.assign(sheet, JSON.parse(sheet.items));
      delete sheet.items;
    }
    return sheet;
  }

  // The drawing of one sheet, in its own coordinates, with the elements of
  // each net, part and bus group: {svg, index, texts, names}.
  function build(design, index) {
    const sheet = sheetItems(design, index);
    const colors = new Map();
    for (let i = 0; i < sheet.colors.length; i += 2) colors.set(sheet.colors[i], sheet.colors[i + 1]);
    const colorOf = (net) => colors.get(net) || 'var(--neutral)';
    // Finding marks lie under the texts, which stay readable over them.
    const layers = { bodies: [], buses: [], lines: [], dots: [], marks: [], names: [] };
    // Texts are written when the view first shows them (see addTexts):
    // each with its place, the zoom it needs and its markup's maker.
    const texts = [];
    const text = (x, y, level, make) => texts.push({ x, y, level, make, built: false });
    // Each part's pins on the sheet, and where its texts go.
    const pinsOf = new Map();
    for (const row of sheet.pins) {
      const part = design.pins[row[0]].part;
      if (!pinsOf.has(part)) pinsOf.set(part, []);
      pinsOf.get(part).push(row);
    }
    const pinNames = new Map();
    const nameOf = (pin) => design.pins[pin].name;
    // A part's texts: its reference chooses it when clicked; its name
    // and power name are lit with it.
    const textMarkup = (className, at, part, owner) => tag('text', { class: className,
      x: at.x, y: at.y, 'text-anchor': at.anchor, [owner ? 'data-owner' : 'data-part']: part },
    at.text);
    for (const [part, x1, y1, x2, y2, found] of sheet.parts) {
      const info = design.parts[part];
      const box = [x1, y1, x2, y2];
      const pins = pinsOf.get(part) || [];
      if (info.power) {
        // The body stays, unseen, to be clicked.
        layers.bodies.push(tag('rect', { class: 'item body power-body', x: x1, y: y1,
          width: x2 - x1, height: y2 - y1, 'data-part': part }));
        const symbol = partDrawing.powerSymbol(info, part, pins);
        layers.bodies.push(symbol.marks);
        if (symbol.name) {
          text(x1, y1, legible.middle, () => textMarkup('power-text', symbol.name, part, true));
        }
        continue;
      }
      layers.bodies.push(tag('rect', { class: found ? 'item body' : 'item body unknown', x: x1,
        y: y1, width: x2 - x1, height: y2 - y1, 'data-part': part }));
      const named = partDrawing.pinNames(box, pins, nameOf);
      for (const [pin, name] of named) pinNames.set(pin, name);
      const place = partDrawing.partTexts(info, box, partDrawing.sidesOf(pins), named.size > 0);
      if (info.label) {
        text(x1, y1, legible.large, () => textMarkup('ref-text', { ...place.ref,
          text: info.label }, part, false));
      }
      text(x1, y1, legible.middle, () => textMarkup('name-text', place.name, part, true));
    }
    for (const [x1, y1, x2, y2, bus] of sheet.buses) {
      layers.buses.push(tag('line', { class: 'item bus', x1, y1, x2, y2, 'data-bus': bus }));
    }
    // The rows a large sheet has thousands of are written without the
    // help of tag(): their values are numbers and colours.
    const line = (kind, x1, y1, x2, y2, net, more) => `<line class="item ${kind}" x1="${x1}" ` +
      `y1="${y1}" x2="${x2}" y2="${y2}" stroke="${colorOf(net)}" data-net="${net}"${more}/>`;
    for (const [x1, y1, x2, y2, net, bus] of sheet.entries) {
      layers.lines.push(line('entry', x1, y1, x2, y2, net, ` data-bus="${bus}"`));
    }
    for (const [x1, y1, x2, y2, net] of sheet.wires) {
      layers.lines.push(line('wire', x1, y1, x2, y2, net, ''));
    }
    for (const [pin, x1, y1, x2, y2, nx, ny, net] of sheet.pins) {
      const info = design.pins[pin];
      layers.lines.push(line('pin', x1, y1, x2, y2, net,
        ` data-pin="${pin}" data-owner="${info.part}"`));
      text(nx, ny, legible.small, () => `<text class="number-text" x="${nx}" y="${ny}">` +
        `${escape(info.number)}</text>`);
      const name = pinNames.get(pin);
      if (name) text(x1, y1, legible.small, () => partDrawing.pinNameMarkup(name));
    }
    for (const [outline, tx, ty, name, net, bus, half] of sheet.tags) {
      layers.lines.push(tag('polygon', { class: 'item tag', points: outline.join(' '),
        stroke: colorOf(net), 'data-net': net, 'data-bus': bus }));
      // A tag drawn lower than most, stacked close to another, has its
      // text sized to its outline.
      const size = half < 8 ? { style: `font-size:${Math.max(2, 2 * half - 1.5)}px` } : {};
      text(tx, ty, legible.middle, () => tag('text', { class: 'item tag-text', x: tx, y: ty,
        'text-anchor': 'middle', 'data-net': net, 'data-bus': bus, ...size }, name));
    }
    for (const [x, y, name, net, vertical, bus] of sheet.labels) {
      const attributes = { class: 'item label-text', x, y: y - 4, 'data-net': net,
        'data-bus': bus };
      if (vertical) attributes.transform = `rotate(-90 ${x} ${y})`;
      text(x, y, legible.large, () => tag('text', attributes, name));
    }
    for (const [x, y, net] of sheet.junctions) {
      layers.dots.push(tag('line', { class: 'item dot', x1: x, y1: y, x2: x, y2: y,
        'data-net': net }));
    }
    design.findings.forEach((finding, number) => {
      if (finding.sheet !== sheet.number) return;
      const [x, y] = finding.at;
      const at = { x1: x, y1: y, x2: x, y2: y, 'data-finding': number };
      layers.marks.push(tag('line', { ...at, class: `finding-mark ${finding.severity}` }));
      layers.marks.push(tag('line', { ...at, class: 'finding-eye' }));
    });
    const [minX, minY, maxX, maxY] = sheet.paper;
    let markup = tag('rect', { class: 'paper', x: minX, y: minY, width: maxX - minX,
      height: maxY - minY });
    for (const name in layers) markup += `<g class="${name}">${layers[name].join('')}</g>`;
    const svg = document.createElementNS(svgNS, 'svg');
    svg.setAttribute('preserveAspectRatio', 'none');
    svg.innerHTML = markup;
    return { svg, index, texts, names: svg.querySelector('g.names') };
  }

  // Writes the texts of a drawing that are legible at a scale (screen
  // pixels to a drawing unit) and stand in a box {x, y, w, h} (null: the
  // whole sheet) and are not written yet: a large sheet is drawn without
  // the thousands of texts its whole view cannot show.
  function addTexts(target, box, scale) {
    let markup = '';
    for (const item of target.texts) {
      if (item.built || scale < item.level) continue;
      if (box && (item.x < box.x || item.x > box.x + box.w || item.y < box.y ||
          item.y > box.y + box.h)) continue;
      item.built = true;
      markup += item.make();
    }
    if (markup) target.names.insertAdjacentHTML('beforeend', markup);
    return markup !== '';
  }


  // The box around some rows of a sheet, each with its points
  // from `points`, or null when none is there.
  function boxOf(rows, take, points) {
    let box = null;
    for (const row of rows) {
      if (!take(row)) continue;
      const xy = points(row);
      for (let i = 0; i < xy.length; i += 2) {
        if (!box) box = [xy[i], xy[i + 1], xy[i], xy[i + 1]];
        box = [Math.min(box[0], xy[i]), Math.min(box[1], xy[i + 1]),
          Math.max(box[2], xy[i]), Math.max(box[3], xy[i + 1])];
      }
    }
    return box;
  }

  function union(...boxes) {
    const found = boxes.filter(Boolean);
    if (found.length === 0) return null;
    return found.reduce((a, b) => [Math.min(a[0], b[0]), Math.min(a[1], b[1]),
      Math.max(a[2], b[2]), Math.max(a[3], b[3])]);
  }

  // The box of a net, a part or a bus group on a sheet whose items are read.
  function netBox(sheet, net) {
    const line = (row) => row.slice(0, 4);
    return union(
      boxOf(sheet.wires, (row) => row[4] === net, line),
      boxOf(sheet.entries, (row) => row[4] === net, line),
      boxOf(sheet.pins, (row) => row[7] === net, (row) => row.slice(1, 5)),
      boxOf(sheet.labels, (row) => row[3] === net, (row) => row.slice(0, 2)),
      boxOf(sheet.tags, (row) => row[4] === net, (row) => row[0]));
  }

  function partBox(design, sheet, part) {
    return union(
      boxOf(sheet.parts, (row) => row[0] === part, (row) => row.slice(1, 5)),
      boxOf(sheet.pins, (row) => design.pins[row[0]].part === part, (row) => row.slice(1, 5)));
  }

  function busBox(sheet, bus) {
    return union(
      boxOf(sheet.buses, (row) => row[4] === bus, (row) => row.slice(0, 4)),
      boxOf(sheet.entries, (row) => row[5] === bus, (row) => row.slice(0, 4)));
  }

  // The scale (screen pixels to a drawing unit) at which a box with a
  // margin (a share of its size on every side) fills a canvas of a size
  // {width, height}.
  function scaleOf(box, margin, size) {
    const [minX, minY, maxX, maxY] = box;
    const spanX = (maxX - minX) * (1 + 2 * margin) || 1;
    const spanY = (maxY - minY) * (1 + 2 * margin) || 1;
    return Math.min(size.width / spanX, size.height / spanY);
  }

  // The view box {x, y, w, h} that shows a box with a margin in the middle
  // of a canvas, as wide against its height as the canvas.
  function viewOf(box, margin, size) {
    const [minX, minY, maxX, maxY] = box;
    const scale = scaleOf(box, margin, size);
    const w = size.width / scale;
    const h = size.height / scale;
    return { x: (minX + maxX) / 2 - w / 2, y: (minY + maxY) / 2 - h / 2, w, h };
  }

  // What to show of a sheet (its extent `whole`) for a box on it: the box
  // large enough to see what is around it, or the whole sheet where that
  // would show hardly more. {box, margin}.
  function focusOf(box, whole, size) {
    let [minX, minY, maxX, maxY] = box;
    const growX = Math.max(0, focusSpan - (maxX - minX)) / 2;
    const growY = Math.max(0, focusSpan - (maxY - minY)) / 2;
    minX -= growX;
    maxX += growX;
    minY -= growY;
    maxY += growY;
    const grown = [minX, minY, maxX, maxY];
    if (scaleOf(grown, focusMargin, size) < scaleOf(whole, wholeMargin, size) * 1.25) {
      return { box: whole, margin: wholeMargin };
    }
    return { box: grown, margin: focusMargin };
  }

  // An element of the page, with a text and a parent if given.
  function html(name, text, parent) {
    const element = document.createElement(name);
    if (text !== undefined) element.textContent = text;
    if (parent) parent.appendChild(element);
    return element;
  }

  function count(number, noun) {
    return `${number} ${noun}${number === 1 ? '' : 's'}`;
  }

  // The mouse on a canvas: the wheel zooms about the pointer, a drag pans,
  // a press and release that did not move is a click. `view()` is the view
  // box shown, `setView(view)` shows another, `moved()` tells that the
  // user moved it, `box()` is where the canvas lies on the screen.
  function panAndZoom(canvas, { view, setView, moved, box, click }) {
    canvas.addEventListener('wheel', (event) => {
      event.preventDefault();
      const shown = view();
      if (!shown) return;
      moved();
      const factor = Math.exp(event.deltaY * 0.0015);
      const { left, top, width, height } = box();
      const x = shown.x + ((event.clientX - left) / width) * shown.w;
      const y = shown.y + ((event.clientY - top) / height) * shown.h;
      setView({ x: x - (x - shown.x) * factor, y: y - (y - shown.y) * factor,
        w: shown.w * factor, h: shown.h * factor });
    }, { passive: false });
    let drag = null;
    canvas.addEventListener('pointerdown', (event) => {
      drag = { x: event.clientX, y: event.clientY, view: view(), moved: false };
      canvas.setPointerCapture(event.pointerId);
    });
    canvas.addEventListener('pointermove', (event) => {
      if (!drag || !drag.view) return;
      const dx = event.clientX - drag.x;
      const dy = event.clientY - drag.y;
      if (Math.abs(dx) + Math.abs(dy) > 3) drag.moved = true;
      if (!drag.moved) return;
      moved();
      canvas.classList.add('dragging');
      const scale = drag.view.w / box().width;
      setView({ ...drag.view, x: drag.view.x - dx * scale, y: drag.view.y - dy * scale });
    });
    canvas.addEventListener('pointerup', (event) => {
      canvas.classList.remove('dragging');
      const dragged = drag && drag.moved;
      drag = null;
      if (!dragged) click(event);
    });
  }

  return { svgNS, legible, wholeMargin, escape, tag, prepare, sheetItems, build, addTexts, boxOf,
    union, netBox, partBox, busBox, viewOf, focusOf, html, count, panAndZoom };
})();
