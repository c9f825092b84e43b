// Uses the page of sheettool view on the shipped example as a person
// would (drive.html?interact): clicks on the drawing and the lists, keys,
// the wheel, addresses, the panel's edge, the buttons, a search.
'use strict';

drive(async (view, results) => {
  // What a step left: the address's fragment, the sheet shown, the detail
  // panel, the lists' counts, the view box, what is lit.
  function record(name, view, extra = {}) {
    const doc = view.document;
    const current = doc.querySelector('#sheets button.current');
    const detail = doc.getElementById('detail');
    results.steps.push({
      name,
      hash: view.location.hash,
      sheet: current ? current.textContent : null,
      detail: detail.hidden ? null : doc.querySelector('#detail h2').textContent,
      rows: detail.hidden ? 0 : detail.querySelectorAll('tr').length,
      nets: doc.getElementById('nets-count').textContent,
      parts: doc.getElementById('parts-count').textContent,
      view: doc.body.dataset.view,
      chosen: Array.from(doc.querySelectorAll('#canvas .chosen'),
        (e) => Array.from(e.classList).find((name) => name !== 'item' && name !== 'chosen')),
      ...extra,
    });
  }

  // Where the page shows a sheet point, from what it leaves on its body.
  function clientPoint(view, x, y) {
    const [vx, vy, vw, vh] = view.document.body.dataset.view.split(' ').map(Number);
    const [left, top, width, height] = view.document.body.dataset.canvas.split(' ').map(Number);
    return { x: left + ((x - vx) / vw) * width, y: top + ((y - vy) / vh) * height };
  }

  function pointer(view, target, type, point) {
    target.dispatchEvent(new view.PointerEvent(type, {
      bubbles: true, clientX: point.x, clientY: point.y, pointerId: 1, isPrimary: true,
    }));
  }

  function click(view, point) {
    const canvas = view.document.getElementById('canvas');
    pointer(view, canvas, 'pointerdown', point);
    pointer(view, canvas, 'pointerup', point);
  }

  function clickAt(view, x, y) {
    click(view, clientPoint(view, x, y));
  }

  function wheel(view, point, deltaY) {
    view.document.getElementById('canvas').dispatchEvent(new view.WheelEvent('wheel', {
      bubbles: true, cancelable: true, deltaY, clientX: point.x, clientY: point.y,
    }));
  }

  function key(view, name) {
    view.document.dispatchEvent(new view.KeyboardEvent('keydown', { key: name, bubbles: true }));
  }

  function go(view, fragment) {
    view.location.hash = fragment;
    view.dispatchEvent(new view.HashChangeEvent('hashchange'));
  }

  // How a text of the drawing shows: whether at all, and how many screen
  // pixels high.
  function textShown(view, selector) {
    const doc = view.document;
    const text = doc.querySelector(`#canvas ${selector}`);
    if (!text) return { shown: false, pixels: 0 }; // not written at all
    const [, , vw] = doc.body.dataset.view.split(' ').map(Number);
    const [, , width] = doc.body.dataset.canvas.split(' ').map(Number);
    const style = view.getComputedStyle(text);
    return { shown: style.display !== 'none', pixels: parseFloat(style.fontSize) * (width / vw) };
  }

  async function run() {
    const doc = view.document;
    const design = JSON.parse(doc.getElementById('design').textContent);
    for (const each of design.sheets) Object.assign(each, JSON.parse(each.items));
    const netIndex = (key_) => design.nets.findIndex((net) => net.key === key_);
    const sheetButton = (number) => doc.querySelector(`#sheets button[data-number="${number}"]`);
    const sheet = design.sheets[0];
    // The middle of the first wire of D1 on the first sheet, and a point
    // beside it, on the line but 3 pixels off.
    const [x1, y1, x2, y2] = sheet.wires.find((wire) => wire[4] === netIndex('D1'));
    const middle = clientPoint(view, (x1 + x2) / 2, (y1 + y2) / 2);
    click(view, middle);
    record('click on a wire of D1', view);
    click(view, { x: middle.x + (y1 === y2 ? 0 : 3), y: middle.y + (y1 === y2 ? 3 : 0) });
    record('click beside a wire of D1', view);
    const pin = sheet.pins.find((row) => row[7] === netIndex('GND'));
    clickAt(view, (pin[1] + pin[3]) / 2, (pin[2] + pin[4]) / 2);
    record('click on a pin of GND', view);
    clickAt(view, sheet.paper[2] - 5, sheet.paper[3] - 5);
    record('click on nothing', view);

    wheel(view, middle, -500);
    record('wheel toward the wire', view);
    click(view, middle);
    record('click on the wire, zoomed in', view);

    doc.getElementById(`part-${design.parts.findIndex((part) => part.ref === 'U1')}`).click();
    record('choose U1 in the list', view);
    key(view, 'Home');
    record('Home', view);
    doc.getElementById(`net-${netIndex('VCC')}`).click();
    record('choose VCC in the list', view);
    key(view, 'Escape');
    record('Escape', view);

    // Everything drawn chooses something.
    sheetButton(1).click();
    record('sheet 1', view);
    const [lx, ly] = sheet.labels.find((label) => label[2] === 'D2');
    clickAt(view, lx + 3, ly - 8);
    record('click on the text of label D2', view);
    const out = sheet.tags.find((row) => row[3] === 'OUT');
    clickAt(view, out[1] + 2, out[2] - 4);
    record('click on the text of tag OUT', view);
    const [bx1, by1, bx2, by2] = sheet.buses[0];
    clickAt(view, (bx1 + bx2) / 2 + 7, (by1 + by2) / 2);
    record('click on the bus', view);
    sheetButton(2).click();
    record('sheet 2, the bus chosen', view);
    const entry = design.sheets[1].entries[0];
    clickAt(view, (entry[0] + entry[2]) / 2, (entry[1] + entry[3]) / 2);
    record('click on a bus entry', view);
    const mark = design.findings[0].at;
    clickAt(view, mark[0], mark[1]);
    record('click on the finding\'s mark', view);
    sheetButton(1).click();
    const [jx, jy, jnet] = sheet.junctions[0];
    const dot = clientPoint(view, jx, jy);
    const under = doc.elementFromPoint(dot.x, dot.y);
    click(view, dot);
    record('click on a junction', view, {
      target: under.getAttribute('class'), expected: design.nets[jnet].key,
    });

    // Addresses.
    go(view, '#part=U1(3%2F4)');
    record('#part=U1(3/4)', view, {
      pinNames: Array.from(new Set(Array.from(doc.querySelectorAll('#canvas .pin-name'),
        (text) => text.textContent))).sort(),
    });
    const power = design.parts.find((part) => part.ref === '' && part.sheet === 2);
    go(view, `#part=${encodeURIComponent(power.link)}`);
    record('the address of a power symbol', view, { link: power.link });
    go(view, '#sheet=2');
    record('#sheet=2', view);
    go(view, '#net=D0&sheet=2');
    record('#net=D0&sheet=2', view);
    let copied = null;
    Object.defineProperty(view.navigator, 'clipboard', {
      value: { writeText: (text) => { copied = text; return view.Promise.resolve(); } },
    });
    doc.getElementById('copy').click();
    record('Copy link', view, { copied: copied && copied.replace(/^[^#]*/, '') });

    // Texts at every zoom: pin numbers hidden when too small to read,
    // labels never smaller than a few pixels.
    key(view, 'Escape');
    sheetButton(1).click();
    const centre = clientPoint(view, (sheet.extent[0] + sheet.extent[2]) / 2,
      (sheet.extent[1] + sheet.extent[3]) / 2);
    wheel(view, centre, 600);
    record('zoomed out', view, {
      number: textShown(view, '.number-text'), label: textShown(view, '.label-text'),
    });
    wheel(view, centre, -1600);
    record('zoomed in', view, {
      number: textShown(view, '.number-text'), label: textShown(view, '.label-text'),
    });

    // The panel's edge dragged 150 pixels to the right.
    const panel = doc.getElementById('panel');
    const edge = doc.getElementById('edge');
    const before = panel.offsetWidth;
    const from = edge.getBoundingClientRect();
    pointer(view, edge, 'pointerdown', { x: from.left + 2, y: 200 });
    pointer(view, edge, 'pointermove', { x: from.left + 152, y: 200 });
    pointer(view, edge, 'pointerup', { x: from.left + 152, y: 200 });
    record('panel widened', view, { widened: panel.offsetWidth - before });

    // The sheet saved as SVG: what the button hands to the browser.
    let saved = null;
    let name = null;
    view.URL.createObjectURL = (blob) => { saved = blob; return 'blob:saved'; };
    view.URL.revokeObjectURL = () => {};
    view.HTMLAnchorElement.prototype.click = function named() { name = this.download; };
    doc.getElementById('save').click();
    const text = saved ? await saved.text() : '';
    const svg = new DOMParser().parseFromString(text, 'image/svg+xml').documentElement;
    record('Save SVG', view, {
      file: name,
      type: saved && saved.type,
      root: svg.localName,
      lines: svg.querySelectorAll('line').length,
      drawnLines: doc.querySelectorAll('#canvas line').length,
      styled: svg.querySelector('style') !== null,
    });

    const search = doc.getElementById('search');
    search.value = 'd';
    search.dispatchEvent(new view.Event('input'));
    record('search for d', view);
  }

  await run();
});
