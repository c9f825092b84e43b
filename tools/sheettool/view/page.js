// The page of sheettool view. The design comes as JSON in the page (see
// page_data.h for its form); this script draws one sheet at a time as
// SVG, lists the nets, parts and findings, and keeps one choice: a net, a
// part, a bus group or a finding. The address's fragment (#net=KEY,
// #part=LINK, #bus=N, #finding=N, each with &sheet=N where another sheet
// is shown, or #sheet=N alone) chooses on load, and follows the choice.
'use strict';
/* global sheetDrawing */

(() => {
  const design = sheetDrawing.prepare(JSON.parse(document.getElementById('design').textContent));
  // Lists and tables show this many entries, and as many more on demand.
  const listStep = 200;
  const tableStep = 100;
  // A finding is shown this many drawing units wide.
  const findingSpan = 400;
  // A click this many pixels beside a thin line still takes it.
  const reach = 4;
  const { svgNS, legible, addTexts, wholeMargin, html, count } = sheetDrawing;

  const canvas = document.getElementById('canvas');
  const sheetBar = document.getElementById('sheets');
  const detail = document.getElementById('detail');
  const search = document.getElementById('search');
  const app = document.getElementById('app');

  const state = {
    sheet: 0, // index into design.sheets
    net: -1,
    part: -1,
    bus: -1,
    finding: -1,
    view: null, // the viewBox: {x, y, w, h}
    // The box last fitted to the canvas; the view keeps it fitted when the
    // window changes, until the user zooms or pans.
    fitted: null,
  };
  let drawing = null; // the sheet shown: {svg, index, texts, names}, as sheetDrawing.build made it
  // Where the canvas lies on the screen, measured when its size changes:
  // measuring it after each drawing would lay the whole drawing out.
  let canvasBox = null;

  function partName(part) {
    const info = design.parts[part];
    return info.label || info.name || info.lib;
  }

  function drawSheet(index) {
    state.sheet = index;
    drawing = sheetDrawing.build(design, index);
    canvas.replaceChildren(drawing.svg);
    fit(design.sheets[index].extent);
    for (const button of sheetBar.querySelectorAll('button[data-index]')) {
      button.classList.toggle('current', Number(button.dataset.index) === index);
    }
  }

  // The view box: as wide as the canvas is against its height, so that
  // nothing is stretched. Texts too small to read at its scale are hidden.
  // The body keeps it, and where the canvas lies, for whoever reads the
  // page from outside.
  function setView(view) {
    state.view = view;
    const svg = drawing.svg;
    svg.setAttribute('viewBox', `${view.x} ${view.y} ${view.w} ${view.h}`);
    const box = canvasBox || measureCanvas();
    // Screen pixels to a drawing unit.
    const scale = (box.width || 1) / view.w;
    svg.style.setProperty('--unit', `${1 / scale}px`);
    svg.classList.toggle('far', scale < legible.small);
    svg.classList.toggle('distant', scale < legible.middle);
    svg.classList.toggle('remote', scale < legible.large);
    // Texts a little outside the view too, so that a small pan finds them.
    const margin = Math.max(view.w, view.h) * 0.25;
    if (addTexts(drawing, { x: view.x - margin, y: view.y - margin, w: view.w + 2 * margin,
      h: view.h + 2 * margin }, scale)) light(drawing);
    document.body.dataset.view = `${view.x} ${view.y} ${view.w} ${view.h}`;
    document.body.dataset.canvas = `${box.left} ${box.top} ${box.width} ${box.height}`;
  }

  function measureCanvas() {
    const box = canvas.getBoundingClientRect();
    canvasBox = { left: box.left, top: box.top, width: box.width || 1, height: box.height || 1 };
    return canvasBox;
  }

  function fit(box, margin = wholeMargin) {
    state.fitted = { box, margin };
    setView(sheetDrawing.viewOf(box, margin, canvasBox || measureCanvas()));
  }

  // The view around a box of the sheet, large enough to see what is
  // around it; the whole sheet where that would show hardly more.
  function focus(box) {
    if (!box) return;
    const shown = sheetDrawing.focusOf(box, design.sheets[state.sheet].extent,
      canvasBox || measureCanvas());
    fit(shown.box, shown.margin);
  }

  function wholeSheet() {
    fit(design.sheets[state.sheet].extent);
  }


  sheetDrawing.panAndZoom(canvas, {
    view: () => state.view,
    setView,
    moved: () => {
      state.fitted = null;
    },
    box: () => canvasBox || measureCanvas(),
    click: (event) => {
      const target = itemAt(event.clientX, event.clientY);
      if (!target) {
        clearChoice();
        return;
      }
      const data = target.dataset;
      if (data.finding !== undefined) choose('finding', Number(data.finding), { zoom: false });
      else if (Number(data.net) >= 0) choose('net', Number(data.net), { zoom: false });
      else if (Number(data.bus) >= 0) choose('bus', Number(data.bus), { zoom: false });
      else choose('part', Number(data.part), { zoom: false });
    },
  });

  // What an element of the drawing chooses, from the most particular: a
  // finding's mark, a net's item, a bus, a part.
  function rank(element) {
    const data = element.dataset;
    if (data.finding !== undefined) return 4;
    if (Number(data.net) >= 0) return 3;
    if (Number(data.bus) >= 0) return 2;
    if (data.part !== undefined) return 1;
    return 0;
  }

  // The points a click looks at, nearest first: every second pixel within
  // reach, so that no thin line within reach slips between them.
  const around = [];
  for (let dx = -reach; dx <= reach; dx += 2) {
    for (let dy = -reach; dy <= reach; dy += 2) around.push([dx, dy]);
  }
  around.sort((a, b) => Math.hypot(...a) - Math.hypot(...b));

  // What a click at a point of the screen takes: what lies under it (a
  // finding's mark before all), else the nearest line within reach; a part's
  // body only when right under it.
  function itemAt(clientX, clientY) {
    let best = null;
    for (const [dx, dy] of around) {
      // A finding's mark lies under the texts: under a text, it is still
      // what the click takes.
      const stack = document.elementsFromPoint(clientX + dx, clientY + dy);
      const target = stack.find((element) => element.dataset &&
        element.dataset.finding !== undefined) || stack[0];
      if (!target || !drawing.svg.contains(target)) continue;
      const value = rank(target);
      if (value === 0 || (value === 1 && (dx !== 0 || dy !== 0))) continue;
      if (dx === 0 && dy === 0 && value > 1) return target;
      if (!best || (value > 1 && rank(best) === 1)) best = target;
    }
    return best;
  }

  // A canvas that changes size keeps what it showed: the fitted box fitted,
  // or else the same middle at the same scale.
  let canvasSize = null;
  new ResizeObserver(() => {
    const box = measureCanvas();
    const size = { w: box.width, h: box.height };
    const before = canvasSize;
    canvasSize = size;
    if (!drawing || !before) return;
    if (state.fitted) {
      fit(state.fitted.box, state.fitted.margin);
      return;
    }
    const view = state.view;
    const w = view.w * (size.w / before.w);
    const h = view.h * (size.h / before.h);
    setView({ x: view.x + (view.w - w) / 2, y: view.y + (view.h - h) / 2, w, h });
  }).observe(canvas);

  function sheetIndex(number) {
    return design.sheets.findIndex((sheet) => sheet.number === number);
  }

  function showSheet(number) {
    const index = sheetIndex(number);
    if (index >= 0 && index !== state.sheet) drawSheet(index);
  }

  // The sheets a choice has items on, ascending.
  function sheetsOfChoice() {
    if (state.net >= 0) return design.nets[state.net].sheets;
    if (state.part >= 0) return [design.parts[state.part].sheet];
    if (state.bus >= 0) return design.busGroups[state.bus][0];
    if (state.finding >= 0) return [design.findings[state.finding].sheet];
    return [];
  }

  // The choice lit on a drawing: what it chooses in full, the rest dimmed.
  function light(target) {
    const svg = target.svg;
    for (const element of svg.querySelectorAll('.chosen')) element.classList.remove('chosen');
    let chosen = null;
    if (state.net >= 0) chosen = `[data-net="${state.net}"]`;
    if (state.part >= 0) chosen = `[data-part="${state.part}"], [data-owner="${state.part}"]`;
    if (state.bus >= 0) chosen = `[data-bus="${state.bus}"]`;
    if (state.finding >= 0) chosen = `[data-finding="${state.finding}"]`;
    if (chosen) {
      for (const element of svg.querySelectorAll(chosen)) element.classList.add('chosen');
    }
    svg.classList.toggle('selecting', state.net >= 0 || state.part >= 0 || state.bus >= 0);
  }

  function applyChoice() {
    if (!drawing) return;
    light(drawing);
    const touched = new Set(sheetsOfChoice());
    for (const button of sheetBar.querySelectorAll('button[data-index]')) {
      button.classList.toggle('touched', touched.has(Number(button.dataset.number)));
    }
    for (const item of document.querySelectorAll('.list li.active')) {
      item.classList.remove('active');
    }
    const active = state.net >= 0 ? `net-${state.net}` : state.part >= 0 ? `part-${state.part}`
      : state.finding >= 0 ? `finding-${state.finding}` : null;
    if (active) document.getElementById(active)?.classList.add('active');
  }

  // The fragment of what the page shows: the choice, and the sheet where
  // it is not the one the choice opens by itself.
  function fragment() {
    let choice = null;
    if (state.net >= 0) choice = `net=${encodeURIComponent(design.nets[state.net].key)}`;
    if (state.part >= 0) choice = `part=${encodeURIComponent(design.parts[state.part].link)}`;
    if (state.bus >= 0) choice = `bus=${state.bus + 1}`;
    if (state.finding >= 0) choice = `finding=${state.finding + 1}`;
    const number = design.sheets[state.sheet] ? design.sheets[state.sheet].number : 0;
    const own = sheetsOfChoice()[0];
    if (!choice) return state.sheet === 0 ? '' : `sheet=${number}`;
    return own === number ? choice : `${choice}&sheet=${number}`;
  }

  function updateAddress() {
    const text = fragment();
    history.replaceState(null, '', text ? `#${text}` : location.pathname + location.search);
  }

  // Chooses a net, part, bus group or finding: shows its sheet (the one
  // shown when it has items there, else its first), lights it, tells of it
  // in the detail panel and, unless it was clicked on the drawing, brings
  // it into view.
  function choose(kind, index, { zoom = true, sheet = null } = {}) {
    Object.assign(state, { net: -1, part: -1, bus: -1, finding: -1 });
    state[kind] = index;
    const sheets = sheetsOfChoice();
    const here = design.sheets[state.sheet] && design.sheets[state.sheet].number;
    if (sheet !== null && sheetIndex(sheet) >= 0) showSheet(sheet);
    else if (sheets.length > 0 && !sheets.includes(here)) showSheet(sheets[0]);
    applyChoice();
    if (kind === 'net') showNet(index);
    if (kind === 'part') showPart(index);
    if (kind === 'bus') showBus(index);
    if (kind === 'finding') showFinding(index);
    if (zoom) {
      if (kind === 'finding') {
        const [x, y] = design.findings[index].at;
        fit([x - findingSpan / 2, y - findingSpan / 2, x + findingSpan / 2, y + findingSpan / 2],
          0);
      } else {
        const shown = design.sheets[state.sheet];
        focus(kind === 'net' ? sheetDrawing.netBox(shown, index)
          : kind === 'part' ? sheetDrawing.partBox(design, shown, index)
            : sheetDrawing.busBox(shown, index));
      }
    }
    updateAddress();
  }

  function clearChoice() {
    Object.assign(state, { net: -1, part: -1, bus: -1, finding: -1 });
    applyChoice();
    detail.hidden = true;
    updateAddress();
  }

  function link(text, onClick, parent) {
    const element = html('a', text, parent);
    element.addEventListener('click', onClick);
    return element;
  }

  function netLink(net, parent) {
    if (net < 0) {
      html('span', '(no net)', parent);
      return;
    }
    link(design.nets[net].key, () => choose('net', net), parent);
  }

  // A table of many rows: the first ones, and a button for more.
  function longTable(rows, fill) {
    const table = html('table', undefined, detail);
    let shown = 0;
    const more = html('button', undefined);
    more.className = 'more';
    const grow = () => {
      const end = Math.min(rows.length, shown + tableStep);
      for (; shown < end; shown += 1) fill(rows[shown], html('tr', undefined, table));
      more.textContent = `Show ${Math.min(tableStep, rows.length - shown)} more of ` +
        `${rows.length - shown} left`;
      more.hidden = shown >= rows.length;
    };
    more.addEventListener('click', grow);
    grow();
    detail.appendChild(more);
  }

  function sheetsText(sheets) {
    return sheets.length === 1 ? `sheet ${sheets[0]}` : `sheets ${sheets.join(', ')}`;
  }

  function showNet(net) {
    const info = design.nets[net];
    detail.replaceChildren();
    html('h2', `Net ${info.key}`, detail);
    if (info.names) html('div', `Names: ${info.names}`, detail);
    html('div', `${count(info.pins.length, 'pin')} on ${sheetsText(info.sheets)}`, detail);
    longTable(info.pins, (pin, row) => {
      html('td', design.pins[pin].key, row);
      html('td', design.pins[pin].name, row);
      link(partName(design.pins[pin].part), () => choose('part', design.pins[pin].part),
        html('td', undefined, row));
      html('td', `sheet ${design.pins[pin].sheet}`, row);
    });
    detail.hidden = false;
  }

  function showPart(part) {
    const info = design.parts[part];
    detail.replaceChildren();
    html('h2', `Part ${info.label || '(no reference)'} ${info.name}`, detail);
    html('div', info.found
      ? `Library part ${info.lib}, block ${info.block + 1} of ${info.blocks}, sheet ${info.sheet}`
      : `No library holds ${info.lib}; sheet ${info.sheet}`, detail);
    longTable(info.pins, (pin, row) => {
      html('td', design.pins[pin].number, row).className = 'number';
      html('td', design.pins[pin].name, row);
      netLink(design.pins[pin].net, html('td', undefined, row));
    });
    detail.hidden = false;
  }

  function showBus(bus) {
    const [sheets, nets] = design.busGroups[bus];
    detail.replaceChildren();
    html('h2', `Bus group ${bus + 1}`, detail);
    html('div', `${count(nets.length, 'net')} cross it; on ${sheetsText(sheets)}`, detail);
    longTable(nets, (net, row) => {
      netLink(net, html('td', undefined, row));
      html('td', design.nets[net].names, row);
    });
    detail.hidden = false;
  }

  function showFinding(number) {
    const finding = design.findings[number];
    detail.replaceChildren();
    html('h2', `Finding ${number + 1}: ${finding.severity}`, detail);
    html('p', finding.message, detail).className = 'message';
    html('div', `${finding.kind}, sheet ${finding.sheet} at ${finding.at.join(',')}`, detail)
      .className = 'where';
    detail.hidden = false;
  }

  // A list of the entries that match the search: the first ones, and an
  // entry that shows more.
  function fillList(listId, countId, entries, matches, render) {
    const list = document.getElementById(listId);
    list.replaceChildren();
    const matching = [];
    entries.forEach((entry, index) => {
      if (matches(entry)) matching.push(index);
    });
    let shown = 0;
    const more = html('li');
    more.className = 'more';
    const grow = () => {
      const end = Math.min(matching.length, shown + listStep);
      const items = [];
      for (; shown < end; shown += 1) items.push(render(entries[matching[shown]], matching[shown]));
      more.before(...items);
      more.textContent = `Show ${Math.min(listStep, matching.length - shown)} more of ` +
        `${matching.length - shown} left`;
      more.hidden = shown >= matching.length;
    };
    more.addEventListener('click', () => {
      grow();
      applyChoice();
    });
    list.appendChild(more);
    grow();
    document.getElementById(countId).textContent = `${matching.length}`;
  }

  function fillLists() {
    const query = search.value.trim().toLowerCase();
    const has = (text) => String(text).toLowerCase().includes(query);
    fillList('nets', 'nets-count', design.nets,
      (net) => !query || has(net.key) || has(net.names),
      (net, index) => {
        const item = html('li');
        item.id = `net-${index}`;
        const swatch = html('span', undefined, item);
        swatch.className = 'swatch';
        swatch.style.background = net.color || 'var(--neutral)';
        html('span', net.key, item);
        if (net.names && net.names !== net.key) html('span', net.names, item).className = 'names';
        html('span', count(net.pins.length, 'pin'), item).className = 'where';
        item.addEventListener('click', () => choose('net', index));
        return item;
      });
    fillList('parts', 'parts-count', design.parts,
      (part) => !query || has(part.label) || has(part.name),
      (part, index) => {
        const item = html('li', `${part.label || '(no reference)'} ${part.name}`);
        item.id = `part-${index}`;
        html('span', `sheet ${part.sheet}`, item).className = 'where';
        item.addEventListener('click', () => choose('part', index));
        return item;
      });
    fillList('findings', 'findings-count', design.findings, () => true,
      (finding, index) => {
        const place = `sheet ${finding.sheet} at ${finding.at.join(',')}`;
        const item = html('li', finding.message);
        html('span', place, item).className = 'where';
        item.classList.add(finding.severity);
        item.id = `finding-${index}`;
        item.title = `${finding.severity}: ${finding.message} (${place}) [${finding.kind}]`;
        item.addEventListener('click', () => choose('finding', index));
        return item;
      });
    applyChoice();
  }

  // #net=KEY, #part=LINK, #bus=N or #finding=N (counted from 1, as
  // listed), each with &sheet=N; or #sheet=N.
  function chooseFromFragment() {
    const fields = new Map();
    for (const field of location.hash.replace(/^#/, '').split('&')) {
      const equals = field.indexOf('=');
      if (equals < 0) continue;
      try {
        fields.set(field.slice(0, equals), decodeURIComponent(field.slice(equals + 1)));
      } catch (error) {
        return; // not an address this page wrote
      }
    }
    const sheet = fields.has('sheet') ? Number(fields.get('sheet')) : null;
    const find = (list, test) => list.findIndex(test);
    let choice = null;
    if (fields.has('net')) {
      choice = ['net', find(design.nets, (info) => info.key === fields.get('net'))];
    } else if (fields.has('part')) {
      choice = ['part', find(design.parts, (info) => info.link === fields.get('part'))];
    } else if (fields.has('bus')) {
      const bus = Number(fields.get('bus')) - 1;
      choice = ['bus', Number.isInteger(bus) && design.busGroups[bus] ? bus : -1];
    } else if (fields.has('finding')) {
      const finding = Number(fields.get('finding')) - 1;
      choice = ['finding', Number.isInteger(finding) && design.findings[finding] ? finding : -1];
    }
    if (choice && choice[1] >= 0) {
      choose(choice[0], choice[1], { sheet });
    } else if (sheet !== null && sheetIndex(sheet) >= 0) {
      showSheet(sheet);
      clearChoice();
    }
  }

  // The panel's width follows its edge when dragged.
  function dragPanelEdge() {
    const edge = document.getElementById('edge');
    let from = null;
    edge.addEventListener('pointerdown', (event) => {
      from = { x: event.clientX, width: document.getElementById('panel').offsetWidth };
      edge.setPointerCapture(event.pointerId);
    });
    edge.addEventListener('pointermove', (event) => {
      if (!from) return;
      const width = Math.max(200, Math.min(window.innerWidth * 0.7,
        from.width + event.clientX - from.x));
      app.style.setProperty('--panel-width', `${Math.round(width)}px`);
    });
    edge.addEventListener('pointerup', () => {
      from = null;
    });
  }

  function copyAddress() {
    const button = document.getElementById('copy');
    const address = location.href;
    const done = () => {
      button.textContent = 'Link copied';
      setTimeout(() => {
        button.textContent = 'Copy link';
      }, 1500);
    };
    const byHand = () => {
      const field = html('textarea', address, document.body);
      field.select();
      document.execCommand('copy');
      field.remove();
      done();
    };
    if (navigator.clipboard) navigator.clipboard.writeText(address).then(done, byHand);
    else byHand();
  }

  // The shown sheet as a file of its own: the drawing as it stands, with
  // the page's style.
  function saveSvg() {
    const copy = drawing.svg.cloneNode(true);
    const [, , w, h] = copy.getAttribute('viewBox').split(' ').map(Number);
    copy.setAttribute('xmlns', svgNS);
    copy.setAttribute('width', Math.round(w));
    copy.setAttribute('height', Math.round(h));
    const style = document.createElementNS(svgNS, 'style');
    style.textContent = Array.from(document.styleSheets[0].cssRules, (rule) => rule.cssText)
      .join('\n');
    copy.prepend(style);
    const text = new XMLSerializer().serializeToString(copy);
    const anchor = html('a');
    const number = design.sheets[state.sheet].number;
    anchor.download = `${design.title.replace(/[^\w.-]+/g, '_')}-sheet${number}.svg`;
    anchor.href = URL.createObjectURL(new Blob([text], { type: 'image/svg+xml' }));
    anchor.click();
    URL.revokeObjectURL(anchor.href);
  }

  // Printing: every sheet on a page of its own, whole, the choice lit.
  const printed = document.getElementById('printed');
  window.addEventListener('beforeprint', () => {
    printed.replaceChildren();
    design.sheets.forEach((sheet, index) => {
      const page = html('section', undefined, printed);
      html('h2', `${design.title}: ${sheet.number === 0 ? 'before sheet 1'
        : `sheet ${sheet.number}`}`, page);
      const built = sheetDrawing.build(design, index);
      const [minX, minY, maxX, maxY] = sheet.extent;
      // Room for the texts beside the outermost items.
      const margin = Math.max(Math.max(maxX - minX, maxY - minY) * 0.02, 40);
      built.svg.setAttribute('viewBox', `${minX - margin} ${minY - margin} ` +
        `${maxX - minX + 2 * margin} ${maxY - minY + 2 * margin}`);
      built.svg.setAttribute('preserveAspectRatio', 'xMidYMid meet');
      built.svg.style.setProperty('--unit', `${(maxX - minX) / 700}px`);
      addTexts(built, null, Infinity);
      light(built);
      page.appendChild(built.svg);
    });
  });
  window.addEventListener('afterprint', () => printed.replaceChildren());

  document.getElementById('title').textContent = design.title;
  design.sheets.forEach((sheet, index) => {
    const button = html('button', sheet.number === 0 ? 'before sheet 1' : `sheet ${sheet.number}`,
      sheetBar);
    button.dataset.index = index;
    button.dataset.number = sheet.number;
    button.addEventListener('click', () => {
      drawSheet(index);
      applyChoice();
      updateAddress();
    });
  });
  const tools = html('span', undefined, sheetBar);
  tools.className = 'tools';
  for (const [id, text, action, hint] of [
    ['whole', 'Whole sheet', wholeSheet, 'Show the whole sheet (Home)'],
    ['copy', 'Copy link', copyAddress, 'Copy the address of what is shown'],
    ['save', 'Save SVG', saveSvg, 'Save the shown sheet as an SVG file'],
  ]) {
    const button = html('button', text, tools);
    button.id = id;
    button.title = hint;
    button.addEventListener('click', action);
  }
  dragPanelEdge();
  search.addEventListener('input', fillLists);
  document.addEventListener('keydown', (event) => {
    if (document.activeElement === search) return;
    if (event.key === 'Escape') clearChoice();
    if (event.key === 'Home' || event.key === '0') wholeSheet();
  });
  fillLists();
  if (design.sheets.length > 0) drawSheet(0);
  chooseFromFragment();
  window.addEventListener('hashchange', chooseFromFragment);
  // Done, and how long it took from the start of loading the page: for
  // whoever reads the page from outside.
  document.body.dataset.ready = 'true';
  document.body.dataset.readyMs = String(Math.round(performance.now()));
})();
