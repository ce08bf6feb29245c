// The preview's runs, away from the page's thread: the same module as the
// page, whose program runner keeps snapshots between runs, so that a slider
// step reruns the program only from the entry it changed.
//
// Where the browser can hand the preview canvas to a worker, this worker
// draws each picture itself, so that it reaches the screen without waiting
// for the page's thread; it then tells the page when the picture was drawn
// and when the frame that shows it began.  Otherwise it sends the planes to
// the page, which draws them.
'use strict';
importScripts('mottler.js', 'preview_draw.js');

const ready = createMottler();
let canvas = null;
let context = null;
let picture = null;
let view = { look: false, tiled: false };
const now = () => performance.timeOrigin + performance.now();

function planes(M, width, height) {
  const plane = (buffer) => {
    const p = M._mt_plane_rgba(buffer);
    return M.HEAPU8.slice(p, p + width * height * 4);
  };
  return { width, height, texture: plane(0), buffer: plane(1) };
}

onmessage = async (event) => {
  const message = event.data;
  if (message.canvas) {
    canvas = message.canvas;
    context = canvas.getContext('2d', { willReadFrequently: true });
    return;
  }
  if (message.view) {
    view = message.view;
    if (picture) drawPreview(canvas, context, picture, view);
    return;
  }
  if (message.read) {
    postMessage({ read: message.read, pixels: readPreview(canvas, context) });
    return;
  }

  const M = await ready;
  const { id, slots, seed, width, height } = message;
  const ptr = M._malloc(Math.max(1, slots.length));
  M.HEAPU8.set(slots, ptr);
  M._mt_render(ptr, slots.length / 48, seed, width, height);
  M._free(ptr);
  picture = planes(M, width, height);
  if (!canvas) {
    postMessage({ id, picture }, [picture.texture.buffer, picture.buffer.buffer]);
    picture = null;
    return;
  }
  drawPreview(canvas, context, picture, view);
  postMessage({ id, width, height, drawnAt: now() });
  requestAnimationFrame(() => postMessage({ id, shownAt: now() }));
};
