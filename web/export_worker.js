// "Export at Size…" away from the page's thread and from the preview's
// worker: one run of the program at a scale, written as a bitmap and, when
// asked, encoded as PNG.  The page starts a worker per export and ends it
// when the file is there or the user cancels, so a cancelled run stops at
// once and a large texture's memory goes with its worker.
'use strict';
importScripts('mottler.js', 'picture_files.js');

const ready = createMottler();

onmessage = async (event) => {
  const { slots, seed, width, height, scale, png } = event.data;
  const M = await ready;
  const ptr = M._malloc(Math.max(1, slots.length));
  M.HEAPU8.set(slots, ptr);
  const out = M._mt_export_scaled(ptr, slots.length / 48, seed, width, height, scale);
  M._free(ptr);
  const bmp = M.HEAPU8.slice(out, out + M._mt_bytes_length());
  if (bmp.length === 0) {
    postMessage({ failed: true });
    return;
  }
  // Without an offscreen canvas the page encodes the PNG itself.
  const bytes = png && encodesOffscreen ? await pngOfBitmap(bmp) : bmp;
  postMessage({ bytes, encoded: png && encodesOffscreen }, [bytes.buffer]);
};
