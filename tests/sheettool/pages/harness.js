// What the scripts that drive the page of sheettool view share. This
// page loads the one its address names (drive.html?interact: interact.js);
// once the page in the frame #view is drawn, that script's drive(run)
// calls run(view, results) and writes the results (and any error) to this
// document's body as JSON in data-results, for the test to read. Needs
// Chromium's --allow-file-access-from-files, so that the frame can be
// reached.
'use strict';

{
  const script = document.createElement('script');
  script.src = `${location.search.slice(1).replace(/[^a-z]/g, '')}.js`;
  document.body.appendChild(script);
}

// eslint-disable-next-line no-unused-vars
function drive(run) {
  const frame = document.getElementById('view');
  const results = { steps: [], error: null };
  // The frame may have loaded before this script: its document is polled
  // until the page says it is drawn.
  const poll = async () => {
    const view = frame.contentWindow;
    const body = view.document.body;
    if (!body || body.dataset.ready !== 'true') {
      setTimeout(poll, 20);
      return;
    }
    try {
      await run(view, results);
    } catch (error) {
      results.error = String(error && error.stack || error);
    }
    document.body.dataset.results = JSON.stringify(results);
  };
  poll();
}
