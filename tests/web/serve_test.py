#!/usr/bin/env python3
"""scripts/serve-web.sh refuses a bad port argument and a busy port with one line on stderr and a
non-zero exit, before it builds anything or prints an address.

Usage: serve_test.py SERVE_WEB_SH
"""
import socket
import subprocess
import sys


def refused(script, *arguments):
    result = subprocess.run([script, *arguments], capture_output=True, text=True, timeout=60,
                            stdin=subprocess.DEVNULL, check=False)
    assert result.returncode != 0, f'{arguments}: exit code 0'
    assert result.stdout == '', f'{arguments}: printed {result.stdout!r}'
    lines = result.stderr.splitlines()
    assert len(lines) == 1 and lines[0].startswith('serve-web.sh: '), f'{arguments}: {lines}'
    return lines[0]


def main():
    script = sys.argv[1]
    for argument in ('09', '0', '65536', 'eighty', '-1'):
        print(refused(script, argument))
    with socket.socket() as holder:
        holder.bind(('127.0.0.1', 0))
        holder.listen()
        line = refused(script, str(holder.getsockname()[1]))
        assert 'in use' in line, line
        print(line)
    return 0


if __name__ == '__main__':
    sys.exit(main())
