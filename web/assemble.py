"""Puts the page together: web/page.html with its styles, the words, the
shipped examples, the worker's script (the library's WebAssembly module and
web/worker.js) and the page's script inlined, into one arribada.html.
Run by web/build.sh."""
import argparse
import base64
import json
import pathlib
import re

# The examples a click away: the nights (both layouts) and the design file.
EXAMPLES = ['night-1.csv', 'night-2.csv', 'night-3.csv', 'survey.dat', 'perline.dat', 'weighted.dat',
            'beach.design']


def script_literal(value):
    """A JSON value that is safe inside an HTML script element."""
    return json.dumps(value, ensure_ascii=False).replace('<', '\\u003c').replace('>', '\\u003e')


def main():
    options = argparse.ArgumentParser(description=__doc__)
    options.add_argument('--web', type=pathlib.Path, required=True)
    options.add_argument('--examples', type=pathlib.Path, required=True)
    options.add_argument('--module', type=pathlib.Path, required=True)
    options.add_argument('--version', required=True)
    options.add_argument('--out', type=pathlib.Path, required=True)
    args = options.parse_args()

    read = lambda name: (args.web / name).read_text(encoding='utf-8')
    worker = args.module.read_text(encoding='utf-8') + '\n' + read('worker.js')
    examples = {name: base64.b64encode((args.examples / name).read_bytes()).decode('ascii') for name in EXAMPLES}
    script = '\n'.join([
        read('words.js'),
        f'const VERSION = {script_literal(args.version)};',
        f'const EXAMPLES = {script_literal(examples)};',
        f'const WORKER_SOURCE = {script_literal(worker)};',
        read('page.js'),
    ])
    if re.search(r'</script', script, re.IGNORECASE):
        raise SystemExit('assemble.py: the page script holds a closing script tag')
    page = read('page.html')
    page = page.replace('<!-- style -->', '<style>\n' + read('page.css') + '</style>', 1)
    page = page.replace('<!-- script -->', '<script>\n' + script + '\n</script>', 1)
    args.out.write_text(page, encoding='utf-8')


if __name__ == '__main__':
    main()
