#!/usr/bin/env python3
"""Checks the compiled help project against the program.

Every help context the program can ask for is read from the sources
({control, context} pairs, {template, procedure, context} pages, dialog tables
with a Help button, ShowHelp calls with a number) and must have a topic in the
project the build compiled; every topic must be reachable (from the contents,
a link or a context) and every link must lead somewhere.

    check_help.py SOURCE_ROOT COMPILED_PROJECT_DIR
"""
import os
import re
import sys
from html.parser import HTMLParser

WIDTHS = {'HelpPair': 2, 'PageEntry': 3, 'DialogTable': 7}


def program_contexts(source_root):
    """{context: where} of every help context the sources name, the problems met and the tables read."""
    found, problems, tables = {}, [], 0

    def add(value, where):
        if not re.fullmatch(r'\d+u?', value):
            problems.append('%s: help context %r is not a number' % (where, value))
        elif int(value.rstrip('u')):
            found.setdefault(int(value.rstrip('u')), where)

    for folder, _, names in os.walk(os.path.join(source_root, 'src')):
        for name in (n for n in names if n.endswith('.cpp')):
            where = os.path.relpath(os.path.join(folder, name), source_root)
            text = re.sub(r'//[^\n]*|/\*.*?\*/', '', open(os.path.join(folder, name), encoding='utf-8').read(),
                          flags=re.S)
            for m in re.finditer(r'\b(HelpPair|PageEntry|DialogTable)\s+(\w+)\s*(\[\w*\])?\s*=\s*\{(.*?)\};', text, re.S):
                kind, table, array, body = m.groups()
                tables += 1
                for entry in re.findall(r'\{([^{}]*)\}', body) if array else [body]:
                    # A field holding a comma makes the entry unreadable: reported, never skipped.
                    f = [field.strip() for field in entry.split(',') if field.strip()]
                    if len(f) != WIDTHS[kind]:
                        problems.append('%s: %s: cannot read {%s}' % (where, table, entry))
                    elif kind != 'DialogTable':
                        add(f[-1], '%s %s' % (where, table))
                    elif f[4] not in ('0', 'false'):
                        add(f[6], '%s %s Help button' % (where, table))
            for m in re.finditer(r'ShowHelp\s*\([^;]*?,\s*HELP_CONTEXT\s*,\s*(\d+)\s*\)', text):
                add(m.group(1), '%s ShowHelp' % where)
    return found, problems, tables


class Page(HTMLParser):
    def __init__(self, text):
        super().__init__()
        self.links, self.ids = [], set()
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.ids.add(attrs.get('id'))
        self.links += [attrs[key] for key in ('href', 'src') if key in attrs]
        if tag == 'param' and (attrs.get('name') or '').lower() == 'local':
            self.links.append(attrs.get('value', ''))

    def local_links(self):
        return [link for link in self.links if link and not re.match(r'^[a-z]+:', link)]


def read_project(project_dir):
    """The project's sections, {context: topic file} and options."""
    sections, current = {}, None
    for line in open(os.path.join(project_dir, 'tolvane.hhp')):
        line = line.strip()
        if line.startswith('[') and line.endswith(']'):
            current = sections.setdefault(line[1:-1], [])
        elif line and current is not None:
            current.append(line)
    numbers = dict(re.findall(r'^#define[ \t]+(\w+)[ \t]+(\d+)', open(os.path.join(project_dir, 'context.h')).read(),
                              re.M))
    aliases = (line.partition('=') for line in sections.get('ALIAS', []))
    topics = {int(numbers[name.strip()]): target.strip() for name, _, target in aliases if name.strip() in numbers}
    options = dict(line.split('=', 1) for line in sections.get('OPTIONS', []) if '=' in line)
    return sections, topics, options


def main(source_root, project_dir):
    contexts, problems, tables = program_contexts(source_root)
    if tables < 20 or len(contexts) < 100:
        problems.append('only %d tables and %d contexts found: is the source tree right?' % (tables, len(contexts)))
    sections, topics, options = read_project(project_dir)
    exists = lambda name: os.path.isfile(os.path.join(project_dir, name))
    for context in sorted(contexts):
        target = topics.get(context)
        if not target:
            problems.append('context %d (%s) has no topic' % (context, contexts[context]))
        elif not exists(target):
            problems.append('context %d maps to the missing file %s' % (context, target))

    files = set(sections.get('FILES', []))
    pages = {name: Page(open(os.path.join(project_dir, name), encoding='cp1252').read())
             for name in os.listdir(project_dir) if name.endswith(('.htm', '.hhc'))}
    problems += ['%s is not in the project' % n for n in sorted(pages) if n.endswith('.htm') and n not in files]
    problems += ['the project lists the missing file %s' % n for n in sorted(files) if not exists(n)]
    for name, page in sorted(pages.items()):
        for link in page.local_links():
            target, _, anchor = link.partition('#')
            target = target or name
            if target not in pages and not exists(target):
                problems.append('%s links to the missing %s' % (name, link))
            elif anchor and target in pages and anchor not in pages[target].ids:
                problems.append('%s links to the missing anchor %s' % (name, link))

    queue, reached = [options.get('Default topic'), options.get('Contents file')] + list(topics.values()), set()
    while queue:
        name = queue.pop()
        if name in pages and name not in reached:
            reached.add(name)
            queue += [link.partition('#')[0] or name for link in pages[name].local_links()]
    problems += ['%s cannot be reached' % n for n in sorted(pages) if n not in reached]

    for problem in problems:
        print('FAIL:', problem)
    print('%d contexts from %d tables, %d topics: %d passed, %d failed'
          % (len(contexts), tables, len(pages), 0 if problems else 1, 1 if problems else 0))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:3]))
