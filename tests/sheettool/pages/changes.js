// Uses the review page of sheettool diff as a reviewer would
// (drive.html?changes): reads the list, then opens each change by its
// address (#change=N), then steps with n and p, then switches the layout.
// What each step showed goes to the results.
'use strict';

drive((view, results) => {
  const doc = view.document;
  // An address opened as the browser opens it; the page follows at once.
  const open = (hash) => {
    view.location.hash = hash;
    view.dispatchEvent(new view.HashChangeEvent('hashchange'));
  };

  // What the drawings show: the view box, and per side what is marked
  // and what is lit, as "kind:what" (body, pin, wire, ...).
  function drawn() {
    const sides = {};
    for (const name of ['old', 'new']) {
      const canvas = doc.getElementById(name);
      const describe = (element) => {
        const what = Array.from(element.classList).find((c) => !c.startsWith('mark-') &&
          c !== 'item' && c !== 'chosen') || element.tagName;
        return what;
      };
      sides[name] = {
        marked: Array.from(canvas.querySelectorAll('[class*="mark-"]'), (element) =>
          `${Array.from(element.classList).find((c) => c.startsWith('mark-'))}:${describe(element)}`),
        chosen: Array.from(canvas.querySelectorAll('.chosen'), describe),
        chosenParts: Array.from(canvas.querySelectorAll('.body.chosen'),
          (element) => Number(element.dataset.part)),
        greyed: canvas.querySelector('svg.reviewed') !== null,
        missing: canvas.querySelector('.missing') !== null,
      };
    }
    return {
      view: doc.body.dataset.view.split(' ').map(Number),
      sheet: Number(doc.body.dataset.sheet),
      change: doc.body.dataset.change || '',
      hash: view.location.hash,
      detail: doc.getElementById('detail').hidden ? null
        : doc.getElementById('detail').textContent,
      sides,
    };
  }

  results.entries = Array.from(doc.querySelectorAll('#changes li[data-change]'), (item) => ({
    change: Number(item.dataset.change),
    text: item.textContent,
    group: item.closest('details').querySelector('summary').firstChild.textContent.trim(),
  }));
  results.buttons = Array.from(doc.querySelectorAll('#sheets button[data-number]'),
    (button) => button.textContent);
  results.opened = drawn();
  results.opened.marks = ['old', 'new'].map((name) =>
    doc.querySelectorAll(`#${name} [class*="mark-"]`).length);

  for (const entry of results.entries) {
    open(`#change=${entry.change}`);
    results.steps.push({ name: `change ${entry.change}`, ...drawn() });
  }

  const key = (name) => doc.dispatchEvent(new view.KeyboardEvent('keydown', { key: name,
    bubbles: true }));
  if (results.entries.length > 1) {
    open('#change=1');
    key('n');
    results.steps.push({ name: 'n', ...drawn() });
    key('p');
    key('p');
    results.steps.push({ name: 'p p', ...drawn() });
  }
  const before = doc.body.dataset.view;
  key('l');
  results.layout = {
    layout: doc.body.dataset.layout,
    shown: Array.from(doc.querySelectorAll('.side'), (side) => getComputedStyle(side).display),
    stored: view.localStorage.getItem('sheettool-review-layout'),
    sameMiddle: before === doc.body.dataset.view,
  };
  key('s');
  results.layout.swapped = Array.from(doc.querySelectorAll('.side'),
    (side) => getComputedStyle(side).display);
  key('l');

  // The mouse: the wheel zooms both sides as one; a click on something
  // marked chooses a change that names it.
  open('#change=1');
  const oldCanvas = doc.getElementById('old');
  const unzoomed = doc.body.dataset.view;
  const middle = oldCanvas.getBoundingClientRect();
  oldCanvas.dispatchEvent(new view.WheelEvent('wheel', { bubbles: true, cancelable: true,
    deltaY: -300, clientX: middle.left + middle.width / 2, clientY: middle.top + middle.height / 2 }));
  const viewBoxes = () => Array.from(doc.querySelectorAll('.canvas svg'),
    (svg) => svg.getAttribute('viewBox'));
  results.wheel = { before: unzoomed, after: doc.body.dataset.view, sides: viewBoxes() };
  view.location.hash = '';
  key('Escape');
  const marked = doc.querySelector('#new .pin[class*="mark-"], #old .pin[class*="mark-"], ' +
    '#new .body[class*="mark-"], #old .body[class*="mark-"]');
  results.clicked = null;
  if (marked) {
    const canvas = marked.closest('.canvas');
    const rect = marked.getBoundingClientRect();
    const at = { clientX: rect.left + rect.width / 2, clientY: rect.top + rect.height / 2,
      bubbles: true, pointerId: 1, isPrimary: true };
    canvas.dispatchEvent(new view.PointerEvent('pointerdown', at));
    canvas.dispatchEvent(new view.PointerEvent('pointerup', at));
    results.clicked = { change: doc.body.dataset.change, what: marked.getAttribute('class') };
  }
});
