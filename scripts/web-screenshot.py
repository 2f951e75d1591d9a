#!/usr/bin/env python3
"""Takes the README's picture of the web page in headless Chromium.

Usage: web-screenshot.py [--page DIR] [OUTPUT.png]
DIR defaults to build/web, OUTPUT to docs/web-chromium.png. The page runs on its test clock, so
the picture is the same on every run: the status bar shown, trails from MODE, then 365 ticks.
Run it with Debian's /usr/bin/python3, which has selenium and Pillow.
"""
import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'web'))
import page_harness  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--page', default=os.path.join(HERE, '..', 'build', 'web'))
    parser.add_argument('output', nargs='?',
                        default=os.path.join(HERE, '..', 'docs', 'web-chromium.png'))
    arguments = parser.parse_args()
    server = page_harness.PageServer(arguments.page)
    browser = page_harness.Browser()
    try:
        browser.open_page(server.url, test_clock=True)
        browser.wait_for(lambda: browser.run('return !!window.sorvelinTest'), 'the test clock')
        browser.run('return window.sorvelinTest.idle()')
        browser.choose_menu(1, 40005)
        browser.find('[data-command="103"]').click()
        browser.run('return window.sorvelinTest.idle()')
        taken = browser.run('return window.sorvelinTest.advanceTimers(365)')
        assert taken == 365, f'{taken} ticks taken'
        with open(arguments.output, 'wb') as picture:
            picture.write(browser.find('#window').screenshot_as_png)
    finally:
        browser.close()
        server.close()
    print(f'wrote {arguments.output}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
