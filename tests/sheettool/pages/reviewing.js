// Times the review page of sheettool diff (drive.html?reviewing) as a
// reviewer uses a large one: the script's time for opening the first
// change, the last, stepping with n and p, switching sheets and the
// layout, each with what it left lit.
'use strict';

drive((view, results) => {
  const doc = view.document;
  const lit = () => doc.querySelectorAll('.canvas .chosen').length;
  function timed(name, action) {
    const start = view.performance.now();
    action();
    const ms = view.performance.now() - start;
    results.steps.push({ name, ms, change: doc.body.dataset.change, sheet: doc.body.dataset.sheet,
      lit: lit() });
  }
  const open = (hash) => {
    view.location.hash = hash;
    view.dispatchEvent(new view.HashChangeEvent('hashchange'));
  };
  const key = (name) => doc.dispatchEvent(new view.KeyboardEvent('keydown', { key: name,
    bubbles: true }));
  const entries = doc.querySelectorAll('#changes li[data-change]');
  results.readyMs = Number(doc.body.dataset.readyMs);
  results.entries = entries.length;
  timed('open the first change', () => open('#change=1'));
  timed('n, on the same sheet', () => key('n'));
  timed('open the last change', () => open(`#change=${entries.length}`));
  timed('n', () => key('n'));
  timed('p', () => key('p'));
  timed('choose a change in the list', () => entries[Math.floor(entries.length / 2)].click());
  const buttons = doc.querySelectorAll('#sheet-buttons button');
  timed('switch to sheet 2', () => buttons[1].click());
  timed('one over the other', () => key('l'));
  timed('show the other side', () => key('s'));
  timed('side by side', () => key('l'));
});
