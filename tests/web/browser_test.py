#!/usr/bin/env python3
"""The web page in headless Chromium, in two scenarios.

1. On the test clock: the first frame, then the status bar shown and frames in mode 0 and mode 1,
   each compared pixel for pixel with the headless host's frame after the same steps.
2. On the real clock: every button, the status bar through the menu with the right items greyed,
   the modal version dialog while the animation goes on, 終了, starting again, and the close box.

Usage: browser_test.py PAGE_DIR REFERENCE_FRAME_TOOL SCRATCH_DIR
Exits with 77, saying why, where Chromium cannot start.
"""
import math
import os
import re
import shutil
import subprocess
import sys

from PIL import Image, ImageChops

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import page_harness  # noqa: E402

SKIP = 77
TITLE = 'Sorvelin[南視]'
SUN = (392, 290)  # the centre of the 784 by 541 client area: (w / 2, h / 2 + 20)
LEGEND = {(15, 38): (255, 0, 0), (77, 38): (0, 255, 0), (139, 38): (255, 255, 0),
          (202, 38): (0, 255, 255), (268, 38): (255, 128, 0), (332, 38): (255, 0, 255),
          (396, 38): (169, 169, 169)}
EARTH = (0, 255, 255)
BELOW_LEGEND = 50  # rows above this hold the buttons, the texts and the legend
# The version the version message names: the one the build stamps into the program.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'VERSION'),
          encoding='ascii') as version_file:
    VERSION = version_file.read().strip()


def earth_pixels(image):
    width, height = image.size
    pixels = image.load()
    return [(x, y) for y in range(BELOW_LEGEND, height) for x in range(width)
            if pixels[x, y] == EARTH]


def earth_distance(image):
    """The distance of the Earth's marker from the Sun, in pixels."""
    points = earth_pixels(image)
    assert points, 'no Earth on the canvas'
    x = sum(point[0] for point in points) / len(points)
    y = sum(point[1] for point in points) / len(points)
    return math.hypot(x - SUN[0], y - SUN[1])


def check_first_frame(image):
    assert image.size == (784, 541), f'the client area is {image.size}'
    pixels = image.load()
    assert pixels[SUN] == (255, 0, 0), f'the Sun is not at {SUN}: {pixels[SUN]}'
    for place, colour in LEGEND.items():
        assert pixels[place] == colour, f'legend marker at {place} is {pixels[place]}'
    distance = earth_distance(image)
    assert 230 < distance < 260, f'the Earth stands {distance:.1f} pixels from the Sun'


def compare_with_reference(browser, tool, scratch, name, steps):
    """The canvas must equal the headless host's client pixels after the same steps."""
    reference_path = os.path.join(scratch, f'{name}-headless.ppm')
    subprocess.run([tool, reference_path, *steps], check=True)
    reference = Image.open(reference_path).convert('RGB')
    shown = browser.canvas()
    if shown.size != reference.size or ImageChops.difference(shown, reference).getbbox():
        shown.save(os.path.join(scratch, f'{name}-browser.png'))
        reference.save(os.path.join(scratch, f'{name}-headless.png'))
        box = (ImageChops.difference(shown, reference).getbbox()
               if shown.size == reference.size else None)
        raise AssertionError(f'{name}: the canvas differs from the headless host '
                             f'(sizes {shown.size} and {reference.size}, differing box {box}); '
                             f'both saved in {scratch}')
    return shown


# The screens the page must fit: (name, CSS width, CSS height, device pixel ratio, touch).
SCREENS = [('phone-390x844-ratio-3-touch', 390, 844, 3, True),
           ('tablet-768x1024-ratio-2', 768, 1024, 2, False),
           ('desktop-1280x720-ratio-1.5-status-bar', 1280, 720, 1.5, False),
           ('desktop-1280x720-ratio-1', 1280, 720, 1, False),
           ('narrow-320x568-ratio-2', 320, 568, 2, False)]


