// The page's script: sizes the three canvases, reads the start values (form, file, address),
// hands keys, mouse, buttons and the pop-up menu to the program (weissenberg.js, compiled from
// the C++ sources), runs the animation frames, and gives the program its console, dialogs,
// film panels, quit note and downloads (Module.page).
// Everything but Module stays inside one function, clear of the program's own globals.
(() => {
'use strict';

const $ = (selector) => document.querySelector(selector);

// Special keys by the desktop toolkit's codes.
const SPECIAL_KEYS = {
  F1: 1, F2: 2, F3: 3, F4: 4, F5: 5, F6: 6, F7: 7, F8: 8, F9: 9, F10: 10, F11: 11, F12: 12,
  ArrowLeft: 100, ArrowUp: 101, ArrowRight: 102, ArrowDown: 103, PageUp: 104, PageDown: 105,
  Home: 106, End: 107, Insert: 108,
};
// Keys without a character that the toolkit hands on as control characters.
const CONTROL_KEYS = { Escape: 27, Enter: 13, Backspace: 8, Delete: 127 };

// Keys without a menu entry, as buttons for a computer without them (a tablet): caption, key
// and whether it is a special key.
const KEY_BUTTONS = [
  ['\u2190', 'ArrowLeft', true], ['\u2192', 'ArrowRight', true], ['\u2191', 'ArrowUp', true],
  ['\u2193', 'ArrowDown', true], ['Bild\u2191', 'PageUp', true], ['Bild\u2193', 'PageDown', true],
  ['a', 'a'], ['d', 'd'], ['w', 'w'], ['s', 's'], ['l', 'l'], ['L', 'L'], ['z', 'z'],
  ['i', 'i'], ['0', '0'], ['1', '1'], ['2', '2'], ['3', '3'], ['4', '4'], ['5', '5'],
];

const START_VALUES = ['a', 'b', 'c', 'alpha', 'beta', 'gamma', 'lambda', 'group'];
const PANELS = ['#main-panel', '#rotation-panel', '#weissenberg-panel'];
const TITLES = ['#main-title', '#rotation-title', '#weissenberg-title'];
const CONSOLE_LINES_KEPT = 2000;
const TEXT_FONT = '12px Helvetica, Arial, sans-serif';   // as the desktop's bitmap font
const LARGEST_VIEW = 520;   // pixels, as the desktop's windows
const SMALLEST_VIEW = 200;

let consoleLines = [];
let helpShown = false;

// ---- the program's side of the page ---------------------------------------------------------

const page = {
  ready() {
    buildMenus();
    sizeCanvases();
    window.addEventListener('resize', sizeCanvases);
    startFromAddress();
    requestAnimationFrame(animate);
  },
  console(line) {
    consoleLines.push(line);
    if (consoleLines.length > CONSOLE_LINES_KEPT) consoleLines = consoleLines.slice(-CONSOLE_LINES_KEPT);
    const area = $('#console');
    area.value = consoleLines.join('\n') + '\n';
    area.scrollTop = area.scrollHeight;
  },
  message(title, text) {
    const dialog = $('#message');
    if (dialog.open) dialog.close();
    $('#message-title').textContent = title;
    $('#message-text').textContent = text;
    dialog.showModal();
  },
  film(index, shown, title) {
    $(PANELS[index]).classList.toggle('closed', !shown);
    if (shown && title) $(TITLES[index]).textContent = title;
  },
  title(index, title) { $(TITLES[index]).textContent = title; },
  // The frame's lines of text, at picture coordinates (-1..1, y up), over the canvas.
  texts(index, items) {
    const canvas = $(PANELS[index]).querySelector('canvas.texts');
    const context = canvas.getContext('2d');
    context.clearRect(0, 0, canvas.width, canvas.height);
    context.font = TEXT_FONT;
    context.textBaseline = 'alphabetic';
    for (const item of items) {
      context.fillStyle = item.colour;
      context.textAlign = item.align;
      context.fillText(item.text, (item.x + 1) / 2 * canvas.width, (1 - item.y) / 2 * canvas.height);
    }
  },
  quit() {
    $('#quit-note').hidden = false;
    $('#main-panel').classList.add('ended');
  },
  download(name, mimeType, bytes) {
    const url = URL.createObjectURL(new Blob([bytes], { type: mimeType }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  },
  // The reflection log as CSV text (also what the save button downloads).
  logCsv() { return Module.UTF8ToString(Module._wbLogCsv()); },
  state() { return JSON.parse(Module.UTF8ToString(Module._wbState())); },
};

window.Module = {
  page,
  canvas: $('#main-view'),
  print: (text) => console.log(text),
  printErr: (text) => console.error(text),   // the program's standard error: a fault
};

function animate() {
  Module._wbFrame();
  requestAnimationFrame(animate);
}

// ---- canvases -----------------------------------------------------------------------------

// Three square views side by side, as large as the window allows (at most the desktop's 520
// pixels); one canvas pixel per CSS pixel, so the mouse's pixels are the picture's.
function sizeCanvases() {
  const size = Math.max(SMALLEST_VIEW, Math.min(LARGEST_VIEW, Math.floor((window.innerWidth - 64) / 3)));
  for (const canvas of document.querySelectorAll('#views canvas')) {
    if (canvas.width !== size) canvas.width = size;
    if (canvas.height !== size) canvas.height = size;
    canvas.style.width = `${size}px`;
    canvas.style.height = `${size}px`;
  }
  Module._wbResize(size, size, size, size);
}

// ---- start values -------------------------------------------------------------------------

function start(args) {
  const ok = Module.ccall('wbStart', 'number', ['string'], [args.join('\n')]) === 0;
  if (ok) {
    $('#quit-note').hidden = true;
    $('#main-panel').classList.remove('ended');
    if (!helpShown) {
      helpShown = true;
      page.message('Hinweis', Module.UTF8ToString(Module._wbHelpText()));
    }
  }
  return ok;
}

function formValues() {
  const form = $('#start-form');
  const values = START_VALUES.slice(0, 7).map((name) => form.elements[name].value.trim());
  const group = form.elements.group.value.trim();
  if (group) values.push(group);
  return values;
}

// The address names a crystal as ?a,b,c,alpha,beta,gamma,lambda[,space group]; without one
// the form's values (the start crystal) are taken.
function startFromAddress() {
  const query = decodeURIComponent(window.location.search.slice(1).replace(/\+/g, ' ')).trim();
  if (query) {
    const values = query.split(/[,;]/).map((v) => v.trim());
    const form = $('#start-form');
    START_VALUES.forEach((name, i) => { form.elements[name].value = values[i] ?? ''; });
    start(values.filter((v, i) => i < 7 || v !== ''));
  } else {
    start(formValues());
  }
}

async function startFromForm(event) {
  event.preventDefault();
  const form = $('#start-form');
  const file = form.elements.cif.files[0];
  if (file) {
    // The file goes into the program's memory file system under its own name (which the
    // console line names), and gemmi reads it there as on the desktop.
    const name = file.name.replace(/[/\\]/g, '_') || 'kristall.cif';
    Module.FS.writeFile(name, new Uint8Array(await file.arrayBuffer()));
    start(['--cif', name, form.elements.lambda.value.trim()]);
    return;
  }
  const values = formValues();
  if (start(values)) {
    const address = '?' + values.map((v) => encodeURIComponent(v)).join(',');
    window.history.replaceState(null, '', address);
  }
}

// ---- keys ---------------------------------------------------------------------------------

// Keys are the program's wherever the focus is, except while typing in the form, while a
// dialog is open, or with Control, Alt or Meta held (the browser's own shortcuts).
function onKeyDown(event) {
  if ($('#message').open) return;
  if (!$('#popup-menu').hidden) {
    menuKey(event);
    return;
  }
  const target = event.target;
  if (target.matches && target.matches('input, textarea, select')) return;
  if (target.matches && target.matches('button') && (event.key === 'Enter' || event.key === ' ')) return;
  if (event.ctrlKey || event.altKey || event.metaKey) return;
  const shift = event.shiftKey ? 1 : 0;
  if (event.key in SPECIAL_KEYS) {
    Module._wbSpecialKey(SPECIAL_KEYS[event.key], shift);
  } else if (event.key in CONTROL_KEYS) {
    Module._wbKey(CONTROL_KEYS[event.key], shift);
  } else if (event.key.length === 1 && event.key.charCodeAt(0) < 128) {
    Module._wbKey(event.key.charCodeAt(0), shift);
  } else {
    return;
  }
  // The browser's own meaning (F5 reloads, F11 fills the screen, F3 searches, arrows and
  // page keys scroll) is prevented where the browser lets the page do so.
  event.preventDefault();
}

// ---- mouse --------------------------------------------------------------------------------

function canvasPixel(canvas, event) {
  const box = canvas.getBoundingClientRect();
  return [Math.floor(event.clientX - box.left), Math.floor(event.clientY - box.top)];
}

function attachMainMouse() {
  const canvas = $('#main-view');
  let dragButton = -1;
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  canvas.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    canvas.focus({ preventScroll: true });
    if (event.button === 2) {          // the right button belongs to the pop-up menu
      openMenu(event.clientX, event.clientY);
      return;
    }
    if (event.button !== 0 && event.button !== 1) return;
    dragButton = event.button;
    canvas.setPointerCapture(event.pointerId);
    const [x, y] = canvasPixel(canvas, event);
    Module._wbMouse(event.button, 0, x, y);
  });
  canvas.addEventListener('pointermove', (event) => {
    if (dragButton < 0) return;
    const [x, y] = canvasPixel(canvas, event);
    Module._wbMotion(x, y);
  });
  attachHover(canvas, 0);
  const release = (event) => {
    if (dragButton < 0 || (event.type === 'pointerup' && event.button !== dragButton)) return;
    const [x, y] = canvasPixel(canvas, event);
    Module._wbMouse(dragButton, 1, x, y);
    dragButton = -1;
  };
  canvas.addEventListener('pointerup', release);
  canvas.addEventListener('pointercancel', release);
}

// Without a button held the pointer names what lies under it.
function attachHover(canvas, index) {
  canvas.addEventListener('pointermove', (event) => {
    if (event.buttons !== 0) return;
    const [x, y] = canvasPixel(canvas, event);
    Module._wbHover(index, 1, x, y);
  });
  canvas.addEventListener('pointerleave', () => Module._wbHover(index, 0, 0, 0));
}

// A film hears its buttons at press and release, as the desktop's film windows do: the left
// freezes both films, the right empties the log.
function attachFilmMouse(selector, film) {
  const canvas = $(selector);
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  for (const type of ['pointerdown', 'pointerup']) {
    canvas.addEventListener(type, (event) => {
      event.preventDefault();
      if (event.button === 0 || event.button === 2) Module._wbFilmMouse(film, event.button);
    });
  }
  attachHover(canvas, film);
}

// ---- menu: the pop-up menu and the button rows (the menu's from the program's one table) ----

function menuEntries() {
  return JSON.parse(Module.UTF8ToString(Module._wbMenuEntries()));
}

function buildMenus() {
  const menu = $('#popup-menu');
  const row = $('#menu-buttons');
  menu.replaceChildren();
  row.replaceChildren();
  for (const entry of menuEntries()) {
    const item = document.createElement('li');
    if (entry.value === 0) {
      item.setAttribute('role', 'separator');
      const gap = document.createElement('span');
      gap.className = 'gap';
      row.appendChild(gap);
    } else {
      item.setAttribute('role', 'menuitem');
      item.tabIndex = -1;
      item.textContent = entry.caption;
      item.dataset.value = entry.value;
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = entry.caption;
      button.dataset.value = entry.value;
      button.addEventListener('click', () => Module._wbMenu(entry.value));
      row.appendChild(button);
    }
    menu.appendChild(item);
  }
  const keys = $('#key-buttons');
  keys.replaceChildren();
  for (const [caption, key, special] of KEY_BUTTONS) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = caption;
    button.dataset.key = key;
    button.addEventListener('click', () => {
      if (special) Module._wbSpecialKey(SPECIAL_KEYS[key], 0);
      else Module._wbKey(key.charCodeAt(0), key === 'L' ? 1 : 0);
    });
    keys.appendChild(button);
  }
  // An entry is chosen by releasing a button over it: after a right press that opened the
  // menu (press, move, release, as on the desktop) or by a click.
  menu.addEventListener('pointerup', (event) => {
    const item = event.target.closest('li[role=menuitem]');
    if (item) chooseMenuEntry(item);
  });
  menu.addEventListener('contextmenu', (event) => event.preventDefault());
  document.addEventListener('pointerdown', (event) => {
    if (!menu.hidden && !menu.contains(event.target)) closeMenu();
  }, true);
}

function openMenu(x, y) {
  const menu = $('#popup-menu');
  menu.hidden = false;
  const width = menu.offsetWidth, height = menu.offsetHeight;
  menu.style.left = `${Math.max(0, Math.min(x, window.innerWidth - width))}px`;
  menu.style.top = `${Math.max(0, Math.min(y, window.innerHeight - height))}px`;
}

function closeMenu() {
  $('#popup-menu').hidden = true;
}

function chooseMenuEntry(item) {
  closeMenu();
  Module._wbMenu(Number(item.dataset.value));
}

// In the open menu: arrows move, Enter chooses, Escape closes it (and does not quit).
function menuKey(event) {
  const items = [...$('#popup-menu').querySelectorAll('li[role=menuitem]')];
  const at = items.indexOf(document.activeElement);
  if (event.key === 'Escape') {
    closeMenu();
  } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
    const step = event.key === 'ArrowDown' ? 1 : -1;
    items[(at + step + items.length) % items.length].focus();
  } else if (event.key === 'Enter' && at >= 0) {
    chooseMenuEntry(items[at]);
  } else {
    return;
  }
  event.preventDefault();
}

// ---- the rest of the page -------------------------------------------------------------------

document.addEventListener('keydown', onKeyDown);
attachMainMouse();
attachFilmMouse('#rotation-view', 1);
attachFilmMouse('#weissenberg-view', 2);
$('#start-form').addEventListener('submit', startFromForm);
$('#cif-clear').addEventListener('click', () => { $('#start-form').elements.cif.value = ''; });
$('#help-button').addEventListener('click', () => page.message('Hinweis', Module.UTF8ToString(Module._wbHelpText())));
})();
