// The page's side of the browser host: it builds the window's elements from the stand-in's
// descriptions, shows the client pixels on the canvas, turns the page's events into the
// stand-in's input, and ends the program's waits.
//
// Each program instance (the page may start the program again after it ends) gets its own copy
// of this object, since it runs inside the module's factory.
Module.sorvelinHost = (function () {
  const page = Module.page;  // the elements of index.html that the host fills
  // For tests only: a clock that moves only when the test says so, as the headless host's does.
  // The browser test sets this before the page's scripts run; no address a user may type does.
  const virtualClock = window.sorvelinTestClock === true;
  const started = performance.now();

  let virtualNow = 0;
  let resumeProgram = null;  // ends the program's current wait
  let wakeTimer = null;
  let deadline = -1;           // of the current wait; -1 for none
  let ticksWanted = 0;         // virtual clock: timer deadlines still to jump to
  let ticksTaken = 0;
  let idleWaiters = [];        // virtual clock: resolved when the program waits with nothing to do
  let ended = false;
  let firstFrameShown = false;
  const windows = new Map();   // handle -> record of its elements
  const shownViews = new Map();  // handle -> the ImageData over its client pixels
  // Removes every listener of this instance once the program ends, also from elements that the
  // browser may still hold after they left the page (the last one focused, say).
  const listening = new AbortController();

  function now() {
    return virtualClock ? virtualNow : Math.floor(performance.now() - started);
  }

  function resume() {
    if (wakeTimer !== null) {
      clearTimeout(wakeTimer);
      wakeTimer = null;
    }
    const resolve = resumeProgram;
    resumeProgram = null;
    if (resolve) {
      resolve();
    }
  }

  // The program's wait: until input arrives or the deadline (on the now() clock) passes.
  function sleep(nextDeadline) {
    return new Promise((resolve) => {
      resumeProgram = resolve;
      deadline = nextDeadline;
      if (virtualClock) {
        takeTickOrSettle();
        return;
      }
      if (deadline >= 0) {
        wakeTimer = setTimeout(resume, Math.max(0, deadline - now()));
      }
    });
  }

  // Virtual clock: jumps to the wait's deadline while the test wants ticks, else tells the test
  // that the program is idle.
  function takeTickOrSettle() {
    if (ticksWanted > 0 && deadline >= 0) {
      --ticksWanted;
      ++ticksTaken;
      virtualNow = Math.max(virtualNow, deadline);
      resume();
      return;
    }
    ticksWanted = 0;
    const waiters = idleWaiters;
    idleWaiters = [];
    waiters.forEach((waiter) => waiter(ticksTaken));
  }

  // Hands one input to the stand-in, which queues it, and lets the program take it.
  function deliver(input, ...handles) {
    if (ended || resumeProgram === null) {
      return false;
    }
    const taken = input(...handles) !== 0;
    resume();
    return taken;
  }

  // Win32 marks a menu's access key with "&" ("&&" is a plain "&"); the page underlines it. The key
  // is no accesskey of the page's, which would act with every menu closed: as in Win32, an item's
  // key acts only in its open menu, and a title's with Alt or in the selected menu bar.
  function setCaption(element, caption) {
    element.textContent = '';
    for (let index = 0; index < caption.length; ++index) {
      const character = caption[index];
      if (character === '&' && caption[index + 1] === '&') {
        element.append('&');
        ++index;
      } else if (character === '&' && index + 1 < caption.length) {
        const key = document.createElement('u');
        key.textContent = caption[index + 1];
        element.append(key);
        element.dataset.mnemonic = caption[index + 1].toLowerCase();
        ++index;
      } else {
        element.append(character);
      }
    }
  }

  // The control that had the focus before the menu bar took it, to which it goes back when the
  // menu bar is left or a command chosen; null for the page itself.
  let focusBeforeMenu = null;
  let altAlone = false;  // Alt is down, and no other key or pointer came since

  function restoreFocus() {
    const target = focusBeforeMenu;
    focusBeforeMenu = null;
    if (target && target.isConnected && !target.disabled) {
      target.focus();
    } else if (page.menuBar.contains(document.activeElement)) {
      document.activeElement.blur();
    }
  }

  function openPopup(title) {
    closeMenus();
    const popup = title.nextElementSibling;
    popup.hidden = false;
    title.setAttribute('aria-expanded', 'true');
    const first = popup.querySelector('button:not([disabled])');
    (first || title).focus();
  }

  function closeMenus() {
    for (const popup of page.menuBar.querySelectorAll('.menu-popup')) {
      popup.hidden = true;
      popup.previousElementSibling.setAttribute('aria-expanded', 'false');
    }
  }

  function createTopLevel(handle, title) {
    page.root.hidden = false;
    delete page.root.dataset.shape;
    page.closeBox.onclick = () => deliver(Module._sorvelin_request_close, handle);
    windows.set(handle, {topLevel: true, popup: null});
    setTitle(title);
  }

  function setTitle(title) {
    page.title.textContent = title;
    document.title = title;
  }

  function updateTopLevel(handle, title, width, height, visible, enabled) {
    if (page.title.textContent !== title) {
      setTitle(title);
    }
    if (page.canvas.width !== width || page.canvas.height !== height) {
      page.canvas.width = width;
      page.canvas.height = height;
    }
    const shape = [width, height, visible].join();
    page.root.classList.toggle('disabled', !enabled);
    if (page.root.dataset.shape !== shape) {
      page.root.dataset.shape = shape;
      page.root.style.setProperty('--client-width', String(width));
      page.root.style.setProperty('--client-height', String(height));
      page.root.hidden = !visible;
      page.fit();
    }
  }

  function addMenuPopup(handle, caption) {
    const record = windows.get(handle);
    const holder = document.createElement('div');
    holder.className = 'menu';
    const title = document.createElement('button');
    title.className = 'menu-title';
    title.id = `menu-title-${page.menuBar.children.length}`;
    title.setAttribute('role', 'menuitem');
    title.setAttribute('aria-haspopup', 'menu');
    title.setAttribute('aria-expanded', 'false');
    title.tabIndex = -1;  // reached as in Win32: by F10, Alt or the pointer
    setCaption(title, caption);
    const popup = document.createElement('div');
    popup.className = 'menu-popup';
    popup.setAttribute('role', 'menu');
    popup.setAttribute('aria-labelledby', title.id);
    popup.hidden = true;
    title.addEventListener('click', () => {
      if (popup.hidden) {
        openPopup(title);
      } else {
        closeMenus();
        restoreFocus();
      }
    }, {signal: listening.signal});
    holder.append(title, popup);
    page.menuBar.append(holder);
    record.popup = popup;
  }

  function addMenuItem(handle, caption, command, enabled) {
    const item = document.createElement('button');
    item.className = 'menu-item';
    item.setAttribute('role', 'menuitem');
    item.dataset.command = String(command);
    item.disabled = !enabled;
    setCaption(item, caption);
    item.addEventListener('click', () => {
      closeMenus();
      restoreFocus();
      deliver(Module._sorvelin_choose_menu_command, handle, command);
    }, {signal: listening.signal});
    windows.get(handle).popup.append(item);
  }

  function enableMenuItem(handle, command, enabled) {
    const item = page.menuBar.querySelector(`[data-command="${command}"]`);
    if (item) {
      item.disabled = !enabled;
    }
  }

  function createControl(handle, parent, statusBar, id) {
    let element;
    if (statusBar) {
      element = document.createElement('div');
      element.id = 'status-bar';
      // Read when the user asks, by moving to it, not announced on each of its 20 changes a
      // second; the canvas's text alternative carries the date, at most once a second.
      element.setAttribute('role', 'status');
      element.setAttribute('aria-live', 'off');
      element.tabIndex = 0;
    } else {
      element = document.createElement('button');
      element.className = 'push-button';
      element.dataset.command = String(id);
      element.addEventListener('click', () => deliver(Module._sorvelin_click_button, handle),
                               {signal: listening.signal});
    }
    element.classList.add('control');
    page.clientArea.append(element);
    windows.set(handle, {topLevel: false, element: element});
  }

  // Only what changed is written: the status text changes on every tick, its place seldom, and
  // each write of a style makes the page work out its layout again.
  function updateControl(handle, text, left, top, width, height, visible, enabled) {
    const element = windows.get(handle).element;
    if (element.textContent !== text) {
      element.textContent = text;
    }
    const place = [left, top, width, height].join();
    if (element.dataset.place !== place) {
      element.dataset.place = place;
      element.style.left = `${left}px`;
      element.style.top = `${top}px`;
      element.style.width = `${width}px`;
      element.style.height = `${height}px`;
    }
    if (element.hidden !== !visible) {
      element.hidden = !visible;
    }
    if (element.tagName === 'BUTTON' && element.disabled !== !enabled) {
      element.disabled = !enabled;
    }
  }

  // The canvas's text alternative: what it shows, and the date of the status text.
  function describeClient(statusText) {
    const date = /\d+年\s*\d+月\s*\d+日/.exec(statusText);
    const shown = '太陽と6惑星を黄道の南から見た図';
    page.canvas.setAttribute('aria-label', date ? `${shown}、${date[0]}` : shown);
  }

  function destroyWindow(handle) {
    const record = windows.get(handle);
    windows.delete(handle);
    shownViews.delete(handle);
    if (!record) {
      return;
    }
    if (record.topLevel) {
      page.root.hidden = true;
    } else {
      record.element.remove();
    }
  }

  // Copies the changed rectangle of a client area's pixels, kept as RGBA bytes in the module's
  // memory, onto the canvas.
  function present(handle, address, width, height, left, top, right, bottom) {
    if (page.canvas.width !== width || page.canvas.height !== height) {
      page.canvas.width = width;
      page.canvas.height = height;
    }
    // The view of the module's memory is made again only when the pixels move or the memory
    // grows, which gives it a new buffer.
    let view = shownViews.get(handle);
    if (!view || view.data.buffer !== HEAPU8.buffer || view.address !== address ||
        view.image.width !== width || view.image.height !== height) {
      const bytes = new Uint8ClampedArray(HEAPU8.buffer, address, width * height * 4);
      view = {data: bytes, address: address, image: new ImageData(bytes, width, height)};
      shownViews.set(handle, view);
    }
    page.context.putImageData(view.image, 0, 0, left, top, right - left, bottom - top);
    if (!firstFrameShown) {
      firstFrameShown = true;
      document.body.dataset.firstFrameMilliseconds = String(Math.round(performance.now()));
      page.shown();
    }
  }

  // The control to which the focus goes back when the message box closes, as in Win32.
  let focusBeforeBox = null;

  function openMessageBox(box, caption, text) {
    closeMenus();
    focusBeforeBox = document.activeElement;
    page.messageCaption.textContent = caption;
    page.messageText.textContent = text;
    page.messageOk.onclick = () => deliver(Module._sorvelin_dismiss_message_box, box);
    // Escape closes a one-button box as its button does; the core decides when it is gone.
    page.messageBox.oncancel = (event) => {
      event.preventDefault();
      deliver(Module._sorvelin_dismiss_message_box, box);
    };
    page.messageBox.showModal();
    page.messageOk.focus();
  }

  function closeMessageBox(box) {
    if (page.messageBox.open) {
      page.messageBox.close();
    }
    const target = focusBeforeBox;
    focusBeforeBox = null;
    if (target && target.isConnected && target !== document.body) {
      target.focus();
    }
  }

  // Lets go of everything this instance put on the page, so that nothing reaches the module.
  function release() {
    listening.abort();
    if (page.messageBox.open) {
      page.messageBox.close();
    }
    page.messageOk.onclick = null;
    page.messageBox.oncancel = null;
    page.closeBox.onclick = null;
    page.menuBar.textContent = '';
    page.clientArea.querySelectorAll('.control').forEach((control) => control.remove());
    page.root.hidden = true;
    windows.clear();
    shownViews.clear();
    delete window.sorvelinTest;
  }

  function programEnded(exitCode) {
    ended = true;
    resume();
    release();
    page.ended(exitCode);
  }

  document.addEventListener('pointerdown', (event) => {
    altAlone = false;
    if (!page.menuBar.contains(event.target)) {
      closeMenus();
    }
  }, {signal: listening.signal});
  // Where the focus came from when it entered the menu bar.
  page.menuBar.addEventListener('focusin', (event) => {
    if (!page.menuBar.contains(event.relatedTarget)) {
      focusBeforeMenu = event.relatedTarget;
    }
  }, {signal: listening.signal});

  // The letter of a key as a menu's access key, whatever Alt makes of it on this keyboard.
  function keyLetter(event) {
    return /^Key[A-Z]$/.test(event.code) ? event.code.slice(3).toLowerCase()
                                         : event.key.toLowerCase();
  }

  function withMnemonic(elements, letter) {
    return elements.find((element) => element.dataset.mnemonic === letter);
  }

  // The keys of a Windows menu bar. F10, or Alt pressed and released alone, selects the menu bar
  // and leaves it again; Alt with a title's key opens that popup. In the selected menu bar a
  // title's key opens its popup, in an open popup an item's key chooses it; Escape closes the
  // popup, then leaves the menu bar; up and down move through the enabled items, left and right
  // to the neighbouring popup.
  function onKey(event) {
    if (page.root.hidden || page.root.classList.contains('disabled') || page.messageBox.open) {
      return;
    }
    const titles = [...page.menuBar.querySelectorAll('.menu-title')];
    const holder = event.target.closest ? event.target.closest('#menu-bar .menu') : null;
    // F10 and Alt alone leave the menu bar when it is active, and select it when not.
    const toggleMenuBar = () => {
      if (holder) {
        closeMenus();
        restoreFocus();
      } else if (titles.length > 0) {
        titles[0].focus();
      }
    };
    if (event.type === 'keyup') {
      if (event.key === 'Alt' && altAlone) {
        altAlone = false;
        toggleMenuBar();
        event.preventDefault();
      }
      return;
    }
    altAlone = event.key === 'Alt' && !event.repeat;
    if (event.key === 'F10' && !event.shiftKey && !event.ctrlKey && !event.altKey) {
      toggleMenuBar();
      event.preventDefault();
      return;
    }
    if (!holder) {
      const title = event.altKey && !event.ctrlKey && withMnemonic(titles, keyLetter(event));
      if (title) {
        openPopup(title);
        event.preventDefault();
      }
      return;
    }
    const title = holder.querySelector('.menu-title');
    const popup = holder.querySelector('.menu-popup');
    const items = [...holder.querySelectorAll('.menu-item:not([disabled])')];
    if (event.key === 'Escape') {
      if (popup.hidden) {
        restoreFocus();
      } else {
        closeMenus();
        title.focus();
      }
    } else if ((event.key === 'ArrowDown' || event.key === 'ArrowUp') && items.length > 0) {
      if (popup.hidden) {
        openPopup(title);
      } else {
        const down = event.key === 'ArrowDown';
        const index = items.indexOf(event.target);
        const next = index < 0 ? (down ? 0 : items.length - 1)
                               : (index + (down ? 1 : items.length - 1)) % items.length;
        items[next].focus();
      }
    } else if (event.key === 'ArrowLeft' || event.key === 'ArrowRight') {
      const step = event.key === 'ArrowRight' ? 1 : titles.length - 1;
      const next = titles[(titles.indexOf(title) + step) % titles.length];
      const wasOpen = !popup.hidden;
      closeMenus();
      if (wasOpen) {
        openPopup(next);
      } else {
        next.focus();
      }
    } else if (/^.$/.test(event.key) && !event.ctrlKey) {
      const letter = keyLetter(event);
      if (!popup.hidden) {
        const item = withMnemonic(items, letter);
        if (item) {
          item.click();
        }
      } else {
        const chosen = withMnemonic(titles, letter);
        if (chosen) {
          openPopup(chosen);
        }
      }
    } else {
      return;
    }
    event.preventDefault();
  }
  document.addEventListener('keydown', onKey, {signal: listening.signal});
  document.addEventListener('keyup', onKey, {signal: listening.signal});

  // The test interface: only with the virtual clock, which the program itself never sees.
  if (virtualClock) {
    window.sorvelinTest = {
      // Resolves with the number of ticks taken once the program waits with nothing to do.
      advanceTimers(count) {
        return new Promise((resolve) => {
          const before = ticksTaken;
          idleWaiters.push((taken) => resolve(taken - before));
          ticksWanted += count;
          if (resumeProgram !== null) {
            takeTickOrSettle();
          }
        });
      },
      idle() {
        return this.advanceTimers(0);
      },
      now: () => virtualNow,
    };
  }

  return {
    now, sleep, createTopLevel, updateTopLevel, addMenuPopup, addMenuItem, enableMenuItem,
    createControl, updateControl, destroyWindow, present, openMessageBox, closeMessageBox,
    programEnded, describeClient,
  };
})();