def window_geometry(browser):
    return browser.run("""
        const box = (element) => {
          const rect = element.getBoundingClientRect();
          return [rect.left, rect.top, rect.right, rect.bottom];
        };
        const root = document.documentElement;
        return {ratio: devicePixelRatio, width: root.clientWidth, height: root.clientHeight,
                scrollWidth: root.scrollWidth, window: box(document.getElementById('window')),
                canvas: box(document.getElementById('client')),
                controls: [...document.querySelectorAll('#client-area .control:not([hidden])')]
                    .map((control) => [control.dataset.place.split(',').map(Number),
                                       box(control)])};""")


def check_fit(browser, name, reference, shots):
    """The whole window fits the viewport without scrolling sideways; where one device pixel
    per client pixel fits, each client pixel is a square of whole device pixels on the screen,
    equal to the headless host's, with the controls over the client pixels they belong to.
    Returns what the report tells: whether it scrolls sideways and whether the pixels match."""
    shot = browser.screenshot()
    shot.save(os.path.join(shots, f'{name}.png'))
    geometry = window_geometry(browser)
    ratio = geometry['ratio']
    left, top, right, bottom = geometry['window']
    assert geometry['scrollWidth'] <= geometry['width'] and right <= geometry['width'], \
        f'{name}: the window {geometry["window"]} is wider than the viewport {geometry["width"]}'
    canvas_left, canvas_top, canvas_right, canvas_bottom = geometry['canvas']
    scale = (canvas_right - canvas_left) / reference.width  # CSS pixels per client pixel
    for (x, y, width, height), box in geometry['controls']:
        want = [canvas_left + x * scale, canvas_top + y * scale,
                canvas_left + (x + width) * scale, canvas_top + (y + height) * scale]
        assert all(abs(got - wanted) * ratio < 1 for got, wanted in zip(box, want)), \
            f'{name}: a control at {box} should stand at {want}'
    device_pixels = math.floor(scale * ratio + 0.5 / reference.width)
    if device_pixels < 1:
        assert reference.width * scale * ratio < reference.width, f'{name}: not scaled down'
        return {'sideways scroll': False, 'crisp': False}
    assert bottom <= geometry['height'], f'{name}: the window ends at {bottom} of ' \
                                         f'{geometry["height"]}'
    # The layout keeps lengths in 64ths of a CSS pixel; the screen snaps them to device pixels.
    assert abs(scale * ratio - device_pixels) * reference.width < 1, \
        f'{name}: {scale * ratio} device pixels per client pixel'
    crop = shot.crop((round(canvas_left * ratio), round(canvas_top * ratio),
                      round(canvas_left * ratio) + reference.width * device_pixels,
                      round(canvas_top * ratio) + reference.height * device_pixels))
    shown = crop.resize(reference.size, Image.NEAREST)
    expected = reference.copy()
    for (x, y, width, height), _ in geometry['controls']:
        for image in (shown, expected):
            image.paste((0, 0, 0), (x, y, x + width, y + height))
    difference = ImageChops.difference(shown, expected).getbbox()
    if difference:
        shown.save(os.path.join(shots, f'{name}-canvas-on-screen.png'))
        raise AssertionError(f'{name}: the screen differs from the headless host in {difference}')
    return {'sideways scroll': False, 'crisp': True, 'device pixels': device_pixels}


