// The texture files the page downloads: a bitmap's pixels as canvas pixels,
// and those pixels as a PNG file encoded by the browser.  Shared by the page
// (Export PNG) and the export worker ("Export at Size…"), which encodes with
// an offscreen canvas where the browser has one in workers.
'use strict';

// The pixels of a 24-bit bottom-up bitmap: red, green, blue, opaque.
function bitmapRgba(bmp) {
  const view = new DataView(bmp.buffer, bmp.byteOffset, bmp.byteLength);
  const width = view.getInt32(18, true);
  const height = view.getInt32(22, true);
  const offset = view.getUint32(10, true);
  const rowLength = (3 * width + 3) & ~3;
  const rgba = new Uint8ClampedArray(width * height * 4);
  for (let y = 0; y < height; ++y) {
    const row = offset + (height - 1 - y) * rowLength;
    for (let x = 0; x < width; ++x) {
      const o = (y * width + x) * 4;
      rgba[o] = bmp[row + 3 * x + 2];
      rgba[o + 1] = bmp[row + 3 * x + 1];
      rgba[o + 2] = bmp[row + 3 * x];
      rgba[o + 3] = 255;
    }
  }
  return { width, height, rgba };
}

// Whether this context can encode without a document: workers of browsers
// whose offscreen canvases encode.
const encodesOffscreen = typeof OffscreenCanvas === 'function' &&
  typeof OffscreenCanvas.prototype.convertToBlob === 'function';

// The bytes of the PNG file of a bitmap's picture.
async function pngOfBitmap(bmp) {
  const { width, height, rgba } = bitmapRgba(bmp);
  const image = new ImageData(rgba, width, height);
  let blob;
  if (encodesOffscreen) {
    const picture = new OffscreenCanvas(width, height);
    picture.getContext('2d').putImageData(image, 0, 0);
    blob = await picture.convertToBlob({ type: 'image/png' });
  } else {
    const picture = document.createElement('canvas');
    picture.width = width;
    picture.height = height;
    picture.getContext('2d').putImageData(image, 0, 0);
    blob = await new Promise((resolve) => picture.toBlob(resolve, 'image/png'));
  }
  return new Uint8Array(await blob.arrayBuffer());
}
