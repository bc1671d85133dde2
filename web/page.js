// The page around the player (player.cpp): it lays out the playfield, the
// score, "Start again" and the touch controls, keeps the 20 ms tick on the
// page's steady clock, and hands the keys and the touches to the table.
// emscripten appends this file to its runtime, in the same scope.
(function () {
  'use strict';
  const WIDTH = 250, HEIGHT = 200;  // the playfield as the window draws it
  const TICK_MS = 20;
  const MOST_TICKS_A_FRAME = 5;     // after a stall the game catches up this far, no further
  // A held key's repeats as a system with the usual settings sends them:
  // the first after half a second, then about thirty a second. The cannon
  // counts them, so the touch control sends the same.
  const REPEAT_DELAY_MS = 500, REPEAT_EVERY_MS = 33;
  const KEY_Z = 90, KEY_X = 88, KEY_SPACE = 32;
  // The bar above the playfield; the touch controls below it, at the
  // bottom where the thumbs are, as tall as there is room for, within limits.
  const BAR_PX = 44, LEAST_CONTROLS_PX = 72, MOST_CONTROLS_PX = 160;

  const style = document.createElement('style');
  style.textContent = `
    html, body { margin: 0; height: 100%; overflow: hidden; background: #20242a; color: #f2f2f2;
      font: 16px system-ui, sans-serif; touch-action: none; user-select: none; -webkit-user-select: none;
      -webkit-touch-callout: none; }
    header { position: absolute; left: 0; right: 0; top: 0; height: ${BAR_PX}px; display: flex; align-items: center;
      gap: 12px; padding: 0 10px; box-sizing: border-box; }
    header h1 { font-size: 18px; margin: 0; flex: 1; white-space: nowrap; overflow: hidden; text-overflow: ellipsis; }
    header button { font: inherit; padding: 6px 14px; border-radius: 6px; border: 1px solid #8a96a3;
      background: #3a4350; color: inherit; }
    canvas { position: absolute; image-rendering: pixelated; }
    .controls { position: absolute; left: 0; right: 0; bottom: 0; display: flex; gap: 8px; padding: 8px;
      box-sizing: border-box; }
    .controls div { flex: 2; display: flex; align-items: center; justify-content: center; text-align: center;
      border: 2px solid #5b6774; border-radius: 12px; background: #2c333c; line-height: 1.3; }
    .controls div.launch { flex: 1; }
    .controls div.down { background: #5b6774; }
    .message { position: absolute; top: ${BAR_PX + 20}px; left: 20px; right: 20px; }`;
  document.head.appendChild(style);

  const header = document.createElement('header');
  const title = document.createElement('h1');
  title.textContent = document.title;
  const score = document.createElement('span');
  score.textContent = 'Score: 0';
  const start = document.createElement('button');
  start.textContent = 'Start';
  header.append(title, score, start);
  const canvas = document.createElement('canvas');
  const controls = document.createElement('div');
  controls.className = 'controls';
  const control = (key, label, name) => {
    const el = document.createElement('div');
    el.dataset.key = key;
    el.setAttribute('role', 'button');
    el.setAttribute('aria-label', name);
    el.innerHTML = label;
    controls.append(el);
    return el;
  };
  const pads = [control(KEY_Z, 'Z<br>left flippers', 'Left flippers'),
                control(KEY_SPACE, 'SPACE<br>launch', 'Launch'),
                control(KEY_X, 'X<br>right flippers', 'Right flippers')];
  pads[1].className = 'launch';
  document.body.append(header, canvas, controls);
  start.focus();

  // The 250 x 200 drawing, enlarged on the canvas by a whole number in
  // device pixels, every pixel a square, nothing smoothed.
  const drawing = document.createElement('canvas');
  drawing.width = WIDTH;
  drawing.height = HEIGHT;
  const drawingContext = drawing.getContext('2d');
  const context = canvas.getContext('2d');
  let zoom = 1;
  // The table loaded; a game on; its ticks; the time owed to the game (ms)
  // and the clock's reading at the last frame; the score shown.
  let ready = false, playing = false, ticks = 0, owed = 0, last = 0, shownScore = -1;

  function layout() {
    const ratio = window.devicePixelRatio || 1;
    const width = window.innerWidth, height = window.innerHeight;
    zoom = Math.max(1, Math.min(Math.floor(width * ratio / WIDTH),
                                Math.floor((height - BAR_PX - LEAST_CONTROLS_PX) * ratio / HEIGHT)));
    // The canvas covers whole CSS pixels, which cover whole device pixels at
    // a whole device pixel ratio: the drawing is shown one to one, from the
    // canvas's top left corner, with at most a sliver of background beside it.
    const cssWidth = Math.ceil(WIDTH * zoom / ratio), cssHeight = Math.ceil(HEIGHT * zoom / ratio);
    canvas.width = Math.round(cssWidth * ratio);
    canvas.height = Math.round(cssHeight * ratio);
    canvas.style.width = cssWidth + 'px';
    canvas.style.height = cssHeight + 'px';
    canvas.style.left = Math.max(0, Math.floor((width - cssWidth) / 2)) + 'px';
    canvas.style.top = BAR_PX + 'px';
    const room = height - BAR_PX - cssHeight;
    controls.style.height = Math.max(LEAST_CONTROLS_PX, Math.min(MOST_CONTROLS_PX, room)) + 'px';
    if (ready) draw();
  }

  function draw() {
    const pixels = _bw_paint();
    drawingContext.putImageData(new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, WIDTH * HEIGHT * 4),
                                              WIDTH, HEIGHT), 0, 0);
    context.imageSmoothingEnabled = false;
    context.drawImage(drawing, 0, 0, WIDTH * zoom, HEIGHT * zoom);
    const now = _bw_score() >>> 0;
    if (now !== shownScore) {
      shownScore = now;
      score.textContent = 'Score: ' + now;
    }
  }

  // ---- the keys: the keyboard's, and the touch controls' ----
  const keyOf = (e) => ({ z: KEY_Z, x: KEY_X, ' ': KEY_SPACE })[e.key.length === 1 ? e.key.toLowerCase() : ''];
  // The pointers (fingers) holding each control.
  const holders = new Map([[KEY_Z, new Set()], [KEY_X, new Set()], [KEY_SPACE, new Set()]]);
  let nextRepeat = null;  // when the held launch control repeats its key-down

  function key(virtualKey, down) {
    if (playing) _bw_key(virtualKey, down ? 1 : 0);
  }

  window.addEventListener('keydown', (e) => {
    const k = keyOf(e);
    if (!k || !playing || e.ctrlKey || e.metaKey || e.altKey) return;
    e.preventDefault();  // SPACE neither scrolls nor presses the focused button
    key(k, true);        // a held key's repeats too, each a key-down
  });
  window.addEventListener('keyup', (e) => {
    const k = keyOf(e);
    if (!k || !playing) return;
    e.preventDefault();
    key(k, false);
  });

  function press(el, pointer) {
    const k = Number(el.dataset.key), holding = holders.get(k);
    holding.add(pointer);
    if (holding.size > 1) return;
    el.classList.add('down');
    key(k, true);
    if (k === KEY_SPACE) nextRepeat = performance.now() + REPEAT_DELAY_MS;
  }

  function letGo(el, pointer) {
    const k = Number(el.dataset.key), holding = holders.get(k);
    if (!holding.delete(pointer) || holding.size > 0) return;
    el.classList.remove('down');
    if (k === KEY_SPACE) nextRepeat = null;
    key(k, false);
  }

  for (const el of pads) {
    el.addEventListener('pointerdown', (e) => {
      e.preventDefault();
      el.setPointerCapture(e.pointerId);
      press(el, e.pointerId);
    });
    for (const type of ['pointerup', 'pointercancel', 'lostpointercapture'])
      el.addEventListener(type, (e) => letGo(el, e.pointerId));
    el.addEventListener('contextmenu', (e) => e.preventDefault());
  }

  // Leaving the page lets go of every key, as switching windows does in the program.
  function releaseAll() {
    for (const el of pads) {
      holders.get(Number(el.dataset.key)).clear();
      el.classList.remove('down');
    }
    nextRepeat = null;
    if (ready) _bw_release_keys();
  }
  window.addEventListener('blur', releaseAll);

  // ---- the clock: a tick every 20 ms of the time the page is visible ----
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) releaseAll();
    last = performance.now();
  });

  function frame() {
    requestAnimationFrame(frame);
    const now = performance.now();
    if (!playing || document.hidden) {
      last = now;
      return;
    }
    owed += now - last;
    last = now;
    while (nextRepeat !== null && nextRepeat <= now) {
      key(KEY_SPACE, true);
      nextRepeat += REPEAT_EVERY_MS;
    }
    let due = Math.floor(owed / TICK_MS);
    if (due > MOST_TICKS_A_FRAME) {
      owed %= TICK_MS;
      due = MOST_TICKS_A_FRAME;
    } else {
      owed -= due * TICK_MS;
    }
    for (let i = 0; i < due; ++i) _bw_tick();
    ticks += due;
    if (due > 0) draw();
  }

  start.addEventListener('click', () => {
    if (!ready) return;
    _bw_start();
    playing = true;
    ticks = 0;
    owed = 0;
    last = performance.now();
    start.textContent = 'Start again';
    draw();
  });

  window.addEventListener('resize', layout);
  layout();

  function bytesOfBase64(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  function put(bytes) {
    HEAPU8.set(bytes, _bw_input(bytes.length));
  }

  function begin() {
    put(bytesOfBase64(document.body.dataset.table || ''));
    if (!_bw_open()) {
      const message = document.createElement('p');
      message.className = 'message';
      message.textContent = 'This is not a Bumpwright file';
      document.body.append(message);
      start.disabled = true;
      return;
    }
    ready = true;
    draw();
    performance.mark('bumpwright-first-frame');
    requestAnimationFrame(frame);
  }

  // The test entry: a game of this page's table from its start with a key
  // script (as bwtool simulate --keys takes it), on a table of its own.
  window.bumpwright = {
    play(keys, count) {
      put(new TextEncoder().encode(String(keys)));
      const lines = UTF8ToString(_bw_play(Number(count))).trim().split('\n');
      if (lines[0].startsWith('error ')) throw new Error(lines[0].slice(6));
      const field = (name) => lines.filter((l) => l.startsWith(name + ' ')).map((l) => l.slice(name.length + 1));
      return { checksum: field('checksum')[0], score: Number(field('score')[0]), checks: field('check') };
    },
    // The game on screen: its ticks, score and checksum (as bwtool simulate
    // --checksum sums a game), and the zoom.
    state() {
      return { playing, ticks, score: ready ? _bw_score() >>> 0 : 0, zoom,
               checksum: ready ? UTF8ToString(_bw_checksum()) : '' };
    },
  };

  if (runtimeInitialized) begin();
  else Module.onRuntimeInitialized = begin;
})();