def test_screens_scenario(url, tool, scratch, shots):
    """The page on a phone (with touch on every kind of control), a tablet, a desktop at 150 %
    with the status bar shown and at 100 %, and a narrow phone."""
    found = {}
    reference_path = os.path.join(scratch, 'screens-headless.ppm')
    subprocess.run([tool, reference_path], check=True)
    reference = Image.open(reference_path).convert('RGB')
    name, width, height, ratio, _ = SCREENS[0]
    browser = page_harness.Browser(phone=(width, height, ratio))
    try:
        browser.open_page(url, test_clock=True)
        browser.run('return window.sorvelinTest.idle()')
        found[name] = check_fit(browser, name, reference, shots)
        # A tap on a menu title and one of its items, on a push button, on the message box's
        # button and on the close box each does what a click does.
        titles = browser.driver.find_elements('css selector', '#menu-bar .menu-title')
        browser.tap(titles[1])
        browser.tap(browser.find('[data-command="40005"]'))
        browser.run('return window.sorvelinTest.idle()')
        assert menu_state(browser)['statusShown'], 'a tap on the menu showed no status bar'
        browser.tap(browser.find('[data-command="103"]'))
        browser.run('return window.sorvelinTest.idle()')
        advance(browser, 5)
        compare_with_reference(browser, tool, scratch, 'tapped-mode',
                               ['menu:40005', 'click:103', 'ticks:5'])
        browser.tap(titles[2])
        browser.tap(browser.find('[data-command="40002"]'))
        browser.wait_for(lambda: browser.run("return document.getElementById('message-box')"
                                             ".open"), 'the version message after a tap')
        browser.tap(browser.find('#message-box-ok'))
        browser.wait_for(lambda: not browser.run("return document.getElementById('message-box')"
                                                 ".open"), 'the version message to close')
        browser.tap(browser.find('#close-box'))
        browser.wait_for(lambda: browser.run('return document.body.dataset.exitCode') == '0',
                         'the exit code after a tap on the close box')
    finally:
        browser.close()

    browser = page_harness.Browser()
    try:
        for name, width, height, ratio, _ in SCREENS[1:]:
            browser.emulate_screen(width, height, ratio)
            browser.open_page(url, test_clock=True)
            browser.run('return window.sorvelinTest.idle()')
            if 'status-bar' in name:
                browser.choose_menu(1, 40005)
                browser.run('return window.sorvelinTest.idle()')
                assert menu_state(browser)['statusShown']
            found[name] = check_fit(browser, name, reference, shots)
    finally:
        browser.close()
    return found


def advance(browser, ticks):
    taken = browser.run('return window.sorvelinTest.advanceTimers(arguments[0])', ticks)
    assert taken == ticks, f'{taken} of {ticks} ticks were taken'


def status_year(text):
    match = re.search(r'平均経過時間 *(\d+)年', text)
    assert match, f'no year in the status text {text!r}'
    return int(match.group(1))


def menu_state(browser):
    return browser.run("""
        const item = (command) => document.querySelector(`#menu-bar [data-command="${command}"]`);
        return {show: !item(40005).disabled, hide: !item(40006).disabled,
                statusShown: !document.getElementById('status-bar').hidden};""")


def check_accessible(browser):
    """The status bar is no live region; the canvas's text alternative carries the date, at most
    once a second; the menus and the message box have names."""
    browser.run("""
        window.changes = {label: 0, status: 0, from: performance.now()};
        new MutationObserver((records) => { window.changes.label += records.length; }).observe(
            document.getElementById('client'), {attributes: true, attributeFilter: ['aria-label']});
        new MutationObserver(() => { ++window.changes.status; }).observe(
            document.getElementById('status-bar'), {childList: true, subtree: true});""")
    browser.wait_for(lambda: browser.run('return window.changes.status') >= 40, 'status texts')
    changes = browser.run('return {...window.changes, seconds: (performance.now() -'
                          ' window.changes.from) / 1000}')
    assert 1 <= changes['label'] <= changes['seconds'] + 1, changes
    names = browser.run("""
        const name = (element) => element.getAttribute('aria-label') ||
            document.getElementById(element.getAttribute('aria-labelledby')).textContent;
        const canvas = document.getElementById('client');
        return {live: document.getElementById('status-bar').getAttribute('aria-live'),
                canvas: [canvas.getAttribute('role'), name(canvas)],
                menus: [...document.querySelectorAll('[role=menubar], [role=menu]')].map(name),
                box: name(document.getElementById('message-box'))};""")
    assert names['live'] == 'off', names
    assert names['canvas'][0] == 'img' and re.search(r'\d+年 *\d+月 *\d+日', names['canvas'][1])
    assert names['menus'] == ['メニュー', 'ファイル(F)', 'ステータスバー', 'ヘルプ(H)'], names
    assert names['box'] is not None, names


