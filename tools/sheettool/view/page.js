// The page of sheettool view. The design comes as JSON in the page (see
// page_data.h for its form); this script draws one sheet at a time as
// SVG, lists the nets, parts and findings, and keeps one selection: a net,
// a part or a finding. The address's fragment (#net=KEY, #part=REF,
// #finding=N) selects on load, and follows the selection.
'use strict';

(() => {
  const design = JSON.parse(document.getElementById('design').textContent);
  // The pins come as rows, the one list of the design as long as its items.
  design.pins = design.pins.map(([key, text, number, sheet, part, net]) => ({
    key, text, number, sheet, part, net,
  }));
  const svgNS = 'http://www.w3.org/2000/svg';
  // Lists show this many entries at most; the search narrows them.
  const listLimit = 400;
  // A finding is shown this many drawing units wide.
  const findingSpan = 400;
  // A click this many pixels beside a thin line still takes it.
  const reach = 4;

  const canvas = document.getElementById('canvas');
  const sheetBar = document.getElementById('sheets');
  const detail = document.getElementById('detail');
  const search = document.getElementById('search');

  const state = {
    sheet: 0, // index into design.sheets
    net: -1,
    part: -1,
    finding: -1,
    view: null, // the viewBox: {x, y, w, h}
    // The box last fitted to the canvas; the view keeps it fitted when the
    // window changes, until the user zooms or pans.
    fitted: null,
  };
  let svg = null;
  let itemsByNet = new Map(); // net -> elements of the sheet drawn
  let itemsByPart = new Map(); // part -> elements of the sheet drawn
  let marker = null;

  function make(name, attributes, parent) {
    const element = document.createElementNS(svgNS, name);
    for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, value);
    if (parent) parent.appendChild(element);
    return element;
  }

  function html(name, text, parent) {
    const element = document.createElement(name);
    if (text !== undefined) element.textContent = text;
    if (parent) parent.appendChild(element);
    return element;
  }

  function count(number, noun) {
    return `${number} ${noun}${number === 1 ? '' : 's'}`;
  }

  function colorOf(net) {
    return net >= 0 ? design.nets[net].color : 'var(--neutral)';
  }

  function remember(map, key, element) {
    if (key < 0) return;
    if (!map.has(key)) map.set(key, []);
    map.get(key).push(element);
  }

  // The drawing of one sheet, in its own coordinates.
  function drawSheet(index) {
    const sheet = design.sheets[index];
    state.sheet = index;
    itemsByNet = new Map();
    itemsByPart = new Map();
    marker = null;
    svg = make('svg', { xmlns: svgNS, preserveAspectRatio: 'none' });
    const [minX, minY, maxX, maxY] = sheet.paper;
    make('rect', { class: 'paper', x: minX, y: minY, width: maxX - minX, height: maxY - minY }, svg);
    const layer = (name) => make('g', { class: name }, svg);
    const bodies = layer('bodies');
    const buses = layer('buses');
    const lines = layer('lines');
    const names = layer('names');
    const dots = layer('dots');

    for (const [part, x1, y1, x2, y2, found] of sheet.parts) {
      const info = design.parts[part];
      const body = make('rect', {
        class: found ? 'item body' : 'item body unknown', x: x1, y: y1, width: x2 - x1,
        height: y2 - y1, 'data-part': part,
      }, bodies);
      remember(itemsByPart, part, body);
      make('text', { class: 'ref-text', x: x1, y: y1 - 4 }, names).textContent = info.ref;
      make('text', {
        class: 'name-text', x: (x1 + x2) / 2, y: (y1 + y2) / 2 + 4, 'text-anchor': 'middle',
      }, names).textContent = info.name;
    }
    for (const [x1, y1, x2, y2, net] of sheet.buses) {
      remember(itemsByNet, net, make('line', { class: 'item bus', x1, y1, x2, y2 }, buses));
    }
    for (const [x1, y1, x2, y2, net] of sheet.entries) {
      remember(itemsByNet, net, make('line', {
        class: 'item entry', x1, y1, x2, y2, stroke: colorOf(net), 'data-net': net,
      }, lines));
    }
    for (const [x1, y1, x2, y2, net] of sheet.wires) {
      remember(itemsByNet, net, make('line', {
        class: 'item wire', x1, y1, x2, y2, stroke: colorOf(net), 'data-net': net,
      }, lines));
    }
    for (const [pin, x1, y1, x2, y2, nx, ny, net] of sheet.pins) {
      const line = make('line', {
        class: 'item pin', x1, y1, x2, y2, stroke: colorOf(net), 'data-net': net,
        'data-pin': pin,
      }, lines);
      remember(itemsByNet, net, line);
      remember(itemsByPart, design.pins[pin].part, line);
      make('text', { class: 'number-text', x: nx, y: ny, 'text-anchor': 'middle' }, names)
        .textContent = design.pins[pin].number;
    }
    for (const [outline, tx, ty, text, net] of sheet.tags) {
      remember(itemsByNet, net, make('polygon', {
        class: 'item tag', points: outline.join(' '), stroke: colorOf(net), 'data-net': net,
      }, lines));
      make('text', { class: 'tag-text', x: tx, y: ty, 'text-anchor': 'middle' }, names)
        .textContent = text;
    }
    for (const [x, y, text, net, vertical] of sheet.labels) {
      const label = make('text', { class: 'item label-text', x, y: y - 4 }, names);
      if (vertical) label.setAttribute('transform', `rotate(-90 ${x} ${y})`);
      label.textContent = text;
      remember(itemsByNet, net, label);
    }
    for (const [x, y] of sheet.junctions) {
      make('line', { class: 'item dot', x1: x, y1: y, x2: x, y2: y, stroke: 'var(--ink)' }, dots);
    }
    canvas.replaceChildren(svg);
    fit(sheet.extent);
    for (const button of sheetBar.children) {
      button.classList.toggle('current', Number(button.dataset.index) === index);
    }
  }

  // The view box: as wide as the canvas is against its height, so that
  // nothing is stretched. The body keeps it, and where the canvas lies, for
  // whoever reads the page from outside.
  function setView(view) {
    state.view = view;
    svg.setAttribute('viewBox', `${view.x} ${view.y} ${view.w} ${view.h}`);
    const box = canvas.getBoundingClientRect();
    document.body.dataset.view = `${view.x} ${view.y} ${view.w} ${view.h}`;
    document.body.dataset.canvas = `${box.left} ${box.top} ${box.width} ${box.height}`;
  }

  function fit(box, margin = 0.04) {
    const [minX, minY, maxX, maxY] = box;
    state.fitted = { box, margin };
    const width = canvas.clientWidth || 1;
    const height = canvas.clientHeight || 1;
    const spanX = (maxX - minX) * (1 + 2 * margin) || 1;
    const spanY = (maxY - minY) * (1 + 2 * margin) || 1;
    const scale = Math.min(width / spanX, height / spanY);
    const w = width / scale;
    const h = height / scale;
    setView({ x: (minX + maxX) / 2 - w / 2, y: (minY + maxY) / 2 - h / 2, w, h });
  }

  function toSheet(clientX, clientY) {
    const box = canvas.getBoundingClientRect();
    return {
      x: state.view.x + ((clientX - box.left) / box.width) * state.view.w,
      y: state.view.y + ((clientY - box.top) / box.height) * state.view.h,
    };
  }

  canvas.addEventListener('wheel', (event) => {
    event.preventDefault();
    state.fitted = null;
    const factor = Math.exp(event.deltaY * 0.0015);
    const at = toSheet(event.clientX, event.clientY);
    const view = state.view;
    setView({
      x: at.x - (at.x - view.x) * factor,
      y: at.y - (at.y - view.y) * factor,
      w: view.w * factor,
      h: view.h * factor,
    });
  }, { passive: false });

  let drag = null;
  canvas.addEventListener('pointerdown', (event) => {
    drag = { x: event.clientX, y: event.clientY, view: state.view, moved: false };
    canvas.setPointerCapture(event.pointerId);
  });
  canvas.addEventListener('pointermove', (event) => {
    if (!drag) return;
    const dx = event.clientX - drag.x;
    const dy = event.clientY - drag.y;
    if (Math.abs(dx) + Math.abs(dy) > 3) drag.moved = true;
    if (!drag.moved) return;
    state.fitted = null;
    canvas.classList.add('dragging');
    const scale = drag.view.w / canvas.clientWidth;
    setView({ ...drag.view, x: drag.view.x - dx * scale, y: drag.view.y - dy * scale });
  });
  canvas.addEventListener('pointerup', (event) => {
    canvas.classList.remove('dragging');
    const moved = drag && drag.moved;
    drag = null;
    if (moved) return;
    const target = itemAt(event.clientX, event.clientY);
    if (!target) {
      clearSelection();
    } else if (target.dataset.net !== undefined) {
      selectNet(Number(target.dataset.net));
    } else {
      selectPart(Number(target.dataset.part));
    }
  });

  // What a click at a point of the screen takes: a line of a net under it
  // or within reach, else the part body under it.
  function itemAt(clientX, clientY) {
    let body = null;
    for (const [dx, dy] of [[0, 0], [reach, 0], [-reach, 0], [0, reach], [0, -reach],
      [reach, reach], [-reach, -reach], [reach, -reach], [-reach, reach]]) {
      const target = document.elementFromPoint(clientX + dx, clientY + dy);
      if (!target || !svg.contains(target)) continue;
      if (target.dataset.net !== undefined && Number(target.dataset.net) >= 0) return target;
      if (!body && dx === 0 && dy === 0 && target.dataset.part !== undefined) body = target;
    }
    return body;
  }
  // A canvas that changes size keeps what it showed: the fitted box fitted,
  // or else the same middle at the same scale.
  let canvasSize = null;
  new ResizeObserver(() => {
    const size = { w: canvas.clientWidth || 1, h: canvas.clientHeight || 1 };
    const before = canvasSize;
    canvasSize = size;
    if (!svg || !before) return;
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

  // The selection: what it chooses is drawn in full, the rest dimmed.
  function applySelection() {
    if (!svg) return;
    for (const element of svg.querySelectorAll('.chosen')) element.classList.remove('chosen');
    if (marker) marker.remove();
    marker = null;
    let chosen = [];
    if (state.net >= 0) chosen = itemsByNet.get(state.net) || [];
    if (state.part >= 0) chosen = itemsByPart.get(state.part) || [];
    for (const element of chosen) element.classList.add('chosen');
    svg.classList.toggle('selecting', state.net >= 0 || state.part >= 0);
    const finding = design.findings[state.finding];
    if (finding && finding.sheet === design.sheets[state.sheet].number) {
      const [x, y] = finding.at;
      marker = make('circle', { class: 'marker', cx: x, cy: y, r: findingSpan / 20 }, svg);
    }
    const touched = new Set();
    if (state.net >= 0) design.nets[state.net].sheets.forEach((number) => touched.add(number));
    if (state.part >= 0) touched.add(design.parts[state.part].sheet);
    for (const button of sheetBar.children) {
      button.classList.toggle('touched', touched.has(Number(button.dataset.number)));
    }
    for (const item of document.querySelectorAll('.list li.active')) {
      item.classList.remove('active');
    }
    const active = state.net >= 0 ? `net-${state.net}` : state.part >= 0 ? `part-${state.part}`
      : state.finding >= 0 ? `finding-${state.finding}` : null;
    if (active) document.getElementById(active)?.classList.add('active');
  }

  function setFragment(fragment) {
    history.replaceState(null, '', fragment ? `#${fragment}` : location.pathname);
  }

  function selectNet(net) {
    Object.assign(state, { net, part: -1, finding: -1 });
    const sheets = design.nets[net].sheets;
    const here = design.sheets[state.sheet].number;
    if (sheets.length > 0 && !sheets.includes(here)) showSheet(sheets[0]);
    applySelection();
    showNet(net);
    setFragment(`net=${encodeURIComponent(design.nets[net].key)}`);
  }

  function selectPart(part) {
    Object.assign(state, { net: -1, part, finding: -1 });
    showSheet(design.parts[part].sheet);
    applySelection();
    showPart(part);
    setFragment(`part=${encodeURIComponent(design.parts[part].ref)}`);
  }

  function selectFinding(finding) {
    Object.assign(state, { net: -1, part: -1, finding });
    const { sheet, at: [x, y] } = design.findings[finding];
    showSheet(sheet);
    fit([x - findingSpan / 2, y - findingSpan / 2, x + findingSpan / 2, y + findingSpan / 2], 0);
    applySelection();
    detail.hidden = true;
    setFragment(`finding=${finding + 1}`);
  }

  function clearSelection() {
    Object.assign(state, { net: -1, part: -1, finding: -1 });
    applySelection();
    detail.hidden = true;
    setFragment(null);
  }

  function netLink(net, parent) {
    if (net < 0) {
      html('span', '(no net)', parent);
      return;
    }
    const link = html('a', design.nets[net].key, parent);
    link.addEventListener('click', () => selectNet(net));
  }

  function showNet(net) {
    const info = design.nets[net];
    detail.replaceChildren();
    html('h2', `Net ${info.key}`, detail);
    if (info.names) html('div', `Names: ${info.names}`, detail);
    const where = info.sheets.length === 1 ? `sheet ${info.sheets[0]}`
      : `sheets ${info.sheets.join(', ')}`;
    html('div', `${count(info.pins.length, 'pin')} on ${where}`, detail);
    const table = html('table', undefined, detail);
    for (const pin of info.pins) {
      const row = html('tr', undefined, table);
      html('td', design.pins[pin].key, row);
      html('td', design.pins[pin].text, row);
      html('td', `sheet ${design.pins[pin].sheet}`, row);
    }
    detail.hidden = false;
  }

  function showPart(part) {
    const info = design.parts[part];
    detail.replaceChildren();
    html('h2', `Part ${info.ref || '(no reference)'} ${info.name}`, detail);
    html('div', info.found
      ? `Library part ${info.lib}, block ${info.block + 1} of ${info.blocks}, sheet ${info.sheet}`
      : `No library holds ${info.lib}; sheet ${info.sheet}`, detail);
    const table = html('table', undefined, detail);
    for (const pin of info.pins) {
      const row = html('tr', undefined, table);
      html('td', design.pins[pin].key, row);
      netLink(design.pins[pin].net, html('td', undefined, row));
    }
    detail.hidden = false;
  }

  // A list of at most listLimit entries that match the search.
  function fillList(listId, countId, entries, matches, render) {
    const list = document.getElementById(listId);
    list.replaceChildren();
    let shown = 0;
    let matching = 0;
    entries.forEach((entry, index) => {
      if (!matches(entry)) return;
      matching += 1;
      if (shown >= listLimit) return;
      shown += 1;
      list.appendChild(render(entry, index));
    });
    if (matching > shown) {
      const more = html('li', `${matching - shown} more: search to narrow`, list);
      more.className = 'more';
    }
    document.getElementById(countId).textContent = `${matching}`;
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
        swatch.style.background = net.color;
        html('span', net.key, item);
        if (net.names && net.names !== net.key) html('span', net.names, item).className = 'names';
        html('span', count(net.pins.length, 'pin'), item).className = 'where';
        item.addEventListener('click', () => selectNet(index));
        return item;
      });
    fillList('parts', 'parts-count', design.parts,
      (part) => !query || has(part.ref) || has(part.name),
      (part, index) => {
        const item = html('li', `${part.ref || '(no reference)'} ${part.name}`);
        item.id = `part-${index}`;
        html('span', `sheet ${part.sheet}`, item).className = 'where';
        item.addEventListener('click', () => selectPart(index));
        return item;
      });
    fillList('findings', 'findings-count', design.findings, () => true,
      (finding, index) => {
        const place = `sheet ${finding.sheet} at ${finding.at.join(',')}`;
        const item = html('li', `${finding.severity}: ${finding.message} (${place})`);
        item.classList.add(finding.severity);
        item.id = `finding-${index}`;
        item.title = `${finding.severity}: ${finding.message} (${place}) [${finding.kind}]`;
        item.addEventListener('click', () => selectFinding(index));
        return item;
      });
    if (svg) applySelection();
  }

  // #net=KEY, #part=REF or #finding=N (counted from 1, as listed).
  function selectFromFragment() {
    const match = /^#(net|part|finding)=(.*)$/.exec(location.hash);
    if (!match) return;
    let wanted;
    try {
      wanted = decodeURIComponent(match[2]);
    } catch (error) {
      return; // not an address this page wrote
    }
    if (match[1] === 'net') {
      const net = design.nets.findIndex((info) => info.key === wanted);
      if (net >= 0) selectNet(net);
    } else if (match[1] === 'part') {
      const part = design.parts.findIndex((info) => info.ref === wanted);
      if (part >= 0) selectPart(part);
    } else {
      const finding = Number(wanted) - 1;
      if (Number.isInteger(finding) && design.findings[finding]) selectFinding(finding);
    }
  }

  document.getElementById('title').textContent = design.title;
  design.sheets.forEach((sheet, index) => {
    const button = html('button', sheet.number === 0 ? 'before sheet 1' : `sheet ${sheet.number}`,
      sheetBar);
    button.dataset.index = index;
    button.dataset.number = sheet.number;
    button.addEventListener('click', () => {
      drawSheet(index);
      applySelection();
    });
  });
  search.addEventListener('input', fillLists);
  document.addEventListener('keydown', (event) => {
    if (event.key === 'Escape' && document.activeElement !== search) clearSelection();
  });
  fillLists();
  if (design.sheets.length > 0) drawSheet(0);
  selectFromFragment();
  window.addEventListener('hashchange', selectFromFragment);
  // Done, and how long it took from the start of loading the page: for
  // whoever reads the page from outside.
  document.body.dataset.ready = 'true';
  document.body.dataset.readyMs = String(Math.round(performance.now()));
})();
