// The review page of sheettool diff: the old and the new revision of each
// sheet file compared, drawn with view's drawing (sheet_drawing.js) at one
// zoom and place, and every line of the text report listed (see
// review_page.h for the data). What a change names is drawn in its colour
// on both sides, the rest of a sheet with changes greyed; choosing a line
// zooms both sides to it and lights what it names. The address's fragment
// (#change=N, counted from 1 as the report's lines but its headers; or
// #sheet=N, with &file=K past the first file) chooses on load and follows
// the choice; n and p step through the changes.
'use strict';
/* global sheetDrawing */

(() => {
  const review = JSON.parse(document.getElementById('review').textContent);
  const { legible, wholeMargin, html, count } = sheetDrawing;
  const groupTitles = {
    files: 'Sheet files',
    configuration: 'Configuration',
    library: 'Library parts',
    parts: 'Parts',
    nets: 'Nets',
    pins: 'Pins',
  };
  // A detail table shows this many rows at most.
  const detailRows = 200;
  // The ring around a change's place, in screen pixels.
  const placeRadius = 14;
  // Where the reviewer's choice of layout is kept between pages.
  const layoutKey = 'sheettool-review-layout';
  // The revision a file is not in: no sheets.
  const nothing = { sheets: [], parts: [], pins: [], nets: [], busGroups: [], findings: [] };

  // Each file compared, its sides drawn into the one pair of canvases.
  let first = 0;
  const files = review.files.map((file, index) => {
    const sides = ['old', 'new'].map((name) => ({
      name,
      design: sheetDrawing.prepare(file[name] || nothing),
      canvas: document.getElementById(name),
      figure: document.getElementById(`${name}-side`),
      drawing: null, // as sheetDrawing.build made it, or null where the sheet is missing
      found: null, // the drawing's elements by part, net and pin
      byLib: null, // the parts of each library part, made when first asked
    }));
    const numbers = new Set(sides.flatMap((side) => side.design.sheets
      .map((sheet) => sheet.number)));
    const entry = { ...file, index, sides, first, sheetNumbers: [...numbers].sort((a, b) => a - b) };
    first += file.changes.length;
    return entry;
  });
  // Every change, counted across the files, with what it names on each
  // side in full (the page leaves out what names nothing).
  const inFull = (side) => ({ parts: [], nets: [], pins: [], lib: '', libPins: [], ...side });
  const changes = files.flatMap((file) => file.changes.map((change) => ({ ...change,
    old: inFull(change.old), new: inFull(change.new), file: file.index })));
  let sides = files.length > 0 ? files[0].sides : [];
  const sheetBar = document.getElementById('sheets');
  const detail = document.getElementById('detail');
  const sidesBox = document.getElementById('sides');
  const state = {
    file: 0,
    sheet: null, // the sheet number shown
    change: -1,
    view: null,
    fitted: null,
    layout: 'side',
    shown: 'new', // the side shown one over the other
  };

  function partsOfLib(side, lib) {
    if (!side.byLib) {
      side.byLib = new Map();
      side.design.parts.forEach((part, index) => {
        if (!side.byLib.has(part.lib)) side.byLib.set(part.lib, []);
        side.byLib.get(part.lib).push(index);
      });
    }
    return side.byLib.get(lib) || [];
  }

  // What a change names on one side: {parts, nets, pins, bodies}, a
  // library part's placed parts among the parts and the pins it names of
  // them among the pins. With `bodies`, the parts are named by their
  // bodies and texts alone, so that the pins named stand out.
  function namesOn(change, side) {
    const names = change[side.name];
    if (!names.lib) return names;
    const parts = names.parts.concat(partsOfLib(side, names.lib));
    const numbers = new Set(names.libPins);
    const pins = names.pins.concat(parts.flatMap((part) => side.design.parts[part].pins
      .filter((pin) => numbers.has(String(side.design.pins[pin].number)))));
    return { parts, nets: names.nets, pins, bodies: numbers.size > 0 };
  }

  // The sheet a change is shown on: its place's, else the first that holds
  // something it names.
  function sheetOfChange(change) {
    if (change.sheet >= 0) return change.sheet;
    const [before, after] = files[change.file].sides;
    for (const side of [after, before]) {
      const { parts, pins } = namesOn(change, side);
      if (parts.length > 0) return side.design.parts[parts[0]].sheet;
      if (pins.length > 0) return side.design.pins[pins[0]].sheet;
    }
    return null;
  }
  const changeSheets = changes.map(sheetOfChange);

  const shownFile = () => files[state.file];

  function sheetIndex(side, number) {
    return side.design.sheets.findIndex((sheet) => sheet.number === number);
  }

  // The elements of a drawing by what they stand for.
  // The elements of a drawing by what they stand for (a part's with and
  // without its pins): all of them when it is built, the texts added since
  // when texts are written.
  function findElements(side, texts = false) {
    if (!texts) {
      side.found = { part: new Map(), body: new Map(), net: new Map(), pin: new Map(), texts: 0 };
    }
    const found = side.found;
    const add = (map, key, element) => {
      if (!map.has(key)) map.set(key, []);
      map.get(key).push(element);
    };
    const take = (element) => {
      const data = element.dataset;
      if (data.part !== undefined) add(found.part, Number(data.part), element);
      if (data.owner !== undefined) add(found.part, Number(data.owner), element);
      if (data.owner !== undefined && data.pin === undefined) {
        add(found.body, Number(data.owner), element);
      }
      if (data.part !== undefined) add(found.body, Number(data.part), element);
      if (data.net !== undefined && Number(data.net) >= 0) add(found.net, Number(data.net), element);
      if (data.pin !== undefined) add(found.pin, Number(data.pin), element);
    };
    const written = side.drawing.names.children;
    if (texts) {
      for (let i = found.texts; i < written.length; i += 1) take(written[i]);
    } else {
      const selector = '[data-part], [data-owner], [data-net], [data-pin]';
      for (const element of side.drawing.svg.querySelectorAll(selector)) take(element);
    }
    found.texts = written.length;
  }

  // The elements a change names on a side, with the mark each takes: parts
  // and pins the change's kind, nets lit (or the kind, where the change
  // is the net's own). A part or net added is marked on the new side
  // alone, one removed on the old; a pin connected or disconnected is
  // there on both sides, and marked changed on both.
  function marksOf(change, side) {
    const pin = change.group === 'pins';
    if (!pin && ((change.kind === 'added' && side.name === 'old') ||
        (change.kind === 'removed' && side.name === 'new'))) return [];
    const kind = pin ? 'mark-changed' : `mark-${change.kind}`;
    const names = namesOn(change, side);
    const out = [];
    const take = (map, keys, name) => {
      for (const key of keys) {
        for (const element of map.get(key) || []) out.push([element, name]);
      }
    };
    take(side.found.net, names.nets, change.group === 'nets' ? kind : 'mark-net');
    take(names.bodies ? side.found.body : side.found.part, names.parts, kind);
    take(side.found.pin, names.pins, kind);
    return out;
  }

  // The changes of the shown file that name something on a sheet, by
  // sheet, made when first asked: a sheet is marked without going through
  // the changes of every other.
  function changesOn(sheet) {
    const file = shownFile();
    if (!file.bySheet) {
      file.bySheet = new Map();
      for (let index = file.first; index < file.first + file.changes.length; index += 1) {
        const sheets = new Set();
        for (const side of file.sides) {
          const { parts, nets, pins } = namesOn(changes[index], side);
          const design = side.design;
          for (const part of parts) sheets.add(design.parts[part].sheet);
          for (const pin of pins) sheets.add(design.pins[pin].sheet);
          for (const net of nets) design.nets[net].sheets.forEach((each) => sheets.add(each));
        }
        for (const each of sheets) {
          if (!file.bySheet.has(each)) file.bySheet.set(each, []);
          file.bySheet.get(each).push(index);
        }
      }
    }
    return file.bySheet.get(sheet) || [];
  }

  // Every change's marks on the drawings of the shown sheet. An element
  // named by several changes takes the weightiest mark: a part's or pin's
  // own over the light of its net.
  const markNames = ['mark-net', 'mark-changed', 'mark-added', 'mark-removed'];
  const weight = (name) => (name === 'mark-net' ? 1 : 2);
  function mark() {
    for (const side of sides) {
      if (!side.drawing) continue;
      const svg = side.drawing.svg;
      for (const element of svg.querySelectorAll('.mark-net, .mark-changed, .mark-added, ' +
        '.mark-removed')) element.classList.remove(...markNames);
      const marks = new Map();
      for (const index of changesOn(state.sheet)) {
        for (const [element, name] of marksOf(changes[index], side)) {
          const had = marks.get(element);
          if (!had || weight(name) > weight(had)) marks.set(element, name);
        }
      }
      for (const [element, name] of marks) element.classList.add(name);
      svg.classList.toggle('reviewed', marks.size > 0);
    }
    light();
  }

  // The chosen change lit on both sides, the rest faded; a change that
  // names nothing drawn (the configuration) fades nothing.
  function light() {
    for (const side of sides) {
      if (!side.drawing) continue;
      const svg = side.drawing.svg;
      for (const element of svg.querySelectorAll('.chosen')) element.classList.remove('chosen');
      const chosen = state.change >= 0 && changes[state.change].file === state.file
        ? marksOf(changes[state.change], side) : [];
      for (const [element] of chosen) element.classList.add('chosen');
      svg.classList.toggle('choosing', chosen.length > 0);
      placeRing(side);
    }
  }

  // A ring at the chosen change's place, on both sides.
  function placeRing(side) {
    const svg = side.drawing.svg;
    svg.querySelector('.change-place')?.remove();
    const change = changes[state.change];
    if (!change || change.file !== state.file || !change.at || change.sheet !== state.sheet) {
      return;
    }
    const ring = document.createElementNS(sheetDrawing.svgNS, 'circle');
    ring.setAttribute('class', 'change-place');
    ring.setAttribute('cx', change.at[0]);
    ring.setAttribute('cy', change.at[1]);
    ring.setAttribute('r', state.view ? placeRadius * state.view.w / shownCanvas().width : 10);
    svg.appendChild(ring);
  }

  // Where the canvas shown lies on the screen (the old side's, side by
  // side: both are the same size), measured when the layout or its size
  // changes: measuring it after each drawing would lay the drawings out.
  let canvasBox = null;
  function shownCanvas() {
    if (!canvasBox) {
      const name = state.layout === 'overlaid' ? state.shown : 'old';
      const box = document.getElementById(name).getBoundingClientRect();
      canvasBox = { left: box.left, top: box.top, width: box.width || 1, height: box.height || 1 };
    }
    return canvasBox;
  }

  // One view box on both sides; texts legible at its scale written.
  function setView(view) {
    state.view = view;
    const box = shownCanvas();
    const scale = box.width / view.w;
    let added = false;
    for (const side of sides) {
      if (!side.drawing) continue;
      const svg = side.drawing.svg;
      svg.setAttribute('viewBox', `${view.x} ${view.y} ${view.w} ${view.h}`);
      svg.style.setProperty('--unit', `${1 / scale}px`);
      svg.classList.toggle('far', scale < legible.small);
      svg.classList.toggle('distant', scale < legible.middle);
      svg.classList.toggle('remote', scale < legible.large);
      const margin = Math.max(view.w, view.h) * 0.25;
      if (sheetDrawing.addTexts(side.drawing, { x: view.x - margin, y: view.y - margin,
        w: view.w + 2 * margin, h: view.h + 2 * margin }, scale)) {
        findElements(side, true);
        added = true;
      }
      const ring = svg.querySelector('.change-place');
      if (ring) ring.setAttribute('r', placeRadius / scale);
    }
    if (added) mark();
    document.body.dataset.view = `${view.x} ${view.y} ${view.w} ${view.h}`;
    document.body.dataset.canvas = `${box.left} ${box.top} ${box.width} ${box.height}`;
  }

  // The box of both sides' drawings of the shown sheet.
  function wholeBox() {
    return sheetDrawing.union(...sides.map((side) => side.drawing &&
      side.design.sheets[side.drawing.index].extent)) || [0, 0, 1, 1];
  }

  function fit(box, margin = wholeMargin) {
    state.fitted = { box, margin };
    setView(sheetDrawing.viewOf(box, margin, shownCanvas()));
  }

  function wholeSheet() {
    fit(wholeBox());
  }

  // The box of what a change names on the shown sheet, both sides.
  function changeBox(change) {
    const boxes = [];
    for (const side of sides) {
      if (!side.drawing) continue;
      const sheet = side.design.sheets[side.drawing.index];
      const names = namesOn(change, side);
      const pins = new Set(names.pins);
      for (const part of names.parts) {
        boxes.push(sheetDrawing.partBox(side.design, sheet, part));
      }
      for (const net of names.nets) boxes.push(sheetDrawing.netBox(sheet, net));
      boxes.push(sheetDrawing.boxOf(sheet.pins, (row) => pins.has(row[0]),
        (row) => row.slice(1, 5)));
    }
    if (change.at && change.sheet === state.sheet) boxes.push([...change.at, ...change.at]);
    return sheetDrawing.union(...boxes);
  }

  // Draws a sheet on both sides, whole unless `whole` is false (the view
  // is set next).
  function drawSheet(number, whole = true) {
    state.sheet = number;
    for (const side of sides) {
      const index = sheetIndex(side, number);
      side.drawing = index >= 0 ? sheetDrawing.build(side.design, index) : null;
      if (side.drawing) {
        side.canvas.replaceChildren(side.drawing.svg);
        findElements(side);
      } else {
        const missing = html('div', `No sheet ${number} in this revision`);
        missing.className = 'missing';
        side.canvas.replaceChildren(missing);
      }
    }
    for (const button of sheetBar.querySelectorAll('button[data-number]')) {
      button.classList.toggle('current', Number(button.dataset.number) === number);
    }
    document.body.dataset.sheet = String(number);
    mark();
    if (whole) wholeSheet();
  }

  function showSheet(number, whole = true) {
    if (number !== null && number !== state.sheet && shownFile().sheetNumbers.includes(number)) {
      drawSheet(number, whole);
    }
  }

  function updateAddress() {
    let text = '';
    const file = state.file > 0 ? `&file=${state.file + 1}` : '';
    if (state.change >= 0) text = `change=${state.change + 1}`;
    else if (state.sheet !== shownFile().sheetNumbers[0] || file) text = `sheet=${state.sheet}${file}`;
    history.replaceState(null, '', text ? `#${text}` : location.pathname + location.search);
    document.body.dataset.change = state.change >= 0 ? String(state.change + 1) : '';
  }

  // Chooses a change: its sheet shown, both sides zoomed to what it names
  // (unless it was clicked on the drawing), its entry and detail shown.
  function choose(index, { zoom = true } = {}) {
    state.change = index;
    showFile(changes[index].file, changeSheets[index]);
    showSheet(changeSheets[index], !zoom);
    light();
    for (const item of document.querySelectorAll('#changes li.active')) {
      item.classList.remove('active');
    }
    const entry = document.querySelector(`#changes li[data-change="${index + 1}"]`);
    if (entry) {
      entry.classList.add('active');
      // Brought into sight once the drawings are laid out anyway.
      requestAnimationFrame(() => entry.scrollIntoView({ block: 'nearest' }));
    }
    showDetail(index);
    if (zoom) {
      const box = changeBox(changes[index]);
      const sheet = sides.find((side) => side.drawing);
      if (box && sheet) {
        const shown = sheetDrawing.focusOf(box, wholeBox(), shownCanvas());
        fit(shown.box, shown.margin);
      } else {
        wholeSheet();
      }
    }
    updateAddress();
  }

  function clearChoice() {
    state.change = -1;
    light();
    for (const item of document.querySelectorAll('#changes li.active')) {
      item.classList.remove('active');
    }
    detail.hidden = true;
    updateAddress();
  }

  function step(by) {
    if (changes.length === 0) return;
    const next = state.change < 0 ? (by > 0 ? 0 : changes.length - 1)
      : (state.change + by + changes.length) % changes.length;
    choose(next);
  }

  function netKey(side, net) {
    return net >= 0 ? side.design.nets[net].key : '(no net)';
  }

  // A table of rows [cells], each cell a text or [text, class], under a
  // head; the first rows only, where there are many.
  function table(head, rows) {
    const element = html('table', undefined, detail);
    element.className = 'compare';
    const top = html('tr', undefined, element);
    for (const title of head) html('th', title, top);
    for (const row of rows.slice(0, detailRows)) {
      const line = html('tr', undefined, element);
      for (const cell of row) {
        const [text, name] = Array.isArray(cell) ? cell : [cell, ''];
        const td = html('td', text, line);
        if (name) td.className = name;
      }
    }
    if (rows.length > detailRows) html('div', `and ${rows.length - detailRows} more`, detail);
  }

  // A part's pins, by their numbers, and their nets before and after.
  function partDetail(oldPart, newPart) {
    const [before, after] = sides;
    const rows = new Map();
    const pinsOf = (side, part) => (part === undefined ? []
      : side.design.parts[part].pins.map((pin) => side.design.pins[pin]));
    for (const pin of pinsOf(before, oldPart)) {
      rows.set(pin.number, { name: pin.name, before: netKey(before, pin.net), after: null });
    }
    for (const pin of pinsOf(after, newPart)) {
      const row = rows.get(pin.number) || { name: pin.name, before: null };
      row.after = netKey(after, pin.net);
      rows.set(pin.number, row);
    }
    const info = newPart !== undefined ? after.design.parts[newPart]
      : before.design.parts[oldPart];
    html('h3', `${info.label || '(without reference)'} ${info.name || info.lib}`, detail);
    table(['pin', 'name', 'before', 'after'], [...rows].map(([number, row]) => [
      number, row.name,
      row.before === null ? '' : [row.before, row.after === null ? 'gone' : ''],
      row.after === null ? '' : [row.after, row.before === null ? 'new'
        : row.before !== row.after ? 'moved' : ''],
    ]));
  }

  // A revision's pins by their keys (R1.2), made when first asked.
  function pinsByKey(side) {
    if (!side.byKey) {
      side.byKey = new Map(side.design.pins.map((pin, index) => [pin.key, index]));
    }
    return side.byKey;
  }

  // The pins of the nets a change names on either side, each with its net
  // in both revisions.
  function netDetail(change) {
    const keys = new Set();
    for (const side of sides) {
      for (const net of change[side.name].nets) {
        for (const pin of side.design.nets[net].pins) keys.add(side.design.pins[pin].key);
      }
    }
    if (keys.size === 0) return;
    const netOn = (side, key) => {
      const pin = pinsByKey(side).get(key);
      return pin === undefined ? null : netKey(side, side.design.pins[pin].net);
    };
    const [before, after] = sides;
    html('h3', 'Pins of its nets', detail);
    table(['pin', 'before', 'after'], [...keys].map((key) => {
      const was = netOn(before, key);
      const is = netOn(after, key);
      return [key, was === null ? '' : [was, is === null ? 'gone' : ''],
        is === null ? '' : [is, was === null ? 'new' : was !== is ? 'moved' : '']];
    }));
  }

  // A library part's pins as the first part placed of it has them, old and
  // new.
  function libraryDetail(lib) {
    const rows = new Map();
    sides.forEach((side, at) => {
      const part = partsOfLib(side, lib)[0];
      if (part === undefined) return;
      for (const pin of side.design.parts[part].pins) {
        const info = side.design.pins[pin];
        const row = rows.get(info.number) || ['', ''];
        row[at] = info.name || '(no name)';
        rows.set(info.number, row);
      }
    });
    html('h3', `Pins of ${lib}`, detail);
    table(['pin', 'old name', 'new name'], [...rows].map(([number, [was, is]]) => [
      number, [was, is === '' ? 'gone' : ''], [is, was === '' ? 'new' : was !== is ? 'moved' : ''],
    ]));
  }

  function showDetail(index) {
    const change = changes[index];
    detail.replaceChildren();
    html('h2', `Change ${index + 1} of ${changes.length}: ${groupTitles[change.group]}`, detail);
    html('p', change.text.trim(), detail).className = 'message';
    if (change.new.lib || change.old.lib) libraryDetail(change.new.lib || change.old.lib);
    const parts = Math.max(change.old.parts.length, change.new.parts.length);
    for (let i = 0; i < parts; i += 1) partDetail(change.old.parts[i], change.new.parts[i]);
    if (change.group === 'nets' || change.group === 'pins') netDetail(change);
    detail.hidden = false;
  }

  // The list: each file's changes (under the file's name where there are
  // several), grouped as the report groups them.
  function fillChanges() {
    const list = document.getElementById('changes');
    if (changes.length === 0) {
      html('div', 'No change: both revisions connect the same.', list).className = 'empty';
      return;
    }
    let group = null;
    let entries = null;
    let place = list;
    changes.forEach((change, index) => {
      const file = files[change.file];
      if (files.length > 1 && index === file.first) {
        place = html('section', undefined, list);
        place.className = 'file';
        html('h2', file.path, place);
        group = null;
      }
      if (change.group !== group) {
        group = change.group;
        const section = html('details', undefined, place);
        section.open = true;
        const summary = html('summary', `${groupTitles[group]} `, section);
        html('span', '', summary).className = 'count';
        entries = html('ol', undefined, section);
        entries.className = 'list';
      }
      const item = html('li', change.text, entries);
      item.dataset.change = String(index + 1);
      item.className = change.kind;
      item.title = change.kind;
    });
    for (const section of list.querySelectorAll('details')) {
      section.querySelector('.count').textContent = section.querySelectorAll('li').length;
    }
    list.addEventListener('click', (event) => {
      const item = event.target.closest('li[data-change]');
      if (item) choose(Number(item.dataset.change) - 1);
    });
  }

  // The shown file's sheets, each with the number of changes it holds.
  function fillSheetButtons() {
    const buttons = document.getElementById('sheet-buttons');
    buttons.replaceChildren();
    const file = shownFile();
    const perSheet = new Map();
    for (let i = file.first; i < file.first + file.changes.length; i += 1) {
      perSheet.set(changeSheets[i], (perSheet.get(changeSheets[i]) || 0) + 1);
    }
    for (const number of file.sheetNumbers) {
      const button = html('button', number === 0 ? 'before sheet 1' : `sheet ${number}`, buttons);
      button.dataset.number = number;
      const held = perSheet.get(number) || 0;
      if (held > 0) {
        html('span', String(held), button).className = 'changes';
        button.title = count(held, 'change');
      }
      button.addEventListener('click', () => {
        state.change = -1;
        drawSheet(number);
        clearChoice();
      });
    }
  }

  function fillSheetBar() {
    if (files.length > 1) {
      const choice = html('select', undefined, sheetBar);
      choice.id = 'file';
      choice.title = 'The sheet file shown';
      for (const file of files) {
        html('option', `${file.path} (${count(file.changes.length, 'change')})`, choice)
          .value = String(file.index);
      }
      choice.addEventListener('change', () => {
        state.change = -1;
        showFile(Number(choice.value), null);
        clearChoice();
      });
    }
    html('span', undefined, sheetBar).id = 'sheet-buttons';
    const tools = html('span', undefined, sheetBar);
    tools.className = 'tools';
    for (const [id, text, action, hint] of [
      ['previous', 'Previous', () => step(-1), 'The change before (p)'],
      ['next', 'Next', () => step(1), 'The next change (n)'],
      ['whole', 'Whole sheet', wholeSheet, 'Show the whole sheet (Home)'],
      ['layout', '', toggleLayout, 'Side by side, or one over the other (l)'],
      ['swap', '', swapSide, 'Show the other revision (s)'],
    ]) {
      const button = html('button', text, tools);
      button.id = id;
      button.title = hint;
      button.addEventListener('click', action);
    }
  }

  // Shows a file: its names, its sheet buttons, and a sheet of it (the
  // one asked for, else the first with a change, else its first).
  function showFile(index, sheet) {
    if (index === state.file && state.sheet !== null) return;
    state.file = index;
    const file = shownFile();
    sides = file.sides;
    document.getElementById('old-name').textContent = file.oldName;
    document.getElementById('new-name').textContent = file.newName;
    const choice = document.getElementById('file');
    if (choice) choice.value = String(index);
    document.body.dataset.file = String(index + 1);
    fillSheetButtons();
    const numbers = file.sheetNumbers;
    const changed = changeSheets.slice(file.first, file.first + file.changes.length)
      .find((number) => numbers.includes(number));
    state.sheet = null;
    if (numbers.length === 0) return;
    drawSheet(numbers.includes(sheet) ? sheet : changed !== undefined ? changed : numbers[0]);
  }

  // The layout: side by side, or one over the other with the switch.
  function applyLayout() {
    canvasBox = null;
    sidesBox.classList.toggle('overlaid', state.layout === 'overlaid');
    for (const side of sides) side.figure.classList.toggle('shown', side.name === state.shown);
    document.getElementById('layout').textContent = state.layout === 'overlaid'
      ? 'Side by side' : 'One over the other';
    const swap = document.getElementById('swap');
    swap.hidden = state.layout !== 'overlaid';
    swap.textContent = state.shown === 'new' ? 'Show old' : 'Show new';
    document.body.dataset.layout = state.layout;
  }

  function keepView() {
    canvasBox = null;
    if (!state.view) return;
    if (state.fitted) fit(state.fitted.box, state.fitted.margin);
    else setView(state.view);
  }

  function toggleLayout() {
    state.layout = state.layout === 'overlaid' ? 'side' : 'overlaid';
    try {
      localStorage.setItem(layoutKey, state.layout);
    } catch (error) {
      // A page opened where nothing may be stored keeps its layout for now.
    }
    applyLayout();
    keepView();
  }

  function swapSide() {
    state.shown = state.shown === 'new' ? 'old' : 'new';
    applyLayout();
  }

  // The first change that names an element of a side's drawing.
  function changeOf(side, element) {
    const data = element.dataset;
    const is = (names) => (data.pin !== undefined && names.pins.includes(Number(data.pin))) ||
      (data.part !== undefined && names.parts.includes(Number(data.part))) ||
      (data.owner !== undefined && names.parts.includes(Number(data.owner))) ||
      (data.net !== undefined && names.nets.includes(Number(data.net)));
    return changes.findIndex((change, index) => change.file === state.file &&
      changeSheets[index] === state.sheet &&
      marksOf(change, side).length > 0 && is(namesOn(change, side)));
  }

  for (const name of ['old', 'new']) {
    const canvas = document.getElementById(name);
    sheetDrawing.panAndZoom(canvas, {
      view: () => state.view,
      setView,
      moved: () => {
        state.fitted = null;
      },
      box: () => canvas.getBoundingClientRect(),
      click: (event) => {
        const side = sides.find((each) => each.name === name);
        if (!side || !side.drawing) return;
        const target = document.elementFromPoint(event.clientX, event.clientY);
        const index = target && side.drawing.svg.contains(target) ? changeOf(side, target) : -1;
        if (index >= 0) choose(index, { zoom: false });
        else clearChoice();
      },
    });
    new ResizeObserver(keepView).observe(canvas);
  }

  // #change=N (counted from 1), or #sheet=N with &file=K (from 1).
  function chooseFromFragment() {
    const fields = new Map(location.hash.replace(/^#/, '').split('&')
      .map((field) => field.split('=')));
    const change = Number(fields.get('change')) - 1;
    const sheet = Number(fields.get('sheet'));
    const file = fields.has('file') ? Number(fields.get('file')) - 1 : 0;
    if (Number.isInteger(change) && changes[change]) {
      choose(change);
    } else if (fields.has('sheet') && files[file] && files[file].sheetNumbers.includes(sheet)) {
      showFile(file, sheet);
      showSheet(sheet);
      clearChoice();
    }
  }

  document.getElementById('title').textContent = document.title.replace(/ - sheettool diff$/, '');
  const summary = document.getElementById('summary');
  summary.textContent = changes.length === 0 ? 'No change. '
    : `${count(changes.length, 'change')}${files.length > 1
      ? ` in ${count(files.length, 'sheet file')}` : ''}. `;
  for (const [key, text] of [['n', 'next'], ['p', 'previous'], ['l', 'layout'], ['s', 'swap']]) {
    html('kbd', key, summary);
    summary.append(` ${text} `);
  }
  fillChanges();
  fillSheetBar();
  try {
    if (localStorage.getItem(layoutKey) === 'overlaid') state.layout = 'overlaid';
  } catch (error) {
    // Nothing kept: side by side.
  }
  applyLayout();
  document.addEventListener('keydown', (event) => {
    if (event.ctrlKey || event.metaKey || event.altKey) return;
    if (event.key === 'n') step(1);
    if (event.key === 'p') step(-1);
    if (event.key === 'l') toggleLayout();
    if (event.key === 's' && state.layout === 'overlaid') swapSide();
    if (event.key === 'Escape') clearChoice();
    if (event.key === 'Home' || event.key === '0') wholeSheet();
  });
  if (files.length > 0) showFile(0, null);
  chooseFromFragment();
  window.addEventListener('hashchange', chooseFromFragment);
  document.body.dataset.ready = 'true';
  document.body.dataset.readyMs = String(Math.round(performance.now()));
})();
