// Draws a run's picture into the preview canvas: the texture or, with "Look
// Buffer", the buffer, once or tiled 3 x 3, one canvas pixel per texel (the
// page zooms the canvas).  Shared by the preview worker, which draws into the
// page's canvas where the browser lets it, and the page, which draws itself
// otherwise.
'use strict';

function drawPreview(canvas, context, picture, view) {
  const { width, height } = picture;
  const pixels = view.look ? picture.buffer : picture.texture;
  const image = new ImageData(new Uint8ClampedArray(pixels), width, height);
  const tiles = view.tiled ? 3 : 1;
  if (canvas.width !== width * tiles || canvas.height !== height * tiles) {
    canvas.width = width * tiles;
    canvas.height = height * tiles;
  }
  for (let y = 0; y < tiles; ++y)
    for (let x = 0; x < tiles; ++x) context.putImageData(image, x * width, y * height);
}

// The canvas's pixels, red, green, blue and alpha.
function readPreview(canvas, context) {
  return context.getImageData(0, 0, canvas.width, canvas.height).data;
}
