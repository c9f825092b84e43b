// Drives the page of sheettool view in the frame of interact.html. Needs
// Chromium's --allow-file-access-from-files, so that the frame's document
// can be reached from here.
'use strict';

(() => {
  const frame = document.getElementById('view');
  const results = { steps: [], error: null };

  function record(name, view) {
    const doc = view.document;
    const current = doc.querySelector('#sheets button.current');
    results.steps.push({
      name,
      hash: view.location.hash,
      sheet: current ? current.textContent : null,
      detail: doc.getElementById('detail').hidden ? null
        : doc.querySelector('#detail h2').textContent,
      nets: doc.getElementById('nets-count').textContent,
      parts: doc.getElementById('parts-count').textContent,
      view: doc.body.dataset.view,
    });
  }

  // Where the page shows a sheet point, from what it leaves on its body.
  function clientPoint(view, x, y) {
    const [vx, vy, vw, vh] = view.document.body.dataset.view.split(' ').map(Number);
    const [left, top, width, height] = view.document.body.dataset.canvas.split(' ').map(Number);
    return { x: left + ((x - vx) / vw) * width, y: top + ((y - vy) / vh) * height };
  }

  function click(view, point) {
    const canvas = view.document.getElementById('canvas');
    const options = {
      bubbles: true, clientX: point.x, clientY: point.y, pointerId: 1, isPrimary: true,
    };
    canvas.dispatchEvent(new view.PointerEvent('pointerdown', options));
    canvas.dispatchEvent(new view.PointerEvent('pointerup', options));
  }

  function run(view) {
    const doc = view.document;
    const design = JSON.parse(doc.getElementById('design').textContent);
    const netIndex = (key) => design.nets.findIndex((net) => net.key === key);
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
    click(view, clientPoint(view, (pin[1] + pin[3]) / 2, (pin[2] + pin[4]) / 2));
    record('click on a pin of GND', view);
    click(view, clientPoint(view, sheet.paper[2] - 5, sheet.paper[3] - 5));
    record('click on nothing', view);

    const canvas = doc.getElementById('canvas');
    canvas.dispatchEvent(new view.WheelEvent('wheel', {
      bubbles: true, cancelable: true, deltaY: -500, clientX: middle.x, clientY: middle.y,
    }));
    record('wheel toward the wire', view);
    click(view, middle);
    record('click on the wire, zoomed in', view);

    doc.getElementById(`part-${design.parts.findIndex((part) => part.ref === 'U1')}`).click();
    record('choose U1 in the list', view);
    doc.getElementById(`net-${netIndex('VCC')}`).click();
    record('choose VCC in the list', view);
    doc.dispatchEvent(new view.KeyboardEvent('keydown', { key: 'Escape', bubbles: true }));
    record('Escape', view);

    const search = doc.getElementById('search');
    search.value = 'd';
    search.dispatchEvent(new view.Event('input'));
    record('search for d', view);
  }

  frame.addEventListener('load', () => {
    const view = frame.contentWindow;
    const poll = () => {
      if (view.document.body.dataset.ready !== 'true') {
        setTimeout(poll, 20);
        return;
      }
      try {
        run(view);
      } catch (error) {
        results.error = String(error && error.stack || error);
      }
      document.body.dataset.results = JSON.stringify(results);
    };
    poll();
  });
})();
