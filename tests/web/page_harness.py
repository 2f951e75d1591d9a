"""The web page served on 127.0.0.1 and driven in headless Chromium, for the browser test and the
measurements."""
import base64
import functools
import http.server
import io
import os
import shutil
import sys
import tempfile
import threading

from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import display  # noqa: E402

CHROMIUM = '/usr/bin/chromium'
CHROMEDRIVER = '/usr/bin/chromedriver'
FIRST_LOAD_SECONDS = 90  # a cold, busy machine compiles the WebAssembly slowly the first time
LATER_WAIT_SECONDS = 30

CHROMIUM_ARGUMENTS = [
    '--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--window-size=1100,900',
]


class Unavailable(Exception):
    """Chromium or its driver cannot run here; the message says why."""


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript'}

    def log_message(self, *arguments):
        pass


class PageServer:
    """Serves a folder on 127.0.0.1 at a free port, from a thread of this process."""

    def __init__(self, folder, port=0):
        handler = functools.partial(QuietHandler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', port), handler)
        self.port = self.server.server_address[1]
        self.url = f'http://127.0.0.1:{self.server.server_address[1]}/'
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class Browser:
    """Headless Chromium with a fresh profile, driven through chromedriver."""

    def __init__(self, phone=None):
        """A desktop window at one device pixel per CSS pixel, or with phone=(WIDTH, HEIGHT,
        RATIO) a phone's screen with touch, as chromedriver emulates it."""
        for program in (CHROMIUM, CHROMEDRIVER):
            if not os.access(program, os.X_OK):
                raise Unavailable(f'{program} is not installed (Debian packages chromium and '
                                  'chromium-driver; scripts/install-deps.sh test installs them)')
        try:
            from selenium import webdriver
            from selenium.webdriver.chrome.service import Service
        except ImportError as error:
            raise Unavailable(f'selenium is missing for {sys.executable} '
                              f'(Debian package python3-selenium): {error}')
        self.profile = tempfile.mkdtemp(prefix='sorvelin-chromium-')
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in CHROMIUM_ARGUMENTS + [f'--user-data-dir={self.profile}']:
            options.add_argument(argument)
        if phone:
            width, height, ratio = phone
            options.add_experimental_option('mobileEmulation', {'deviceMetrics': {
                'width': width, 'height': height, 'pixelRatio': ratio, 'touch': True}})
        else:
            options.add_argument('--force-device-scale-factor=1')
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        try:
            self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        except Exception as error:  # selenium reports a browser that cannot start in many ways
            shutil.rmtree(self.profile, ignore_errors=True)
            raise Unavailable(f'Chromium did not start: {error}'.splitlines()[0])
        self.driver.set_script_timeout(FIRST_LOAD_SECONDS)

    def close(self):
        if self.driver is not None:
            self.driver.quit()
            self.driver = None
        shutil.rmtree(self.profile, ignore_errors=True)

    def console(self):
        """The page's console messages since the last call, one a line."""
        return '\n'.join(entry['message'] for entry in self.driver.get_log('browser'))

    def run(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def wait_for(self, condition, what, seconds=LATER_WAIT_SECONDS):
        """Polls condition() until it gives a true value, which it returns; one that times out
        reports how the page and its program stand, and what the console said."""
        return display.wait_until(what, condition, seconds, self.report)

    def report(self, early=False):
        if early:
            return None
        try:
            state = self.run("""return {url: location.href, readyState: document.readyState,
                title: document.title, firstFrameMilliseconds:
                document.body && document.body.dataset.firstFrameMilliseconds,
                exitCode: document.body && document.body.dataset.exitCode};""")
        except Exception as error:  # a page or browser that no longer answers
            state = f'no answer ({error})'.splitlines()[0]
        try:
            console = self.console()[-2000:] or 'nothing'
        except Exception as error:
            console = f'unreadable ({error})'.splitlines()[0]
        return f'the page and its program: {state}\nits console said: {console}'

    def open_page(self, url, test_clock=False):
        """Loads the page and waits for the program's first frame on the canvas; with test_clock,
        on the clock that moves only when the test says so (window.sorvelinTest)."""
        script = None
        if test_clock:
            script = self.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {
                'source': 'window.sorvelinTestClock = true;'})
        self.driver.get(url)
        if script:
            self.driver.execute_cdp_cmd('Page.removeScriptToEvaluateOnNewDocument', script)
        self.wait_for(lambda: self.run('return document.body.dataset.firstFrameMilliseconds'),
                      'the first frame after loading ' + url, FIRST_LOAD_SECONDS)

    def cdp(self, command, **parameters):
        return self.driver.execute_cdp_cmd(command, parameters)

    def emulate_screen(self, width, height, ratio):
        """Makes the viewport width by height CSS pixels at ratio device pixels per CSS pixel."""
        self.cdp('Emulation.setDeviceMetricsOverride', width=width, height=height,
                 deviceScaleFactor=ratio, mobile=False)

    def screenshot(self):
        """The viewport as the screen shows it, in device pixels, as an RGB image."""
        return Image.open(io.BytesIO(self.driver.get_screenshot_as_png())).convert('RGB')

    def tap(self, element):
        """Touches the middle of an element with one finger and lifts it, as on a phone."""
        box = self.run('const box = arguments[0].getBoundingClientRect();'
                       'return [box.left + box.width / 2, box.top + box.height / 2];', element)
        point = [{'x': box[0], 'y': box[1]}]
        self.cdp('Input.dispatchTouchEvent', type='touchStart', touchPoints=point)
        self.cdp('Input.dispatchTouchEvent', type='touchEnd', touchPoints=[])

    def canvas(self):
        """The canvas's pixels as an RGB image."""
        data = self.run("return document.getElementById('client').toDataURL('image/png')")
        return Image.open(io.BytesIO(base64.b64decode(data.split(',', 1)[1]))).convert('RGB')

    def find(self, selector):
        from selenium.webdriver.common.by import By
        return self.driver.find_element(By.CSS_SELECTOR, selector)

    def choose_menu(self, popup_index, command):
        """Opens a popup of the menu bar and clicks one of its items, as a user does."""
        self.driver.find_elements('css selector', '#menu-bar .menu-title')[popup_index].click()
        self.find(f'#menu-bar [data-command="{command}"]').click()
