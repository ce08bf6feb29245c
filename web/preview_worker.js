// The preview's runs, away from the page's thread: the same module as the
// page, whose program runner keeps snapshots between runs, so that a slider
// step reruns the program only from the entry it changed.
'use strict';
importScripts('mottler.js');

const ready = createMottler();

onmessage = async (event) => {
  const M = await ready;
  const { id, slots, seed, width, height } = event.data;
  const ptr = M._malloc(Math.max(1, slots.length));
  M.HEAPU8.set(slots, ptr);
  M._mt_render(ptr, slots.length / 48, seed, width, height);
  M._free(ptr);
  const plane = (buffer) => {
    const p = M._mt_plane_rgba(buffer);
    return M.HEAPU8.slice(p, p + width * height * 4);
  };
  const texture = plane(0);
  const buffer = plane(1);
  postMessage({ id, width, height, texture, buffer }, [texture.buffer, buffer.buffer]);
};