def test_clock_scenario(browser, url, tool, scratch):
    browser.open_page(url, test_clock=True)
    browser.wait_for(lambda: browser.run('return !!window.sorvelinTest'), 'the test clock')
    browser.run('return window.sorvelinTest.idle()')
    assert browser.run('return document.title') == TITLE
    assert browser.find('#window-title').text == TITLE
    check_first_frame(compare_with_reference(browser, tool, scratch, 'tick-0', []))

    browser.choose_menu(1, 40005)
    browser.run('return window.sorvelinTest.idle()')
    assert menu_state(browser) == {'show': False, 'hide': True, 'statusShown': True}
    advance(browser, 40)
    steps = ['menu:40005', 'ticks:40']
    compare_with_reference(browser, tool, scratch, 'mode-0-tick-40', steps)

    browser.find('[data-command="103"]').click()
    browser.run('return window.sorvelinTest.idle()')
    advance(browser, 25)
    steps += ['click:103', 'ticks:25']
    trails = compare_with_reference(browser, tool, scratch, 'mode-1-tick-65', steps)
    assert len(earth_pixels(trails)) > 9 * 20, 'mode 1 left no trail of the Earth'


def test_real_clock_scenario(browser, url):
    from selenium.webdriver.common.keys import Keys

    # The test clock is not for users: no query turns it on.
    browser.open_page(url + '?clock=virtual')
    check_first_frame(browser.canvas())
    assert browser.run('return window.sorvelinTest') is None, 'a query turned the test clock on'
    # The page runs under a strict Content-Security-Policy, and nothing broke it.
    policy = browser.run("return document.querySelector("
                         "'meta[http-equiv=\"Content-Security-Policy\"]').content")
    assert "script-src 'self' 'wasm-unsafe-eval';" in policy and 'unsafe-inline' not in policy
    log = browser.console()
    assert 'Content Security Policy' not in log, log
    # Each control carries its Win32 identifier.
    commands = browser.run("return [...document.querySelectorAll('[data-command]')]"
                           ".map((element) => Number(element.dataset.command)).sort()")
    assert commands == [101, 102, 103, 104, 105, 106, 40001, 40002, 40005, 40006, 40007], commands

    # Zoom out with the keyboard: the Earth comes twice as close to the Sun.
    before = earth_distance(browser.canvas())
    browser.find('[data-command="101"]').send_keys(Keys.ENTER)
    browser.wait_for(lambda: earth_distance(browser.canvas()) < before * 0.6, 'zooming out')
    assert abs(earth_distance(browser.canvas()) / before - 0.5) < 0.05
    browser.find('[data-command="104"]').click()  # 125 * 1.5 = 187
    browser.wait_for(lambda: earth_distance(browser.canvas()) > before * 0.7, 'zooming in')

    # MODE leaves trails, and MODE again clears them.
    browser.find('[data-command="103"]').send_keys(' ')
    browser.wait_for(lambda: len(earth_pixels(browser.canvas())) > 9 * 8, 'trails')
    browser.find('[data-command="103"]').click()
    browser.wait_for(lambda: len(earth_pixels(browser.canvas())) == 13, 'trails cleared')

    # The status bar through the menu; slower and faster change its interval.
    assert menu_state(browser) == {'show': True, 'hide': False, 'statusShown': False}
    browser.choose_menu(1, 40005)
    assert menu_state(browser) == {'show': False, 'hide': True, 'statusShown': True}
    status = browser.find('#status-bar')
    browser.wait_for(lambda: '描画間隔1.00日' in status.text, 'the status text')
    check_accessible(browser)
    browser.find('[data-command="102"]').click()
    browser.wait_for(lambda: '描画間隔0.50日' in status.text, 'the slower interval')
    browser.find('[data-command="105"]').click()
    browser.find('[data-command="105"]').click()
    browser.wait_for(lambda: '描画間隔2.00日' in status.text, 'the faster interval')
    # One year later, then the year 2000 from the menu; at 40 days a second the clock itself
    # gains no year in the seconds this takes.
    year = status_year(status.text)
    browser.find('[data-command="106"]').click()
    browser.wait_for(lambda: status_year(status.text) == year + 1, 'one year later')
    browser.choose_menu(0, 40007)
    browser.wait_for(lambda: status_year(status.text) in (1999, 2000), 'the year 2000')
    # Hidden again with the keyboard: down opens the popup on its one enabled item.
    browser.driver.find_elements('css selector', '#menu-bar .menu-title')[1].send_keys(
        Keys.ARROW_DOWN)
    assert browser.run('return document.activeElement.dataset.command') == '40006'
    browser.run('return document.activeElement').send_keys(Keys.ENTER)
    assert menu_state(browser) == {'show': True, 'hide': False, 'statusShown': False}

    # The version message: a modal dialog, while the animation goes on behind it.
    browser.choose_menu(2, 40002)
    dialog = browser.find('#message-box')
    browser.wait_for(lambda: browser.run("return document.getElementById('message-box')"
                                         ".matches(':modal')"), 'the modal version dialog')
    assert browser.find('#message-box-caption').text == 'バージョン情報'
    assert f'Version {VERSION}' in dialog.text and '惑星描画位置の正確性はありません。' in dialog.text
    shown = browser.canvas()
    browser.wait_for(lambda: ImageChops.difference(browser.canvas(), shown).getbbox(),
                     'the animation behind the dialog')
    browser.find('#message-box-ok').click()
    browser.wait_for(lambda: not browser.run("return document.getElementById('message-box')"
                                             ".open"), 'the dialog to close')

    # 終了 ends WinMain with 0; the page offers to start again, and the close box ends it too.
    browser.choose_menu(0, 40001)
    browser.wait_for(lambda: browser.run('return document.body.dataset.exitCode') == '0',
                     'the exit code')
    assert browser.find('#ended').is_displayed() and not browser.find('#window').is_displayed()
    assert all(text in browser.find('#ended').text for text in ('終了しました', 'has ended'))
    browser.find('#restart').click()
    browser.wait_for(lambda: browser.find('#window').is_displayed(), 'the program to start again')
    browser.wait_for(lambda: earth_pixels(browser.canvas()), 'a frame after starting again')
    browser.find('#close-box').click()
    browser.wait_for(lambda: browser.run('return document.body.dataset.exitCode') == '0',
                     'the exit code after closing')


