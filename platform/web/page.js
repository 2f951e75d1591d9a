// The page's own script: fits the window to the screen and starts the program, one at a time.
'use strict';

// Fits the whole window into the viewport's width, and into its height where that allows, at a
// whole number of device pixels per client pixel: the largest that fits, but never more than a
// desktop window would take at this pixel ratio. Only below one device pixel per client pixel
// is the window scaled down smoothly. The layout viewport is measured, not the visual one, so
// that a pinch zoom leaves the layout alone.
function fitWindow() {
  const root = document.getElementById('window');
  if (root.hidden) {
    return;
  }
  const ratio = window.devicePixelRatio || 1;
  const viewWidth = document.documentElement.clientWidth;
  const viewHeight = document.documentElement.clientHeight;
  const margin = Math.round((viewWidth < 600 ? 4 : 16) * ratio) / ratio;
  document.body.style.padding = `${margin}px`;
  const width = root.offsetWidth;
  const height = root.offsetHeight;
  const acrossWidth = ((viewWidth - 2 * margin) * ratio) / width;
  const acrossHeight = ((viewHeight - 2 * margin) * ratio) / height;
  const most = Math.max(1, Math.round(ratio));
  let devicePixels = Math.min(Math.floor(acrossWidth), Math.floor(acrossHeight), most);
  if (devicePixels < 1) {
    devicePixels = Math.min(Math.floor(acrossWidth), most);
  }
  const scale = devicePixels >= 1 ? devicePixels / ratio : acrossWidth / ratio;
  root.style.transform = `scale(${scale})`;
  root.classList.toggle('smooth', devicePixels < 1);
  root.parentElement.style.width = `${width * scale}px`;
  root.parentElement.style.height = `${height * scale}px`;
}
window.addEventListener('resize', fitWindow);

// One program at a time: a start is refused while one starts or runs. The page keeps nothing
// of an ended program; its host releases its listeners and elements, so that the module goes
// with them. document.body.dataset.program says which state the page is in.
function setState(state) {
  document.body.dataset.program = state;
}

function startProgram() {
  const state = document.body.dataset.program;
  if (state === 'starting' || state === 'running') {
    return;
  }
  setState('starting');
  delete document.body.dataset.exitCode;
  document.getElementById('ended').hidden = true;
  const canvas = document.getElementById('client');
  createSorvelin({
    page: {
      root: document.getElementById('window'),
      title: document.getElementById('window-title'),
      closeBox: document.getElementById('close-box'),
      menuBar: document.getElementById('menu-bar'),
      clientArea: document.getElementById('client-area'),
      canvas: canvas,
      // Drawn straight to the screen rather than through the page's compositor, which would
      // take as much CPU again on every frame; each frame is put whole before the program waits.
      context: canvas.getContext('2d', {alpha: false, desynchronized: true}),
      messageBox: document.getElementById('message-box'),
      messageCaption: document.getElementById('message-box-caption'),
      messageText: document.getElementById('message-box-text'),
      messageOk: document.getElementById('message-box-ok'),
      fit: fitWindow,
      shown: () => setState('running'),
      ended: programEnded,
    },
  }).catch((error) => {
    setState('failed');
    document.getElementById('window').hidden = true;
    document.getElementById('failed-reason').textContent = String(error);
    document.getElementById('failed').hidden = false;
  });
}

function programEnded(exitCode) {
  setState('ended');
  for (const field of document.querySelectorAll('#ended .exit-code')) {
    field.textContent = String(exitCode);
  }
  document.getElementById('ended').hidden = false;
  document.body.dataset.exitCode = String(exitCode);
  document.getElementById('restart').focus();
}

document.getElementById('restart').addEventListener('click', startProgram);
startProgram();
// Keeps the page's files for a visit without the server; the page runs the same without it.
if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').catch(() => {});
}
