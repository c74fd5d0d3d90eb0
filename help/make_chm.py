#!/usr/bin/env python3
"""Builds tolvane.chm from the topics in this folder.

Every control of a dialog is described once, in its dialog's topic, as
<dt id="cNNNN">label</dt><dd>text</dd> where NNNN is the control's help
context. The compiler maps one context to each topic file, so for every such
entry this script writes a small topic cNNNN.htm of its own (the label, the
text and a link to the whole dialog), adds it to the project's [FILES],
[ALIAS] and [MAP], and compiles the result with chmcmd.

    make_chm.py SOURCE_DIR WORK_DIR OUTPUT.chm [CHMCMD]
"""
import html
import os
import re
import shutil
import subprocess
import sys

ENTRY = re.compile(r'<dt id="c(\d+)">(.*?)</dt>\s*<dd>(.*?)</dd>', re.S)
TITLE = re.compile(r'<title>(.*?)</title>', re.S)
TAGS = re.compile(r'<[^>]+>')


def control_topics(source):
    """(context, file name, html) of every control entry of every topic."""
    topics = []
    for name in sorted(os.listdir(source)):
        if not name.endswith('.htm'):
            continue
        with open(os.path.join(source, name), encoding='cp1252') as f:
            text = f.read()
        match = TITLE.search(text)
        page_title = match.group(1) if match else name
        for context, label, body in ENTRY.findall(text):
            plain = html.escape(html.unescape(TAGS.sub('', label)), quote=False)
            topic = '\r\n'.join([
                '<!DOCTYPE html>', '<html lang="en">', '<head>', '<meta charset="windows-1252">',
                '<title>%s (%s)</title>' % (plain, page_title), '<link rel="stylesheet" href="tolvane.css">',
                '</head>', '<body>', '<h1>%s</h1>' % label, '<p>%s</p>' % body,
                '<p>See <a href="%s">%s</a>.</p>' % (name, page_title), '</body>', '</html>', ''])
            topics.append((int(context), 'c%s.htm' % context, topic))
    return topics


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    source, work, output = argv[1], argv[2], argv[3]
    chmcmd = argv[4] if len(argv) > 4 else 'chmcmd'
    if os.path.isdir(work):
        shutil.rmtree(work)
    os.makedirs(work)
    for name in os.listdir(source):
        if name.endswith(('.htm', '.css', '.hhc', '.h')):
            shutil.copy(os.path.join(source, name), work)

    topics = control_topics(source)
    seen = set()
    for context, name, text in topics:
        if context in seen:
            sys.stderr.write('make_chm: help context %d is described twice\n' % context)
            return 1
        seen.add(context)
        with open(os.path.join(work, name), 'w', encoding='cp1252', newline='') as f:
            f.write(text)
    with open(os.path.join(work, 'context.h'), 'a') as f:
        for context, _, _ in topics:
            f.write('#define IDH_%d %d\n' % (context, context))

    with open(os.path.join(source, 'tolvane.hhp')) as f:
        project = f.read()
    files = ''.join('%s\n' % name for _, name, _ in topics)
    aliases = ''.join('IDH_%d=%s\n' % (context, name) for context, name, _ in topics)
    project = project.replace('\n[ALIAS]\n', '\n' + files + '\n[ALIAS]\n' + aliases, 1)
    project = re.sub(r'(?m)^Compiled file=.*$', 'Compiled file=' + os.path.basename(output), project)
    with open(os.path.join(work, 'tolvane.hhp'), 'w') as f:
        f.write(project)

    built = os.path.join(work, os.path.basename(output))
    try:
        result = subprocess.run([chmcmd, '--no-html-scan', 'tolvane.hhp'], cwd=work,
                                capture_output=True, text=True)
    except OSError as error:
        sys.stderr.write('make_chm: cannot run %s: %s (install fp-utils)\n' % (chmcmd, error))
        return 1
    if result.returncode != 0 or not os.path.isfile(built):
        sys.stderr.write('make_chm: %s failed:\n%s%s' % (chmcmd, result.stdout, result.stderr))
        return 1
    shutil.copy(built, output)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