# Run before the page's own scripts: keeps a weak reference to the memory of every WebAssembly
# instance the page makes, so that the test can count the program copies still alive.
MEMORY_PROBE = """
window.sorvelinMemories = [];
for (const name of ['instantiate', 'instantiateStreaming']) {
  const original = WebAssembly[name];
  WebAssembly[name] = (...parameters) => original(...parameters).then((made) => {
    for (const value of Object.values((made.instance || made).exports)) {
      if (value instanceof WebAssembly.Memory) {
        window.sorvelinMemories.push(new WeakRef(value));
      }
    }
    return made;
  });
}"""


def keys(browser, *presses):
    """Presses keys on the focused element; a tuple is a chord, held in its order."""
    from selenium.webdriver.common.action_chains import ActionChains
    actions = ActionChains(browser.driver)
    for press in presses:
        if isinstance(press, tuple):
            for key in press[:-1]:
                actions.key_down(key)
            actions.send_keys(press[-1])
            for key in reversed(press[:-1]):
                actions.key_up(key)
        else:
            actions.send_keys(press)
    actions.perform()


def focused(browser):
    return browser.run('const element = document.activeElement;'
                       'return element.dataset.command || element.id || element.tagName')


def test_keyboard_scenario(browser, url):
    """The menu bar's keys as Win32 has them, and the focus back where it was."""
    from selenium.webdriver.common.keys import Keys

    browser.open_page(url)
    status = browser.find('#status-bar')
    zoom_out = browser.find('[data-command="101"]')
    zoom_out.click()
    assert focused(browser) == '101'
    # With every menu closed, Alt+X is no command: the zoom after it still happens.
    before = earth_distance(browser.canvas())
    keys(browser, (Keys.ALT, 'x'), Keys.ENTER)
    browser.wait_for(lambda: browser.run('return document.body.dataset.program') != 'running'
                     or earth_distance(browser.canvas()) < before * 0.6, 'the zoom after Alt+X')
    assert browser.run('return document.body.dataset.program') == 'running', 'Alt+X ended it'
    # F10 selects the menu bar and Escape leaves it, the focus back on the button.
    keys(browser, Keys.F10)
    assert browser.run("return document.activeElement.classList.contains('menu-title')")
    keys(browser, Keys.ESCAPE)
    assert focused(browser) == '101'
    # Alt alone selects the menu bar too; the arrows open the next popup, where 終了's key X
    # does nothing.
    keys(browser, Keys.ALT, Keys.ARROW_RIGHT, Keys.ARROW_DOWN)
    assert focused(browser) == '40005'
    keys(browser, 'x')
    assert focused(browser) == '40005' and not status.is_displayed()
    keys(browser, Keys.ENTER)
    browser.wait_for(lambda: status.is_displayed(), 'the status bar from the keyboard')
    assert focused(browser) == '101', 'the focus did not come back after a command'
    # Alt+H, A: the version message; closing it gives the focus back to the button.
    keys(browser, (Keys.ALT, 'h'), 'a')
    browser.wait_for(lambda: browser.run("return document.getElementById('message-box')"
                                         ".open"), 'the version message from the keyboard')
    keys(browser, Keys.ENTER)
    browser.wait_for(lambda: not browser.run("return document.getElementById('message-box')"
                                             ".open"), 'the version message to close')
    assert focused(browser) == '101', 'the focus did not come back after the message'
    # Alt+F, X ends the program.
    keys(browser, (Keys.ALT, 'f'), 'x')
    browser.wait_for(lambda: browser.run('return document.body.dataset.exitCode') == '0',
                     'the exit code after Alt+F, X')


