// Times the page of sheettool view (drive.html?timing) as a
// designer uses a large design: the script's time for choosing the net
// with the most pins, a part on the last sheet, a finding, and for
// switching sheets; where each choice left the view; the long lists.
'use strict';

drive(async (view, results) => {
  function timed(name, view, action) {
    const start = view.performance.now();
    action();
    const ms = view.performance.now() - start;
    const doc = view.document;
    const [, , w] = doc.body.dataset.view.split(' ').map(Number);
    results.steps.push({
      name, ms, hash: view.location.hash, viewWidth: w,
      canvasWidth: Number(doc.body.dataset.canvas.split(' ')[2]),
      sheet: doc.querySelector('#sheets button.current').textContent,
      detailRows: doc.querySelectorAll('#detail tr').length,
      chosen: doc.querySelectorAll('#canvas .chosen').length,
    });
  }

  function run() {
    const doc = view.document;
    const design = JSON.parse(doc.getElementById('design').textContent);
    let widest = 0;
    design.nets.forEach((net, index) => {
      if (net.pins.length > design.nets[widest].pins.length) widest = index;
    });
    const lastPart = design.parts.length - 1;
    const list = (id) => doc.getElementById(id);
    results.readyMs = Number(doc.body.dataset.readyMs);
    results.widest = design.nets[widest].key;
    results.widestPins = design.nets[widest].pins.length;
    results.part = design.parts[lastPart].link;
    timed('choose the widest net', view, () => {
      view.location.hash = `#net=${encodeURIComponent(design.nets[widest].key)}`;
      view.dispatchEvent(new view.HashChangeEvent('hashchange'));
    });
    timed('choose the last part', view, () => {
      view.location.hash = `#part=${encodeURIComponent(design.parts[lastPart].link)}`;
      view.dispatchEvent(new view.HashChangeEvent('hashchange'));
    });
    if (design.findings.length > 0) {
      timed('choose the first finding', view, () => list('finding-0').click());
    }
    const buttons = doc.querySelectorAll('#sheets button[data-index]');
    for (const index of [1, 2, buttons.length - 1]) {
      timed(`switch to ${buttons[index].textContent}`, view, () => buttons[index].click());
    }
    const search = list('search');
    search.value = design.nets[widest].key;
    search.dispatchEvent(new view.Event('input'));
    timed('choose the widest net found by a search', view, () => list(`net-${widest}`).click());

    // Long lists grow on demand.
    search.value = '';
    search.dispatchEvent(new view.Event('input'));
    const entries = () => doc.querySelectorAll('#nets li:not(.more)').length;
    results.lists = { nets: entries(), rows: doc.querySelectorAll('#detail tr').length };
    doc.querySelector('#nets li.more').click();
    doc.querySelector('#detail button.more').click();
    results.lists.netsMore = entries();
    results.lists.rowsMore = doc.querySelectorAll('#detail tr').length;
    results.lists.moreText = doc.querySelector('#nets li.more').textContent;
  }

  await run();
});
