// Opens each part of the page of sheettool view by its address
// (drive.html?texts), zoomed in so that every text is written, and reports
// where the texts and lines around it stand on the screen: the test checks
// that none covers another. Also the tags, and the order of the layers.
'use strict';

drive((view, results) => {
  const doc = view.document;
  const open = (hash) => {
    view.location.hash = hash;
    view.dispatchEvent(new view.HashChangeEvent('hashchange'));
  };
  const box = (element) => {
    const rect = element.getBoundingClientRect();
    return [rect.left, rect.top, rect.right, rect.bottom];
  };
  const kinds = ['pin-name', 'ref-text', 'number-text', 'name-text', 'power-text', 'pin', 'body',
    'power-bar', 'tag', 'tag-text'];
  const design = JSON.parse(doc.getElementById('design').textContent);
  results.parts = {};
  for (const part of design.parts) {
    open(`#part=${encodeURIComponent(part.link)}`);
    const canvas = doc.getElementById('canvas');
    const shown = [];
    for (const kind of kinds) {
      for (const element of canvas.querySelectorAll(`.${kind}:not(.power-body)`)) {
        const data = element.dataset;
        const owner = data.part !== undefined ? Number(data.part)
          : data.owner !== undefined ? Number(data.owner) : -1;
        shown.push({ kind, owner, text: element.textContent, box: box(element) });
      }
    }
    results.parts[part.link] = { index: design.parts.indexOf(part), shown };
  }
  const layers = Array.from(doc.querySelectorAll('#canvas svg > g'), (group) => group.className
    .baseVal);
  results.layers = layers;
});
