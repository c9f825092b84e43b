// Loads the page of sheettool view into the frame of frame.html and tells,
// on this document's body, when it is drawn and where. Needs Chromium's
// --allow-file-access-from-files, so that the frame's document can be read.
'use strict';

(() => {
  const frame = document.getElementById('view');
  frame.addEventListener('load', () => {
    const page = frame.contentWindow.document;
    const poll = () => {
      if (page.body.dataset.ready !== 'true') {
        setTimeout(poll, 20);
        return;
      }
      document.body.dataset.view = page.body.dataset.view;
      document.body.dataset.canvas = page.body.dataset.canvas;
      document.body.dataset.ready = 'true';
    };
    poll();
  });
  frame.src = `page.html${location.hash}`;
})();