def program_memory(browser):
    """After a full garbage collection: the program copies alive (their WebAssembly memories),
    the page's event listeners, and the bytes of the JavaScript heap and of those memories."""
    browser.cdp('Performance.enable')
    browser.cdp('HeapProfiler.collectGarbage')
    copies, memory_bytes = browser.run("""
        const alive = window.sorvelinMemories.map((memory) => memory.deref()).filter(Boolean);
        return [alive.length, alive.reduce((sum, memory) => sum + memory.buffer.byteLength, 0)];""")
    metrics = {metric['name']: metric['value']
               for metric in browser.cdp('Performance.getMetrics')['metrics']}
    return {'copies': copies, 'listeners': int(metrics['JSEventListeners']),
            'bytes': int(metrics['JSHeapUsedSize']) + memory_bytes}


def end_program(browser, how):
    if how == 'menu':
        browser.choose_menu(0, 40001)
    else:
        browser.find('#close-box').click()
    browser.wait_for(lambda: browser.run('return document.body.dataset.program') == 'ended',
                     'the program to end')


def start_again(browser, double_click=False):
    from selenium.webdriver.common.action_chains import ActionChains
    restart = browser.find('#restart')
    if double_click:
        # A user's double click, and two clicks within one task, before the page can change.
        ActionChains(browser.driver).double_click(restart).perform()
        browser.wait_for(lambda: browser.run('return document.body.dataset.program') == 'running',
                         'the program to start again')
        end_program(browser, 'close box')
        browser.run("const button = document.getElementById('restart');"
                    "button.click(); button.click();")
    else:
        restart.click()
    browser.wait_for(lambda: browser.run('return document.body.dataset.program') == 'running',
                     'the program to start again')


