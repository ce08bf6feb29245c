// The page: a thin view over the editor model compiled to WebAssembly
// (mottler.js).  Every user action goes to one of the model's verbs; the
// controls are then drawn again from the model's state.  The preview runs in
// a worker (preview_worker.js) with the same module, which also draws into
// the preview canvas where the browser can hand it over, so that a picture
// reaches the screen without waiting for this thread; a newer edit replaces
// a run that waits, so the preview follows a slider at the speed of the runs.
'use strict';

(async () => {
  let M;
  try {
    M = await createMottler();
  } catch (error) {
    // Typically a page opened from the disk, where browsers refuse to load
    // the module: it needs a web server.
    document.getElementById('status').textContent =
      `The page could not start (${error}). Serve its folder with a web server.`;
    return;
  }
  const $ = (id) => document.getElementById(id);

  // --- the module's interface ----------------------------------------------------
  const json = (ptr) => JSON.parse(M.UTF8ToString(ptr));
  function withString(text, f) {
    const size = M.lengthBytesUTF8(text) + 1;
    const ptr = M._malloc(size);
    M.stringToUTF8(text, ptr, size);
    try { return f(ptr); } finally { M._free(ptr); }
  }
  function withBytes(bytes, f) {
    const ptr = M._malloc(Math.max(1, bytes.length));
    M.HEAPU8.set(bytes, ptr);
    try { return f(ptr); } finally { M._free(ptr); }
  }
  const takeBytes = (ptr) => M.HEAPU8.slice(ptr, ptr + M._mt_bytes_length());

  let catalogue = null;
  let state = null;

  // --- the preview worker -----------------------------------------------------------
  const worker = new Worker('preview_worker.js');
  const canvas = $('preview');
  // The worker draws into the canvas itself where the browser can hand it
  // over; otherwise it sends the planes and the page draws them.
  const handOver = typeof canvas.transferControlToOffscreen === 'function';
  let context = null;
  if (handOver) {
    const offscreen = canvas.transferControlToOffscreen();
    worker.postMessage({ canvas: offscreen }, [offscreen]);
  } else {
    context = canvas.getContext('2d', { willReadFrequently: true });
  }
  const view = () => ({ look: $('look-buffer').checked, tiled: $('tiled').checked });

  let inFlight = null;   // the request the worker runs
  let waiting = null;    // the newest request not yet sent
  let nextId = 1;
  let picture = null;    // the planes of the last run, when the page draws
  let pictureSize = null;
  const startedAt = new Map();  // request id -> when its edit came (absolute ms)
  const now = () => performance.timeOrigin + performance.now();
  // From an edit to its picture in the preview canvas, and to the start of
  // the frame that shows it, in milliseconds.
  const drawn = [];
  const timings = [];
  const reads = new Map();
  let nextRead = 1;

  function requestRun(editAt = performance.now()) {
    const slots = takeBytes(M._mt_run_slots());
    const request = { id: nextId++, slots, seed: M._mt_seed(), width: state.width,
                      height: state.height, editAt: performance.timeOrigin + editAt };
    if (inFlight) waiting = request;  // replaces any request that waits
    else send(request);
  }
  function send(request) {
    inFlight = request;
    startedAt.set(request.id, request.editAt);
    worker.postMessage({ id: request.id, slots: request.slots, seed: request.seed,
                         width: request.width, height: request.height }, [request.slots.buffer]);
  }
  function shown(id, at) {
    timings.push(at - startedAt.get(id));
    startedAt.delete(id);
  }
  worker.onmessage = (event) => {
    const message = event.data;
    if (message.read) {
      reads.get(message.read)(message.pixels);
      reads.delete(message.read);
      return;
    }
    if (message.shownAt !== undefined) {
      shown(message.id, message.shownAt);
      return;
    }
    // A run ended: the next one starts at once.
    inFlight = null;
    if (waiting) {
      const next = waiting;
      waiting = null;
      send(next);
    }
    if (message.picture) {
      picture = message.picture;
      pictureSize = { width: picture.width, height: picture.height };
      drawPreview(canvas, context, picture, view());
      drawn.push(now() - startedAt.get(message.id));
      requestAnimationFrame(() => shown(message.id, now()));
    } else {
      pictureSize = { width: message.width, height: message.height };
      drawn.push(message.drawnAt - startedAt.get(message.id));
    }
    layoutPreview();
  };

  // The canvas's pixels as the preview shows them (for the browser tests).
  function previewPixels() {
    if (!handOver) return Promise.resolve(readPreview(canvas, context));
    const id = nextRead++;
    return new Promise((resolve) => {
      reads.set(id, resolve);
      worker.postMessage({ read: id });
    });
  }

  // --- the preview ------------------------------------------------------------------
  function zoomChoices(width, height) {
    const side = Math.max(width, height);
    return [1, 2, 3, 4, 6, 8, 12, 16, 24, 32].filter((z) => z * side <= 2048);
  }
  function fillZoom() {
    const zoom = $('zoom');
    zoom.replaceChildren(...zoomChoices(state.width, state.height).map((z) => new Option(`${z} ×`, z)));
    // As large as fits about 512 pixels.
    const fit = Math.max(1, Math.floor(512 / Math.max(state.width, state.height)));
    zoom.value = String(zoomChoices(state.width, state.height).filter((z) => z <= fit).pop() || 1);
  }

  // The view options changed: the picture is drawn again from the last run.
  function changeView() {
    if (handOver) worker.postMessage({ view: view() });
    else if (picture) drawPreview(canvas, context, picture, view());
    layoutPreview();
  }

  // The canvas's size on the page: whole device pixels per texel.
  function layoutPreview() {
    if (!pictureSize) return;
    const { width, height } = pictureSize;
    const tiles = $('tiled').checked ? 3 : 1;
    const zoom = Number($('zoom').value) || 1;
    set(canvas.style, 'width', `${width * tiles * zoom / devicePixelRatio}px`);
    set(canvas.style, 'height', `${height * tiles * zoom / devicePixelRatio}px`);
    const label = `Preview of the ${$('look-buffer').checked ? 'buffer' : 'texture'}, ` +
      `${width} × ${height} pixels${tiles === 3 ? ', tiled 3 × 3' : ''}`;
    if (canvas.getAttribute('aria-label') !== label) canvas.setAttribute('aria-label', label);
  }

  // --- the controls from the model ---------------------------------------------------
  const rows = [];
  function buildParameterRows() {
    const box = $('parameters');
    for (let k = 0; k < 7; ++k) {
      const row = document.createElement('div');
      row.className = 'row';
      const label = document.createElement('label');
      label.htmlFor = `param-${k}`;
      label.id = `param-${k}-label`;
      const input = document.createElement('input');
      input.type = 'range';
      input.id = `param-${k}`;
      const output = document.createElement('output');
      output.htmlFor = input.id;
      output.id = `param-${k}-value`;
      row.append(label, input, output);
      box.append(row);
      rows.push({ label, input, output });
      input.addEventListener('input', () => edit(() => M._mt_set_parameter(k, Number(input.value))));
    }
  }

  function buildCatalogue() {
    catalogue = json(M._mt_catalogue(state.width, state.height));
    const commands = $('commands');
    const groups = catalogue.categories.map((name) => {
      const group = document.createElement('optgroup');
      group.label = name;
      return group;
    });
    catalogue.commands.forEach((command, index) => {
      const option = new Option(command.name, index);
      option.title = command.summary;
      groups[command.category].append(option);
    });
    commands.replaceChildren(...groups);
    commands.selectedIndex = -1;
    $('method').replaceChildren(...catalogue.methods.map((name, i) => new Option(name, i)));
  }

  // Writes a property only when it changes, so that a slider step touches
  // only what it changed and the page does no needless layout.
  function set(element, property, value) {
    if (element[property] !== value) element[property] = value;
  }
  const setText = (element, value) => set(element, 'textContent', String(value));

  let shownList = '';
  function show() {
    state = json(M._mt_state());
    set(document, 'title', `Mottler - ${baseName(state.documentPath)}`);
    setText($('width-text'), state.width);
    setText($('height-text'), state.height);
    set($('seed'), 'value', String(state.seed));
    setText($('seed-value'), state.seed);
    if (document.activeElement !== $('remark') || $('remark').value !== state.remark)
      $('remark').value = state.remark;

    state.rows.forEach((row, k) => {
      const r = rows[k];
      setText(r.label, row.label);
      if (r.label.classList.contains('off') === row.enabled) r.label.classList.toggle('off', !row.enabled);
      set(r.input, 'min', String(row.min));
      set(r.input, 'max', String(row.max));
      set(r.input, 'value', String(row.position));
      set(r.input, 'disabled', !row.enabled);
      setText(r.output, row.value === null ? '' : row.value);
    });
    for (const [name, id] of [['offsetX', 'offset-x'], ['offsetY', 'offset-y']]) {
      const bar = state[name];
      set($(id), 'max', String(bar.max));
      set($(id), 'value', String(bar.position));
      set($(id), 'disabled', !bar.enabled);
      setText($(`${id}-value`), bar.value === null ? '' : bar.value);
    }
    set($('method'), 'value', String(state.method));
    set($('method'), 'disabled', !state.methodEnabled);
    set($('fixed-colors'), 'checked', state.fixedChecked);
    set($('fixed-colors'), 'disabled', !state.fixedEnabled);

    const list = JSON.stringify(state.list);
    const program = $('program');
    if (list !== shownList) {
      shownList = list;
      program.replaceChildren(...state.list.map((row) =>
        new Option(row.off ? `${row.name} (off)` : row.name)));
    }
    set(program, 'selectedIndex', state.highlighted);
    set(program, 'disabled', !state.listEnabled);
    if (state.mode === 1) {
      set($('commands'), 'value', String(state.pendingCommand));
      setText($('command-summary'), catalogue.commands[state.pendingCommand].summary);
    }

    set($('add'), 'disabled', !state.canAdd);
    set($('cancel'), 'disabled', !state.canCancel);
    set($('up'), 'disabled', !state.canMove);
    set($('down'), 'disabled', !state.canMove);
    set($('remove'), 'disabled', !state.canRemove);
    set($('state'), 'disabled', !state.canToggle);
    set($('save'), 'disabled', !state.saveEnabled);
    set($('undo'), 'disabled', !state.canUndo);
    set($('redo'), 'disabled', !state.canRedo);
    setText($('undo'), state.canUndo ? `Undo ${state.undoText}` : 'Undo');
    setText($('redo'), state.canRedo ? `Redo ${state.redoText}` : 'Redo');
  }

  // A verb: run it, draw the controls again, run the program when it asks.
  function edit(verb) {
    const startedAt = performance.now();
    const result = verb();
    // The run first, so that the worker starts while the controls are drawn.
    if (result > 0) requestRun(startedAt);
    show();
    return result;
  }

  // After "Add" and "Cancel" the tree's first item is chosen again and takes
  // the focus; here the commands list shows no choice.
  function backToCommands() {
    $('commands').selectedIndex = -1;
    $('command-summary').textContent = '';
    $('commands').focus();
  }

  // --- files -------------------------------------------------------------------------
  function baseName(path) { return path.replace(/^.*[\\/]/, ''); }
  function download(bytes, name, type) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type }));
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
  function status(text) { $('status').textContent = text; }

  function showError(message) {
    $('error-text').textContent = message;
    $('error-dialog').showModal();
  }

  function openBytes(bytes, name) {
    const result = withBytes(bytes, (ptr) => withString(name, (n) => M._mt_open(ptr, bytes.length, n)));
    if (result !== 0) {
      showError(M.UTF8ToString(M._mt_message()));
      return false;
    }
    documentOpened();
    status(` ${name} loaded`);
    return true;
  }
  function documentOpened() {
    show();
    buildCatalogue();
    fillZoom();
    show();
    requestRun();
    if ($('size-dialog').open) fillScales();
  }
  async function openFile(file) {
    if (!file) return;
    openBytes(new Uint8Array(await file.arrayBuffer()), file.name);
  }

  function stem() { return baseName(state.documentPath).replace(/\.[^.]*$/, '') || 'texture'; }
  function save(always = false) {
    if (!state.saveEnabled && !always) return;
    const name = baseName(state.documentPath) || 'Untitled.mlr';
    const bytes = withString(name, (n) => takeBytes(M._mt_save(n)));
    download(bytes, name, 'application/octet-stream');
    show();
    status(` ${name} saved`);
  }
  function exportBitmap() {
    const bytes = takeBytes(M._mt_export_bitmap());
    download(bytes, `${stem()}.bmp`, 'image/bmp');
    status(` ${stem()}.bmp saved`);
    return bytes;
  }
  async function exportPng() {
    // The picture of the bitmap export, encoded by the browser.
    const png = await pngOfBitmap(takeBytes(M._mt_export_bitmap()));
    download(png, `${stem()}.png`, 'image/png');
    status(` ${stem()}.png saved`);
  }

  // --- "Export at Size…" -----------------------------------------------------------------
  // The design size and 2, 4, 8 and 16 times it, as far as the engine
  // renders (kMaxScaledSide a side).  The dialog is not modal: the page goes
  // on editing while a worker of its own renders the program as it was when
  // Export was pressed.
  const maxScale = 16;
  const maxScaledSide = 4096;
  let exporter = null;  // the worker of the export under way

  function scalesFor(width, height) {
    const scales = [];
    for (let s = 1; s <= maxScale; s *= 2)
      if (width * s <= maxScaledSide && height * s <= maxScaledSide) scales.push(s);
    return scales;
  }
  function fillScales() {
    const box = $('size-scale');
    const chosen = box.value;
    box.replaceChildren(...scalesFor(state.width, state.height).map((s) => new Option(
      `${state.width * s} × ${state.height * s} (${s === 1 ? 'design size' : `×${s}`})`, s)));
    if ([...box.options].some((o) => o.value === chosen)) box.value = chosen;
  }
  function showExporting(running) {
    $('size-progress').hidden = !running;
    $('size-export').disabled = running;
    $('size-scale').disabled = running;
    $('size-type').disabled = running;
    $('size-close').textContent = running ? 'Cancel' : 'Close';
  }
  function openSizeDialog() {
    fillScales();
    if (!exporter) $('size-status').textContent = '';
    if (!$('size-dialog').open) $('size-dialog').show();
    (exporter ? $('size-close') : $('size-scale')).focus();
  }
  function stopExport(message) {
    exporter?.terminate();
    exporter = null;
    showExporting(false);
    $('size-status').textContent = message;
  }
  function exportAtSize(event) {
    event.preventDefault();
    if (exporter) return;
    const scale = Number($('size-scale').value);
    const png = $('size-type').value === 'png';
    const name = `${stem()}.${png ? 'png' : 'bmp'}`;
    const job = { slots: takeBytes(M._mt_run_slots()), seed: M._mt_seed(), width: state.width,
                  height: state.height, scale, png };
    const worker = new Worker('export_worker.js');
    exporter = worker;
    worker.onmessage = async ({ data }) => {
      if (exporter !== worker) return;
      if (data.failed) {
        stopExport('The texture could not be made at this size.');
        return;
      }
      const bytes = png && !data.encoded ? await pngOfBitmap(data.bytes) : data.bytes;
      if (exporter !== worker) return;
      download(bytes, name, png ? 'image/png' : 'image/bmp');
      stopExport(`${name} saved`);
      status(` ${name} saved`);
    };
    worker.onerror = (e) => {
      if (exporter === worker) stopExport(`The export failed (${e.message || 'out of memory'}).`);
    };
    showExporting(true);
    $('size-status').textContent = 'Rendering...';
    $('size-close').focus();
    worker.postMessage(job, [job.slots.buffer]);
  }
  function closeSizeDialog() {
    if (exporter) {
      stopExport('Export cancelled');
      return;
    }
    $('size-dialog').close();
  }

  // Before New: unsaved changes of a program with entries are offered for
  // saving.  Resolves to false when the user cancels.
  function saveChangesPrompt() {
    if (!state.modified || state.programLength === 0) return Promise.resolve(true);
    const dialog = $('prompt-dialog');
    $('prompt-text').textContent = `Save changes to ${state.documentPath}?`;
    dialog.returnValue = 'cancel';
    dialog.showModal();
    return new Promise((resolve) => {
      dialog.addEventListener('close', () => {
        if (dialog.returnValue === 'yes') save(true);
        resolve(dialog.returnValue !== 'cancel');
      }, { once: true });
    });
  }

  // --- "New" ---------------------------------------------------------------------------
  const presets = ['Default (256x256)', 'Average (128x128)', 'Small (64x64)',
                   'Big Icon (32x32)', 'Small Icon (16x16)', 'Symbol (8x8)'];
  function openNewDialog() {
    $('new-name').value = 'Untitled';
    $('new-preset').replaceChildren(...presets.map((text, i) => new Option(text, i)));
    $('new-width').value = '256';
    $('new-height').value = '256';
    $('new-error').textContent = '';
    $('new-dialog').showModal();
    $('new-name').select();
  }
  function checkSide(box) {
    const text = box.value.trim();
    if (!/^[0-9]+$/.test(text)) return 'Please enter a positive integer.';
    const value = Number(text);
    if (value < catalogue.minSide || value > catalogue.maxSide)
      return `Please enter an integer between ${catalogue.minSide} and ${catalogue.maxSide}.`;
    return null;
  }
  function acceptNewDialog(event) {
    event.preventDefault();
    for (const box of [$('new-height'), $('new-width')]) {
      const message = checkSide(box);
      if (message) {
        $('new-error').textContent = message;
        box.focus();
        box.select();
        return;
      }
    }
    let name = $('new-name').value;
    if (!name.includes('.')) name += '.mlr';
    withString(name, (n) => M._mt_new(Number($('new-width').value), Number($('new-height').value), n));
    $('new-dialog').close();
    documentOpened();
    status('Ready');
  }

  // --- wiring ------------------------------------------------------------------------------
  buildParameterRows();
  withString('Untitled.mlr', (n) => M._mt_new(256, 256, n));
  show();
  buildCatalogue();
  fillZoom();
  show();

  $('commands').addEventListener('change', () => {
    const index = Number($('commands').value);
    if ($('commands').selectedIndex < 0) return;
    $('command-summary').textContent = catalogue.commands[index].summary;
    edit(() => M._mt_choose(index));
  });
  $('program').addEventListener('change', () => {
    const row = $('program').selectedIndex;
    if (row >= 0) edit(() => M._mt_select(row));
  });
  $('add').addEventListener('click', () => { edit(() => M._mt_add()); backToCommands(); });
  $('cancel').addEventListener('click', () => { edit(() => M._mt_cancel()); backToCommands(); });
  $('remove').addEventListener('click', () => edit(() => M._mt_remove()));
  $('state').addEventListener('click', () => edit(() => M._mt_toggle()));
  $('up').addEventListener('click', () => edit(() => M._mt_up()));
  $('down').addEventListener('click', () => edit(() => M._mt_down()));

  $('seed').addEventListener('input', () => edit(() => M._mt_set_seed(Number($('seed').value))));
  $('offset-x').addEventListener('input', () => edit(() => M._mt_set_offset_x(Number($('offset-x').value))));
  $('offset-y').addEventListener('input', () => edit(() => M._mt_set_offset_y(Number($('offset-y').value))));
  $('method').addEventListener('change', () => edit(() => M._mt_set_method(Number($('method').value))));
  $('fixed-colors').addEventListener('change', () => edit(() => M._mt_set_fixed($('fixed-colors').checked ? 1 : 0)));
  $('remark').addEventListener('input', () => {
    if (withString($('remark').value, (p) => M._mt_set_remark(p)) < 0) $('remark').value = state.remark;
    show();
  });

  // A drag, or a run of keys or typing in one control, is one undo step: a
  // new one starts when a slider is pressed or let go and when the focus moves.
  document.addEventListener('focusin', () => M._mt_start_gesture());
  for (const type of ['pointerdown', 'pointerup'])
    document.addEventListener(type, (e) => { if (e.target.type === 'range') M._mt_start_gesture(); });

  function undo() { edit(() => M._mt_undo()); }
  function redo() { edit(() => M._mt_redo()); }
  $('undo').addEventListener('click', undo);
  $('redo').addEventListener('click', redo);

  $('zoom').addEventListener('change', layoutPreview);
  $('tiled').addEventListener('change', changeView);
  $('look-buffer').addEventListener('change', changeView);

  $('new').addEventListener('click', async () => { if (await saveChangesPrompt()) openNewDialog(); });
  $('new-form').addEventListener('submit', acceptNewDialog);
  $('new-cancel').addEventListener('click', () => $('new-dialog').close());
  $('new-preset').addEventListener('change', () => {
    const side = 256 >> Number($('new-preset').value);
    $('new-width').value = side;
    $('new-height').value = side;
  });

  $('open').addEventListener('click', () => $('open-file').click());
  $('open-file').addEventListener('change', () => {
    openFile($('open-file').files[0]);
    $('open-file').value = '';
  });
  document.addEventListener('dragover', (e) => e.preventDefault());
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    openFile(e.dataTransfer.files[0]);
  });

  const examples = await (await fetch('examples/index.json')).json();
  $('examples').replaceChildren(...examples.map((name) => new Option(name.replace(/\.mlr$/, ''), name)));
  $('open-example').addEventListener('click', async () => {
    const name = $('examples').value;
    const response = await fetch(`examples/${name}`);
    openBytes(new Uint8Array(await response.arrayBuffer()), name);
  });

  $('save').addEventListener('click', () => save());
  $('export-bmp').addEventListener('click', exportBitmap);
  $('export-png').addEventListener('click', exportPng);
  $('export-size').addEventListener('click', openSizeDialog);
  $('size-form').addEventListener('submit', exportAtSize);
  $('size-close').addEventListener('click', closeSizeDialog);
  // Escape cancels an export under way, or closes the dialog.
  $('size-dialog').addEventListener('keydown', (e) => {
    if (e.key !== 'Escape') return;
    e.preventDefault();
    closeSizeDialog();
  });
  $('size-dialog').addEventListener('close', () => $('export-size').focus());

  document.addEventListener('keydown', (e) => {
    if (!(e.ctrlKey || e.metaKey) || e.altKey) return;
    const key = e.key.toLowerCase();
    const actions = { z: e.shiftKey ? redo : undo, y: redo, s: () => save(), o: () => $('open-file').click(),
                      e: exportBitmap };
    // The modal dialogs take the keys; "Export at Size…" leaves them to the page.
    if (!actions[key] || document.querySelector('dialog[open]:not(#size-dialog)')) return;
    e.preventDefault();
    actions[key]();
  });
  window.addEventListener('beforeunload', (e) => {
    if (state.modified && state.programLength > 0) e.preventDefault();
  });

  requestRun();
  // For the browser tests: the edit-to-paint times and the state.
  window.mottlerPage = { drawn, timings, previewPixels, state: () => state, idle: () => !inFlight && !waiting };
  document.body.dataset.ready = 'true';
})();
