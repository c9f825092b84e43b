// Reads the findings of a design in the page of sheettool view
// (drive.html?findings): the list's entries, the detail of one chosen,
// the marks on the drawing and what a click on each chooses.
'use strict';

drive(async (view, results) => {
  const doc = view.document;
  const design = JSON.parse(doc.getElementById('design').textContent);
  results.entries = Array.from(doc.querySelectorAll('#findings li:not(.more)'),
    (item) => item.textContent);
  results.messages = design.findings.map((finding) => finding.message);
  doc.getElementById('finding-0').click();
  results.chosen = {
    hash: view.location.hash,
    detail: doc.getElementById('detail').hidden ? null : doc.querySelector('#detail h2').textContent,
    message: doc.querySelector('#detail .message').textContent,
  };
  doc.getElementById('whole').click();
  const sheet = design.sheets.find((each) => each.number === design.findings[0].sheet);
  results.marks = doc.querySelectorAll('#canvas .finding-mark').length;
  results.onSheet = design.findings.filter((finding) => finding.sheet === sheet.number).length;
  // A click on each place with findings chooses the last one drawn there.
  const [vx, vy, vw, vh] = doc.body.dataset.view.split(' ').map(Number);
  const [left, top, width, height] = doc.body.dataset.canvas.split(' ').map(Number);
  const canvas = doc.getElementById('canvas');
  results.clicks = [];
  const last = new Map();
  design.findings.forEach((finding, index) => {
    if (finding.sheet === sheet.number) last.set(finding.at.join(','), index);
  });
  for (const [place, index] of last) {
    const [x, y] = place.split(',').map(Number);
    const options = {
      bubbles: true, clientX: left + ((x - vx) / vw) * width, clientY: top + ((y - vy) / vh) * height,
      pointerId: 1, isPrimary: true,
    };
    canvas.dispatchEvent(new view.PointerEvent('pointerdown', options));
    canvas.dispatchEvent(new view.PointerEvent('pointerup', options));
    results.clicks.push({ expected: `#finding=${index + 1}`, hash: view.location.hash });
  }
});