def test_restart_scenario(browser, url):
    """A double click starts one program; restarts keep no ended program alive."""
    script = browser.cdp('Page.addScriptToEvaluateOnNewDocument', source=MEMORY_PROBE)
    browser.open_page(url)
    end_program(browser, 'close box')
    start_again(browser, double_click=True)
    figures = {1: program_memory(browser)}
    assert figures[1]['copies'] == 1, f'a double click left {figures[1]["copies"]} programs'
    for restart in range(2, 14):
        end_program(browser, 'menu' if restart % 2 else 'close box')
        start_again(browser)
        if restart in (3, 13):
            figures[restart] = program_memory(browser)
    browser.cdp('Page.removeScriptToEvaluateOnNewDocument', identifier=script['identifier'])
    last, first = figures[13], figures[1]
    assert last['copies'] == 1 and last['listeners'] == first['listeners'], figures
    assert abs(last['bytes'] - first['bytes']) <= 0.05 * first['bytes'], figures
    return figures


def test_offline_scenario(page_dir, scratch):
    """Installable, then a visit with the server gone, then a new build replacing what the
    service worker kept."""
    site = os.path.join(scratch, 'site')
    shutil.rmtree(site, ignore_errors=True)
    shutil.copytree(page_dir, site)
    server = page_harness.PageServer(site)
    browser = page_harness.Browser()
    try:
        browser.open_page(server.url)
        browser.wait_for(lambda: browser.run('return !!navigator.serviceWorker.controller'),
                         'the service worker')
        errors = browser.cdp('Page.getInstallabilityErrors')['installabilityErrors']
        assert errors == [], f'Chromium finds the page not installable: {errors}'
        server.close()
        browser.open_page(server.url)
        check_first_frame(browser.canvas())
        with open(os.path.join(site, 'index.html'), 'a', encoding='utf-8') as page:
            page.write('<!-- a new build -->\n')
        server = page_harness.PageServer(site, server.port)
        browser.open_page(server.url)
        kept = browser.run("return caches.match('./').then((kept) => kept.text())")
        assert 'a new build' in kept, 'the new build did not replace the kept page'
        return {'installability errors': errors, 'offline reload': 'first frame shown',
                'new build': 'kept'}
    finally:
        browser.close()
        server.close()


def main():
    page_dir, tool, scratch = sys.argv[1:4]
    shots = os.environ.get('SORVELIN_WEB_SHOTS', scratch)
    os.makedirs(scratch, exist_ok=True)
    os.makedirs(shots, exist_ok=True)
    for name in ('index.html', 'sorvelin.js', 'sorvelin.wasm'):
        assert os.path.isfile(os.path.join(page_dir, name)), f'{name} is missing in {page_dir}'
    try:
        browser = page_harness.Browser()
    except page_harness.Unavailable as reason:
        print(f'SKIP: {reason}')
        return SKIP
    server = page_harness.PageServer(page_dir)
    try:
        test_clock_scenario(browser, server.url, tool, scratch)
        test_real_clock_scenario(browser, server.url)
        test_keyboard_scenario(browser, server.url)
        for restarts, figures in test_restart_scenario(browser, server.url).items():
            print(f'after {restarts} restarts: {figures}')
        browser.close()
        for name, result in test_screens_scenario(server.url, tool, scratch, shots).items():
            print(f'{name}: {result}')
        print(test_offline_scenario(page_dir, scratch))
    finally:
        browser.close()
        server.close()
    print('web page: both scenarios passed')
    return 0


if __name__ == '__main__':
    sys.exit(main())
